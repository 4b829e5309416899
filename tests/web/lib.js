// What the browser tests and benchmarks share: a static server on 127.0.0.1 that counts what it
// sends, headless Chromium from the system (WebGL through SwiftShader), and the player's states.
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');
const { chromium } = require('playwright-core');

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.json': 'application/json',
  '.wasm': 'application/wasm',
  '.mp3': 'audio/mpeg',
};

// Serves `folder` on a free port of 127.0.0.1; `sent` counts the body bytes of every response.
function serve(folder) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    const file = path.join(folder, name === '/' ? 'index.html' : name);
    if (!file.startsWith(path.resolve(folder)) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, {
      'Content-Type': types[path.extname(file)] || 'application/octet-stream',
      'Content-Length': fs.statSync(file).size,
      'Cache-Control': 'no-store',
    });
    const stream = fs.createReadStream(file);
    stream.on('data', (chunk) => (site.sent += chunk.length));
    stream.pipe(response);
  });
  const site = { sent: 0, url: null, close: () => new Promise((done) => server.close(done)) };
  return new Promise((resolve) =>
    server.listen(0, '127.0.0.1', () => {
      site.url = `http://127.0.0.1:${server.address().port}/`;
      resolve(site);
    }),
  );
}

// Headless Chromium as the system installs it, in a profile of its own.
async function browser(extra = []) {
  const profile = fs.mkdtempSync(path.join(require('os').tmpdir(), 'quor-chromium-'));
  const launched = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.QUOR_CHROMIUM || '/usr/bin/chromium',
    headless: false,
    viewport: null,
    args: [
      '--headless=new',
      '--no-sandbox',
      '--use-angle=swiftshader',
      '--enable-unsafe-swiftshader',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
      '--no-first-run',
      '--autoplay-policy=no-user-gesture-required',
      ...extra,
    ],
  });
  const close = async () => {
    await launched.close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return { context: launched, close };
}

// Waits until the page's state is one of `states` (loading, ready, playing, ended, failed, said).
async function reach(page, states, timeout = 60000) {
  await page.waitForFunction((wanted) => wanted.includes(document.body.dataset.state), states, { timeout });
  return page.evaluate(() => document.body.dataset.state);
}

// How far two PNG pictures of one size lie apart, decoded by the browser: the largest difference
// of a channel, the mean difference over all channels, and the share of pixels whose largest
// channel difference is above `loose`.
async function compare(context, first, second, loose = 24) {
  const page = await context.newPage();
  try {
    return await page.evaluate(
      async ([a, b, loose]) => {
        const pixels = async (base64) => {
          const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
          const bitmap = await createImageBitmap(new Blob([bytes], { type: 'image/png' }));
          const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
          const context = canvas.getContext('2d');
          context.drawImage(bitmap, 0, 0);
          return context.getImageData(0, 0, bitmap.width, bitmap.height);
        };
        const [x, y] = [await pixels(a), await pixels(b)];
        if (x.width !== y.width || x.height !== y.height)
          return { size: `${x.width}x${x.height} against ${y.width}x${y.height}` };
        let largest = 0, sum = 0, off = 0;
        for (let i = 0; i < x.data.length; i += 4) {
          let pixel = 0;
          for (let c = 0; c < 3; ++c) {
            const d = Math.abs(x.data[i + c] - y.data[i + c]);
            sum += d;
            pixel = Math.max(pixel, d);
          }
          largest = Math.max(largest, pixel);
          if (pixel > loose) ++off;
        }
        const count = x.data.length / 4;
        return { size: 'same', largest, mean: sum / (3 * count), off: off / count };
      },
      [first.toString('base64'), second.toString('base64'), loose],
    );
  } finally {
    await page.close();
  }
}

module.exports = { serve, browser, reach, compare };
