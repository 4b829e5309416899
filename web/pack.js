// Lists a player folder's data for the page (files.json: each file's size, and for the data file
// the parts the page streams it in, web/stream.js), making the parts when they are missing or were
// made from another version of the file. The parts are written into a new folder, unpacked again
// and compared with the file byte for byte, and only then put in place of the old ones.
// Usage: node pack.js FOLDER
'use strict';
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const { promisify } = require('util');
const stream = require('./stream.js');

const deflate = promisify(zlib.deflateRaw);
const dataName = 'tesk.mem';
const partsFolder = dataName + '.parts';

// The parts of `file` (bytes): their list (name, place in the file, bytes sent) and payloads.
// `shape` is the frames region of the layout, the demo's unless given.
async function pack(file, shape) {
  const plan = stream.plan(file.length, shape);
  const payloads = await Promise.all(
    plan.map((part) => deflate(stream.encodePart(part, file), { level: 9, memLevel: 9 })),
  );
  const parts = plan.map((part, i) => ({ name: i.toString(36).padStart(2, '0'), sent: payloads[i].length, ...part }));
  return { parts, payloads };
}

// The file of `size` bytes again from its parts; `payload(part)` gives a part's deflated bytes.
// Throws on anything that does not make the file exactly.
function unpack(parts, size, payload) {
  stream.checkParts(parts, size);
  const file = new Uint8Array(size);
  for (const part of parts) {
    let inflated;
    try {
      inflated = zlib.inflateRawSync(payload(part), { maxOutputLength: part.size + 1 });
    } catch (e) {
      throw new Error(`part ${part.name} does not unpack: ${e.code || e.message}`);
    }
    const before = stream.previousRange(part);
    const previous = before ? file.subarray(before.at, before.at + before.size) : null;
    file.set(stream.decodePart(part, new Uint8Array(inflated), previous), part.at);
  }
  return file;
}

// The parts folder for the data file at `file`, made anew unless it was made from this version.
async function packFolder(folder, file) {
  const stat = fs.statSync(file);
  const source = { bytes: stat.size, modified: stat.mtimeMs, format: stream.format };
  const target = path.join(folder, partsFolder);
  const listed = path.join(target, 'list.json');
  if (fs.existsSync(listed)) {
    const old = JSON.parse(fs.readFileSync(listed, 'utf8'));
    const same = old.source && Object.keys(source).every((key) => old.source[key] === source[key]);
    if (same) return old.parts;
  }
  const bytes = fs.readFileSync(file);
  const { parts, payloads } = await pack(bytes);
  const fresh = target + '.incomplete';
  fs.rmSync(fresh, { recursive: true, force: true });
  fs.mkdirSync(fresh);
  parts.forEach((part, i) => fs.writeFileSync(path.join(fresh, part.name), payloads[i]));
  fs.writeFileSync(path.join(fresh, 'list.json'), JSON.stringify({ source, parts }) + '\n');
  // Checked from what was written, before it replaces anything.
  const again = unpack(parts, bytes.length, (part) => fs.readFileSync(path.join(fresh, part.name)));
  if (Buffer.compare(Buffer.from(again.buffer, again.byteOffset, again.length), bytes) !== 0)
    throw new Error(`${partsFolder} does not unpack to ${dataName}`);
  fs.rmSync(target, { recursive: true, force: true });
  fs.renameSync(fresh, target);
  return parts;
}

async function main(folder) {
  const files = {};
  for (const name of [dataName, 'demo.mp3']) {
    const file = path.join(folder, name);
    if (!fs.existsSync(file)) continue;
    files[name] = { bytes: fs.statSync(file).size };
    if (name === dataName) files[name].parts = { folder: partsFolder, list: await packFolder(folder, file) };
  }
  // The copy of an older listing's whole-file transport is no longer served.
  fs.rmSync(path.join(folder, dataName + '.gz'), { force: true });
  const listing = path.join(folder, 'files.json');
  fs.writeFileSync(listing + '.incomplete', JSON.stringify({ files }) + '\n');
  fs.renameSync(listing + '.incomplete', listing);
}

if (require.main === module) {
  const folder = process.argv[2];
  if (process.argv.length !== 3 || folder === '--help' || folder === '-h') {
    console.error('usage: node pack.js FOLDER\n  lists FOLDER for the web player and cuts its tesk.mem into the parts it streams');
    process.exit(folder === '--help' || folder === '-h' ? 0 : 2);
  }
  main(folder).catch((e) => {
    console.error(`pack.js: ${folder}: ${e.message}`);
    process.exit(1);
  });
}

module.exports = { pack, unpack };
