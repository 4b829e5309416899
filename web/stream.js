// The page's transport of a data file: the file cut into parts that the page fetches and unpacks
// in order while the show already runs, each part deflated ("deflate-raw"), which the browser
// undoes natively. The vertex frames, nearly all of the file, are stored as what the two frames
// before did not predict: each float against 2a - b of the same float in the frames a and b
// before it, the prediction's bits taken from the value's as integers, the four byte planes of the
// result apart, each plane ordered value by value of the vertex (0.30 of the frames travel, where
// an XOR of the bits in the file's order left 0.39). Lossless for any bytes, NaNs and infinities included. Shared by web/pack.js (node) and
// the page (web/player.js), which read it as `QuorStream`.
'use strict';

(function (exports) {
  // Where the animated vertex frames lie in a data file of the demo's layout (demo/data_layout.h).
  const layout = { frames: 160, frameBytes: 332320, frameCount: 389, vertexBytes: 40 };
  const framesPerPart = 13; // 39 loop frames in three parts
  // Changes whenever parts made before would unpack differently.
  const format = 2;

  // The parts of a file of `size` bytes, in the order the page needs them: everything but the
  // vertex frames, then the frames in the file's (the timeline's) order. A file shorter than the
  // frames region is cut into plain parts. `shape` is the layout's frames region.
  function plan(size, shape = layout) {
    const parts = [];
    const plain = (at, end) => {
      for (let p = at; p < end; p += 4 << 20) parts.push({ at: p, size: Math.min(end, p + (4 << 20)) - p });
    };
    const framesEnd = shape.frames + shape.frameCount * shape.frameBytes;
    if (size < framesEnd) {
      plain(0, size);
      return parts;
    }
    plain(0, shape.frames);
    plain(framesEnd, size);
    for (let f = 0; f < shape.frameCount; f += framesPerPart) {
      const count = Math.min(framesPerPart, shape.frameCount - f);
      parts.push({
        at: shape.frames + f * shape.frameBytes,
        size: count * shape.frameBytes,
        frames: { from: shape.frames, stride: shape.frameBytes, vertex: shape.vertexBytes },
      });
    }
    return parts;
  }

  // The float bits predicted for value i of the current frame from the frames a and b before it
  // (Uint32Array views with Float32Array views fa and fb, null when there is none).
  const scratch = new Float32Array(1);
  const scratchBits = new Uint32Array(scratch.buffer);
  function predict(a, b, fa, fb, i) {
    if (!a) return 0;
    if (!b) return a[i];
    const p = 2 * fa[i] - fb[i];
    // A NaN's bits are not kept the same by every engine: those values are predicted by a alone.
    if (p !== p || p === Infinity || p === -Infinity) return a[i];
    scratch[0] = p;
    return scratchBits[0];
  }
  const floats = (w) => w && new Float32Array(w.buffer, w.byteOffset, w.length);

  // Aligned 32-bit words of a byte range (copied when it is not aligned).
  function words(bytes) {
    const aligned = bytes.byteOffset % 4 === 0 ? bytes : bytes.slice();
    return new Uint32Array(aligned.buffer, aligned.byteOffset, aligned.byteLength >> 2);
  }

  // `previous`: the up to two frames just before, as bytes (0, 1 or 2 frames of `stride`).
  function history(previous, stride) {
    const count = previous ? Math.floor(previous.length / stride) : 0;
    const frame = (k) => words(previous.subarray(k * stride, (k + 1) * stride));
    return count >= 2 ? [frame(1), frame(0)] : count === 1 ? [frame(0), null] : [null, null];
  }

  // Visits the values of a part's frames in order, frame after frame, with where each lies in a
  // byte plane: one value of the vertex after the other, each through the part's frames, each
  // frame's vertices in order. Neighbours in a plane then are the same quantity of neighbouring
  // vertices, which deflate finds alike. visit(current frame, index in it, place, a, b, fa, fb).
  function walk(n, previous, stride, vertex, frameOf, visit) {
    const per = stride >> 2;
    const values = vertex >> 2;
    const vertices = per / values;
    const frameCount = n / per;
    let [a, b] = history(previous, stride);
    for (let f = 0; f < frameCount; ++f) {
      const current = frameOf(f);
      const fa = floats(a);
      const fb = floats(b);
      for (let c = 0; c < values; ++c) {
        const base = c * frameCount * vertices + f * vertices;
        for (let v = 0, i = c; v < vertices; ++v, i += values) visit(current, i, base + v, a, b, fa, fb);
      }
      [b, a] = [a, current];
    }
  }

  // Frames (a whole number of `stride` bytes, vertices of `vertex` bytes) to the byte planes of
  // their residuals: the value's bits less the prediction's, as 32-bit integers, with the sign
  // moved to the lowest bit so that small misses either way have small high bytes.
  function encodeFrames(frames, previous, stride, vertex) {
    const n = frames.length >> 2;
    const out = new Uint8Array(frames.length);
    const values = words(frames);
    const per = stride >> 2;
    walk(n, previous, stride, vertex, (f) => values.subarray(f * per, (f + 1) * per), (current, i, at, a, b, fa, fb) => {
      const r = (current[i] - predict(a, b, fa, fb, i)) | 0;
      const z = ((r << 1) ^ (r >> 31)) >>> 0;
      out[at] = z & 255;
      out[n + at] = (z >>> 8) & 255;
      out[2 * n + at] = (z >>> 16) & 255;
      out[3 * n + at] = z >>> 24;
    });
    return out;
  }

  // The inverse of encodeFrames.
  function decodeFrames(planes, previous, stride, vertex) {
    const n = planes.length >> 2;
    const out = new Uint32Array(n);
    const per = stride >> 2;
    walk(n, previous, stride, vertex, (f) => out.subarray(f * per, (f + 1) * per), (current, i, at, a, b, fa, fb) => {
      const z = planes[at] | (planes[n + at] << 8) | (planes[2 * n + at] << 16) | (planes[3 * n + at] << 24);
      current[i] = (((z >>> 1) ^ -(z & 1)) + predict(a, b, fa, fb, i)) >>> 0;
    });
    return new Uint8Array(out.buffer);
  }

  // The bytes before a frames part that its prediction reads: up to two frames, inside its region.
  function previousRange(part) {
    if (!part.frames) return null;
    const from = Math.max(part.frames.from, part.at - 2 * part.frames.stride);
    return { at: from, size: part.at - from };
  }

  // Checks a listing's parts against the file's size: in bounds, together covering the file once,
  // each frames part whole frames whose prediction reads only parts that come before it. Throws
  // with what is wrong; the page trusts nothing else of the listing.
  function checkParts(parts, size) {
    if (!Array.isArray(parts) || !Number.isSafeInteger(size) || size < 0) throw new Error('no list of parts');
    const seen = [];
    const covered = (at, end) => {
      let p = at;
      for (const [s, e] of seen.slice().sort((x, y) => x[0] - y[0])) if (s <= p && e > p) p = e;
      return p >= end;
    };
    let total = 0;
    for (const part of parts) {
      const ok =
        part && typeof part.name === 'string' && /^[0-9a-z]{1,16}$/.test(part.name) &&
        Number.isSafeInteger(part.at) && Number.isSafeInteger(part.size) && Number.isSafeInteger(part.sent) &&
        part.at >= 0 && part.size > 0 && part.sent > 0 && part.at + part.size <= size;
      if (!ok) throw new Error(`part ${seen.length} is not a part of a ${size}-byte file`);
      if (part.frames) {
        const { from, stride, vertex } = part.frames;
        if (!Number.isSafeInteger(from) || !Number.isSafeInteger(stride) || stride <= 0 || stride % 4 !== 0 ||
            !Number.isSafeInteger(vertex) || vertex <= 0 || vertex % 4 !== 0 || stride % vertex !== 0 ||
            from < 0 || part.at < from || (part.at - from) % stride !== 0 || part.size % stride !== 0)
          throw new Error(`part ${part.name} does not hold whole frames`);
        const before = previousRange(part);
        if (!covered(before.at, before.at + before.size))
          throw new Error(`part ${part.name} comes before the frames it is predicted from`);
      }
      for (const [s, e] of seen)
        if (part.at < e && s < part.at + part.size) throw new Error(`part ${part.name} overlaps another`);
      seen.push([part.at, part.at + part.size]);
      total += part.size;
    }
    if (total !== size) throw new Error(`the parts hold ${total} bytes of the file's ${size}`);
  }

  // A part's file bytes from its inflated payload and the bytes before it that it is predicted from.
  function decodePart(part, payload, previous) {
    if (payload.length !== part.size)
      throw new Error(`part ${part.name} unpacks to ${payload.length} bytes, not ${part.size}`);
    return part.frames ? decodeFrames(payload, previous, part.frames.stride, part.frames.vertex) : payload;
  }

  // The payload of a part before deflation, given the whole file.
  function encodePart(part, file) {
    const bytes = file.subarray(part.at, part.at + part.size);
    if (!part.frames) return bytes;
    const before = previousRange(part);
    return encodeFrames(bytes, file.subarray(before.at, before.at + before.size), part.frames.stride, part.frames.vertex);
  }

  Object.assign(exports, { format, layout, plan, checkParts, previousRange, encodePart, decodePart });
})(typeof module === 'object' ? module.exports : (self.QuorStream = {}));
