// The page's transport of a data file (web/stream.js, web/pack.js) without a browser: any file comes
// back byte for byte, hostile listings and parts are refused with a message, and the packer
// command lists a folder, keeps parts made from the same file and replaces stale ones.
// Run with node --test (no packages needed).
'use strict';
const { test } = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync } = require('child_process');
const crypto = require('crypto');
const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');

const root = path.resolve(__dirname, '../..');
const { pack, unpack } = require(path.join(root, 'web/pack.js'));

// A small layout of the same shape as the demo's: 16 bytes ahead, 30 frames of 24 floats (three parts), a tail.
const shape = { frames: 16, frameBytes: 96, frameCount: 30, vertexBytes: 12 };
const framesEnd = shape.frames + shape.frameCount * shape.frameBytes;

async function roundTrip(file, layout = shape) {
  const { parts, payloads } = await pack(file, layout);
  const byName = new Map(parts.map((p, i) => [p.name, payloads[i]]));
  const back = unpack(parts, file.length, (p) => byName.get(p.name));
  assert.equal(Buffer.compare(Buffer.from(back), Buffer.from(file)), 0);
  return { parts, payloads, byName };
}

// Frames of slowly moving floats, each value its own smooth curve.
function smoothFrames(frameCount, floats) {
  const values = new Float32Array(frameCount * floats);
  for (let f = 0; f < frameCount; ++f)
    for (let i = 0; i < floats; ++i) values[f * floats + i] = Math.sin(0.05 * f + i) * (1 + i / 7);
  return new Uint8Array(values.buffer);
}

test('any bytes come back exactly: odd sizes, random bits, NaNs, infinities, zeros of both signs', async () => {
  for (const size of [0, 1, 3, 15, 16, 17, framesEnd - 1]) await roundTrip(crypto.randomBytes(size));
  // Frames region of hostile floats: NaNs with payloads, infinities, -0, subnormals, extremes.
  const specials = [0x7fc00001, 0xffffffff, 0x7f800000, 0xff800000, 0x80000000, 0x00000001, 0x7f7fffff, 0xff7fffff];
  const file = new Uint8Array(framesEnd + 5);
  const view = new DataView(file.buffer);
  for (let at = 0; at + 4 <= file.length; at += 4)
    view.setUint32(at, at % 12 === 0 ? specials[(at / 4) % specials.length] : crypto.randomInt(2 ** 32), true);
  const { parts } = await roundTrip(file);
  assert.ok(parts.some((p) => p.frames), 'the frames are predicted');
  // A large plain file is cut into several parts.
  const plain = await roundTrip(crypto.randomBytes(9 << 20), { frames: 0, frameBytes: 4, frameCount: 100 << 20 });
  assert.ok(plain.parts.length >= 3);
});

test('parts come in the order the show needs them and smooth frames travel smaller than deflated', async () => {
  const head = crypto.randomBytes(shape.frames);
  const frames = smoothFrames(shape.frameCount, shape.frameBytes / 4);
  const tail = crypto.randomBytes(40);
  const file = Buffer.concat([head, frames, tail]);
  const { parts, payloads } = await roundTrip(file);
  // Everything but the frames first, then the frames from the first on.
  const firstFrames = parts.findIndex((p) => p.frames);
  assert.ok(parts.slice(firstFrames).every((p) => p.frames));
  assert.deepEqual(parts.slice(0, firstFrames).map((p) => p.at), [0, framesEnd]);
  const frameStarts = parts.slice(firstFrames).map((p) => p.at);
  assert.deepEqual(frameStarts, [...frameStarts].sort((a, b) => a - b));
  const sent = payloads.slice(firstFrames).reduce((n, p) => n + p.length, 0);
  assert.ok(sent < zlib.deflateRawSync(frames, { level: 9 }).length, `${sent} bytes for the frames`);
});

