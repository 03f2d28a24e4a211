// Collections in the browser build, in headless Chromium:
//   1. a folder of SGF files with a broken one opens through the folder
//      picker: the broken file's file:line message is listed, the rest opens,
//      and the page shows the problem the runner shows for the same folder;
//   2. a problem solved at the first try, the next one shown, the page
//      reloaded: the collection, its current problem and the outcome are kept;
//   3. back to the built-in problems: their own current problem is shown;
//   4. a zip of the same folder opens, keeping the outcomes;
//   5. offline after the first load, reloaded, the kept collection still opens
//      (only when the site has a service worker, sw.js);
//   6. damaged outcomes reported and set aside;
//   7. a kept collection removed.
// Also reports the time to open a collection, the longest frame while it
// compiles and the bytes the page transfers; with --corpus DIR it measures
// opening that folder as well.
//
// usage: node collections_test.mjs --site DIR --runner VOSTRA [--chromium PATH] [--corpus DIR]
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { chromium } from 'playwright-core';

const options = { chromium: '/usr/bin/chromium' };
for (let i = 2; i < process.argv.length; i += 2) options[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
if (!options.site || !options.runner) {
  console.error('usage: node collections_test.mjs --site DIR --runner VOSTRA [--chromium PATH] [--corpus DIR]');
  process.exit(2);
}
if (options.corpus && !fs.existsSync(options.corpus)) {
  console.error(`${options.corpus}: no such folder (the corpus is not on this machine)`);
  process.exit(2);
}

const W = 240, H = 320, TITLE = 26;
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'vostra-collections-test-'));
let failures = 0;

function check(ok, what) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok) failures++;
  return ok;
}

// ---- the problems: a one-move kill, the same with a far stone, a broken file ----

const KILL = '(;GM[1]FF[4]SZ[19]C[Black to kill.]\nAB[ad][bd][cc][cd][db][ea][eb]AW[ac][bb][bc][ca][cb][da]\n' +
  '(;B[aa]C[Correct.])\n(;B[ba];W[aa]C[Wrong: White makes two eyes.]))\n';
const FILES = {
  '1-kill.sgf': KILL,
  '2-kill.sgf': KILL.replace('AW[ac]', 'AW[ef][ac]'),
  '3-broken.sgf': '(;GM[1]SZ[19]\nAB[aa]\n;B[zz',
};
const folder = path.join(work, 'kill');
fs.mkdirSync(folder);
for (const [name, text] of Object.entries(FILES)) fs.writeFileSync(path.join(folder, name), text);
// The corner point of the 6 x 7 board (cells of 38 pixels), in client pixels.
const CORNER = { x: 18, y: 18 };

const CRC = new Int32Array(256).map((_, n) => {
  let c = n;
  for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c;
});
function crc32(bytes) {
  let c = -1;
  for (const b of bytes) c = CRC[(c ^ b) & 0xff] ^ (c >>> 8);
  return (c ^ -1) >>> 0;
}

function makeZip(entries) {
  const parts = [], directory = [];
  let offset = 0;
  for (const [name, text] of entries) {
    const data = Buffer.from(text), packed = zlib.deflateRawSync(data), file = Buffer.from(name);
    const local = Buffer.alloc(30);
    local.writeUInt32LE(0x04034b50, 0); local.writeUInt16LE(20, 4); local.writeUInt16LE(8, 8);
    local.writeUInt32LE(crc32(data), 14); local.writeUInt32LE(packed.length, 18); local.writeUInt32LE(data.length, 22);
    local.writeUInt16LE(file.length, 26);
    const central = Buffer.alloc(46);
    central.writeUInt32LE(0x02014b50, 0); central.writeUInt16LE(20, 4); central.writeUInt16LE(20, 6);
    central.writeUInt16LE(8, 10); central.writeUInt32LE(crc32(data), 16); central.writeUInt32LE(packed.length, 20);
    central.writeUInt32LE(data.length, 24); central.writeUInt16LE(file.length, 28); central.writeUInt32LE(offset, 42);
    parts.push(local, file, packed);
    directory.push(central, file);
    offset += local.length + file.length + packed.length;
  }
  const dir = Buffer.concat(directory), end = Buffer.alloc(22);
  end.writeUInt32LE(0x06054b50, 0); end.writeUInt16LE(entries.length, 8); end.writeUInt16LE(entries.length, 10);
  end.writeUInt32LE(dir.length, 12); end.writeUInt32LE(offset, 16);
  return Buffer.concat([...parts, dir, end]);
}

