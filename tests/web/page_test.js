// The page around the player in Chromium: a phone's screen (touch, portrait and landscape,
// rotation while playing, full screen refused), a damaged files.json, a server that stalls, a
// download larger than listed, a browser without sound, and a fault of the page's own code: each
// ends in the page's words, never in a page that waits forever.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const { serve, holdClock, geometry, wholePicture } = require('./lib.js');
const { launch } = require('./engines.js');

const root = path.resolve(__dirname, '../..');
const site = process.env.QUOR_WEB_SITE || path.join(root, 'build-web/site');
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'quor-page-test-'));
const state = 'document.body.dataset.state';
const text = (id) => `document.getElementById('${id}').textContent`;

let server, chromium;
before(async () => {
  server = await serve(site);
  chromium = await launch('chromium');
});
after(async () => {
  await chromium.close();
  await server.close();
  fs.rmSync(scratch, { recursive: true, force: true });
});

// A folder with the site's files linked and `files` written over them.
function folder(name, files) {
  const dir = path.join(scratch, name);
  fs.mkdirSync(dir);
  for (const file of fs.readdirSync(site)) if (!(file in files)) fs.symlinkSync(path.join(site, file), path.join(dir, file));
  for (const [file, content] of Object.entries(files)) fs.writeFileSync(path.join(dir, file), content);
  return dir;
}

function assertWhole(g, label) {
  const wrong = wholePicture(g);
  assert.equal(wrong, null, `${label}: ${wrong}: ${JSON.stringify(g)}`);
}

test('on a phone: tap to start, the whole picture at its aspect in both orientations and after rotation, full screen refused', async () => {
  // A phone browser that refuses full screen to pages, as iPhone Safari does.
  const refuse = `${holdClock} Element.prototype.requestFullscreen = () => Promise.reject(new TypeError('not allowed'));`;
  for (const [width, height] of [[390, 844], [844, 390]]) {
    const tab = await chromium.open(server.prefix(refuse) + '?start=12&mute', { width, height, touch: true, scale: 3 });
    await tab.until(`${state} === 'ready'`, 90000);
    assert.equal(await tab.evaluate(text('status')), 'Tap to start');
    assertWhole(await tab.evaluate(geometry), `${width}x${height} before the tap`);
    await tab.click('#cover');
    await tab.until(`${state} === 'playing'`);
    assertWhole(await tab.evaluate(geometry), `${width}x${height} playing`);
    // Turned while playing.
    await tab.viewport(height, width);
    await tab.until(`innerWidth === ${height}`);
    await tab.evaluate('new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(() => done(true))))');
    assertWhole(await tab.evaluate(geometry), `turned to ${height}x${width}`);
    assert.equal(await tab.evaluate(state), 'playing');
    await tab.close();
  }
  // ?quality=full: the phone's own pixels; a ?window larger than the screen is shrunk to fit.
  const tab = await chromium.open(server.url + '?quality=full&mute', { width: 390, height: 844, touch: true, scale: 3 });
  await tab.until(`${state} === 'ready'`, 90000);
  assert.equal((await tab.evaluate(geometry)).bufferWidth, 390 * 3);
  await tab.close();
  const window = await chromium.open(server.url + '?window=1280x720&mute', { width: 390, height: 844, touch: true, scale: 3 });
  await window.until(`${state} === 'ready'`, 90000);
  assertWhole(await window.evaluate(geometry), '?window=1280x720 on 390x844');
  await window.close();
});

