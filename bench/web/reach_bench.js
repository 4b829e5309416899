// Benchmarks of the browser player's reach, in headless Chromium on loopback, side by side in one
// run, in alternating rounds:
//  - frames a second on a phone's screen (390x844, touch, device pixel ratio 3; the drawing buffer
//    capped at 1280x720 pixels) against the same page at 1280x720 (ratio, goal at least 0.9);
//  - main-thread time a frame (the animation-frame callbacks) with S3TC hidden, the textures
//    decoded at load, against the compressed textures (ratio, goal at most 1.1).
// Usage (after scripts/build.sh web): cd build-web/npm && NODE_PATH=$PWD/node_modules \
//   node ../../bench/web/reach_bench.js [seconds a round, default 5] [rounds, default 3]
'use strict';
const path = require('path');
const { serve, hideS3tc } = require('../../tests/web/lib.js');
const { launch } = require('../../tests/web/engines.js');

const root = path.resolve(__dirname, '../..');
const site = process.env.QUOR_WEB_SITE || path.join(root, 'build-web/site');
const seconds = Number(process.argv[2] || 5);
const rounds = Number(process.argv[3] || 3);

// Counts animation frames and the time spent in their callbacks.
const instrument = `(() => {
  const request = window.requestAnimationFrame.bind(window);
  window.quorBench = { frames: 0, busy: 0 };
  window.requestAnimationFrame = (callback) => request((time) => {
    const begin = performance.now();
    callback(time);
    window.quorBench.busy += performance.now() - begin;
    window.quorBench.frames += 1;
  });
})();`;

// One round: the page started at 12 s, then frames and busy time over `seconds`.
async function round(engine, url, view) {
  const tab = await engine.open(url + '?start=12&loop&mute', view);
  try {
    await tab.until("document.body.dataset.state === 'ready'", 120000);
    await tab.click('#cover');
    await tab.until("document.body.dataset.state === 'playing'");
    await new Promise((done) => setTimeout(done, 1000));
    const before = JSON.parse(await tab.evaluate('JSON.stringify(window.quorBench)'));
    await new Promise((done) => setTimeout(done, seconds * 1000));
    const after = JSON.parse(await tab.evaluate('JSON.stringify(window.quorBench)'));
    const frames = after.frames - before.frames;
    const buffer = JSON.parse(await tab.evaluate('JSON.stringify([canvas.width, canvas.height])'));
    return { fps: frames / seconds, busy: (after.busy - before.busy) / frames, buffer: buffer.join('x') };
  } finally {
    await tab.close();
  }
}

const mean = (values) => values.reduce((a, b) => a + b, 0) / values.length;
const fixed = (x, digits = 2) => x.toFixed(digits);

(async () => {
  const server = await serve(site);
  const engine = await launch('chromium');
  try {
    const plain = server.prefix(instrument);
    const decoded = server.prefix(instrument + hideS3tc);
    const cases = {
      'phone 390x844 @3': [plain, { width: 390, height: 844, touch: true, scale: 3 }],
      '1280x720': [plain, { width: 1280, height: 720 }],
      'S3TC 640x360': [plain, { width: 640, height: 360 }],
      'decoded 640x360': [decoded, { width: 640, height: 360 }],
    };
    const results = Object.fromEntries(Object.keys(cases).map((name) => [name, []]));
    for (let r = 0; r < rounds; ++r)
      for (const [name, [url, view]] of Object.entries(cases)) {
        const got = await round(engine, url, view);
        results[name].push(got);
        console.log(`round ${r + 1} ${name}: ${fixed(got.fps, 1)} frames/s, ${fixed(got.busy)} ms main thread a frame, buffer ${got.buffer}`);
      }
    const fps = (name) => mean(results[name].map((x) => x.fps));
    const busy = (name) => mean(results[name].map((x) => x.busy));
    // Each round's ratio, and their median: a round that another process slowed stands out.
    const ratios = (a, b, key) => results[a].map((x, i) => x[key] / results[b][i][key]);
    const median = (values) => [...values].sort((x, y) => x - y)[Math.floor(values.length / 2)];
    const line = (label, a, b, key, total, goal) => {
      const each = ratios(a, b, key);
      console.log(`${label}: ${fixed(total)} over all rounds, median round ${fixed(median(each))} ` +
        `(rounds ${each.map((x) => fixed(x)).join(', ')}; goal ${goal})`);
    };
    line('frame rate, phone against 1280x720', 'phone 390x844 @3', '1280x720', 'fps',
      fps('phone 390x844 @3') / fps('1280x720'), 'at least 0.9');
    line('main-thread time a frame, decoded against S3TC', 'decoded 640x360', 'S3TC 640x360', 'busy',
      busy('decoded 640x360') / busy('S3TC 640x360'), 'at most 1.1');
  } finally {
    await engine.close();
    await server.close();
  }
})().catch((e) => {
  console.error(e);
  process.exit(1);
});
