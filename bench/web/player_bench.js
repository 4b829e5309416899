// Benchmarks of the browser player in headless Chromium, on loopback, side by side in one run:
//  - bytes sent and time from navigation to the first frame (the start click made at once);
//  - main-thread time per frame at the demo's load (39,432 vertices a frame gathered, uploaded and
//    drawn), from the page's own clock around each animation-frame callback and from Chromium's
//    count of main-thread task time;
//  - frames a second of the player against a bare WebGL page that draws the same triangles (taken
//    from the player's own draws) with the same textures from one static buffer, same size, in
//    alternating rounds.
// Usage (after scripts/build.sh web): cd build-web/npm && NODE_PATH=$PWD/node_modules \
//   node ../../bench/web/player_bench.js [seconds a round, default 5] [rounds, default 3]
'use strict';
const path = require('path');
const { serve, browser, reach } = require('../../tests/web/lib.js');

const root = path.resolve(__dirname, '../..');
const site = process.env.QUOR_WEB_SITE || path.join(root, 'build-web/site');
const seconds = Number(process.argv[2] || 5);
const rounds = Number(process.argv[3] || 3);
const size = { width: Number(process.env.QUOR_BENCH_WIDTH || 1280), height: Number(process.env.QUOR_BENCH_HEIGHT || 720) };
const held = 12; // the demo time both pages show

// Counts animation frames and the time spent in their callbacks; notes the first WebGL draw.
function instrument() {
  const request = window.requestAnimationFrame.bind(window);
  window.quorBench = { frames: 0, busy: 0, firstDraw: null };
  window.requestAnimationFrame = (callback) =>
    request((time) => {
      const begin = performance.now();
      callback(time);
      window.quorBench.busy += performance.now() - begin;
      window.quorBench.frames += 1;
    });
  const draw = WebGLRenderingContext.prototype.drawArrays;
  WebGLRenderingContext.prototype.drawArrays = function (...args) {
    if (window.quorBench.firstDraw === null) window.quorBench.firstDraw = performance.now();
    return draw.apply(this, args);
  };
}

// Keeps what the player sends WebGL for its draws: vertices, matrices, textures and their levels.
function record() {
  const proto = WebGLRenderingContext.prototype;
  const seen = (window.quorSeen = { draws: [], textures: new Map(), names: new Map(), bound: [], unit: 0 });
  let vertices = null, mvp = null, stride = 0;
  const wrap = (name, after) => {
    const original = proto[name];
    proto[name] = function (...args) {
      after.apply(this, args);
      return original.apply(this, args);
    };
  };
  wrap('bufferData', (target, data) => (vertices = data && data.slice ? data.slice() : null));
  wrap('vertexAttribPointer', (index, size, type, normalized, bytes) => index === 0 && (stride = bytes));
  wrap('uniformMatrix4fv', (location, transpose, value) => (mvp = Array.from(value)));
  wrap('activeTexture', (unit) => (seen.unit = unit - 0x84c0));
  wrap('bindTexture', (target, texture) => (seen.bound[seen.unit] = texture));
  wrap('compressedTexImage2D', (target, level, format, width, height, border, data) => {
    const texture = seen.bound[seen.unit];
    if (!seen.names.has(texture)) seen.names.set(texture, seen.names.size);
    const levels = seen.textures.get(texture) || [];
    levels[level] = { width, height, data: Array.from(new Uint8Array(data.buffer, data.byteOffset, data.byteLength)) };
    seen.textures.set(texture, levels);
  });
  wrap('drawArrays', (mode, first, count) => {
    if (seen.draws.length < 16)
      seen.draws.push({ vertices: Array.from(new Uint8Array(vertices.buffer, vertices.byteOffset, count * stride)), mvp,
                        texture: seen.names.get(seen.bound[0]), count, stride });
  });
}