// ---- PNG (what the runner writes: 8-bit RGB or RGBA) ------------------------------

function decodePng(file) {
  const data = fs.readFileSync(file);
  let pos = 8, width = 0, height = 0, type = 0;
  const idat = [];
  while (pos < data.length) {
    const length = data.readUInt32BE(pos), kind = data.toString('latin1', pos + 4, pos + 8);
    const body = data.subarray(pos + 8, pos + 8 + length);
    if (kind === 'IHDR') { width = body.readUInt32BE(0); height = body.readUInt32BE(4); type = body[9]; }
    if (kind === 'IDAT') idat.push(body);
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

// The runner's screen after a script, with its own configuration and data.
function runnerScreen(args, script, registry) {
  const config = fs.mkdtempSync(path.join(work, 'config-')), data = fs.mkdtempSync(path.join(work, 'data-'));
  if (registry) fs.writeFileSync(path.join(config, 'registry.reg'), registry);
  const shot = path.join(config, 'shot.png');
  const result = spawnSync(path.resolve(options.runner), [...args, '--headless', '--script', '-'], {
    input: `${script}\nshot ${shot}\n`, encoding: 'utf8', cwd: work,
    env: { ...process.env, VOSTRA_CONFIG_DIR: config, VOSTRA_DATA_DIR: data },
  });
  if (result.status !== 0) throw new Error(`runner failed (${result.status}): ${result.stderr}`);
  return decodePng(shot);
}

async function sameScreen(page, png, what) {
  const base64 = await page.evaluate(() => {
    const c = document.getElementById('screen');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let s = '';
    for (let i = 0; i < d.length; i += 0x8000) s += String.fromCharCode.apply(null, d.subarray(i, i + 0x8000));
    return btoa(s);
  });
  const rgba = Buffer.from(base64, 'base64');
  let differ = 0;
  for (let i = 0; i < W * H; i++) {
    if (rgba[i * 4] !== png.rgba[i * 4] || rgba[i * 4 + 1] !== png.rgba[i * 4 + 1] || rgba[i * 4 + 2] !== png.rgba[i * 4 + 2]) differ++;
  }
  check(png.width === W && png.height === H && differ === 0, `${what}: the page shows the runner's screen` +
        (differ ? ` (${differ} pixels differ)` : ''));
}

// ---- the static server (a blank page of the site's origin for set-up) ---------------

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
                '.webmanifest': 'application/manifest+json', '.json': 'application/json', '.png': 'image/png' };

function serve(root) {
  const server = http.createServer((request, response) => {
    let name = decodeURIComponent(new URL(request.url, 'http://host').pathname);
    if (name === '/__blank') { response.writeHead(200, { 'content-type': 'text/html' }).end('<!DOCTYPE html>'); return; }
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

async function openBrowser() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vostra-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: options.chromium,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--disable-dev-shm-usage'],
    locale: 'en-US',
    viewport: { width: 900, height: 720 },
  });
  const page = context.pages()[0] || (await context.newPage());
  const session = { context, page, profile, transcript: [], errors: [], sizes: {} };
  page.on('console', (m) => { if (m.type() === 'log') session.transcript.push(m.text()); });
  page.on('pageerror', (e) => session.errors.push(String(e)));
  page.on('response', async (r) => {
    try { session.sizes[new URL(r.url()).pathname] = (await r.body()).length; } catch (e) { /* none */ }
  });
  return session;
}

async function closeBrowser(session) {
  await session.context.close();
  fs.rmSync(session.profile, { recursive: true, force: true });
}

async function idle(page) {
  await page.waitForFunction(() => window.vostraPage && vostraPage.idle, null, { timeout: 15000 });
}

const statusText = (page) => page.locator('#collection-status').textContent();
async function waitForStatus(page, pattern, timeout = 60000) {
  await page.waitForFunction((p) => new RegExp(p).test(document.getElementById('collection-status').textContent),
                             pattern.source, { timeout });
  await idle(page);
}

// Opens files through a picker, measuring the time to the collection's line
// and the longest frame meanwhile.  Frames count from the picker's change
// event: before it, the test itself is handing the files to the page.
async function openThrough(page, input, files, expect) {
  await page.evaluate((selector) => {
    window.frameGaps = [];
    window.framesOn = true;
    window.openedAt = Infinity;
    window.longTasks = [];
    new PerformanceObserver((list) => {
      for (const e of list.getEntries()) if (e.startTime >= window.openedAt) window.longTasks.push(e.duration);
    }).observe({ entryTypes: ['longtask'] });
    document.querySelector(selector).addEventListener('change', () => { window.openedAt = performance.now(); },
                                                      { once: true, capture: true });
    let last = performance.now();
    const tick = (t) => {
      if (last >= window.openedAt) window.frameGaps.push(t - last);
      last = t;
      if (window.framesOn) requestAnimationFrame(tick);
    };
    requestAnimationFrame(tick);
  }, input);
  await page.setInputFiles(input, files);
  const start = await page.evaluate(() => window.openedAt);
  await waitForStatus(page, expect, 120000);
  const { end, longest, task } = await page.evaluate(() => {
    window.framesOn = false;
    return { end: performance.now(), longest: Math.max(0, ...window.frameGaps), task: Math.max(0, ...window.longTasks) };
  });
  return { ms: Math.round(end - start), longest, task };
}

async function clickScreen(page, x, y) {
  if (await page.locator('#collections-panel').isVisible()) await page.click('#collections-toggle');
  const box = await page.locator('#screen').boundingBox();
  await page.mouse.click(box.x + (x + 0.5) * box.width / W, box.y + (y + TITLE + 0.5) * box.height / H);
  await idle(page);
}

async function showPanel(page) {
  if (await page.locator('#collections-panel').isHidden()) await page.click('#collections-toggle');
}

// ---- the test ---------------------------------------------------------------------

const server = await serve(path.resolve(options.site));
const url = `http://127.0.0.1:${server.address().port}/`;
const hasServiceWorker = fs.existsSync(path.join(options.site, 'sw.js'));
const measured = [];
const builtInAt5 = 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\pellam\\Vostra]\n' +
  '"CurrentProblemNo"=dword:00000005\n';

