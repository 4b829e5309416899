// Benchmark of the page on an ordinary connection: Chromium's network emulation at 20 Mbit/s down
// and up with 20 ms latency, the start click made as soon as the page offers it, the music on.
// Prints the time from navigation to the first frame, whether the show ever waited for its data
// in its 31 seconds, and the bytes that travelled in all (the program, the page, the data's parts
// and the music) against the data file's own size.
// Usage (after scripts/build.sh web): cd build-web/npm && NODE_PATH=$PWD/node_modules \
//   node ../../bench/web/stream_bench.js [bytes a second, default 2.5e6] [latency ms, default 20]
'use strict';
const fs = require('fs');
const path = require('path');
const { serve, browser, reach } = require('../../tests/web/lib.js');
const { throttle, watch, travelled } = require('../../tests/web/network.js');

const root = path.resolve(__dirname, '../..');
const site = process.env.QUOR_WEB_SITE || path.join(root, 'build-web/site');
const rate = Number(process.argv[2] || 2.5e6);
const latency = Number(process.argv[3] || 20);

(async () => {
  const server = await serve(site);
  const chromium = await browser(['--autoplay-policy=no-user-gesture-required']);
  try {
    const page = await chromium.context.newPage();
    await page.setViewportSize({ width: 1280, height: 720 });
    await page.addInitScript(watch);
    await throttle(page, rate, latency);
    await page.goto(server.url);
    await reach(page, ['ready'], 300000);
    const ready = await page.evaluate(() => ({ ms: performance.now(), sent: Module.quor.transport.sent }));
    await page.click('#cover');
    await page.waitForFunction(() => window.quorWatch.firstDraw !== null);
    // To the end of the timeline (or of the show, which may have waited).
    await reach(page, ['ended', 'failed'], 300000);
    const seen = await page.evaluate(() => ({ ...window.quorWatch }));
    // The page's own count of what travelled for the show, and the browser's of every response.
    const counted = { show: await page.evaluate(() => Module.quor.transport.sent), all: await travelled(page) };
    const file = fs.statSync(path.join(site, 'tesk.mem')).size;
    console.log(`link ${(rate * 8e-6).toFixed(0)} Mbit/s, ${latency} ms`);
    console.log(`first frame: ${(seen.firstDraw / 1000).toFixed(2)} s after navigation (click offered at ` +
      `${(ready.ms / 1000).toFixed(2)} s, when the data's parts and the music had brought ${(ready.sent / 1e6).toFixed(1)} MB)`);
    console.log(`waits for data after the start: ${seen.waited}; meshes drawn from missing frames: ${seen.unarrived}`);
    const mb = (bytes) => `${(bytes / 1e6).toFixed(1)} MB`;
    console.log(`travelled in all: ${mb(counted.all)} with headers (the data's parts and the music ` +
      `${mb(counted.show)}); data file ${mb(file)}, ratio ${(counted.all / file).toFixed(3)}`);
  } finally {
    await chromium.close();
    await server.close();
  }
})();
