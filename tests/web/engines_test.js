// The player in the three engines (Chromium, Firefox, WebKit): load, the click that starts it,
// the picture at fixed demo times against the native renderer's, with the textures uploaded
// compressed and with S3TC hidden (decoded in the program, as on phones), and Escape's end; the
// whole picture on a phone-shaped view, upright and turned; a browser without WebGL is told so in
// a viewer's words. Firefox and WebKit need a display: run
// under xvfb-run (scripts/test.sh does); without one they are skipped and say why.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { serve, browser, compare, nativePicture, within, geometry, wholePicture, hideS3tc, countUploads, noWebgl, holdClock } = require('./lib.js');
const { engines, launch, available, version, twoFrames } = require('./engines.js');

const root = path.resolve(__dirname, '../..');
const site = process.env.QUOR_WEB_SITE || path.join(root, 'build-web/site');
const bin = process.env.QUOR_BIN_DIR || path.join(root, 'build/bin');
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'quor-engines-test-'));
const size = { width: 640, height: 360 };
const times = [2, 12];
const state = "document.body.dataset.state";

let server, comparer;
before(async () => {
  server = await serve(site);
  comparer = await browser();
});
after(async () => {
  await comparer.close();
  await server.close();
  fs.rmSync(scratch, { recursive: true, force: true });
});

for (const engine of engines) {
  const missing = available(engine);
  test(`${engine}: loads, starts on a click, draws the native picture with S3TC and without, ends on Escape, fits a phone's view`,
    { skip: missing || false }, async (t) => {
      t.diagnostic(version(engine));
      const driver = await launch(engine);
      try {
        for (const [path_, wrapper] of [['S3TC', countUploads], ['decoded', hideS3tc]]) {
          for (const time of times) {
            const tab = await driver.open(server.prefix(holdClock + wrapper) + `?window=${size.width}x${size.height}&start=${time}&mute`, size);
            await tab.until(`['ready', 'failed', 'said'].includes(${state})`, 90000);
            assert.equal(await tab.evaluate(state), 'ready', await tab.evaluate("document.getElementById('messages').textContent"));
            await tab.click('#cover');
            await tab.until(`${state} === 'playing'`);
            await tab.evaluate(twoFrames);
            const difference = await compare(comparer.context, await tab.shot('#canvas'), nativePicture(time, size, { site, bin, scratch }));
            t.diagnostic(`${path_} at ${time} s: mean ${difference.mean.toFixed(3)}, off ${(100 * difference.off).toFixed(3)}%`);
            assert.ok(within(difference), `${path_} at ${time} s: ${JSON.stringify(difference)}`);
            const uploads = JSON.parse(await tab.evaluate('JSON.stringify(window.quorUploads)'));
            if (path_ === 'S3TC') assert.ok(uploads.compressed > 0 && uploads.plain === 0, JSON.stringify(uploads));
            else assert.ok(uploads.compressed === 0 && uploads.plain > 0, JSON.stringify(uploads));
            if (time === times[times.length - 1]) {
              await tab.key('Escape');
              await tab.until(`${state} === 'ended'`, 10000);
            }
            await tab.close();
          }
        }

        // A phone's screen, upright then turned: the whole picture, letterboxed.
        const phone = await driver.open(server.url + '?mute', { width: 390, height: 844 });
        await phone.until(`${state} === 'ready'`, 90000);
        for (const [width, height] of [[390, 844], [844, 390]]) {
          await phone.viewport(width, height);
          await phone.until(`innerHeight === ${height}`);
          await phone.evaluate(twoFrames);
          const g = await phone.evaluate(geometry);
          assert.equal(wholePicture(g), null, `${width}x${height}: ${JSON.stringify(g)}`);
        }
        await phone.close();

        // No WebGL at all: said before anything is downloaded, in a viewer's words.
        const tab = await driver.open(server.prefix(noWebgl), size);
        await tab.until(`${state} === 'failed'`, 20000);
        assert.match(await tab.evaluate("document.getElementById('what').textContent"), /cannot draw the show.*WebGL/);
        assert.match(await tab.evaluate("document.getElementById('todo').textContent"), /another browser/);
        await tab.close();
      } finally {
        await driver.close();
      }
    });
}
