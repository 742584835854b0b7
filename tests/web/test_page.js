// The browser build's page in one engine (chromium, firefox or webkit): the
// start card, a click starting the music and the frame log, the log's pace
// and its beat against the sound heard on the PulseAudio sink "rec", the L and
// Escape keys, playing again, full screen, the frames against the desktop
// capture's, the failure lines for a broken picture and a missing track, and
// the canvas fitted to phone, laptop and 4K screens (screenshots kept).
// Usage: node test_page.js ENGINE SITE_DIR FRAMES_DIR SHOTS_DIR
// Needs DISPLAY (an X server), a PulseAudio server with the null sink "rec"
// kept running (silence played into it), parec and ffmpeg. Prints
// "ENGINE: N passed, N failed"; exits 1 on a failure.
'use strict';
const { spawn, spawnSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const drivers = require('./drivers');
const { serve } = require('./serve');

const LOG_LINE = /^ *-?\d+ +\d+\.\d\d +(\d+\.\d\d|inf)$/;
const RATE = 48000;
const results = [];
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

function check(name, ok, detail = '') {
  results.push(Boolean(ok));
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${name}${detail ? `: ${detail}` : ''}`);
}

function note(text) {
  console.log(`     ${text}`);
}

// Every console line and page error with its wall-clock time, kept in the page
// (the same in each engine, whatever its driver can report).
const HOOK = `(() => {
  if (window.__q) return true;
  const q = window.__q = { log: [], err: [] };
  const base = Date.now() - performance.now();
  const keep = (list, f) => function () {
    list.push([base + performance.now(), Array.prototype.join.call(arguments, ' ')]);
    return f.apply(console, arguments);
  };
  console.log = keep(q.log, console.log);
  console.error = keep(q.err, console.error);
  window.addEventListener('error', (e) => q.err.push([Date.now(), String(e.message)]));
  window.addEventListener('unhandledrejection', (e) => q.err.push([Date.now(), String(e.reason)]));
  return true;
})()`;

async function waitFor(b, expr, timeout = 60000) {
  const end = Date.now() + timeout;
  for (;;) {
    if (await b.eval(expr)) return true;
    if (Date.now() > end) throw new Error(`timed out waiting for ${expr}`);
    await sleep(50);
  }
}

async function load(b, url) {
  await b.goto(url);
  await b.eval(HOOK);
  await waitFor(b, "document.getElementById('prompt').textContent.startsWith('Click') || " +
    "!document.getElementById('failed').hidden");
}

const logLines = async (b) => (await b.eval('window.__q.log')).filter(([, t]) => LOG_LINE.test(t));
const text = (id) => `(document.getElementById('${id}').hidden ? '' : document.getElementById('${id}').textContent)`;

// Peak of each millisecond of signed 16-bit mono samples.
function envelope(buf) {
  const samples = new Int16Array(buf.buffer, buf.byteOffset, Math.floor(buf.length / 2));
  const per = RATE / 1000, out = [];
  for (let i = 0; i + per <= samples.length; i += per) {
    let m = 0;
    for (let j = i; j < i + per; ++j) m = Math.max(m, Math.abs(samples[j]));
    out.push(m);
  }
  return out;
}

// Where in the recording (ms) the track's envelope fits best (normalised correlation).
function bestLag(heard, want) {
  const mean = want.reduce((a, v) => a + v, 0) / want.length;
  const w = want.map((v) => v - mean);
  let best = -Infinity, at = 0;
  for (let lag = 0; lag + w.length <= heard.length; ++lag) {
    let sum = 0, seg = 0, sq = 0;
    for (let i = 0; i < w.length; i += 2) seg += heard[lag + i];
    seg /= Math.ceil(w.length / 2);
    for (let i = 0; i < w.length; i += 2) {
      const d = heard[lag + i] - seg;
      sum += d * w[i];
      sq += d * d;
    }
    const score = sum / (Math.sqrt(sq) || 1);
    if (score > best) {
      best = score;
      at = lag;
    }
  }
  return at;
}

function record() {
  const rec = spawn('parec', ['-d', 'rec.monitor', '--format=s16le', `--rate=${RATE}`, '--channels=1',
    '--latency-msec=5'], { stdio: ['ignore', 'pipe', 'ignore'] });
  const r = { chunks: [], first: null, stop: () => rec.kill() };
  let bytes = 0;
  rec.stdout.on('data', (data) => {
    // The wall time of the recording's first sample: each chunk arrives at
    // the earliest when its last sample has been recorded, and some arrive
    // late (parec's start, a busy event loop), so the tightest is the earliest.
    bytes += data.length;
    const first = Date.now() - bytes / 2 / (RATE / 1000);
    if (r.first === null || first < r.first) r.first = first;
    r.chunks.push(data);
  });
  return r;
}

// The sound heard against the frame log: where the track's start lies in the
// recording, and the first loud onset as heard and as the log places it.
function syncError(site, rec, lines) {
  const track = spawnSync('ffmpeg', ['-v', 'error', '-i', path.join(site, 'd', 'termite.mp3'), '-t', '10', '-ac', '1',
    '-ar', String(RATE), '-f', 's16le', '-'], { maxBuffer: 64 << 20 }).stdout;
  const heard = envelope(Buffer.concat(rec.chunks));
  const want = envelope(track);
  const loud = Math.max(...heard);
  if (loud < 1000) return { heard: false, loud };
  const heardZero = bestLag(heard, want.slice(0, 6000));
  const wantMax = Math.max(...want);
  const onset = want.findIndex((v) => v > 0.4 * wantMax);
  let show = 0;
  const offsets = [];
  for (const [at, line] of lines) {
    show += Number(line.trim().split(/ +/)[0]);
    if (Math.abs(show - onset) <= 500) offsets.push(at - show);
  }
  offsets.sort((a, b) => a - b);
  const pictureZero = offsets[Math.floor(offsets.length / 2)] - rec.first;
  let heardOnset = heardZero;
  while (heardOnset < heard.length && heard[heardOnset] <= 0.4 * loud) ++heardOnset;
  return { heard: true, loud, heardZero, pictureZero, onset, heardOnset, error: heardOnset - (pictureZero + onset) };
}

async function showAndQuit(b, url, site) {
  await load(b, url);
  check('start card shown', await b.eval("!document.getElementById('start').hidden && " +
    "document.querySelector('#start h1').textContent === 'QUORVEX'"));
  // The recording must be running, silence in it, before the click: parec
  // can take a second to start, and the track's start must be in it.
  const rec = record();
  for (const end = Date.now() + 10000; rec.chunks.length === 0 && Date.now() < end;) await sleep(10);
  await sleep(500);
  const rect = await b.eval("(() => { const r = document.getElementById('canvas').getBoundingClientRect(); " +
    'return [r.left + r.width / 2, r.top + r.height / 2]; })()');
  const clicked = Date.now();
  await b.click(rect[0], rect[1]);
  while ((await logLines(b)).length === 0) {
    if (Date.now() - clicked > 10000) break;
    await sleep(10);
  }
  note(`first frame ${Date.now() - clicked} ms after the click`);
  // WebKitGTK's track says it plays at once but stands at its start for a
  // second or two more, the show waiting with it: its pace counts from its move.
  let t0 = 0;
  while ((t0 = await b.eval('window.quorvexAudio.currentTime')) < 0.25 && Date.now() - clicked < 10000) await sleep(10);
  note(`track at ${t0.toFixed(2)} s ${Date.now() - clicked} ms after the click`);
  await sleep(10500);
  const t1 = await b.eval('window.quorvexAudio.currentTime');
  rec.stop();
  check('music plays after the click', !(await b.eval('window.quorvexAudio.paused')) && t1 > t0 + 8,
    `position ${t0.toFixed(2)} s then ${t1.toFixed(2)} s`);
  const lines = await logLines(b);
  check('frame log in the console', lines.length > 20,
    `${lines.length} lines, last '${lines.length ? lines[lines.length - 1][1] : ''}'`);
  // The pace over the whole run after the first second, and the log against the clock.
  const after = lines.filter(([at]) => at > lines[0][0] + 1000);
  const fps = after.length > 1 ? 1000 * (after.length - 1) / (after[after.length - 1][0] - after[0][0]) : 0;
  const steps = after.map(([, l]) => Number(l.trim().split(/ +/)[0])).sort((x, y) => x - y);
  // timed: a check where the engine's pace and sound are bounded here, a figure where not.
  const timed = (name, ok, detail) => (b.timingBounded ? check(name, ok, detail)
    : note(`${name}, not bounded in ${b.engine}: ${detail}`));
  timed('frame log at 55 fps or more', fps >= 55,
    `${fps.toFixed(1)} fps, step median ${steps[steps.length >> 1]} ms, slowest ${steps[steps.length - 1]} ms`);
  // The log summed, the show clock and the music's position, all at one moment.
  const [summed, elapsed, audioMs] = await b.eval('[window.__q.log.reduce((a, [, l]) => a + ' +
    "(/^ *-?\\d+ +\\d+\\.\\d\\d/.test(l) ? Number(l.trim().split(/ +/)[0]) : 0), 0), Module._web_elapsed_ms(), " +
    '1000 * window.quorvexAudio.currentTime]');
  check('summed log times follow the music', Math.abs(elapsed - summed) <= 1 && Math.abs(audioMs - elapsed) < 150,
    `log ${summed} ms, show clock ${elapsed} ms, music ${audioMs.toFixed(0)} ms`);
  const sync = syncError(site, rec, lines);
  check('the music heard on the sink', sync.heard, `peak ${sync.loud}`);
  if (sync.heard) {
    timed('first kick heard within 50 ms of the log', Math.abs(sync.error) <= 50,
      `track start heard at ${sync.heardZero} ms of the recording, the log's show time 0 at ` +
      `${sync.pictureZero.toFixed(0)} ms; onset (track ${sync.onset} ms) heard at ${sync.heardOnset} ms: ` +
      `${sync.error >= 0 ? '+' : ''}${sync.error.toFixed(0)} ms`);
  }
  await b.key('down', 'l');
  await b.key('up', 'l');
  await sleep(200);
  const shown = await b.eval(text('logline'));
  check('L shows the last log line', LOG_LINE.test(shown || ''), JSON.stringify(shown));
  await b.key('down', 'Escape');
  await sleep(300);
  check('Escape press alone keeps the show', await b.eval("document.getElementById('end').hidden"));
  await b.key('up', 'Escape');
  await waitFor(b, "!document.getElementById('end').hidden", 5000);
  const before = (await logLines(b)).length;
  await sleep(500);
  check('Escape release ends show and music',
    await b.eval('window.quorvexAudio.paused') && (await logLines(b)).length === before);
  const again = await b.eval("(() => { const r = document.getElementById('again').getBoundingClientRect(); " +
    'return [r.left + r.width / 2, r.top + r.height / 2]; })()');
  await b.click(again[0], again[1]);
  await waitFor(b, "document.getElementById('end').hidden", 5000);
  await sleep(1000);
  const restarted = await b.eval('Module._web_elapsed_ms()');
  check('play again restarts at 0 with the music', restarted > 0 && restarted < 2500 &&
    !(await b.eval('window.quorvexAudio.paused')), `${restarted} ms after restarting`);
  // Full screen from the page's key, fitted to the screen, and back.
  if (!b.fullScreenByKeys) {
    note(`full screen not checked: ${b.engine} refuses it to the driver's keys`);
  } else {
    await fullScreen(b);
  }
  const errors = (await b.eval('window.__q.err')).map(([, t]) => t);
  check('no console errors', errors.length === 0, errors.join('; ').slice(0, 300));
}

