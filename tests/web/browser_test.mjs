// The browser build against the headless runner.  Serves the built page from
// a local static server, drives it in headless Chromium (mouse and touch),
// then replays the very same input as a script in the headless runner and
// requires the same transcript and the same screen, pixel for pixel:
//   1. problem 1 solved by clicks on the points' pixel centres: its first
//      successful line, then each further White defence after "Good" and
//      "Next variation", up to "status Success"; the right soft key tapped
//      to reach problem 2;
//   2. the page reloaded: problem 2 is still current (kept in localStorage);
//      the number dialog, typed into through the numeric input, loads problem 3;
//   3. a Chinese browser shows the Chinese screen.
// Also reports the bytes the page transfers and the time to the first frame.
//
// usage: node browser_test.mjs --site DIR --runner VOSTRA --tool VOSTRA-PROBLEMS
//                              [--catalogue FILE] [--chromium PATH] [--keep DIR]
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

const here = path.dirname(fileURLToPath(import.meta.url));
const options = {
  catalogue: path.join(here, '../../problems/catalogue.txt'),
  chromium: '/usr/bin/chromium',
};
for (let i = 2; i < process.argv.length; i += 2) options[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
for (const need of ['site', 'runner', 'tool']) {
  if (!options[need]) {
    console.error(`usage: node browser_test.mjs --site DIR --runner VOSTRA --tool VOSTRA-PROBLEMS [--catalogue FILE]`);
    process.exit(2);
  }
}

const W = 240, H = 320, TITLE = 26, MENU_BAR = 26;
const work = options.keep || fs.mkdtempSync(path.join(os.tmpdir(), 'vostra-web-test-'));
fs.mkdirSync(work, { recursive: true });
let failures = 0;

function check(ok, what) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok) failures++;
  return ok;
}

// ---- the problem and where its points are ------------------------------------------

function catalogueRecords(text) {
  return text.split('\n').map((l) => l.trim()).filter((l) => l && !l.startsWith('#')).map((l) => l.split(' ')[0]);
}

// Board size and the Black moves of the first line of the tree that ends solved.
function firstSolvedLine(number) {
  const shown = spawnSync(options.tool, ['show', '--number', String(number), options.catalogue], { encoding: 'utf8' });
  if (shown.status !== 0) throw new Error(`vostra-problems show failed: ${shown.stderr}`);
  const size = /^size (\d+)x(\d+)/m.exec(shown.stdout);
  const path = [];
  for (const line of shown.stdout.split('\n')) {
    const m = /^( *)([BW]) (\S+)  flag [01](  (solved|failed))?$/.exec(line);
    if (!m) continue;
    const depth = m[1].length / 2;
    path.length = depth - 1;
    path.push({ colour: m[2], point: m[3] });
    if (m[5] === 'solved') return { cols: +size[1], rows: +size[2], moves: path.filter((n) => n.colour === 'B') };
  }
  throw new Error(`problem ${number} has no solved line`);
}

