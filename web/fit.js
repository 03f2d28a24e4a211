// The page's layout: the size of the device screen, chosen once at start-up
// from the viewport the way a device with a bigger screen would report it,
// and the places of the screen and of the caption beside it.
//
// The screen is shown at a whole number of CSS pixels per screen pixel, the
// largest that still gives at least the handheld's 240x320 pixels, so that the
// 16-pixel texts stay readable; its size is then whatever fills the viewport
// at that scale, less the room of the caption: below the screen in portrait,
// to its right when the viewport is clearly wider than tall.  `?screen=WxH`
// in the page's address fixes the size instead (the headless runner's
// `--screen WxH` shows the same screen).
'use strict';

var vostraFit = (function () {
  const MIN_W = 240, MIN_H = 320;           // the handheld's screen
  const MIN_SIZE = [64, 128], MAX_SIZE = 4096;  // what the program accepts
  const CAPTION_H = 96;                     // CSS pixels below the screen
  const CAPTION_W = 320;                    // at most, beside it

  let landscape = false;
  let fixed = null;

  // The line naming the collection in use keeps its room at the top.
  function barHeight() {
    const bar = document.getElementById('collection-bar');
    return bar ? bar.offsetHeight : 0;
  }

  // The viewport less that line.
  function viewport() {
    return [document.documentElement.clientWidth || window.innerWidth, window.innerHeight - barHeight()];
  }

  // Room for the screen once the caption has its own.
  function screenRoom(vw, vh) {
    if (landscape) return [vw - Math.min(CAPTION_W, Math.floor(vw * 0.3)), vh];
    return [vw, vh - CAPTION_H];
  }

  function clamp(v, least) { return Math.max(least, Math.min(MAX_SIZE, v)); }

  const fit = {
    // [width, height] of the device screen, decided on the first call.
    chooseScreen() {
      if (fit.chosen) return fit.chosen;
      const [vw, vh] = viewport();
      landscape = vw > vh * 1.2;
      const m = /[?&]screen=(\d+)x(\d+)/.exec(window.location.search);
      if (m) {
        fixed = [clamp(+m[1], MIN_SIZE[0]), clamp(+m[2], MIN_SIZE[1])];
        fit.chosen = fixed;
        return fixed;
      }
      const [rw, rh] = screenRoom(vw, vh);
      const scale = Math.max(1, Math.min(Math.floor(rw / MIN_W), Math.floor(rh / MIN_H)));
      fit.chosen = [clamp(Math.floor(rw / scale), MIN_SIZE[0]), clamp(Math.floor(rh / scale), MIN_SIZE[1])];
      return fit.chosen;
    },

    chosen: null,

    // Sizes and places the canvas and the caption: the largest whole number
    // of device (or CSS) pixels per screen pixel that fits, centred in its
    // room on device pixel boundaries; a room too small for even one gets the
    // screen shrunk to fit.
    place(canvas, caption) {
      if (!fit.chosen) fit.chooseScreen();
      const ratio = window.devicePixelRatio || 1;
      const [vw, vh] = viewport();
      // The screen keeps its size when the phone is turned; the caption
      // goes beside it when the window is wide, below it otherwise.
      landscape = vw > vh * 1.2;
      const [rw, rh] = screenRoom(vw, vh);
      const k = Math.floor(Math.min(rw * ratio / canvas.width, rh * ratio / canvas.height));
      // With a fractional device pixel ratio (2.625, 2.75 on many phones) a
      // whole number of CSS pixels fills more of the window than one of
      // device pixels does; take whichever is larger.
      const css = Math.floor(Math.min(rw / canvas.width, rh / canvas.height));
      const scale = Math.max(k / ratio, css) > 0 ? Math.max(k / ratio, css)
        : Math.min(rw / canvas.width, rh / canvas.height);
      const width = canvas.width * scale;
      const height = canvas.height * scale;
      const snap = (v) => Math.max(0, Math.floor(v * ratio) / ratio);
      const left = snap((rw - width) / 2);
      const bar = barHeight();
      const top = bar + snap((rh - height) / 2);
      canvas.style.width = width + 'px';
      canvas.style.height = height + 'px';
      canvas.style.left = left + 'px';
      canvas.style.top = top + 'px';
      if (!caption) return;
      if (landscape) {
        caption.style.left = (left + width) + 'px';
        caption.style.top = bar + 'px';
        caption.style.width = Math.max(0, vw - left - width) + 'px';
        caption.style.height = vh + 'px';
      } else {
        caption.style.left = '0px';
        caption.style.top = (top + height) + 'px';
        caption.style.width = vw + 'px';
        caption.style.height = Math.max(0, vh + bar - top - height) + 'px';
      }
      caption.classList.toggle('beside', landscape);
    },
  };
  return fit;
})();
