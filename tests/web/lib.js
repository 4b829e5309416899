// What the browser tests and benchmarks share: a static server on 127.0.0.1 that counts what it
// sends, headless Chromium from the system (WebGL through SwiftShader), the player's states, and
// the scripts that tests put in before the page's own. engines.js drives the other engines.
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');
const { execFileSync } = require('child_process');
const { chromium } = require('playwright-core');

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.json': 'application/json',
  '.wasm': 'application/wasm',
  '.mp3': 'audio/mpeg',
};

// Serves `folder` on a free port of 127.0.0.1; `sent` counts the body bytes of every response.
// `site.prefix(script)` gives a base address under which the page runs `script` before its own
// scripts, in any engine (a wrapper over WebGL, a held clock).
// `stall` maps a file's name to the bytes sent before its response stops (a server that stalls).
function serve(folder, { stall = {} } = {}) {
  const injected = [];
  const held = [];
  const server = http.createServer((request, response) => {
    let name = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    let script = null;
    const under = /^\/t(\d+)\//.exec(name);
    if (under) {
      script = injected[Number(under[1])];
      name = name.slice(under[0].length - 1);
    }
    const file = path.join(folder, name === '/' ? 'index.html' : name);
    if (!file.startsWith(path.resolve(folder)) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404);
      response.end();
      return;
    }
    if (script !== null && path.basename(file) === 'index.html') {
      const page = fs.readFileSync(file, 'utf8').replace('<script', `<script>${script}</script>\n<script`);
      response.writeHead(200, { 'Content-Type': types['.html'], 'Cache-Control': 'no-store' });
      response.end(page);
      return;
    }
    response.writeHead(200, {
      'Content-Type': types[path.extname(file)] || 'application/octet-stream',
      'Content-Length': fs.statSync(file).size,
      'Cache-Control': 'no-store',
    });
    const stalls = stall[path.basename(file)];
    const stream = fs.createReadStream(file, stalls === undefined ? {} : { end: stalls - 1 });
    stream.on('data', (chunk) => (site.sent += chunk.length));
    stream.pipe(response, { end: stalls === undefined });
    if (stalls !== undefined) held.push(response);
  });
  const site = {
    sent: 0,
    url: null,
    prefix: (script) => `${site.url}t${injected.push(script) - 1}/`,
    close: () => {
      held.forEach((response) => response.destroy());
      return new Promise((done) => server.close(done));
    },
  };
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
// channel difference is above `loose`. A first picture with `crop` is cut to that rectangle.
async function compare(context, first, second, loose = 24) {
  const page = await context.newPage();
  try {
    return await page.evaluate(
      async ([a, b, loose, crop]) => {
        const pixels = async (base64, cut) => {
          const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
          const bitmap = await createImageBitmap(new Blob([bytes], { type: 'image/png' }));
          const r = cut ? { x: Math.round(cut.x), y: Math.round(cut.y), width: Math.round(cut.width), height: Math.round(cut.height) }
            : { x: 0, y: 0, width: bitmap.width, height: bitmap.height };
          const canvas = new OffscreenCanvas(r.width, r.height);
          const context = canvas.getContext('2d');
          context.drawImage(bitmap, -r.x, -r.y);
          return context.getImageData(0, 0, r.width, r.height);
        };
        const [x, y] = [await pixels(a, crop), await pixels(b)];
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
      [first.toString('base64'), second.toString('base64'), loose, first.crop || null],
    );
  } finally {
    await page.close();
  }
}

// The native renderer's picture at demo time `t` of the data in `site`, `size` pixels, without
// anti-aliasing, made by quor-capture of the release build into `scratch`.
function nativePicture(t, size, { site, bin, scratch }) {
  const dir = path.join(scratch, `native-${t}-${size.width}x${size.height}`);
  if (!fs.existsSync(path.join(dir, 'frame_00000.png')))
    execFileSync(path.join(bin, 'quor-capture'), ['--data', site, '--frames', dir, '--from', String(t),
      '--to', String(t + 0.5), '--fps', '2', '--size', `${size.width}x${size.height}`, '--msaa', '1'], { stdio: 'ignore' });
  return fs.readFileSync(path.join(dir, 'frame_00000.png'));
}

// The picture may differ from Mesa's where the two rasterisers round differently: at triangle
// edges a pixel can take the colour of the other side. Measured: mean 0.12 levels a channel, 0.05%
// of pixels more than 24 levels off.
const tolerance = { mean: 0.5, off: 0.005 };
const within = (difference) => difference.size === 'same' && difference.mean <= tolerance.mean && difference.off <= tolerance.off;

// The canvas's place, the view's size and the drawing buffer's pixels, as an expression's text.
const geometry = `(() => { const r = canvas.getBoundingClientRect();
  return { x: r.x, y: r.y, width: r.width, height: r.height, viewWidth: innerWidth, viewHeight: innerHeight,
           pixels: canvas.width * canvas.height, bufferWidth: canvas.width }; })()`;
// What keeps `g` (a geometry) from showing the whole picture, or null: inside the view, at the
// show's 16:9, as large as fits (letterboxed), no more pixels than 1280x720.
function wholePicture(g) {
  if (g.x < -0.5 || g.y < -0.5 || g.x + g.width > g.viewWidth + 0.5 || g.y + g.height > g.viewHeight + 0.5)
    return 'not inside the view';
  if (Math.abs(g.width / g.height - 16 / 9) > 0.01) return "not at the show's aspect";
  if (Math.abs(g.width - g.viewWidth) >= 1 && Math.abs(g.height - g.viewHeight) >= 1) return 'not as large as fits';
  if (g.pixels > 1280 * 720) return 'more pixels than 1280x720';
  return null;
}

// Run before the page's scripts: WebGL without S3TC, as phones' browsers offer it. Uploads are
// counted (window.quorUploads) so a test sees which path the textures took.
const hideS3tc = `(() => {
  window.quorUploads = { compressed: 0, plain: 0 };
  for (const proto of [WebGLRenderingContext.prototype]) {
    const get = proto.getExtension, list = proto.getSupportedExtensions;
    const compressed = proto.compressedTexImage2D, plain = proto.texImage2D;
    proto.getExtension = function (name) { return /compressed_texture_s3tc/i.test(name) ? null : get.call(this, name); };
    proto.getSupportedExtensions = function () { return (list.call(this) || []).filter((n) => !/compressed_texture_s3tc/i.test(n)); };
    proto.compressedTexImage2D = function (...a) { window.quorUploads.compressed++; return compressed.apply(this, a); };
    proto.texImage2D = function (...a) { window.quorUploads.plain++; return plain.apply(this, a); };
  }
})();`;
// Counts the uploads with S3TC left as the browser offers it.
const countUploads = hideS3tc.replace(/ *proto\.getExtension = .*\n.*\n/, '');
// A browser without WebGL: no context of either name.
const noWebgl = `(() => {
  const get = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function (kind, ...rest) {
    return /webgl/.test(kind) ? null : get.call(this, kind, ...rest);
  };
})();`;
// The show's clock held at its start, so every frame shows the start time exactly.
const holdClock = 'window.quorHoldClock = true;';

module.exports = { serve, browser, reach, compare, nativePicture, tolerance, within, geometry, wholePicture, hideS3tc, countUploads, noWebgl, holdClock };