// The bare page: one static buffer with every draw's vertices, the textures as the player made
// them, a shader that samples and alpha-tests (the lighting comes to white in every draw).
function bare(scene) {
  const canvas = document.createElement('canvas');
  canvas.width = innerWidth;
  canvas.height = innerHeight;
  document.body.style.margin = '0';
  document.body.appendChild(canvas);
  const gl = canvas.getContext('webgl', { alpha: false, antialias: false });
  const s3tc = gl.getExtension('WEBGL_compressed_texture_s3tc');
  const shader = (type, source) => {
    const s = gl.createShader(type);
    gl.shaderSource(s, source);
    gl.compileShader(s);
    return s;
  };
  const program = gl.createProgram();
  gl.attachShader(program, shader(gl.VERTEX_SHADER, `attribute vec3 p; attribute vec2 t; uniform mat4 m;
    varying vec2 v; void main() { gl_Position = m * vec4(p, 1.0); v = t; }`));
  gl.attachShader(program, shader(gl.FRAGMENT_SHADER, `precision highp float; uniform sampler2D s; varying vec2 v;
    void main() { vec4 c = texture2D(s, v); if (c.a <= 0.5) discard; gl_FragColor = c; }`));
  gl.bindAttribLocation(program, 0, 'p');
  gl.bindAttribLocation(program, 1, 't');
  gl.linkProgram(program);
  gl.useProgram(program);
  const textures = scene.textures.map((levels) => {
    const texture = gl.createTexture();
    gl.bindTexture(gl.TEXTURE_2D, texture);
    levels.forEach((l, i) =>
      gl.compressedTexImage2D(gl.TEXTURE_2D, i, s3tc.COMPRESSED_RGBA_S3TC_DXT1_EXT, l.width, l.height, 0, new Uint8Array(l.data)));
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.LINEAR);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, gl.LINEAR);
    return texture;
  });
  const bytes = new Uint8Array(scene.draws.reduce((n, d) => n + d.vertices.length, 0));
  let offset = 0;
  const draws = scene.draws.map((d) => {
    bytes.set(d.vertices, offset);
    offset += d.vertices.length;
    return { first: (offset - d.vertices.length) / d.stride, count: d.count, mvp: new Float32Array(d.mvp),
             texture: textures[d.texture] };
  });
  gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
  gl.bufferData(gl.ARRAY_BUFFER, bytes, gl.STATIC_DRAW);
  gl.enableVertexAttribArray(0);
  gl.enableVertexAttribArray(1);
  // The player gathers every draw of the demo as position and one pair of texture coordinates.
  gl.vertexAttribPointer(0, 3, gl.FLOAT, false, scene.draws[0].stride, 0);
  gl.vertexAttribPointer(1, 2, gl.FLOAT, false, scene.draws[0].stride, 12);
  const m = gl.getUniformLocation(program, 'm');
  gl.enable(gl.DEPTH_TEST);
  gl.depthFunc(gl.LEQUAL);
  gl.enable(gl.CULL_FACE);
  gl.cullFace(gl.FRONT);
  const frame = () => {
    gl.clear(gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT);
    for (const d of draws) {
      gl.uniformMatrix4fv(m, false, d.mvp);
      gl.bindTexture(gl.TEXTURE_2D, d.texture);
      gl.drawArrays(gl.TRIANGLES, d.first, d.count);
    }
    requestAnimationFrame(frame);
  };
  requestAnimationFrame(frame);
}

async function player(context, url, setup) {
  const page = await context.newPage();
  await page.setViewportSize(size);
  await page.addInitScript(() => (window.quorHoldClock = true));
  await page.addInitScript(setup);
  await page.goto(url + `?start=${held}&mute`);
  await reach(page, ['ready'], 120000);
  await page.click('#cover');
  await reach(page, ['playing']);
  return page;
}