// What solving a problem takes from the user: Black's taps and the "Next
// variation" presses, following the trainer's tour of White's defences (White
// answers with the first defence not yet refuted; a refuted line with
// defences left over gives "Good" and the next variation).
function solvingSteps(number) {
  const shown = spawnSync(options.tool, ['show', '--number', String(number), options.catalogue], { encoding: 'utf8' });
  if (shown.status !== 0) throw new Error(`vostra-problems show failed: ${shown.stderr}`);
  const size = /^size (\d+)x(\d+)/m.exec(shown.stdout);
  const nodes = [{ depth: 0 }];
  for (const line of shown.stdout.split('\n')) {
    const m = /^( *)([BW]) (\S+)  flag ([01])/.exec(line);
    if (m) nodes.push({ depth: m[1].length / 2, colour: m[2], point: m[3], flag: m[4] });
  }
  const children = (i) => {
    const out = [];
    for (let j = i + 1; j < nodes.length && nodes[j].depth > nodes[i].depth; j++) {
      if (nodes[j].depth === nodes[i].depth + 1) out.push(j);
    }
    return out;
  };
  const parent = (i) => {
    for (let j = i - 1; j >= 0; j--) if (nodes[j].depth === nodes[i].depth - 1) return j;
    return -1;
  };
  const solvable = (i) => (children(i).length ? children(i).some(solvable) : nodes[i].flag === '1');
  const visited = nodes.map(() => false);
  const steps = [];
  let goods = 0;
  let current = 0;
  for (let guard = 0; guard < 10000; guard++) {
    if (children(current).length) {
      const black = children(current).find(solvable);
      if (black === undefined) throw new Error(`problem ${number}: no solving move after node ${current}`);
      if (nodes[black].point === 'pass') throw new Error(`problem ${number} would need a pass`);
      steps.push({ tap: nodes[black].point });
      current = black;
      const replies = children(current);
      if (replies.length) {
        let white = replies.find((k) => !visited[k]);
        if (white === undefined) {
          replies.forEach((k) => { visited[k] = false; });
          white = replies[0];
        }
        current = white;
      }
      if (children(current).length) continue;
    }
    // A leaf: walk back towards the root looking for a defence not yet refuted.
    visited[current] = true;
    let pending = -1;
    for (let n = parent(current); n >= 0; n = parent(n)) {
      const kids = children(n);
      if (nodes[n].depth % 2 === 1 && kids.length >= 2) {
        pending = kids.find((k) => !visited[k]) ?? -1;
        if (pending >= 0) break;
        kids.forEach((k) => { visited[k] = false; });
      } else {
        visited[n] = true;
      }
      if (nodes[n].depth === 0) break;
    }
    if (pending < 0) return { cols: +size[1], rows: +size[2], steps, goods };
    goods++;
    steps.push({ next: true });
    current = pending;
  }
  throw new Error(`problem ${number}: the tour does not end`);
}

// Client pixel at the centre of a point, as the board layout puts it: the
// largest even cell (at least 6) fitting the problem into the client area
// above the status strip.
function pointCentre(cols, rows, point) {
  const areaW = W, areaH = H - 2 * MENU_BAR;
  let cell = Math.min(Math.floor(areaW / cols), Math.floor(areaH / rows));
  if (cell % 2) cell -= 1;
  if (cell < 6) cell = 6;
  const radius = Math.floor((cell - 2) / 2);
  const col = point.charCodeAt(0) - 64, row = point.charCodeAt(1) - 64;
  return { x: cell * (col - 1) + radius, y: cell * (row - 1) + radius };
}

// A pixel inside every fully shown point's stone, off its centre (where the
// last move's dot goes) and off the grid lines, in screen coordinates.
function pointProbes(cols, rows) {
  const probes = [];
  for (let c = 1; c <= 19; c++) {
    for (let r = 1; r <= 19; r++) {
      const point = String.fromCharCode(64 + c, 64 + r);
      const { x, y } = pointCentre(cols, rows, point);
      const cell = pointCentre(cols, rows, 'BA').x - pointCentre(cols, rows, 'AA').x;
      const off = Math.floor(cell / 5);
      if (x + cell / 2 <= W && y + cell / 2 <= H - 2 * MENU_BAR) probes.push({ point, x: x + off, y: y + off + TITLE });
    }
  }
  return probes;
}

// ---- PNG --------------------------------------------------------------------------

