// The page around the device screen, in headless Chromium against the
// headless runner, on portrait phones (one with a fractional pixel ratio), a
// landscape phone and a desktop window, each with the screen size the page chooses from the viewport:
//   - the board spans at least 90% of a portrait phone's width, and the
//     screen fills its room on the others; the page never scrolls;
//   - the caption shows problem 1's goal;
//   - after a wrong first move the live region says "Failure" and White's
//     reply, and the caption the author's comment;
//   - the canvas equals the runner's `shot` at the same `--screen`, and the
//     console transcript equals the runner's.
//
// usage: node captions_test.mjs --site DIR --runner VOSTRA --tool VOSTRA-PROBLEMS
//                               [--catalogue FILE] [--chromium PATH]
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

const here = path.dirname(fileURLToPath(import.meta.url));
const options = { catalogue: path.join(here, '../../problems/catalogue.txt'), chromium: '/usr/bin/chromium' };
for (let i = 2; i < process.argv.length; i += 2) options[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
for (const need of ['site', 'runner', 'tool']) {
  if (!options[need]) {
    console.error('usage: node captions_test.mjs --site DIR --runner VOSTRA --tool VOSTRA-PROBLEMS [--catalogue FILE]');
    process.exit(2);
  }
}

const TITLE = 26, MENU_BAR = 26, YELLOW = [255, 255, 0];
const GOAL = 'Black to kill the white corner group.';
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'vostra-captions-test-'));
let failures = 0;

function check(ok, what) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok) failures++;
  return ok;
}

// Problem 1's size and its first wrong Black move, from the compiled tree.
function firstWrongMove() {
  const shown = spawnSync(options.tool, ['show', '--number', '1', options.catalogue], { encoding: 'utf8' });
  if (shown.status !== 0) throw new Error(`vostra-problems show failed: ${shown.stderr}`);
  const size = /^size (\d+)x(\d+)/m.exec(shown.stdout);
  const m = /^  B (\S\S)  flag 0$/m.exec(shown.stdout);
  if (!size || !m) throw new Error('problem 1 has no wrong first move');
  return { cols: +size[1], rows: +size[2], point: m[1] };
}

// Client pixel at a point's centre on a W x H screen (the board layout).
function pointCentre(W, H, cols, rows, point) {
  let cell = Math.min(Math.floor(W / cols), Math.floor((H - 2 * MENU_BAR) / rows));
  if (cell % 2) cell -= 1;
  if (cell < 6) cell = 6;
  const radius = Math.floor((cell - 2) / 2);
  const col = point.charCodeAt(0) - 64, row = point.charCodeAt(1) - 64;
  return { x: cell * (col - 1) + radius, y: cell * (row - 1) + radius };
}

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm' };

