// What the browser tests share: their options and the tally of their checks,
// a static server for the built site, headless Chromium, the problems as the
// compiler shows them, the board layout, and the headless runner with its
// screenshots, to compare the page against.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

export const ROOT = path.join(path.dirname(fileURLToPath(import.meta.url)), '../..');
export const TITLE = 26, MENU_BAR = 26;

// The command line's --name value pairs over the defaults; with one of
// `required` missing, prints the usage line and exits with status 2.
export function parseOptions(usage, required, defaults = {}) {
  const options = { catalogue: path.join(ROOT, 'problems/catalogue.txt'), chromium: '/usr/bin/chromium', ...defaults };
  for (let i = 2; i < process.argv.length; i += 2) options[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
  if (required.some((name) => !options[name])) {
    console.error(`usage: ${usage}`);
    process.exit(2);
  }
  return options;
}

let failures = 0;

export function check(ok, what) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok) failures++;
  return ok;
}

// Says how the checks went and exits, with status 1 when one failed.
export function finish(what) {
  console.log(failures ? `${failures} ${what} check(s) failed` : `all ${what} checks passed`);
  process.exit(failures ? 1 : 0);
}

// ---- the problems -----------------------------------------------------------------

// Problem `number` of the catalogue as `vostra-problems show` prints it: the
// board size and the tree's nodes in order, each with its depth, colour,
// point, flag and, at a leaf, "solved" or "failed".
export function showProblem(options, number) {
  const shown = spawnSync(options.tool, ['show', '--number', String(number), options.catalogue], { encoding: 'utf8' });
  if (shown.status !== 0) throw new Error(`vostra-problems show failed: ${shown.stderr}`);
  const size = /^size (\d+)x(\d+)/m.exec(shown.stdout);
  const nodes = [];
  for (const line of shown.stdout.split('\n')) {
    const m = /^( *)([BW]) (\S+)  flag ([01])(?:  (solved|failed))?/.exec(line);
    if (m) nodes.push({ depth: m[1].length / 2, colour: m[2], point: m[3], flag: m[4], end: m[5] });
  }
  return { cols: +size[1], rows: +size[2], nodes };
}

// Client pixel at the centre of a point on a W x H screen, as the board
// layout puts it: the largest even cell (at least 6) fitting the problem into
// the client area above the status strip.
export function pointCentre(cols, rows, point, W = 240, H = 320) {
  let cell = Math.min(Math.floor(W / cols), Math.floor((H - 2 * MENU_BAR) / rows));
  if (cell % 2) cell -= 1;
  if (cell < 6) cell = 6;
  const radius = Math.floor((cell - 2) / 2);
  return { x: cell * (point.charCodeAt(0) - 65) + radius, y: cell * (point.charCodeAt(1) - 65) + radius };
}

// ---- the static server ------------------------------------------------------------

const TYPES = {
  '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
  '.webmanifest': 'application/manifest+json', '.json': 'application/json', '.png': 'image/png',
};

