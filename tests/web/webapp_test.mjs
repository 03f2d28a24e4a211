// The page as an installed web app, in headless Chromium:
//   1. the manifest is found and Chromium reads it without errors: name, start
//      URL inside its scope, standalone and portrait, icons that load as PNGs
//      of their stated sizes;
//   2. after the first load the service worker controls the page;
//   3. with the browser offline (and the server counting no request), a
//      reload still shows the same board, and a problem is solved;
//   4. a changed page served (a file changed, the worker written again as the
//      build writes it) reaches the user as sw.js says: the open page goes on
//      as it is, the new worker takes over in the background and drops the
//      old cache, and the next load is the new version.
// The site is copied to a scratch folder first, so that step 4 can change it.
//
// usage: node webapp_test.mjs --site DIR --tool VOSTRA-PROBLEMS [--catalogue FILE] [--chromium PATH]
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.join(here, '../..');
const options = {
  catalogue: path.join(root, 'problems/catalogue.txt'),
  chromium: '/usr/bin/chromium',
  cmake: 'cmake',
};
for (let i = 2; i < process.argv.length; i += 2) options[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
for (const need of ['site', 'tool']) {
  if (!options[need]) {
    console.error('usage: node webapp_test.mjs --site DIR --tool VOSTRA-PROBLEMS [--catalogue FILE] [--chromium PATH]');
    process.exit(2);
  }
}

const W = 240, H = 320, TITLE = 26, MENU_BAR = 26;
let failures = 0;

function check(ok, what) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok) failures++;
  return ok;
}

// ---- a problem to solve ---------------------------------------------------------------

// The first problem of the catalogue that Black solves along one line where
// White never has a choice of defence (so the line is known in advance),
// with at least two Black moves when there is such a problem: its number,
// board size and Black's moves.
function problemToSolve() {
  const count = fs.readFileSync(options.catalogue, 'utf8').split('\n')
    .filter((l) => l.trim() && !l.trim().startsWith('#')).length;
  let fallback = null;
  for (let number = 1; number <= count; number++) {
    const shown = spawnSync(options.tool, ['show', '--number', String(number), options.catalogue], { encoding: 'utf8' });
    if (shown.status !== 0) throw new Error(`vostra-problems show failed: ${shown.stderr}`);
    const size = /^size (\d+)x(\d+)/m.exec(shown.stdout);
    const nodes = [];
    for (const line of shown.stdout.split('\n')) {
      const m = /^( *)([BW]) (\S+)  flag [01](  (solved|failed))?$/.exec(line);
      if (m) nodes.push({ depth: m[1].length / 2, colour: m[2], point: m[3], end: m[5] });
    }
    const siblings = (i) => {
      let n = 0;
      for (let j = i - 1; j >= 0 && nodes[j].depth >= nodes[i].depth; j--) if (nodes[j].depth === nodes[i].depth) n++;
      for (let j = i + 1; j < nodes.length && nodes[j].depth >= nodes[i].depth; j++) if (nodes[j].depth === nodes[i].depth) n++;
      return n;
    };
    const line = [];
    for (let i = 0; i < nodes.length; i++) {
      line.length = nodes[i].depth - 1;
      line.push(i);
      if (nodes[i].end !== 'solved') continue;
      const moves = line.map((k) => nodes[k]);
      if (moves.some((n) => n.point === 'pass') || line.some((k) => nodes[k].colour === 'W' && siblings(k) > 0)) break;
      const found = { number, cols: +size[1], rows: +size[2], moves: moves.filter((n) => n.colour === 'B').map((n) => n.point) };
      if (found.moves.length >= 2) return found;
      fallback = fallback || found;
      break;
    }
  }
  if (!fallback) throw new Error('no problem in the catalogue has a line without a choice of defence');
  return fallback;
}

// Client pixel at the centre of a point: the largest even cell (at least 6)
// fitting the problem into the client area above the status strip.
function pointCentre(cols, rows, point) {
  let cell = Math.min(Math.floor(W / cols), Math.floor((H - 2 * MENU_BAR) / rows));
  if (cell % 2) cell -= 1;
  if (cell < 6) cell = 6;
  const radius = Math.floor((cell - 2) / 2);
  return { x: cell * (point.charCodeAt(0) - 65) + radius, y: cell * (point.charCodeAt(1) - 65) + radius };
}

