// The browser player in headless Chromium, served from 127.0.0.1: loading with progress, the click
// that starts the show, its picture against the native renderer's at fixed demo times, the keys,
// the music, the end of the timeline, and refused data and options in the page's words. Run by scripts/test.sh after
// `scripts/build.sh web`: node --test tests/web/player_test.js (NODE_PATH at build-web/npm).
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync, spawn } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const { serve, browser, reach, compare, nativePicture, tolerance } = require('./lib.js');

const root = path.resolve(__dirname, '../..');
const site = process.env.QUOR_WEB_SITE || path.join(root, 'build-web/site');
const bin = process.env.QUOR_BIN_DIR || path.join(root, 'build/bin');
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'quor-web-test-'));
const size = { width: 640, height: 360 };

let server, chromium;
before(async () => {
  server = await serve(site);
  chromium = await browser();
});
after(async () => {
  await chromium.close();
  await server.close();
  fs.rmSync(scratch, { recursive: true, force: true });
});

// A page of the player at `query`; `held` stops its clock at the show's start, so every frame
// shows the start time exactly.
async function open(url, query, { held = false } = {}) {
  const page = await chromium.context.newPage();
  await page.setViewportSize(size);
  if (held) await page.addInitScript(() => (window.quorHoldClock = true));
  const states = [];
  await page.exposeFunction('quorSawState', (state, received) => states.push({ state, received: Number(received) }));
  await page.addInitScript(() =>
    document.addEventListener('DOMContentLoaded', () => {
      const body = document.body;
      new MutationObserver(() => window.quorSawState(body.dataset.state, body.dataset.received || 0)).observe(body, {
        attributes: true,
        attributeFilter: ['data-state', 'data-received'],
      });
    }),
  );
  await page.goto(url + query);
  return { page, states };
}

async function start(page) {
  assert.equal(await reach(page, ['ready', 'failed', 'said']), 'ready', await messages(page));
  await page.click('#cover');
  await reach(page, ['playing']);
}

const messages = (page) => page.evaluate(() => document.getElementById('messages').textContent);
const shot = (page) => page.screenshot({ type: 'png' });

const native = (t) => nativePicture(t, size, { site, bin, scratch });

// A copy of the site's data in its own folder, changed by `change(folder)`, listed again.
function variant(name, change) {
  const dir = path.join(scratch, name);
  fs.mkdirSync(dir);
  for (const file of fs.readdirSync(site)) {
    if (file === 'files.json') continue;
    fs.symlinkSync(path.join(site, file), path.join(dir, file));
  }
  change(dir);
  execFileSync(process.execPath, [path.join(root, 'web/pack.js'), dir]);
  return dir;
}

test('the page loads with progress in bytes, starts on a click and draws what the native renderer draws', async () => {
  for (const t of [2, 12, 24.5]) {
    const { page, states } = await open(server.url, `?start=${t}&mute`, { held: true });
    await start(page);
    const loading = states.filter((s) => s.state === 'loading' && s.received > 0);
    assert.ok(loading.length > 1, 'progress shown while the data streams in');
    // What travels: the data file's parts up to those the start needs (the music is not fetched).
    const listed = JSON.parse(fs.readFileSync(path.join(site, 'files.json'), 'utf8')).files['tesk.mem'].parts.list;
    const received = Math.max(...states.map((s) => s.received));
    assert.ok(received > listed[0].sent && received <= listed.reduce((n, p) => n + p.sent, 0), `${received} bytes`);
    // Two animation frames later the held frame is on the screen.
    await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
    const difference = await compare(chromium.context, await shot(page), native(t));
    assert.equal(difference.size, 'same');
    assert.ok(difference.mean <= tolerance.mean && difference.off <= tolerance.off,
      `at ${t} s: ${JSON.stringify(difference)}`);
    await page.close();
  }
});

