// Lists a player folder's data for the page (files.json: each file's size, and the gzip copy of the
// data file that the browser can undo while it downloads), making that copy when it is missing or
// older than the file. Usage: node pack.js FOLDER
'use strict';
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const { pipeline } = require('stream/promises');

async function main(folder) {
  const files = {};
  for (const name of ['tesk.mem', 'demo.mp3']) {
    const file = path.join(folder, name);
    if (!fs.existsSync(file)) continue;
    const stat = fs.statSync(file);
    files[name] = { bytes: stat.size };
    if (name !== 'tesk.mem') continue;
    const gzip = file + '.gz';
    if (!fs.existsSync(gzip) || fs.statSync(gzip).mtimeMs < stat.mtimeMs) {
      const partial = gzip + '.incomplete';
      await pipeline(fs.createReadStream(file), zlib.createGzip({ level: 6 }), fs.createWriteStream(partial));
      fs.renameSync(partial, gzip);
    }
    files[name].gzip = name + '.gz';
  }
  const listing = path.join(folder, 'files.json');
  fs.writeFileSync(listing + '.incomplete', JSON.stringify({ files }, null, 1) + '\n');
  fs.renameSync(listing + '.incomplete', listing);
}

if (process.argv.length !== 3) {
  console.error('usage: node pack.js FOLDER');
  process.exit(2);
}
main(process.argv[2]).catch((e) => {
  console.error(`pack.js: ${e.message}`);
  process.exit(1);
});