// 8-bit RGB or RGBA, not interlaced (what the runner writes) -> RGBA bytes.
function decodePng(file) {
  const data = fs.readFileSync(file);
  let pos = 8, width = 0, height = 0, type = 0;
  const idat = [];
  while (pos < data.length) {
    const length = data.readUInt32BE(pos), kind = data.toString('latin1', pos + 4, pos + 8);
    const body = data.subarray(pos + 8, pos + 8 + length);
    if (kind === 'IHDR') {
      width = body.readUInt32BE(0); height = body.readUInt32BE(4); type = body[9];
      if (body[8] !== 8 || (type !== 2 && type !== 6) || body[12] !== 0) throw new Error(`${file}: unsupported PNG`);
    } else if (kind === 'IDAT') {
      idat.push(body);
    }
    pos += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const bpp = type === 6 ? 4 : 3, stride = width * bpp;
  const out = Buffer.alloc(width * height * 4);
  let prev = Buffer.alloc(stride);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    const line = Buffer.from(raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1)));
    for (let i = 0; i < stride; i++) {
      const a = i >= bpp ? line[i - bpp] : 0, b = prev[i], c = i >= bpp ? prev[i - bpp] : 0;
      let p = 0;
      if (filter === 1) p = a;
      else if (filter === 2) p = b;
      else if (filter === 3) p = (a + b) >> 1;
      else if (filter === 4) {
        const pa = Math.abs(b - c), pb = Math.abs(a - c), pc = Math.abs(a + b - 2 * c);
        p = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      line[i] = (line[i] + p) & 0xff;
    }
    for (let x = 0; x < width; x++) {
      out.set([line[x * bpp], line[x * bpp + 1], line[x * bpp + 2], 255], (y * width + x) * 4);
    }
    prev = line;
  }
  return { width, height, rgba: out };
}

// ---- the static server ------------------------------------------------------------

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm' };