test('Escape ends the show and the page says so; Space pauses and resumes the picture', async () => {
  const { page } = await open(server.url, '?start=3&mute');
  // Keys on the "click to start" cover are not the show's.
  assert.equal(await reach(page, ['ready']), 'ready');
  await page.keyboard.press('Escape');
  await start(page);
  // More frames than the exit countdown's 30.
  await page.evaluate(() => new Promise((done) => {
    let frames = 40;
    const next = () => (--frames ? requestAnimationFrame(next) : done());
    requestAnimationFrame(next);
  }));
  assert.equal(await page.evaluate(() => document.body.dataset.state), 'playing');
  await page.keyboard.press('Space');
  await page.waitForTimeout(300);
  const paused = await shot(page);
  await page.waitForTimeout(500);
  assert.equal((await compare(chromium.context, paused, await shot(page))).largest, 0, 'paused: the picture stands');
  await page.keyboard.press('Space');
  await page.waitForTimeout(500);
  assert.ok((await compare(chromium.context, paused, await shot(page))).largest > 0, 'resumed: the picture moves');
  await page.keyboard.press('Escape');
  assert.equal(await reach(page, ['ended'], 10000), 'ended');
  assert.match(await page.textContent('#status'), /The end/);
  assert.ok(await page.isVisible('#status'));
  await page.close();
});

test('the timeline ends the show at its end, unless ?loop starts it again', async () => {
  const { page } = await open(server.url, '?start=30.5&mute');
  await start(page);
  assert.equal(await reach(page, ['ended'], 10000), 'ended');
  await page.close();

  const looped = await open(server.url, '?start=30.5&mute&loop');
  await start(looped.page);
  await looped.page.waitForTimeout(2500);
  assert.equal(await looped.page.evaluate(() => document.body.dataset.state), 'playing');
  await looped.page.close();
});

test('the music plays from the start time after the click, pauses with Space, and is silent without demo.mp3', async () => {
  const { page } = await open(server.url, '?start=10');
  await start(page);
  await page.waitForFunction(() => Module.quor.music.audio && !Module.quor.music.audio.paused, null, { timeout: 10000 });
  const position = await page.evaluate(() => Module.quor.music.audio.currentTime);
  assert.ok(position >= 10 && position < 12, `track at ${position} s`);
  await page.keyboard.press('Space');
  await page.waitForFunction(() => Module.quor.music.audio.paused, null, { timeout: 5000 });
  await page.close();

  const silent = variant('no-music', (dir) => fs.unlinkSync(path.join(dir, 'demo.mp3')));
  const quiet = await serve(silent);
  try {
    const other = await open(quiet.url, '?start=3');
    await start(other.page);
    const first = await shot(other.page);
    await other.page.waitForTimeout(500);
    assert.ok((await compare(chromium.context, first, await shot(other.page))).largest > 0, 'the show runs');
    assert.equal(await other.page.evaluate(() => Module.quor.music.audio), null);
    assert.equal(await other.page.evaluate(() => document.body.dataset.state), 'playing');
    await other.page.close();
  } finally {
    await quiet.close();
  }
});