test('hostile listings and parts are refused with a message, never unpacked wrong', async () => {
  const file = Buffer.concat([crypto.randomBytes(shape.frames), smoothFrames(shape.frameCount, 24), crypto.randomBytes(8)]);
  const { parts, byName } = await roundTrip(file);
  const payload = (p) => byName.get(p.name);
  const changed = (i, change) => parts.map((p, k) => (k === i ? change(JSON.parse(JSON.stringify(p))) : p));
  const frameIndex = parts.findIndex((p) => p.frames);
  const refused = [
    [parts, file.length + 1, /hold/], // a lying size
    [parts.slice(0, -1), file.length, /hold/], // a part missing
    [[...parts, parts[0]], file.length, /overlaps/],
    [changed(0, (p) => ({ ...p, name: '../x' })), file.length, /not a part/],
    [changed(0, (p) => ({ ...p, at: -1 })), file.length, /not a part/],
    [changed(0, (p) => ({ ...p, size: 1e300 })), file.length, /not a part/],
    [changed(frameIndex, (p) => ({ ...p, frames: { ...p.frames, stride: 6 } })), file.length, /whole frames/],
    [changed(frameIndex, (p) => ({ ...p, frames: { ...p.frames, vertex: 36 } })), file.length, /whole frames/],
    [[...parts.slice(0, frameIndex), ...parts.slice(frameIndex).reverse()], file.length, /comes before/],
    [null, file.length, /no list/],
  ];
  for (const [list, size, message] of refused) assert.throws(() => unpack(list, size, payload), message);
  // Damaged payloads: cut short, longer than the part, shorter than the part, not deflate at all.
  const damaged = [
    (b) => b.subarray(0, b.length >> 1),
    (b) => zlib.deflateRawSync(Buffer.concat([zlib.inflateRawSync(b), Buffer.alloc(4)])),
    (b) => zlib.deflateRawSync(zlib.inflateRawSync(b).subarray(4)),
    (b) => Buffer.from(b).fill(0xff),
  ];
  for (const damage of damaged)
    for (const target of [0, frameIndex])
      assert.throws(() => unpack(parts, file.length, (p) => (p === parts[target] ? damage(payload(p)) : payload(p))),
        /part .*(does not unpack|unpacks to)/);
});

test('the packer command lists a folder, keeps parts of the same file and replaces stale ones', () => {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'quor-pack-'));
  try {
    const run = () => execFileSync(process.execPath, [path.join(root, 'web/pack.js'), folder]);
    const data = path.join(folder, 'tesk.mem');
    fs.writeFileSync(data, crypto.randomBytes(5000));
    fs.writeFileSync(path.join(folder, 'demo.mp3'), Buffer.alloc(10));
    run();
    const listing = () => JSON.parse(fs.readFileSync(path.join(folder, 'files.json'), 'utf8')).files;
    const first = listing();
    assert.equal(first['demo.mp3'].bytes, 10);
    assert.equal(first['tesk.mem'].bytes, 5000);
    const parts = first['tesk.mem'].parts;
    const readPart = (p) => fs.readFileSync(path.join(folder, parts.folder, p.name));
    assert.deepEqual(Buffer.from(unpack(parts.list, 5000, readPart)), fs.readFileSync(data));
    const made = fs.statSync(path.join(folder, parts.folder, 'list.json')).mtimeMs;
    run();
    assert.equal(fs.statSync(path.join(folder, parts.folder, 'list.json')).mtimeMs, made, 'kept');
    fs.writeFileSync(data, crypto.randomBytes(6000));
    run();
    const again = listing()['tesk.mem'];
    assert.equal(again.bytes, 6000);
    assert.deepEqual(
      Buffer.from(unpack(again.parts.list, 6000, (p) => fs.readFileSync(path.join(folder, again.parts.folder, p.name)))),
      fs.readFileSync(data),
    );
    assert.deepEqual(fs.readdirSync(folder).filter((n) => n.includes('incomplete')), []);
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
});