async function fullScreen(b) {
  await b.key('down', 'f');
  await b.key('up', 'f');
  const full = await waitFor(b, 'document.fullscreenElement === document.getElementById("stage")', 5000)
    .catch(() => false);
  await sleep(500);
  const fit = await b.eval("(() => { const r = document.getElementById('canvas').getBoundingClientRect(); " +
    'return [r.width, r.height, innerWidth, innerHeight, screen.width, screen.height]; })()');
  check('F makes the stage full screen, the picture fitted',
    full && fit[0] <= fit[2] && fit[1] <= fit[3] && Math.abs(fit[0] * 3 - fit[1] * 4) < 1,
    `${full ? '' : 'the stage never became the full-screen element; '}canvas ${fit[0]}x${fit[1]} in ` +
    `${fit[2]}x${fit[3]} (screen ${fit[4]}x${fit[5]})`);
  await b.key('down', 'f');
  await b.key('up', 'f');
  await waitFor(b, '!document.fullscreenElement', 5000).catch(() => false);
}

const COMPARE = `(async (ms) => {
  Module._web_draw_at(ms, 1);
  const shown = document.getElementById('canvas').getContext('2d').getImageData(0, 0, 800, 600).data;
  const blob = await (await fetch('ref/frame-' + ms + '.png')).blob();
  const image = await createImageBitmap(blob, { colorSpaceConversion: 'none', premultiplyAlpha: 'none' });
  const c = document.createElement('canvas');
  c.width = 800;
  c.height = 600;
  const g = c.getContext('2d');
  g.drawImage(image, 0, 0);
  const want = g.getImageData(0, 0, 800, 600).data;
  let differ = 0, first = -1;
  for (let i = 0; i < want.length; i += 4)
    if (shown[i] !== want[i] || shown[i + 1] !== want[i + 1] || shown[i + 2] !== want[i + 2]) {
      if (first < 0) first = i / 4;
      ++differ;
    }
  return [differ, first, image.width, image.height];
})`;