function serve(root) {
  const server = http.createServer((request, response) => {
    let name = decodeURIComponent(new URL(request.url, 'http://host').pathname);
    if (name.endsWith('/')) name += 'index.html';
    const file = path.join(root, path.normalize(name));
    if (!file.startsWith(path.resolve(root))) { response.writeHead(403).end(); return; }
    fs.readFile(file, (error, body) => {
      if (error) { response.writeHead(404).end(); return; }
      response.writeHead(200, { 'content-type': TYPES[path.extname(file)] || 'application/octet-stream' });
      response.end(body);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

function runRunner(script, configDir, screen) {
  const result = spawnSync(options.runner, ['--headless', '--script', '-', '--lang', 'en', '--screen', screen], {
    input: script.join('\n') + '\n', encoding: 'utf8', env: { ...process.env, VOSTRA_CONFIG_DIR: configDir },
  });
  if (result.status !== 0) throw new Error(`runner failed (${result.status}): ${result.stderr}`);
  return result.stdout.split('\n').filter((l) => l && !l.startsWith('store '));
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

// Pixels of the canvas that differ from a PNG file, decoded by the browser
// itself; -1 when the sizes differ.
function differingPixels(page, pngFile) {
  return page.evaluate(async (data) => {
    const img = new Image();
    img.src = 'data:image/png;base64,' + data;
    await img.decode();
    const c = document.getElementById('screen');
    if (img.width !== c.width || img.height !== c.height) return -1;
    const other = document.createElement('canvas');
    other.width = img.width;
    other.height = img.height;
    const ctx = other.getContext('2d');
    ctx.drawImage(img, 0, 0);
    const a = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    const b = ctx.getImageData(0, 0, c.width, c.height).data;
    let differ = 0;
    for (let i = 0; i < a.length; i += 4) if (a[i] !== b[i] || a[i + 1] !== b[i + 1] || a[i + 2] !== b[i + 2]) differ++;
    return differ;
  }, fs.readFileSync(pngFile).toString('base64'));
}

// Columns of the canvas that show the yellow board somewhere.
function boardColumns(rgba, W, H) {
  let columns = 0;
  for (let x = 0; x < W; x++) {
    for (let y = TITLE; y < H - MENU_BAR; y++) {
      const i = (y * W + x) * 4;
      if (rgba[i] === YELLOW[0] && rgba[i + 1] === YELLOW[1] && rgba[i + 2] === YELLOW[2]) { columns++; break; }
    }
  }
  return columns;
}

const wrong = firstWrongMove();
const server = await serve(path.resolve(options.site));
const url = `http://127.0.0.1:${server.address().port}/`;
const views = [
  { name: 'portrait phone 390x844', viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, touch: true, spanWidth: 0.9 },
  { name: 'portrait phone 412x915 at 2.625', viewport: { width: 412, height: 915 }, deviceScaleFactor: 2.625, touch: true, spanWidth: 0.9 },
  { name: 'landscape phone 844x390', viewport: { width: 844, height: 390 }, deviceScaleFactor: 3, touch: true },
  { name: 'desktop 1280x800', viewport: { width: 1280, height: 800 }, deviceScaleFactor: 1, touch: false },
];

try {
  for (const v of views) {
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vostra-chromium-'));
    const context = await chromium.launchPersistentContext(profile, {
      executablePath: options.chromium, headless: true, locale: 'en-US',
      args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking', '--disable-dev-shm-usage'],
      viewport: v.viewport, deviceScaleFactor: v.deviceScaleFactor, hasTouch: v.touch, isMobile: v.touch,
    });
    const page = context.pages()[0] || (await context.newPage());
    const transcript = [], errors = [];
    page.on('console', (m) => { if (m.type() === 'log' && !m.text().startsWith('store ')) transcript.push(m.text()); });
    page.on('pageerror', (e) => errors.push(String(e)));
    const idle = () => page.waitForFunction(() => window.vostraPage && vostraPage.idle, null, { timeout: 15000 });
    await page.goto(url);
    await idle();

    const [W, H] = await page.evaluate(() => [document.getElementById('screen').width, document.getElementById('screen').height]);
    const box = await page.locator('#screen').boundingBox();
    const scale = box.width / W;
    const layout = await page.evaluate(() => ({
      scrollW: document.documentElement.scrollWidth, scrollH: document.documentElement.scrollHeight,
      w: window.innerWidth, h: window.innerHeight,
    }));
    check(layout.scrollW <= layout.w && layout.scrollH <= layout.h, `${v.name}: the page does not scroll`);
    check(Number.isInteger(scale) && W >= 240 && H >= 320 - 96,
          `${v.name}: a ${W}x${H} screen at ${scale} CSS pixels per screen pixel`);
    if (v.spanWidth) {
      const span = boardColumns(await canvasPixels(page), W, H) * scale / v.viewport.width;
      check(span >= v.spanWidth, `${v.name}: the board spans ${(span * 100).toFixed(0)}% of the width`);
    } else {
      // The screen fills the room the caption leaves, to the last scale step.
      const fills = box.width + scale * 240 > v.viewport.width * 0.7 || box.height + scale * 320 > v.viewport.height;
      check(fills && box.x + box.width <= v.viewport.width && box.y + box.height <= v.viewport.height,
            `${v.name}: the screen fills its room (${box.width}x${box.height} CSS pixels)`);
    }
    const caption = () => page.locator('#caption').textContent();
    check((await caption()).includes(GOAL), `${v.name}: the caption shows the goal`);

    // The wrong first move, by finger or mouse.
    const p = pointCentre(W, H, wrong.cols, wrong.rows, wrong.point);
    const at = { x: box.x + (p.x + 0.5) * scale, y: box.y + (p.y + TITLE + 0.5) * scale };
    const script = ['wait 0'];
    if (v.touch) {
      await page.touchscreen.tap(at.x, at.y);
      script.push(`tap ${p.x} ${p.y}`);
    } else {
      await page.mouse.click(at.x, at.y);
      script.push(`move ${p.x} ${p.y}`, `tap ${p.x} ${p.y}`);
    }
    await idle();
    await page.waitForFunction(() => /Failure/.test(document.getElementById('announce').textContent), null,
                               { timeout: 5000 }).catch(() => {});
    const said = await page.locator('#announce').textContent();
    check(/Failure/.test(said) && /White [A-T]\d+/.test(said), `${v.name}: the live region says "${said}"`);
    check(/^Wrong\./.test(await caption()), `${v.name}: the caption shows the author's comment`);

    const shot = path.join(work, `${W}x${H}.png`);
    const runner = runRunner([...script.slice(1), `shot ${shot}`], fs.mkdtempSync(path.join(work, 'config-')), `${W}x${H}`);
    const same = transcript.length === runner.length && transcript.every((l, i) => l === runner[i]);
    check(same, `${v.name}: the console transcript equals the runner's with --screen ${W}x${H}`);
    if (!same) console.log(`  browser: ${JSON.stringify(transcript)}\n  runner:  ${JSON.stringify(runner)}`);
    const differ = await differingPixels(page, shot);
    check(differ === 0, `${v.name}: the canvas equals the runner's shot` + (differ ? ` (${differ} pixels differ)` : ''));
    check(errors.length === 0, `${v.name}: no page errors` + (errors.length ? `: ${errors.join('; ')}` : ''));
    await context.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
} finally {
  server.close();
  fs.rmSync(work, { recursive: true, force: true });
}
if (failures) {
  console.log(`${failures} check(s) failed`);
  process.exit(1);
}
