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
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import {
  MENU_BAR, TITLE, canvasPixels, check, closeBrowser, decodePng, finish, idle, openBrowser, parseOptions, pointCentre,
  runRunner, sameScreen, sameTranscript, serve, showProblem,
} from './harness.mjs';

const options = parseOptions('node browser_test.mjs --site DIR --runner VOSTRA --tool VOSTRA-PROBLEMS [--catalogue FILE]',
                             ['site', 'runner', 'tool']);
const W = 240, H = 320;
const work = options.keep || fs.mkdtempSync(path.join(os.tmpdir(), 'vostra-web-test-'));
fs.mkdirSync(work, { recursive: true });

// ---- the problem and where its points are ------------------------------------------

function catalogueRecords(text) {
  return text.split('\n').map((l) => l.trim()).filter((l) => l && !l.startsWith('#')).map((l) => l.split(' ')[0]);
}

// Board size and the Black moves of the first line of the tree that ends solved.
function firstSolvedLine(number) {
  const { cols, rows, nodes } = showProblem(options, number);
  const line = [];
  for (const node of nodes) {
    line.length = node.depth - 1;
    line.push(node);
    if (node.end === 'solved') return { cols, rows, moves: line.filter((n) => n.colour === 'B') };
  }
  throw new Error(`problem ${number} has no solved line`);
}

// What solving a problem takes from the user: Black's taps and the "Next
// variation" presses, following the trainer's tour of White's defences (White
// answers with the first defence not yet refuted; a refuted line with
// defences left over gives "Good" and the next variation).
function solvingSteps(number) {
  const shown = showProblem(options, number);
  const nodes = [{ depth: 0 }, ...shown.nodes];
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
    if (pending < 0) return { cols: shown.cols, rows: shown.rows, steps, goods };
    goods++;
    steps.push({ next: true });
    current = pending;
  }
  throw new Error(`problem ${number}: the tour does not end`);
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

// ---- the browser ------------------------------------------------------------------

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

async function snapshot(session, name) {
  session.shots = session.shots || {};
  session.shots[name] = await canvasPixels(session.page);
  session.script.push(`shot ${path.join(work, name + '.png')}`, 'dump');
}

// ---- the test ---------------------------------------------------------------------

const catalogue = catalogueRecords(fs.readFileSync(options.catalogue, 'utf8'));
const printed = spawnSync(options.runner, ['--print-catalogue'], { encoding: 'utf8' }).stdout.split('\n').filter(Boolean);
if (!check(printed.length === catalogue.length && printed.every((r, i) => r === catalogue[i]),
           'the runner was built from the catalogue the page uses')) {
  process.exit(1);
}
const solving = solvingSteps(1);

const server = await serve(options.site);
// The handheld's screen, whatever the viewport: the page would choose its own.
const url = `http://127.0.0.1:${server.address().port}/?screen=240x320`;
const measurements = {};

try {
  // 1. Problem 1 solved, the right soft key to problem 2.
  const en = await openBrowser(options, { hasTouch: true });
  await en.page.goto(url);
  await idle(en.page);
  measurements.firstFrame = await en.page.evaluate(() => performance.getEntriesByName('vostra-first-frame')[0].startTime);
  measurements.sizes = { ...en.sizes };
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
  const zh = await openBrowser(options, { locale: 'zh-CN', hasTouch: true });
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
  const run1 = runRunner(options.runner, ['--lang', 'en'], firstScript, { env: { VOSTRA_CONFIG_DIR: config } });
  sameTranscript(firstTranscript, run1.transcript, 'solving problem 1');
  check(/problem=1 .*solved=1/.test(run1.states[0]) && /problem=2 /.test(run1.states[1]), 'the runner solved 1, then went to 2');
  sameScreen(en.shots.solved, decodePng(path.join(work, 'solved.png')), 'problem 1 solved');
  sameScreen(en.shots.next, decodePng(path.join(work, 'next.png')), 'problem 2 after the soft key');
  const run2 = runRunner(options.runner, ['--lang', 'en'], secondScript, { env: { VOSTRA_CONFIG_DIR: config } });
  sameTranscript(secondTranscript, run2.transcript, 'after the reload');
  check(/problem=2 /.test(run2.states[0]) && /problem=3 /.test(run2.states[1]), 'the runner restarted at 2, then chose 3');
  sameScreen(en.shots.reloaded, decodePng(path.join(work, 'reloaded.png')), 'problem 2 after the reload');
  sameScreen(en.shots.chosen, decodePng(path.join(work, 'chosen.png')), 'problem 3 from the number dialog');
  fs.rmSync(config, { recursive: true, force: true });
  runRunner(options.runner, ['--lang', 'zh'], zh.script, { env: { VOSTRA_CONFIG_DIR: config } });
  sameScreen(zh.shots.chinese, decodePng(path.join(work, 'chinese.png')), 'the Chinese start screen');
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
finish('browser');