test("a damaged files.json, a stalled download and a download longer than listed end in the page's words", async () => {
  const size = fs.statSync(path.join(site, 'tesk.mem')).size;
  const cases = [
    ['null entry', { 'files.json': '{"files": {"tesk.mem": null}}' }, /tesk\.mem: no size given/],
    ['a name for a list', { 'files.json': '{"files": "tesk.mem"}' }, /"files" is not a list/],
    ['no size', { 'files.json': '{"files": {"tesk.mem": {"gzip": "tesk.mem.gz"}}}' }, /tesk\.mem: no size given/],
    ['negative', { 'files.json': '{"files": {"tesk.mem": {"bytes": -5}}}' }, /tesk\.mem: the size -5 is not a whole number of bytes, 0 or more/],
    ['text', { 'files.json': '{"files": {"tesk.mem": {"bytes": "big"}}}' }, /tesk\.mem: the size "big" is not a number/],
  ];
  for (const [name, files, line] of cases) {
    const served = await serve(folder(name.replace(/ /g, '-'), files));
    try {
      const tab = await chromium.open(served.url);
      await tab.until(`${state} === 'failed'`, 20000);
      assert.match(await tab.evaluate(text('what')), /files\.json\) is damaged/, name);
      assert.match(await tab.evaluate(text('messages')), line, name);
      await tab.close();
    } finally {
      await served.close();
    }
  }

  // The server stops sending the first frames' part after 0.5 MB: after the stated time the page
  // says so and offers to try again.
  const first = JSON.parse(fs.readFileSync(path.join(site, 'files.json'), 'utf8')).files['tesk.mem'].parts.list.find((p) => p.frames);
  const stalling = await serve(site, { stall: { [first.name]: 5e5 } });
  try {
    const tab = await chromium.open(stalling.prefix('window.quorStallSeconds = 2;'));
    await tab.until(`${state} === 'failed'`, 30000);
    assert.match(await tab.evaluate(text('what')), /download of tesk\.mem stopped: nothing arrived for 2 seconds/);
    assert.equal(await tab.evaluate("document.getElementById('retry').hidden"), false);
    await tab.click('#retry');
    await tab.until(`${state} === 'loading' && !document.getElementById('what').textContent`, 20000);
    await tab.close();
  } finally {
    await stalling.close();
  }

  // A gzip copy that unpacks to eight times what is listed (1 GiB of zeros): the page takes the
  // listed size and one piece more, says the file is longer than listed, and the show does not
  // start; a gzip copy of the data itself, as long as listed, plays.
  const gzipped = (name, bytes) => folder(name, { 'tesk.mem.gz': bytes, 'files.json': JSON.stringify({ files: { 'tesk.mem': { bytes: size, gzip: 'tesk.mem.gz' } } }) });
  const zeros = Buffer.alloc(1 << 24);
  const parts = [];
  const deflate = zlib.createGzip({ level: 1 });
  deflate.on('data', (chunk) => parts.push(chunk));
  for (let written = 0; written < 1 << 30; written += zeros.length) deflate.write(zeros);
  await new Promise((done) => deflate.end(done));
  const copies = [
    ['bomb', Buffer.concat(parts), 'failed'],
    ['gzip-copy', zlib.gzipSync(fs.readFileSync(path.join(site, 'tesk.mem')), { level: 1 }), 'ready'],
  ];
  for (const [name, gz, end] of copies) {
    const dir = gzipped(name, gz);
    fs.unlinkSync(path.join(dir, 'tesk.mem'));
    const served = await serve(dir);
    try {
      const tab = await chromium.open(served.url + '?mute');
      await tab.until(`['ready', 'failed'].includes(${state})`, 60000);
      assert.equal(await tab.evaluate(state), end, name);
      assert.equal(Number(await tab.evaluate('document.body.dataset.received')), size, `${name}: read up to the listed size`);
      const unpacked = Number(await tab.evaluate('document.body.dataset.unpacked'));
      assert.ok(unpacked >= size && unpacked <= size + (1 << 20), `${name}: ${unpacked} bytes unpacked for ${size} listed`);
      if (end === 'failed') assert.match(await tab.evaluate(text('messages')), /tesk\.mem\.gz: longer than the \d+ bytes listed/);
      await tab.close();
    } finally {
      await served.close();
    }
  }
});

test('without a sound device the page says once that it plays without music, and a fault of its own is said', async () => {
  const noDevice = `HTMLMediaElement.prototype.play = function () {
    return Promise.reject(new DOMException('no audio output device', 'NotSupportedError')); };`;
  const tab = await chromium.open(server.prefix(noDevice) + '?start=3');
  await tab.until(`${state} === 'ready'`, 90000);
  await tab.click('#cover');
  await tab.until("document.getElementById('notice').classList.contains('shown')", 15000);
  assert.equal(await tab.evaluate(text('notice')), 'No sound here: playing without music.');
  assert.equal(await tab.evaluate(state), 'playing');
  // Said once, whatever plays again.
  await tab.key('Space');
  await tab.key('Space');
  assert.equal(await tab.evaluate(text('notice')), 'No sound here: playing without music.');
  await tab.close();

  const muted = await chromium.open(server.prefix(noDevice) + '?start=3&mute');
  await muted.until(`${state} === 'ready'`, 90000);
  await muted.click('#cover');
  await new Promise((done) => setTimeout(done, 1000));
  assert.equal(await muted.evaluate(text('notice')), '', '?mute stays silent without the line');
  await muted.close();

  // The page's own code failing (here where it unpacks the data's parts) ends in a message.
  const broken = await chromium.open(server.prefix("Object.defineProperty(window, 'DecompressionStream', { get() { throw new Error('broken on purpose'); } });"));
  await broken.until(`${state} === 'failed'`, 30000);
  assert.match(await broken.evaluate(text('what')), /fault of its own/);
  assert.match(await broken.evaluate(text('messages')), /broken on purpose/);
  await broken.close();
});