// Where a frame's time goes (a figure, not a check): drawing alone, then
// drawing and the copy to the canvas.
const TIMING = `((present) => {
  const moments = [3000, 9000, 15000, 17500, 20500, 40000, 52250, 60000, 100000, 120000, 145000, 155000];
  const start = performance.now();
  for (let i = 0; i < 120; ++i) Module._web_draw_at(moments[i % 12], present);
  return (performance.now() - start) / 120;
})`;

async function frames(b, url, site, framesDir) {
  const moments = fs.readdirSync(framesDir).map((f) => /^frame-(\d+)\.png$/.exec(f)).filter(Boolean)
    .map((m) => Number(m[1])).sort((x, y) => x - y);
  fs.cpSync(framesDir, path.join(site, 'ref'), { recursive: true });
  await load(b, url);
  for (const ms of moments) {
    const [differ, first, w, h] = await b.eval(`${COMPARE}(${ms})`);
    const where = first >= 0 ? `, first at (${first % 800}, ${Math.floor(first / 800)})` : '';
    check(`frame at ${ms} ms equals the capture`, differ === 0 && w === 800 && h === 600, `${differ} pixels differ${where}`);
  }
  const draw = await b.eval(`${TIMING}(0)`);
  const whole = await b.eval(`${TIMING}(1)`);
  note(`frame cost: draw ${draw.toFixed(2)} ms, copy to the canvas ${(whole - draw).toFixed(2)} ms`);
}