try {
  const s = await openBrowser();
  const { page } = s;
  // The built-in problems stand at problem 5.
  await page.goto(url + '__blank');
  await page.evaluate((text) => localStorage.setItem('vostra.registry', text), builtInAt5);
  await page.goto(url + "?screen=240x320");  // the runner's screen, for the comparisons
  await idle(page);
  const pageBytes = Object.values(s.sizes).reduce((a, b) => a + b, 0);
  check((await statusText(page)) === '', 'no collection: no line above the screen');

  // 1. The folder, with its broken file.
  await showPanel(page);
  const opened = await openThrough(page, '#open-folder', folder, /^Kill · problem 1 of 2 · 0 solved, 0 to retry$/);
  measured.push(`opening the 3-file folder took ${opened.ms} ms, longest frame ${opened.longest.toFixed(1)} ms, ` +
                `longest main-thread task ${opened.task ? opened.task.toFixed(0) + ' ms' : 'none over 50 ms'}`);
  const messages = await page.locator('#compile-messages').textContent();
  check(/kill\/3-broken\.sgf:3: /.test(messages), `the broken file is listed with file:line (${messages.split('\n')[1]})`);
  check(/2 problems from 3 files/.test(messages), 'the rest of the folder opened');
  await sameScreen(page, runnerScreen(['--problems', 'kill'], ''), 'problem 1 of the folder');
  check((await page.locator('#caption').textContent()).includes('Black to kill.'),
        'the caption shows the collection\'s own goal');

  // 2. Solved at the first try, the next problem, a reload.
  await clickScreen(page, CORNER.x, CORNER.y);
  await page.waitForFunction(() => /1 solved/.test(document.getElementById('collection-status').textContent));
  check(s.transcript.includes('status Success'), 'problem 1 solved');
  await page.keyboard.press('Space');
  await idle(page);
  await waitForStatus(page, /problem 2 of 2 · 1 solved, 0 to retry/);
  await page.reload();
  await idle(page);
  await waitForStatus(page, /^Kill · problem 2 of 2 · 1 solved, 0 to retry$/);
  check(true, 'after the reload: the collection, problem 2 and the outcome are kept');
  await showPanel(page);
  check((await page.locator('#problem-grid button').first().getAttribute('class')) === 'first-try',
        'the grid shows problem 1 solved at the first try');
  await sameScreen(page, runnerScreen(['--problems', 'kill'], 'command 40005'), 'problem 2 after the reload');

  // 3. Back to the built-in problems, at their own problem.
  await page.click('.open-collection[data-id=""]');
  await page.waitForFunction(() => document.getElementById('collection-status').textContent === '');
  await idle(page);
  await sameScreen(page, runnerScreen([], '', builtInAt5), 'the built-in problems at their problem 5');
  const registry = await page.evaluate(() => { vostraPage.wake(); return localStorage.getItem('vostra.registry'); });
  check(/Collections\\kill\]\n"CurrentProblemNo"=dword:00000002/.test(registry),
        'the collection keeps its own current problem under its own key');

  // 4. A zip of the same folder: the same collection, outcomes kept.
  const zip = path.join(work, 'kill.zip');
  fs.writeFileSync(zip, makeZip(Object.entries(FILES).map(([n, t]) => [`kill/${n}`, t])));
  await openThrough(page, '#open-files', zip, /^Kill · problem 2 of 2 · 1 solved, 0 to retry$/);
  check(/kill\.zip\/kill\/3-broken\.sgf:3: /.test(await page.locator('#compile-messages').textContent()),
        'the zip opened, its broken entry listed with file:line');

  // 5. Offline.
  if (hasServiceWorker) {
    await page.waitForFunction(() => navigator.serviceWorker && navigator.serviceWorker.controller, null,
                               { timeout: 15000 }).catch(() => {});
    await page.reload();
    await idle(page);
    await s.context.setOffline(true);
    await page.reload();
    await idle(page);
    await waitForStatus(page, /^Kill · problem 2 of 2/);
    check(true, 'offline, reloaded: the kept collection opens');
    await s.context.setOffline(false);
  } else {
    console.log('skip the site has no service worker (sw.js): the offline reload is not tried');
  }

  // 6. A damaged store of outcomes: reported and set aside, the collection opens.
  await page.evaluate(() => vostraStore.putProgress('kill', 'vostra progress 1\nS 12'));
  await page.reload();
  await idle(page);
  await waitForStatus(page, /^Kill · problem 2 of 2 · 0 solved, 0 to retry$/);
  const kept = await page.evaluate(() => new Promise((resolve) => {
    indexedDB.open('vostra').onsuccess = (e) => {
      e.target.result.transaction('progress').objectStore('progress').getAllKeys().onsuccess = (k) => resolve(k.target.result);
    };
  }));
  check(/are damaged; they were set aside/.test(await page.locator('#compile-messages').textContent()) &&
        kept.some((k) => k.startsWith('kill#damaged-')), 'damaged outcomes are reported and kept aside');

  // 7. Removed.
  await showPanel(page);
  await page.click('.remove-collection[data-id="kill"]');
  await page.waitForFunction(() => !document.querySelector('.remove-collection[data-id="kill"]') &&
                             document.getElementById('collection-status').textContent === '');
  check(true, 'the collection removed, the built-in problems shown');
  check(s.errors.length === 0, 'no page errors' + (s.errors.length ? `: ${s.errors.join('; ')}` : ''));
  const compilerBytes = (s.sizes['/vostra_compile.js'] || 0) + (s.sizes['/vostra_compile.wasm'] || 0) +
    (s.sizes['/compile_worker.js'] || 0);
  measured.push(`the page transfers ${pageBytes} bytes; opening a collection loads ${compilerBytes} bytes more ` +
                `(the compile worker); ${pageBytes + compilerBytes} in all`);
  check(pageBytes + compilerBytes < 1024 * 1024, 'the page and its compiler transfer under 1 MB');
  await closeBrowser(s);

  if (options.corpus) {
    const c = await openBrowser();
    await c.page.goto(url);
    await idle(c.page);
    await showPanel(c.page);
    const r = await openThrough(c.page, '#open-folder', path.resolve(options.corpus), /· problem 1 of \d+ ·/);
    const files = fs.readdirSync(options.corpus).filter((f) => /\.sgf$/i.test(f)).length;
    measured.push(`opening ${options.corpus} (${files} files): ${r.ms} ms, longest frame ${r.longest.toFixed(1)} ms, ` +
                  `longest main-thread task ${r.task ? r.task.toFixed(0) + ' ms' : 'none over 50 ms'}; ` +
                  (await statusText(c.page)));
    await closeBrowser(c);
  }
} finally {
  server.close();
  fs.rmSync(work, { recursive: true, force: true });
}

for (const m of measured) console.log(m);
console.log(failures ? `${failures} check(s) failed` : 'all collection checks passed');
process.exit(failures ? 1 : 0);