function serve(root) {
  const server = http.createServer((request, response) => {
    let name = decodeURIComponent(new URL(request.url, 'http://host').pathname);
    if (name.endsWith('/')) name += 'index.html';
    const file = path.join(root, path.normalize(name));
    if (!file.startsWith(path.resolve(root))) {
      response.writeHead(403).end();
      return;
    }
    fs.readFile(file, (error, body) => {
      if (error) {
        response.writeHead(404).end();
        return;
      }
      response.writeHead(200, { 'content-type': TYPES[path.extname(file)] || 'application/octet-stream' });
      response.end(body);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// ---- the browser ------------------------------------------------------------------

async function openBrowser(locale) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vostra-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: options.chromium,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--disable-dev-shm-usage'],
    locale,
    hasTouch: true,
    // Room for the screen at twice its size, with a margin around it.
    viewport: { width: 520, height: 720 },
  });
  const page = context.pages()[0] || (await context.newPage());
  const session = { context, page, profile, transcript: [], script: [], errors: [] };
  page.on('console', (m) => { if (m.type() === 'log') session.transcript.push(m.text()); });
  page.on('pageerror', (e) => session.errors.push(String(e)));
  return session;
}

async function closeBrowser(session) {
  await session.context.close();
  fs.rmSync(session.profile, { recursive: true, force: true });
}

async function idle(page) {
  await page.waitForFunction(() => window.vostraPage && vostraPage.idle, null, { timeout: 15000 });
}

// Viewport position of the centre of screen pixel (x, y).
async function viewportPoint(page, x, y) {
  const box = await page.locator('#screen').boundingBox();
  return { x: box.x + (x + 0.5) * box.width / W, y: box.y + (y + 0.5) * box.height / H };
}

// A mouse click on client pixel (x, y); the runner gets the same move and tap.
async function click(session, x, y) {
  const p = await viewportPoint(session.page, x, y + TITLE);
  await session.page.mouse.click(p.x, p.y);
  session.script.push(`move ${x} ${y}`, `tap ${x} ${y}`);
  await idle(session.page);
}

// A finger's tap at screen pixel (x, y): no hover, so no move.
async function touch(session, x, y) {
  const p = await viewportPoint(session.page, x, y);
  await session.page.touchscreen.tap(p.x, p.y);
  session.script.push(`tap ${x} ${y - TITLE}`);
  await idle(session.page);
}

async function canvasPixels(page) {
  const base64 = await page.evaluate(() => {
    const c = document.getElementById('screen');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let s = '';
    for (let i = 0; i < d.length; i += 0x8000) s += String.fromCharCode.apply(null, d.subarray(i, i + 0x8000));
    return btoa(s);
  });
  return Buffer.from(base64, 'base64');
}

async function snapshot(session, name) {
  session.shots = session.shots || {};
  session.shots[name] = await canvasPixels(session.page);
  session.script.push(`shot ${path.join(work, name + '.png')}`, 'dump');
}

// ---- the runner -------------------------------------------------------------------

function runRunner(script, configDir, language) {
  const result = spawnSync(options.runner, ['--headless', '--script', '-', '--lang', language], {
    input: script.join('\n') + '\n',
    encoding: 'utf8',
    env: { ...process.env, VOSTRA_CONFIG_DIR: configDir },
  });
  if (result.status !== 0) throw new Error(`runner failed (${result.status}): ${result.stderr}`);
  // Separate the transcript from what `dump` prints.
  const transcript = [], states = [];
  const lines = result.stdout.split('\n');
  for (let i = 0; i < lines.length; i++) {
    const board = /^board \d+ (\d+)$/.exec(lines[i]);
    if (board) i += +board[1];
    else if (lines[i].startsWith('state ')) states.push(lines[i]);
    else if (lines[i]) transcript.push(lines[i]);
  }
  return { transcript, states };
}

function sameScreen(browserRgba, pngFile, what) {
  const png = decodePng(pngFile);
  let differ = 0, first = null;
  for (let i = 0; i < W * H; i++) {
    for (let c = 0; c < 3; c++) {
      if (browserRgba[i * 4 + c] !== png.rgba[i * 4 + c]) {
        if (!first) first = `(${i % W}, ${Math.floor(i / W)})`;
        differ++;
        break;
      }
    }
  }
  return check(png.width === W && png.height === H && differ === 0,
               `${what}: canvas equals the runner's screenshot` + (differ ? ` (${differ} pixels differ, first at ${first})` : ''));
}

// The transcripts without `store` lines: the runner stores when its script
// ends, the page whenever it is hidden.
function sameTranscript(browser, runner, what) {
  const b = browser.filter((l) => !l.startsWith('store ')), r = runner.filter((l) => !l.startsWith('store '));
  const same = b.length === r.length && b.every((l, i) => l === r[i]);
  check(same, `${what}: the console transcript equals the runner's`);
  if (!same) console.log(`  browser: ${JSON.stringify(b)}\n  runner:  ${JSON.stringify(r)}`);
}

// ---- the test ---------------------------------------------------------------------

const catalogue = catalogueRecords(fs.readFileSync(options.catalogue, 'utf8'));
const printed = spawnSync(options.runner, ['--print-catalogue'], { encoding: 'utf8' }).stdout.split('\n').filter(Boolean);
if (!check(printed.length === catalogue.length && printed.every((r, i) => r === catalogue[i]),
           'the runner was built from the catalogue the page uses')) {
  process.exit(1);
}
const solving = solvingSteps(1);

const server = await serve(path.resolve(options.site));
// The handheld's screen, whatever the viewport: the page would choose its own.
const url = `http://127.0.0.1:${server.address().port}/?screen=240x320`;
const measurements = {};

try {
  // 1. Problem 1 solved, the right soft key to problem 2.
  const en = await openBrowser('en-US');
  const sizes = {};
  en.page.on('response', async (r) => {
    try { sizes[new URL(r.url()).pathname] = (await r.body()).length; } catch (e) { /* redirects have none */ }
  });
  await en.page.goto(url);
  await idle(en.page);
  measurements.firstFrame = await en.page.evaluate(() => performance.getEntriesByName('vostra-first-frame')[0].startTime);
  measurements.sizes = { ...sizes };
  for (const step of solving.steps) {
    if (step.next) {
      await touch(en, W * 7 / 8, H - MENU_BAR / 2);  // "Next variation"
    } else {
      const p = pointCentre(solving.cols, solving.rows, step.tap);
      await click(en, p.x, p.y);
    }
  }
  await en.page.mouse.move(1, 1);  // off the screen: no stray hover later
  const goods = en.transcript.filter((l) => l === 'status Good').length;
  check(en.transcript.includes('status Success') && goods === solving.goods,
        `problem 1 solved: "status Success" in the console after ${solving.goods} "Good"`);
  await snapshot(en, 'solved');
  await touch(en, W * 7 / 8, H - MENU_BAR / 2);
  check(en.transcript.filter((l) => !/^(caption|reply)\b/.test(l)).at(-1) === 'softkey Hint', 'the right soft key loaded the next problem');
  await snapshot(en, 'next');
  const firstTranscript = en.transcript.splice(0);
  const firstScript = en.script.splice(0);

  // 2. Reloaded: problem 2 still current; the number dialog on a touch screen.
  await en.page.reload();
  await idle(en.page);
  measurements.reloadFirstFrame = await en.page.evaluate(() => performance.getEntriesByName('vostra-first-frame')[0].startTime);
  const stored = await en.page.evaluate(() => localStorage.getItem('vostra.registry') || '');
  check(/"CurrentProblemNo"=dword:00000002/.test(stored), 'localStorage holds problem 2 after the reload');
  await snapshot(en, 'reloaded');

  // Problem 2's first move: the page must show the user's stone on its own,
  // for the pause, before White's reply appears.
  const line2 = firstSolvedLine(2);
  const probes = pointProbes(line2.cols, line2.rows);
  await en.page.evaluate((spots) => {
    const present = vostraPage.present;
    window.presentedPoints = [];
    vostraPage.present = function (pixels, width, height) {
      present.call(this, pixels, width, height);
      window.presentedPoints.push(spots.map(([x, y]) => {
        const p = pixels[y * width + x];
        return p === 0 ? 'X' : p === 0xffffff ? 'O' : '.';
      }).join(''));
    };
  }, probes.map((p) => [p.x, p.y]));
  const before = await en.page.evaluate(() => window.presentedPoints.length);
  const move = pointCentre(line2.cols, line2.rows, line2.moves[0].point);
  await click(en, move.x, move.y);
  await en.page.mouse.move(1, 1);
  const frames = (await en.page.evaluate(() => window.presentedPoints)).slice(before);
  const at = probes.findIndex((p) => p.point === line2.moves[0].point);
  const whites = (f) => [...f].filter((c) => c === 'O').length;
  const startWhites = whites(await en.page.evaluate(() => window.presentedPoints[0]));
  const shown = frames.findIndex((f) => f[at] === 'X');
  check(shown >= 0 && whites(frames[shown]) === startWhites && whites(frames.at(-1)) === startWhites + 1 &&
        en.transcript.includes('sleep 200'),
        `problem 2: the stone at ${line2.moves[0].point} was shown alone, then White replied after the pause`);
  await touch(en, W / 8, H - MENU_BAR / 2);  // Menu
  // "Select problem", the fourth item of the pop-up standing on the menu bar.
  const items = 9, itemHeight = 20, popupTop = H - MENU_BAR - (2 + items * itemHeight);
  await touch(en, W / 8, popupTop + 1 + 3 * itemHeight + itemHeight / 2);
  const input = en.page.locator('#number-input');
  check(await input.isVisible(), 'the number dialog shows the numeric input');
  const box = await input.boundingBox();
  const screenBox = await en.page.locator('#screen').boundingBox();
  const ex = Math.floor((box.x + box.width / 2 - screenBox.x) * W / screenBox.width);
  const ey = Math.floor((box.y + box.height / 2 - screenBox.y) * H / screenBox.height);
  await en.page.touchscreen.tap(box.x + box.width / 2, box.y + box.height / 2);
  en.script.push(`tap ${ex} ${ey - TITLE}`);
  await idle(en.page);
  await en.page.keyboard.type('3');
  en.script.push('type 3');
  await idle(en.page);
  await en.page.keyboard.press('Enter');
  en.script.push('key return');
  await idle(en.page);
  check(!(await input.isVisible()), 'the numeric input goes with the dialog');
  await snapshot(en, 'chosen');
  const secondTranscript = en.transcript.splice(0);
  const secondScript = en.script.splice(0);
  check(en.errors.length === 0, 'no page errors' + (en.errors.length ? `: ${en.errors.join('; ')}` : ''));
  await closeBrowser(en);

  // 3. A Chinese browser, the page opened a second time with an empty cache.
  const zh = await openBrowser('zh-CN');
  await zh.page.goto(url);
  await idle(zh.page);
  const cdp = await zh.context.newCDPSession(zh.page);
  await cdp.send('Network.clearBrowserCache');
  await zh.page.goto('about:blank');
  await zh.page.goto(url);
  await idle(zh.page);
  measurements.emptyCacheFirstFrame = await zh.page.evaluate(
    () => performance.getEntriesByName('vostra-first-frame')[0].startTime);
  await snapshot(zh, 'chinese');
  await closeBrowser(zh);

  // The same input in the runner.
  const config = path.join(work, 'config');
  fs.rmSync(config, { recursive: true, force: true });
  const run1 = runRunner(firstScript, config, 'en');
  sameTranscript(firstTranscript, run1.transcript, 'solving problem 1');
  check(/problem=1 .*solved=1/.test(run1.states[0]) && /problem=2 /.test(run1.states[1]), 'the runner solved 1, then went to 2');
  sameScreen(en.shots.solved, path.join(work, 'solved.png'), 'problem 1 solved');
  sameScreen(en.shots.next, path.join(work, 'next.png'), 'problem 2 after the soft key');
  const run2 = runRunner(secondScript, config, 'en');
  sameTranscript(secondTranscript, run2.transcript, 'after the reload');
  check(/problem=2 /.test(run2.states[0]) && /problem=3 /.test(run2.states[1]), 'the runner restarted at 2, then chose 3');
  sameScreen(en.shots.reloaded, path.join(work, 'reloaded.png'), 'problem 2 after the reload');
  sameScreen(en.shots.chosen, path.join(work, 'chosen.png'), 'problem 3 from the number dialog');
  fs.rmSync(config, { recursive: true, force: true });
  runRunner(zh.script, config, 'zh');
  sameScreen(zh.shots.chinese, path.join(work, 'chinese.png'), 'the Chinese start screen');
} finally {
  server.close();
  if (!options.keep) fs.rmSync(work, { recursive: true, force: true });
}

const total = Object.values(measurements.sizes).reduce((a, b) => a + b, 0);
const gzipped = Object.keys(measurements.sizes)
  .map((p) => zlib.gzipSync(fs.readFileSync(path.join(options.site, p === '/' ? 'index.html' : p)), { level: 9 }).length)
  .reduce((a, b) => a + b, 0);
console.log(`page transfer: ${total} bytes uncompressed (${gzipped} gzipped): ` +
            Object.entries(measurements.sizes).map(([p, n]) => `${p} ${n}`).join(', '));
console.log(`first frame after navigation: ${measurements.firstFrame.toFixed(1)} ms in a browser just started, ` +
            `${measurements.emptyCacheFirstFrame.toFixed(1)} ms with an empty cache in a running one, ` +
            `${measurements.reloadFirstFrame.toFixed(1)} ms on reload`);
check(total < 1024 * 1024, 'the page transfers under 1 MB');
console.log(failures ? `${failures} check(s) failed` : 'all browser checks passed');
process.exit(failures ? 1 : 0);