// Width and height of a PNG, or null when the bytes are not one.
function pngSize(bytes) {
  if (bytes.length < 24 || bytes.toString('latin1', 1, 4) !== 'PNG' || bytes.toString('latin1', 12, 16) !== 'IHDR') return null;
  return `${bytes.readUInt32BE(16)}x${bytes.readUInt32BE(20)}`;
}

// ---- the static server ------------------------------------------------------------

const TYPES = {
  '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
  '.webmanifest': 'application/manifest+json', '.png': 'image/png',
};

function serve(site, counter) {
  const server = http.createServer((request, response) => {
    counter.requests++;
    let name = decodeURIComponent(new URL(request.url, 'http://host').pathname);
    if (name.endsWith('/')) name += 'index.html';
    const file = path.join(site, path.normalize(name));
    if (!file.startsWith(path.resolve(site))) {
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

async function openBrowser() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vostra-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: options.chromium,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--disable-dev-shm-usage'],
    locale: 'en-US',
    viewport: { width: 520, height: 720 },
  });
  const page = context.pages()[0] || (await context.newPage());
  const session = { context, page, profile, transcript: [], errors: [] };
  page.on('console', (m) => { if (m.type() === 'log') session.transcript.push(m.text()); });
  page.on('pageerror', (e) => session.errors.push(String(e)));
  return session;
}

async function idle(page) {
  await page.waitForFunction(() => window.vostraPage && vostraPage.idle, null, { timeout: 15000 });
}

async function click(page, x, y) {
  const box = await page.locator('#screen').boundingBox();
  await page.mouse.click(box.x + (x + 0.5) * box.width / W, box.y + (y + TITLE + 0.5) * box.height / H);
  await idle(page);
}

async function canvasPixels(page) {
  return page.evaluate(() => {
    const c = document.getElementById('screen');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let s = '';
    for (let i = 0; i < d.length; i += 0x8000) s += String.fromCharCode.apply(null, d.subarray(i, i + 0x8000));
    return btoa(s);
  });
}

// Whether a worker controls the page, and the page's caches.
async function cacheState(page) {
  return page.evaluate(async () => ({ controlled: !!navigator.serviceWorker.controller, caches: await caches.keys() }));
}

// The version the build wrote into the site's worker.
function workerVersion(site) {
  return /const VERSION = '([0-9a-f]+)'/.exec(fs.readFileSync(path.join(site, 'sw.js'), 'utf8'))?.[1];
}

// ---- the test ---------------------------------------------------------------------

const site = fs.mkdtempSync(path.join(os.tmpdir(), 'vostra-webapp-'));
fs.cpSync(path.resolve(options.site), site, { recursive: true });
const counter = { requests: 0 };
const server = await serve(site, counter);
const url = `http://127.0.0.1:${server.address().port}/`;
const problem = problemToSolve();
const session = await openBrowser();
const { page, context } = session;

try {
  // 1. The manifest.
  await page.goto(url);
  await idle(page);
  const cdp = await context.newCDPSession(page);
  const read = await cdp.send('Page.getAppManifest');
  check(read.url && read.errors.length === 0,
        `Chromium finds the manifest at ${read.url} and reads it without errors` +
        (read.errors.length ? `: ${read.errors.map((e) => e.message).join('; ')}` : ''));
  const manifest = JSON.parse(read.data || '{}');
  const base = read.url || url;
  const start = new URL(manifest.start_url || '', base).href, scope = new URL(manifest.scope || './', base).href;
  check(manifest.name === 'Vostra' && manifest.short_name && start === url && start.startsWith(scope),
        `name "${manifest.name}", start URL ${start} inside the scope ${scope}`);
  check(manifest.display === 'standalone' && manifest.orientation === 'portrait' &&
        /^#[0-9a-f]{6}$/i.test(manifest.theme_color || ''), 'standalone, portrait, with a theme colour');
  const icons = manifest.icons || [];
  const purposes = new Set(icons.map((i) => i.purpose || 'any'));
  check(icons.some((i) => i.sizes === '192x192') && icons.some((i) => i.sizes === '512x512') && purposes.has('maskable'),
        'icons of 192 and 512 pixels, and a maskable one');
  for (const icon of icons) {
    const response = await context.request.get(new URL(icon.src, base).href);
    const size = pngSize(await response.body());
    check(response.ok() && size === icon.sizes && icon.type === 'image/png', `icon ${icon.src} loads as a ${size} PNG`);
  }
  const installable = await cdp.send('Page.getInstallabilityErrors').catch(() => null);
  if (installable) {
    const errors = installable.installabilityErrors.map((e) => e.errorId);
    check(errors.length === 0, 'Chromium sees the page as installable' + (errors.length ? `: ${errors.join(', ')}` : ''));
  }

  // 2. The service worker takes control on the first load.
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 15000 });
  const version1 = workerVersion(site);
  const first = await cacheState(page);
  check(first.controlled && version1 && first.caches.length === 1 && first.caches[0].endsWith(' ' + version1),
        `the service worker controls the page after the first load, its files kept in "${first.caches[0]}"`);

  // 3. Offline: the chosen problem's board comes back, and it is solved.
  // Chosen from another document of the site, in what the page stored when
  // it went (it would store its own problem again on leaving).
  await page.goto(url + 'manifest.webmanifest');
  const chosen = await page.evaluate((n) => {
    const text = (localStorage.getItem('vostra.registry') || '')
      .replace(/("CurrentProblemNo"=dword:)[0-9a-f]{8}/, (_, key) => key + n.toString(16).padStart(8, '0'));
    localStorage.setItem('vostra.registry', text);
    return text.includes('CurrentProblemNo');
  }, problem.number);
  if (!chosen) throw new Error('the page stored no current problem in localStorage');
  await page.goto(url);
  await idle(page);
  const online = await canvasPixels(page);
  await context.setOffline(true);
  const before = counter.requests;
  session.transcript.length = 0;
  await page.reload();
  await idle(page);
  check((await canvasPixels(page)) === online, `offline, a reload shows problem ${problem.number} as online`);
  for (const move of problem.moves) {
    const p = pointCentre(problem.cols, problem.rows, move);
    await click(page, p.x, p.y);
  }
  check(session.transcript.includes('status Success'),
        `offline, problem ${problem.number} solved with ${problem.moves.join(' ')}: "status Success"`);
  check(counter.requests === before, `no request reached the server while offline (${counter.requests - before})`);
  await context.setOffline(false);

  // 4. A new version: a changed page, and its worker as the build writes it.
  const marker = '<meta name="vostra-test-version" content="2">';
  const index = path.join(site, 'index.html');
  fs.writeFileSync(index, fs.readFileSync(index, 'utf8').replace('<head>', `<head>\n${marker}`));
  const stamped = spawnSync(options.cmake, [`-DTEMPLATE=${path.join(root, 'web/sw.js')}`, `-DSITE=${site}`, '-P',
                                            path.join(root, 'cmake/service_worker.cmake')], { encoding: 'utf8' });
  if (stamped.status !== 0) throw new Error(`writing the service worker failed: ${stamped.stderr}`);
  const isNew = () => !!document.querySelector('meta[name="vostra-test-version"]');
  const version2 = workerVersion(site);
  await page.reload();
  await idle(page);
  check(version2 && version2 !== version1 && !(await page.evaluate(isNew)),
        'the first load after the change still shows the version in use');
  // The new worker deletes the old cache when it takes over.
  const current = (state) => state.controlled && state.caches.length === 1 && state.caches[0].endsWith(' ' + version2);
  let updated = await cacheState(page);
  for (let waited = 0; !current(updated) && waited < 15000; waited += 100) {
    await new Promise((resolve) => setTimeout(resolve, 100));
    updated = await cacheState(page);
  }
  check(current(updated),
        `meanwhile the new worker took over and kept only its own cache: ${JSON.stringify(updated.caches)}`);
  await page.reload();
  await idle(page);
  check(await page.evaluate(isNew), 'the next load shows the new version');
  await context.setOffline(true);
  await page.reload();
  await idle(page);
  check(await page.evaluate(isNew), 'and so does the next one offline');
  check(session.errors.length === 0, 'no page errors' + (session.errors.length ? `: ${session.errors.join('; ')}` : ''));
} finally {
  await context.close();
  server.close();
  fs.rmSync(session.profile, { recursive: true, force: true });
  fs.rmSync(site, { recursive: true, force: true });
}

console.log(failures ? `${failures} web app check(s) failed` : 'all web app checks passed');
process.exit(failures ? 1 : 0);