// Frames and main-thread time over `seconds`, from the page's counters and Chromium's metrics.
async function measure(page) {
  const session = await page.context().newCDPSession(page);
  await session.send('Performance.enable');
  const metric = async () =>
    Object.fromEntries((await session.send('Performance.getMetrics')).metrics.map((m) => [m.name, m.value]));
  const before = { bench: await page.evaluate(() => ({ ...window.quorBench })), cdp: await metric() };
  await page.waitForTimeout(seconds * 1000);
  const after = { bench: await page.evaluate(() => ({ ...window.quorBench })), cdp: await metric() };
  await session.detach();
  const frames = after.bench.frames - before.bench.frames;
  if (process.env.QUOR_BENCH_DEBUG) console.log(JSON.stringify({ before, after }));
  return {
    fps: frames / seconds,
    callback_ms: (after.bench.busy - before.bench.busy) / frames,
    task_ms: (1000 * (after.cdp.TaskDuration - before.cdp.TaskDuration)) / frames,
  };
}

(async () => {
  const server = await serve(site);
  const chromium = await browser(['--disable-gpu-vsync']);
  const context = chromium.context;

  // Bytes and time to the first frame, the click made as soon as the page asks for it.
  const first = await context.newPage();
  await first.setViewportSize(size);
  await first.addInitScript(instrument);
  server.sent = 0;
  await first.goto(server.url + '?mute');
  await reach(first, ['ready'], 120000);
  await first.click('#cover');
  await first.waitForFunction(() => window.quorBench.firstDraw !== null);
  const start = await first.evaluate(() => ({
    ms: window.quorBench.firstDraw,
    bytes: performance.getEntriesByType('resource').reduce((sum, e) => sum + e.encodedBodySize, 0) +
      performance.getEntriesByType('navigation')[0].encodedBodySize,
  }));
  const sentAtFirstFrame = server.sent;
  await first.close();
  console.log(`first frame: ${(start.ms / 1000).toFixed(2)} s after navigation; ` +
    `${(start.bytes / 1e6).toFixed(1)} MB received (server: ${(sentAtFirstFrame / 1e6).toFixed(1)} MB sent)`);

  // The player's draws at the held time, for the bare page.
  const recorder = await player(context, server.url, record);
  await recorder.waitForFunction(() => window.quorSeen.draws.length >= 5);
  const scene = await recorder.evaluate(() => ({
    draws: window.quorSeen.draws.slice(0, 5),
    textures: [...window.quorSeen.textures.values()],
  }));
  await recorder.close();
  const vertices = scene.draws.reduce((n, d) => n + d.count, 0);

  const pages = { player: await player(context, server.url, instrument), bare: await context.newPage() };
  await pages.bare.setViewportSize(size);
  await pages.bare.setContent('<!doctype html><body></body>');
  await pages.bare.evaluate(instrument);
  await pages.bare.evaluate(bare, scene);
  const results = { player: [], bare: [] };
  for (let round = 0; round < rounds; ++round)
    for (const name of ['player', 'bare']) {
      await pages[name].bringToFront();
      results[name].push(await measure(pages[name]));
    }
  const mean = (list, key) => list.reduce((s, r) => s + r[key], 0) / list.length;
  console.log(`${vertices} vertices a frame in ${scene.draws.length} draws, ${size.width}x${size.height}, ` +
    `${rounds} alternating rounds of ${seconds} s`);
  for (const name of ['player', 'bare'])
    console.log(`${name.padEnd(6)}: ${mean(results[name], 'fps').toFixed(1)} frames/s, main thread ` +
      `${mean(results[name], 'callback_ms').toFixed(2)} ms a frame in its callback, ` +
      `${mean(results[name], 'task_ms').toFixed(2)} ms in tasks`);
  // Each round's pair measured back to back: their ratios, and the median, which a busy machine
  // disturbs least.
  const ratios = results.player.map((r, i) => r.fps / results.bare[i].fps).sort((a, b) => a - b);
  console.log(`frame rate, player / bare: ${(mean(results.player, 'fps') / mean(results.bare, 'fps')).toFixed(2)} ` +
    `(rounds: ${ratios.map((r) => r.toFixed(2)).join(', ')}; median ${ratios[Math.floor(ratios.length / 2)].toFixed(2)})`);
  await chromium.close();
  await server.close();
})();
