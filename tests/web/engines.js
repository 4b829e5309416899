// One way to drive a page in each of the three browser engines, for the tests and benchmarks:
// Chromium through playwright-core, Firefox through puppeteer-core over WebDriver BiDi, WebKit
// (MiniBrowser) through WebKitWebDriver and selenium-webdriver. Firefox and WebKit draw WebGL only
// in a real window: run them under xvfb-run. Every call takes JavaScript as an expression's text,
// so one test body runs in any engine:
//   const engine = await launch('firefox');
//   const tab = await engine.open(url, { width: 640, height: 360 });
//   await tab.until("document.body.dataset.state === 'ready'");
//   await tab.click('#cover'); await tab.key('Escape'); const png = await tab.shot('#canvas');
// A shot may carry `crop` (the element's place in a shot of the whole view), which compare() cuts.
// Scripts that must run before the page's own (a wrapper over WebGL, a held clock) go in through
// the server (lib.js's serve(folder).prefix), which every engine can use alike.
'use strict';
const fs = require('fs');
const net = require('net');
const { spawn, execFileSync } = require('child_process');

const engines = ['chromium', 'firefox', 'webkit'];

// The version of each engine as its program reports it, for the README and the test's log.
function version(engine) {
  try {
    if (engine === 'chromium') return execFileSync(chromiumPath(), ['--version'], { encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'] }).trim();
    if (engine === 'firefox') return execFileSync(firefoxPath(), ['--version'], { encoding: 'utf8' }).trim();
    const dpkg = execFileSync('dpkg-query', ['-W', '-f=${Version}', 'libwebkit2gtk-4.1-0'], { encoding: 'utf8' });
    return `WebKitGTK ${dpkg.trim()}`;
  } catch (e) {
    return `${engine}: version unknown`;
  }
}
const chromiumPath = () => process.env.QUOR_CHROMIUM || '/usr/bin/chromium';
const firefoxPath = () => process.env.QUOR_FIREFOX || '/usr/bin/firefox-esr';
const miniBrowser = () => process.env.QUOR_MINIBROWSER || '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';

// Chromium, Firefox and WebKit need a display for WebGL beyond Chromium's headless mode.
function available(engine) {
  if (engine === 'chromium') return fs.existsSync(chromiumPath()) ? null : `no ${chromiumPath()}`;
  if (!process.env.DISPLAY) return 'no display (run under xvfb-run)';
  if (engine === 'firefox') return fs.existsSync(firefoxPath()) ? null : `no ${firefoxPath()}`;
  return fs.existsSync(miniBrowser()) ? null : `no ${miniBrowser()}`;
}

const pause = (ms) => new Promise((done) => setTimeout(done, ms));

// Polls `expression` in the page until it is true.
async function until(tab, expression, timeout = 60000) {
  const end = Date.now() + timeout;
  for (;;) {
    if (await tab.evaluate(`!!(${expression})`)) return;
    if (Date.now() > end) throw new Error(`timed out waiting for ${expression}`);
    await pause(100);
  }
}

// -- Chromium ------------------------------------------------------------------------------
async function chromium() {
  const { chromium } = require('playwright-core');
  const browser = await chromium.launch({
    executablePath: chromiumPath(),
    args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--disable-background-networking',
      '--disable-component-update', '--no-first-run', '--autoplay-policy=no-user-gesture-required'],
  });
  return {
    name: 'chromium',
    async open(url, { width = 640, height = 360, touch = false, scale = 1 } = {}) {
      const context = await browser.newContext({ viewport: { width, height }, deviceScaleFactor: scale, isMobile: touch, hasTouch: touch });
      const page = await context.newPage();
      await page.goto(url);
      const tab = {
        page,
        evaluate: (expression) => page.evaluate(expression),
        until: (expression, timeout) => until(tab, expression, timeout),
        click: (selector) => (touch ? page.tap(selector) : page.click(selector)),
        key: (name) => page.keyboard.press(name === ' ' ? 'Space' : name),
        shot: (selector) => page.locator(selector).screenshot({ type: 'png' }),
        viewport: async (w, h) => page.setViewportSize({ width: w, height: h }),
        close: () => context.close(),
      };
      return tab;
    },
    close: () => browser.close(),
  };
}

// -- Firefox -------------------------------------------------------------------------------
async function firefox() {
  const puppeteer = require('puppeteer-core');
  const browser = await puppeteer.launch({
    browser: 'firefox',
    executablePath: firefoxPath(),
    headless: false,
    extraPrefsFirefox: { 'webgl.force-enabled': true, 'media.autoplay.default': 0 },
  });
  return {
    name: 'firefox',
    async open(url, { width = 640, height = 360 } = {}) {
      const page = await browser.newPage();
      await page.setViewport({ width, height });
      await page.goto(url);
      const tab = {
        page,
        evaluate: (expression) => page.evaluate(expression),
        until: (expression, timeout) => until(tab, expression, timeout),
        click: (selector) => page.click(selector),
        key: (name) => page.keyboard.press(name === ' ' ? 'Space' : name),
        shot: async (selector) => Buffer.from(await (await page.$(selector)).screenshot({ type: 'png' })),
        viewport: (w, h) => page.setViewport({ width: w, height: h }),
        close: () => page.close(),
      };
      return tab;
    },
    close: () => browser.close(),
  };
}

// -- WebKit --------------------------------------------------------------------------------
function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.on('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

async function webkit() {
  const { Builder, By, Key } = require('selenium-webdriver');
  const port = await freePort();
  const driver = spawn('WebKitWebDriver', [`--port=${port}`], { stdio: 'ignore' });
  const stop = () => driver.kill();
  for (let tries = 0; ; ++tries) {
    try {
      await fetch(`http://127.0.0.1:${port}/status`);
      break;
    } catch (e) {
      if (tries > 100) {
        stop();
        throw new Error('WebKitWebDriver did not start');
      }
      await pause(100);
    }
  }
  const keys = { Escape: Key.ESCAPE, Space: Key.SPACE, ' ': Key.SPACE };
  const sessions = [];
  return {
    name: 'webkit',
    // One session (one MiniBrowser) a page: WebKitWebDriver drives one window well.
    async open(url, { width = 640, height = 360 } = {}) {
      const session = await new Builder()
        .usingServer(`http://127.0.0.1:${port}`)
        .withCapabilities({
          browserName: 'MiniBrowser',
          'webkitgtk:browserOptions': { binary: miniBrowser(), args: ['--automation'] },
        })
        .build();
      sessions.push(session);
      // The window's chrome takes some of its size: the window is sized for the view asked.
      await session.get('about:blank');
      const fit = async (w, h) => {
        const [dx, dy] = await session.executeScript('return [outerWidth - innerWidth, outerHeight - innerHeight];');
        await session.manage().window().setRect({ width: w + dx, height: h + dy });
      };
      await fit(width, height);
      await session.get(url);
      const tab = {
        session,
        evaluate: async (expression) =>
          session.executeAsyncScript(
            `const done = arguments[arguments.length - 1];
             Promise.resolve(${expression}).then((v) => done(v), (e) => done({ error: String(e) }));`),
        until: (expression, timeout) => until(tab, expression, timeout),
        click: async (selector) => (await session.findElement(By.css(selector))).click(),
        key: async (name) => session.actions().sendKeys(keys[name] || name).perform(),
        // WebKitGTK's element shots are cut wrong: the whole view, with the element's place to cut.
        shot: async (selector) => {
          const view = Buffer.from(await session.takeScreenshot(), 'base64');
          const r = await session.executeScript(`const r = document.querySelector('${selector}').getBoundingClientRect();
            return { x: r.x * devicePixelRatio, y: r.y * devicePixelRatio, width: r.width * devicePixelRatio, height: r.height * devicePixelRatio };`);
          view.crop = r;
          return view;
        },
        viewport: fit,
        close: async () => {
          sessions.splice(sessions.indexOf(session), 1);
          await session.quit();
        },
      };
      return tab;
    },
    async close() {
      for (const session of sessions.splice(0)) await session.quit().catch(() => {});
      stop();
    },
  };
}

async function launch(engine) {
  if (engine === 'chromium') return chromium();
  if (engine === 'firefox') return firefox();
  if (engine === 'webkit') return webkit();
  throw new Error(`unknown engine ${engine}`);
}

// Waits two animation frames: what was drawn before is on the screen.
const twoFrames = 'new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(() => done(true))))';

module.exports = { engines, launch, available, version, twoFrames };