test("refused data, files and options, and ?help, say in the page's words what failed, with the technical line below", async () => {
  // Index 0 of the quad's list points past its four vertices: changed in the part that carries it.
  const damaged = variant('damaged', () => {});
  {
    const listing = path.join(damaged, 'files.json');
    const entry = JSON.parse(fs.readFileSync(listing, 'utf8'));
    const parts = entry.files['tesk.mem'].parts;
    const part = parts.list.find((p) => !p.frames && p.at <= 129272640 && p.at + p.size > 129272640);
    const bytes = zlib.inflateRawSync(fs.readFileSync(path.join(site, parts.folder, part.name)));
    bytes.writeUInt32LE(9, 129272640 - part.at);
    const folder = path.join(damaged, parts.folder);
    fs.unlinkSync(folder);
    fs.mkdirSync(folder);
    for (const p of parts.list) if (p !== part) fs.symlinkSync(path.join(site, parts.folder, p.name), path.join(folder, p.name));
    const packed = zlib.deflateRawSync(bytes);
    fs.writeFileSync(path.join(folder, part.name), packed);
    part.sent = packed.length;
    fs.writeFileSync(listing, JSON.stringify(entry));
  }
  const missing = variant('missing', (dir) => {
    fs.unlinkSync(path.join(dir, 'tesk.mem'));
    fs.unlinkSync(path.join(dir, 'tesk.mem.parts'));
  });
  // Listed, then gone from the server: its download answers 404.
  const gone = variant('gone', () => {});
  fs.unlinkSync(path.join(gone, 'tesk.mem.parts'));
  // The page's folder is the program's current folder, "/", its own parent; no installed data.
  const cases = [
    [damaged, '?mute', /data is damaged/, ['quor-demo: tesk.mem: index 0 of quad is 9, beyond the 4 quad vertices']],
    [missing, '', /data is not on this site/, ['WARNING: file not found: tesk.mem',
      'quor-demo: tesk.mem: looked in /; the site does not list it in files.json']],
    [gone, '', /missing from the site: tesk\.mem\./, ['quor-demo: tesk.mem: the server answered 404 Not Found for tesk.mem.parts/00']],
    [site, '?start=soon', /address asks for something/, ["quor-demo: ?start: 'soon' is not a number of seconds from 0 to 31 (see ?help)"]],
    [site, '?msaa=1e9', /address asks for something/, ["quor-demo: ?msaa: '1e9' is not 2, 4 or 8 samples a pixel (see ?help)"]],
    [site, '?data=/tmp&version', /address asks for something/, ['?data: not an option of the page', '?version: not an option of the page']],
    [site, '?quality=ultra', /address asks for something/, ["?quality: 'ultra' is not 720, 1080, 1440 or full (see ?help)"]],
  ];
  for (const [folder, query, what, lines] of cases) {
    const served = await serve(folder);
    try {
      const { page } = await open(served.url, query);
      assert.equal(await reach(page, ['ready', 'failed', 'said']), 'failed', query);
      assert.match(await page.textContent('#what'), what, query);
      assert.ok((await page.textContent('#todo')).length > 20, query);
      assert.deepEqual((await messages(page)).trim().split('\n'), lines);
      assert.ok(await page.isVisible('#messages'));
      await page.close();
    } finally {
      await served.close();
    }
  }
  // ?help is the page's own: the address's options and the keys, nothing a page cannot do.
  const { page } = await open(server.url, '?help');
  assert.equal(await reach(page, ['ready', 'failed', 'said']), 'said');
  const help = await messages(page);
  assert.match(help, /^Plays the demo: .*\nOptions go after a "\?"/);
  for (const option of ['start=SECONDS', 'loop', 'mute', 'window=WxH', 'msaa=N', 'quality=Q']) assert.ok(help.includes(`  ${option} `), option);
  for (const native of ['--', 'F12', 'quor-demo']) assert.ok(!help.includes(native), native);
  await page.close();
});

test("served as the README says, by Python's http.server, the page starts and plays its music", async () => {
  const port = 20000 + (process.pid % 20000);
  const python = spawn('python3', ['-m', 'http.server', '--bind', '127.0.0.1', '-d', site, String(port)], {
    stdio: 'ignore',
  });
  try {
    const url = `http://127.0.0.1:${port}/`;
    for (let tries = 0; ; ++tries) {
      try {
        await fetch(url);
        break;
      } catch (e) {
        if (tries > 50) throw e;
        await new Promise((done) => setTimeout(done, 100));
      }
    }
    const { page } = await open(url, '?start=5');
    await start(page);
    // The track seeks though the server answers no ranges: the page gives the element a Blob.
    await page.waitForFunction(() => Module.quor.music.audio && Module.quor.music.audio.currentTime >= 5, null,
      { timeout: 10000 });
    await page.close();
  } finally {
    python.kill();
  }
});