// Serves the folder `root` on a free local port; /__blank is an empty page of
// the site's origin.  `counter.requests`, when given, counts the requests.
export function serve(root, counter = {}) {
  root = path.resolve(root);
  const server = http.createServer((request, response) => {
    counter.requests = (counter.requests || 0) + 1;
    let name = decodeURIComponent(new URL(request.url, 'http://host').pathname);
    if (name === '/__blank') {
      response.writeHead(200, { 'content-type': 'text/html' }).end('<!DOCTYPE html>');
      return;
    }
    if (name.endsWith('/')) name += 'index.html';
    const file = path.join(root, path.normalize(name));
    if (!file.startsWith(root)) {
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

// Headless Chromium with a profile of its own; `settings` go to the browser
// context (locale, viewport, touch, ...).  The session collects the page's
// console log lines (its transcript), its errors and the bytes of each path
// it loads.
export async function openBrowser(options, settings = {}) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vostra-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: options.chromium,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--disable-dev-shm-usage'],
    locale: 'en-US',
    viewport: { width: 520, height: 720 },
    ...settings,
  });
  const page = context.pages()[0] || (await context.newPage());
  const session = { context, page, profile, transcript: [], script: [], errors: [], sizes: {} };
  page.on('console', (m) => { if (m.type() === 'log') session.transcript.push(m.text()); });
  page.on('pageerror', (e) => session.errors.push(String(e)));
  page.on('response', async (r) => {
    try { session.sizes[new URL(r.url()).pathname] = (await r.body()).length; } catch (e) { /* redirects have none */ }
  });
  return session;
}

export async function closeBrowser(session) {
  await session.context.close();
  fs.rmSync(session.profile, { recursive: true, force: true });
}

// Waits until the program waits for input.
export async function idle(page) {
  await page.waitForFunction(() => window.vostraPage && vostraPage.idle, null, { timeout: 15000 });
}

// The canvas's RGBA bytes.
export async function canvasPixels(page) {
  const base64 = await page.evaluate(() => {
    const c = document.getElementById('screen');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let s = '';
    for (let i = 0; i < d.length; i += 0x8000) s += String.fromCharCode.apply(null, d.subarray(i, i + 0x8000));
    return btoa(s);
  });
  return Buffer.from(base64, 'base64');
}

// ---- the runner -------------------------------------------------------------------

// The headless runner on the script `lines` with the options `args`; `env`
// adds to the environment.  What `dump` prints is kept apart: the state
// lines, and the transcript without the boards.
export function runRunner(runner, args, lines, { env = {}, cwd } = {}) {
  const result = spawnSync(path.resolve(runner), [...args, '--headless', '--script', '-'], {
    input: lines.join('\n') + '\n', encoding: 'utf8', cwd, env: { ...process.env, ...env },
  });
  if (result.status !== 0) throw new Error(`runner failed (${result.status}): ${result.stderr}`);
  const transcript = [], states = [];
  const out = result.stdout.split('\n');
  for (let i = 0; i < out.length; i++) {
    const board = /^board \d+ (\d+)$/.exec(out[i]);
    if (board) i += +board[1];
    else if (out[i].startsWith('state ')) states.push(out[i]);
    else if (out[i]) transcript.push(out[i]);
  }
  return { transcript, states };
}

// 8-bit RGB or RGBA, not interlaced (what the runner writes) -> RGBA bytes.
export function decodePng(file) {
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
  const bpp = type === 6 ? 4 : 3, stride = width * bpp, out = Buffer.alloc(width * height * 4);
  let prev = Buffer.alloc(stride);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    const line = Buffer.from(raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1)));
    for (let i = 0; i < stride; i++) {
      const a = i >= bpp ? line[i - bpp] : 0, b = prev[i], c = i >= bpp ? prev[i - bpp] : 0;
      const pa = Math.abs(b - c), pb = Math.abs(a - c), pc = Math.abs(a + b - 2 * c);
      const p = [0, a, b, (a + b) >> 1, pa <= pb && pa <= pc ? a : pb <= pc ? b : c][filter];
      line[i] = (line[i] + p) & 0xff;
    }
    for (let x = 0; x < width; x++) out.set([line[x * bpp], line[x * bpp + 1], line[x * bpp + 2], 255], (y * width + x) * 4);
    prev = line;
  }
  return { width, height, rgba: out };
}

// Checks that the canvas bytes `rgba` equal the runner's screenshot `png`
// (decoded, W x H) pixel for pixel.
export function sameScreen(rgba, png, what, W = 240, H = 320) {
  let differ = 0, first = null;
  for (let i = 0; i < W * H; i++) {
    if (rgba[i * 4] !== png.rgba[i * 4] || rgba[i * 4 + 1] !== png.rgba[i * 4 + 1] ||
        rgba[i * 4 + 2] !== png.rgba[i * 4 + 2]) {
      if (!first) first = `(${i % W}, ${Math.floor(i / W)})`;
      differ++;
    }
  }
  return check(png.width === W && png.height === H && differ === 0,
               `${what}: the canvas equals the runner's screenshot` +
               (differ ? ` (${differ} pixels differ, first at ${first})` : ''));
}

// Checks that two transcripts agree but for `store` lines: the runner stores
// when its script ends, the page whenever it is hidden.
export function sameTranscript(browser, runner, what) {
  const b = browser.filter((l) => !l.startsWith('store ')), r = runner.filter((l) => !l.startsWith('store '));
  const same = b.length === r.length && b.every((l, i) => l === r[i]);
  check(same, `${what}: the console transcript equals the runner's`);
  if (!same) console.log(`  browser: ${JSON.stringify(b)}\n  runner:  ${JSON.stringify(r)}`);
  return same;
}
