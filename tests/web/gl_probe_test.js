// The WebGL back end of the OpenGL seam against Mesa on the fixed-function features the engine
// uses, with values that show them (the demo's own lighting comes out white): the probe of
// gl_probe.cpp drawn natively and in headless Chromium, compared pixel by pixel.
'use strict';
const { test } = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { serve, browser, compare } = require('./lib.js');

const root = path.resolve(__dirname, '../..');
const probe = process.env.QUOR_WEB_PROBE || path.join(root, 'build-web/probe');
const bin = process.env.QUOR_BIN_DIR || path.join(root, 'build/bin');

test('lighting, colour tracking, texture units, alpha test, blending, depth and culling as Mesa draws them', async () => {
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'quor-gl-probe-'));
  const server = await serve(probe);
  const chromium = await browser();
  try {
    const mesa = path.join(scratch, 'mesa.png');
    execFileSync(path.join(bin, 'gl_probe'), [mesa]);
    const page = await chromium.context.newPage();
    await page.setViewportSize({ width: 256, height: 256 });
    await page.goto(server.url + 'gl_probe.html');
    await page.waitForFunction(() => document.body.dataset.state !== 'drawing');
    assert.equal(await page.evaluate(() => document.body.dataset.state), 'drawn');
    const webgl = await page.locator('#canvas').screenshot({ type: 'png' });
    const difference = await compare(chromium.context, webgl, fs.readFileSync(mesa), 8);
    // Colours may round one level apart; no pixel beyond the two renderers' rounding of edges.
    assert.equal(difference.size, 'same');
    assert.ok(difference.mean <= 0.5 && difference.off <= 0.005, JSON.stringify(difference));
  } finally {
    await chromium.close();
    await server.close();
    fs.rmSync(scratch, { recursive: true, force: true });
  }
});