// A copy of the site with one file changed, served on its own.
async function brokenSite(site, tmp, name, change) {
  const dir = path.join(tmp, name);
  fs.cpSync(site, dir, { recursive: true });
  change(dir);
  return serve(dir);
}

async function failures(b, site, tmp) {
  const picture = await brokenSite(site, tmp, 'picture', (d) => fs.writeFileSync(path.join(d, 'd', 'kelpi.jpg'), ''));
  try {
    await load(b, picture.url);
    const shown = await b.eval(text('failed') + " && document.getElementById('failure').textContent");
    check('zero-byte picture gives the error line on the page',
      shown === 'kuvia\nquorvex: cannot load d/kelpi.jpg: empty file', JSON.stringify(shown));
  } finally {
    picture.close();
  }
  const track = await brokenSite(site, tmp, 'track', (d) => fs.unlinkSync(path.join(d, 'd', 'termite.mp3')));
  try {
    await load(b, track.url);
    await b.click(400, 300);
    await waitFor(b, "!document.getElementById('notice').hidden", 10000).catch(() => false);
    await sleep(1500);
    const line = await b.eval(text('notice'));
    const running = await b.eval('Module._web_elapsed_ms()');
    check('a track that cannot play says so in one line, the show on the page clock',
      /^quorvex: no sound: /.test(line) && !line.includes('\n') && running > 500, `${JSON.stringify(line)}, ${running} ms`);
  } finally {
    track.close();
  }
}

