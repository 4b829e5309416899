// What the streaming tests and benchmark share: a page behind Chromium's network emulation, and a
// watch on WebGL that notes the first draw and any draw of vertices that never arrived.
'use strict';

// Emulates a link of `bytesPerSecond` down and up with `latency` ms.
async function throttle(page, bytesPerSecond, latency) {
  const cdp = await page.context().newCDPSession(page);
  await cdp.send('Network.enable');
  await cdp.send('Network.emulateNetworkConditions', {
    offline: false,
    latency,
    downloadThroughput: bytesPerSecond,
    uploadThroughput: bytesPerSecond,
  });
}

// The bytes of every response so far, headers included, as the page's resource timing counts them.
const travelled = (page) =>
  page.evaluate(() =>
    [...performance.getEntriesByType('resource'), ...performance.getEntriesByType('navigation')].reduce(
      (sum, e) => sum + e.transferSize, 0));

// Installed before the page's scripts. The program's data block starts out as zeros, so a mesh
// drawn from a frame that has not arrived has every position at the origin.
function watch() {
  const proto = WebGLRenderingContext.prototype;
  const seen = (window.quorWatch = { firstDraw: null, meshDraws: 0, unarrived: 0, waiting: false, waited: 0, resumed: 0 });
  let data = null;
  let stride = 0;
  const wrap = (name, before) => {
    const original = proto[name];
    proto[name] = function (...args) {
      before(...args);
      return original.apply(this, args);
    };
  };
  wrap('bufferData', (target, d) => (data = d && d.buffer ? d : null));
  wrap('vertexAttribPointer', (index, size, type, normalized, bytes) => index === 0 && (stride = bytes));
  wrap('drawArrays', (mode, first, count) => {
    if (seen.firstDraw === null) seen.firstDraw = performance.now();
    if (count < 100 || !data || !stride) return;
    seen.meshDraws += 1;
    const floats = new Float32Array(data.buffer, data.byteOffset, data.byteLength >> 2);
    let zero = true;
    for (let v = first; v < first + Math.min(count, 64) && zero; ++v)
      for (let c = 0; c < 3; ++c) if (floats[(v * stride) / 4 + c] !== 0) zero = false;
    if (zero) seen.unarrived += 1;
  });
  document.addEventListener('DOMContentLoaded', () =>
    new MutationObserver(() => {
      const waiting = document.body.classList.contains('waiting');
      if (waiting !== seen.waiting) seen[waiting ? 'waited' : 'resumed'] += 1;
      seen.waiting = waiting;
    }).observe(document.body, { attributes: true, attributeFilter: ['class'] }),
  );
}

module.exports = { throttle, watch, travelled };
