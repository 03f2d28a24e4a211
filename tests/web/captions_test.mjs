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
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {
  MENU_BAR, TITLE, canvasPixels, check, closeBrowser, finish, idle, openBrowser, parseOptions, pointCentre, runRunner,
  sameTranscript, serve, showProblem,
} from './harness.mjs';

const options = parseOptions('node captions_test.mjs --site DIR --runner VOSTRA --tool VOSTRA-PROBLEMS [--catalogue FILE]',
                             ['site', 'runner', 'tool']);
const YELLOW = [255, 255, 0];
const GOAL = 'Black to kill the white corner group.';
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'vostra-captions-test-'));

// Problem 1's size and its first wrong Black move, from the compiled tree.
function firstWrongMove() {
  const { cols, rows, nodes } = showProblem(options, 1);
  const wrong = nodes.find((n) => n.depth === 1 && n.colour === 'B' && n.flag === '0' && !n.end);
  if (!wrong) throw new Error('problem 1 has no wrong first move');
  return { cols, rows, point: wrong.point };
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
const server = await serve(options.site);
const url = `http://127.0.0.1:${server.address().port}/`;
const views = [
  { name: 'portrait phone 390x844', viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, touch: true, spanWidth: 0.9 },
  { name: 'portrait phone 412x915 at 2.625', viewport: { width: 412, height: 915 }, deviceScaleFactor: 2.625, touch: true, spanWidth: 0.9 },
  { name: 'landscape phone 844x390', viewport: { width: 844, height: 390 }, deviceScaleFactor: 3, touch: true },
  { name: 'desktop 1280x800', viewport: { width: 1280, height: 800 }, deviceScaleFactor: 1, touch: false },
];

try {
  for (const v of views) {
    const session = await openBrowser(options, {
      viewport: v.viewport, deviceScaleFactor: v.deviceScaleFactor, hasTouch: v.touch, isMobile: v.touch,
    });
    const { page, transcript, errors } = session;
    await page.goto(url);
    await idle(page);

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
    const p = pointCentre(wrong.cols, wrong.rows, wrong.point, W, H);
    const at = { x: box.x + (p.x + 0.5) * scale, y: box.y + (p.y + TITLE + 0.5) * scale };
    const script = ['wait 0'];
    if (v.touch) {
      await page.touchscreen.tap(at.x, at.y);
      script.push(`tap ${p.x} ${p.y}`);
    } else {
      await page.mouse.click(at.x, at.y);
      script.push(`move ${p.x} ${p.y}`, `tap ${p.x} ${p.y}`);
    }
    await idle(page);
    await page.waitForFunction(() => /Failure/.test(document.getElementById('announce').textContent), null,
                               { timeout: 5000 }).catch(() => {});
    const said = await page.locator('#announce').textContent();
    check(/Failure/.test(said) && /White [A-T]\d+/.test(said), `${v.name}: the live region says "${said}"`);
    check(/^Wrong\./.test(await caption()), `${v.name}: the caption shows the author's comment`);

    const shot = path.join(work, `${W}x${H}.png`);
    const runner = runRunner(options.runner, ['--lang', 'en', '--screen', `${W}x${H}`], [...script.slice(1), `shot ${shot}`],
                             { env: { VOSTRA_CONFIG_DIR: fs.mkdtempSync(path.join(work, 'config-')) } });
    sameTranscript(transcript, runner.transcript, `${v.name} with --screen ${W}x${H}`);
    const differ = await differingPixels(page, shot);
    check(differ === 0, `${v.name}: the canvas equals the runner's shot` + (differ ? ` (${differ} pixels differ)` : ''));
    check(errors.length === 0, `${v.name}: no page errors` + (errors.length ? `: ${errors.join('; ')}` : ''));
    await closeBrowser(session);
  }
} finally {
  server.close();
  fs.rmSync(work, { recursive: true, force: true });
}
finish('captions');