// The canvas at a viewer's screen sizes: inside the window, 4:3, whole device
// pixels per picture pixel where that keeps most of the size, not smoothed;
// a tap (where the driver has touch) or a click starts it.
async function screens(engine, url, shots) {
  const sizes = [['phone', 390, 844, 3], ['phone-landscape', 844, 390, 3], ['laptop', 1366, 768, 1],
    ['4k', 1920, 1080, 2]];
  for (const [name, w, h, dpr] of sizes) {
    const b = await drivers.open(engine, w, h);
    try {
      await b.viewport(w, h, dpr);
      await load(b, url);
      const g = await b.eval("(() => { const c = document.getElementById('canvas'); const r = c.getBoundingClientRect(); " +
        'return [r.left, r.top, r.width, r.height, innerWidth, innerHeight, devicePixelRatio, ' +
        'getComputedStyle(c).imageRendering]; })()');
      const [left, top, cw, ch, iw, ih, ratio, rendering] = g;
      const fitScale = Math.min(iw * ratio / 800, ih * ratio / 600);
      const device = cw * ratio / 800;
      const whole = Math.floor(fitScale) >= 1 && Math.floor(fitScale) / fitScale >= 0.75;
      const scaleOk = whole ? Math.abs(device - Math.floor(fitScale)) < 1e-6 : Math.abs(device - fitScale) < 0.01;
      check(`${name} ${iw}x${ih}@${ratio}: canvas fitted, 4:3, crisp`,
        left >= 0 && top >= 0 && left + cw <= iw + 0.01 && top + ch <= ih + 0.01 && Math.abs(cw * 3 - ch * 4) < 0.5 &&
        scaleOk && rendering === 'pixelated',
        `${cw.toFixed(1)}x${ch.toFixed(1)} at (${left.toFixed(1)}, ${top.toFixed(1)}), ${device.toFixed(3)} device px ` +
        `per pixel, ${rendering}`);
      await b.screenshot(path.join(shots, `${engine}-${name}-card.png`));
      if (b.tap && name.startsWith('phone')) await b.tap(left + cw / 2, top + ch / 2);
      else await b.click(left + cw / 2, top + ch / 2);
      const started = await waitFor(b, "document.getElementById('start').hidden && Module._web_elapsed_ms() > 500",
        15000).catch(() => false);
      check(`${name}: ${b.tap && name.startsWith('phone') ? 'a tap' : 'a click'} starts the show`, started);
      await b.screenshot(path.join(shots, `${engine}-${name}.png`));
    } finally {
      await b.close();
    }
  }
}

async function main() {
  const [engine, site, framesDir, shots] = process.argv.slice(2);
  if (!engine || !site || !framesDir || !shots) {
    console.error('usage: test_page.js ENGINE SITE_DIR FRAMES_DIR SHOTS_DIR');
    return 2;
  }
  fs.mkdirSync(shots, { recursive: true });
  const tmp = fs.mkdtempSync(path.join(os.tmpdir(), 'quorvex-web-'));
  const started = Date.now();
  const host = await serve(site);
  const b = await drivers.open(engine);
  try {
    for (const [name, run] of [['show', () => showAndQuit(b, host.url, site)],
      ['frames', () => frames(b, host.url, site, framesDir)], ['failures', () => failures(b, site, tmp)],
      ['screens', async () => {
        await b.close();
        await screens(engine, host.url, shots);
      }]]) {
      try {
        await run();
      } catch (e) {
        check(`${name} cases ran to the end`, false, String(e.message || e).split('\n')[0]);
      }
    }
  } finally {
    await b.close().catch(() => {});
    host.close();
    fs.rmSync(tmp, { recursive: true, force: true });
  }
  const failed = results.filter((r) => !r).length;
  console.log(`${engine}: ${results.length - failed} passed, ${failed} failed (${Math.round((Date.now() - started) / 1000)} s)`);
  return failed ? 1 : 0;
}

main().then((code) => process.exit(code), (e) => {
  console.error(`${process.argv[2]}: ${e.message || e}`);
  process.exit(1);
});
