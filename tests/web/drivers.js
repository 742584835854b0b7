// One small face over the three browser engines the page is tested in:
// Chromium (puppeteer-core over the DevTools protocol), Firefox ESR
// (puppeteer-core over WebDriver BiDi) and WebKitGTK (selenium-webdriver and
// WebKitWebDriver). Each runs in a window on the X display in DISPLAY, so its
// frame pacing and its sound are as a viewer's; input is the driver's own,
// which the page takes as the viewer's gesture.
'use strict';
const { spawn } = require('child_process');
const net = require('net');

const MINIBROWSER = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';

function freePort() {
  return new Promise((resolve, reject) => {
    const s = net.createServer();
    s.on('error', reject);
    s.listen(0, '127.0.0.1', () => {
      const { port } = s.address();
      s.close(() => resolve(port));
    });
  });
}

async function puppeteerEngine(engine, width, height) {
  const puppeteer = require('puppeteer-core');
  const common = { headless: false, defaultViewport: null, protocolTimeout: 120000 };
  const browser = engine === 'chromium'
    ? await puppeteer.launch({
      ...common, browser: 'chrome', executablePath: '/usr/bin/chromium',
      args: [`--window-size=${width},${height}`, '--window-position=0,0', '--no-first-run',
        '--disable-features=Translate,MediaRouter', '--disable-background-timer-throttling',
        '--password-store=basic', '--no-default-browser-check', '--disable-quic', '--disable-sync',
        '--disable-background-networking', '--disable-component-update', '--autoplay-policy=user-gesture-required',
        // Root on CI has no user namespace to spare for the sandbox.
        ...(process.getuid() === 0 ? ['--no-sandbox'] : [])],
    })
    : await puppeteer.launch({
      ...common, browser: 'firefox', executablePath: '/usr/bin/firefox-esr',
      args: [`--width=${width}`, `--height=${height}`],
      extraPrefsFirefox: { 'full-screen-api.transition-duration.enter': '0 0',
        'full-screen-api.transition-duration.leave': '0 0', 'full-screen-api.warning.timeout': 0 },
    });
  const page = (await browser.pages())[0] || await browser.newPage();
  return {
    engine,
    goto: (url) => page.goto(url, { waitUntil: 'load' }),
    eval: (expr) => page.evaluate(expr),
    click: (x, y) => page.mouse.click(x, y),
    tap: (x, y) => page.touchscreen.tap(x, y),
    // Firefox denies full screen to the driver's input (not to a viewer's).
    fullScreenByKeys: engine === 'chromium',
    timingBounded: true,
    key: (how, key) => (how === 'down' ? page.keyboard.down(key) : page.keyboard.up(key)),
    viewport: (w, h, dpr) => page.setViewport({ width: w, height: h, deviceScaleFactor: dpr, hasTouch: true }),
    screenshot: (file) => page.screenshot({ path: file }),
    close: () => browser.close(),
  };
}

async function webkitEngine(width, height) {
  const { Builder, Key, Origin } = require('selenium-webdriver');
  const port = await freePort();
  const server = spawn('WebKitWebDriver', [`--port=${port}`], { stdio: 'ignore' });
  let driver;
  for (let i = 0; ; ++i) {
    try {
      driver = await new Builder().usingServer(`http://127.0.0.1:${port}`).withCapabilities({
        browserName: 'MiniBrowser',
        'webkitgtk:browserOptions': { binary: MINIBROWSER, args: ['--automation'] },
      }).build();
      break;
    } catch (e) {
      if (i >= 50) {
        server.kill();
        throw e;
      }
      await new Promise((r) => setTimeout(r, 200));
    }
  }
  await driver.manage().window().setRect({ x: 0, y: 0, width, height });
  const keys = { Escape: Key.ESCAPE };
  const toKey = (k) => keys[k] || k;
  return {
    engine: 'webkit',
    goto: (url) => driver.get(url),
    async eval(expr) {
      const got = await driver.executeAsyncScript(
        `const done = arguments[arguments.length - 1];
         Promise.resolve().then(() => (${expr})).then((v) => done({ v }), (e) => done({ e: String(e) }));`);
      if (got && 'e' in got) throw new Error(got.e);
      return got ? got.v : undefined;
    },
    click: (x, y) => driver.actions({ async: true }).move({ x: Math.round(x), y: Math.round(y), origin: Origin.VIEWPORT })
      .press().release().perform(),
    tap: null,
    fullScreenByKeys: true,
    // WebKitGTK on this machine's software rendering under Xvfb paints 44-58
    // frames a second and its sound reaches the sink up to 0.4 s after the
    // position its track reports: its pace and kick are reported, not bounded.
    timingBounded: false,
    key: (how, key) => (how === 'down' ? driver.actions({ async: true }).keyDown(toKey(key)).perform()
      : driver.actions({ async: true }).keyUp(toKey(key)).perform()),
    // The window's inner size; WebKitGTK takes the pixel ratio from the display.
    async viewport(w, h) {
      const outer = await driver.manage().window().getRect();
      const inner = await driver.executeScript('return [window.innerWidth, window.innerHeight]');
      await driver.manage().window().setRect({ width: w + outer.width - inner[0], height: h + outer.height - inner[1] });
    },
    async screenshot(file) {
      require('fs').writeFileSync(file, Buffer.from(await driver.takeScreenshot(), 'base64'));
    },
    async close() {
      try {
        await driver.quit();
      } finally {
        server.kill();
      }
    },
  };
}

function open(engine, width = 1024, height = 768) {
  if (engine === 'chromium' || engine === 'firefox') return puppeteerEngine(engine, width, height);
  if (engine === 'webkit') return webkitEngine(width, height);
  throw new Error(`no such engine: ${engine}`);
}

module.exports = { open };
