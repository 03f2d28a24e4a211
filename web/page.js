// The page around the program (vostra.js / vostra.wasm): shows the device
// screen on the canvas, turns pointer and key events into the program's pen
// and key input, plays its sounds, keeps its registry in localStorage and
// writes its transcript of events to the console, one line per event.
'use strict';

var Module;

var vostraPage = (function () {
  const canvas = document.getElementById('screen');
  const numberInput = document.getElementById('number-input');
  const notice = document.getElementById('notice');
  const context = canvas.getContext('2d', { alpha: false });
  const SETTINGS_KEY = 'vostra.registry';

  let image = null;
  let pixels32 = null;
  let firstFrame = true;
  let ready = false;    // the program's exports can be called
  let ended = false;
  let waking = null;    // resolves the program's wait for input
  let penDown = false;
  let lastMove = '';
  let numberRect = null;
  let numberValue = '';
  let audio = null;
  let playing = null;

  const page = {
    // True while the program waits for input and none has been given since.
    idle: false,

    // Wakes the program after something was posted to it from outside.
    wake() { fed(); },

    // ---- called by the program ----

    present(pixels, width, height) {
      if (!image || image.width !== width || image.height !== height) {
        canvas.width = width;
        canvas.height = height;
        image = context.createImageData(width, height);
        pixels32 = new Uint32Array(image.data.buffer);
        fit();
      }
      // 0x00RRGGBB in, bytes R, G, B, A (a little-endian 0xAABBGGRR) out.
      for (let i = 0; i < pixels.length; i++) {
        const p = pixels[i];
        pixels32[i] = 0xff000000 | ((p & 0xff) << 16) | (p & 0xff00) | ((p >>> 16) & 0xff);
      }
      context.putImageData(image, 0, 0);
      if (firstFrame) {
        firstFrame = false;
        performance.mark('vostra-first-frame');
      }
    },

    nextInput() {
      page.idle = true;
      return new Promise((resolve) => { waking = resolve; });
    },

    cursor(shape) {
      // Arrow, Hand, Wait, Hidden.
      canvas.style.cursor = ['default', 'pointer', 'wait', 'none'][shape] || 'default';
    },

    playSound(bytes, channels, rate, bits) {
      const ctx = audioContext();
      if (!ctx) return;
      const step = bits / 8;
      const frames = Math.floor(bytes.length / (channels * step));
      if (frames === 0) return;
      const buffer = ctx.createBuffer(channels, frames, rate);
      const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
      for (let c = 0; c < channels; c++) {
        const out = buffer.getChannelData(c);
        for (let i = 0, at = c * step; i < frames; i++, at += channels * step) {
          out[i] = bits === 8 ? (view.getUint8(at) - 128) / 128 : view.getInt16(at, true) / 32768;
        }
      }
      const source = ctx.createBufferSource();
      source.buffer = buffer;
      startSound(ctx, source);
    },

    stopSound() {
      if (!playing) return;
      try { playing.stop(); } catch (e) { /* already ended */ }
      playing = null;
    },

    beep() {
      const ctx = audioContext();
      if (!ctx) return;
      const tone = ctx.createOscillator();
      tone.frequency.value = 880;
      const level = ctx.createGain();
      level.gain.value = 0.2;
      startSound(ctx, tone, level);
      tone.stop(ctx.currentTime + 0.15);
    },

    transcript(line) {
      console.log(line);
      if (window.vostraCaptions) vostraCaptions.transcript(line);
    },

    // The device screen's size, [width, height] (fit.js chooses it).
    screenSize() {
      return window.vostraFit ? vostraFit.chooseScreen() : [canvas.width, canvas.height];
    },

    numberInput(show, left, top, right, bottom) {
      numberRect = show ? { left, top, right, bottom } : null;
      numberValue = '';
      numberInput.value = '';
      numberInput.hidden = !show;
      if (!show) {
        numberInput.blur();
        return;
      }
      placeNumberInput();
      // Where the screen is the only way to type, offer the keys at once
      // (browsers that only open them after a tap on the box get that too).
      if (window.matchMedia('(pointer: coarse)').matches) numberInput.focus({ preventScroll: true });
    },

    chineseSystem() {
      return /^zh/i.test(navigator.language || '');
    },

    programEnded() {
      ended = true;
      page.idle = false;
      const zh = page.chineseSystem();
      notice.textContent = zh ? 'Vostra 已退出。点击重新开始。' : 'Vostra has ended. Tap here to start it again.';
      notice.hidden = false;
      notice.focus({ preventScroll: true });
    },

    loadSettings() {
      try {
        return window.localStorage.getItem(SETTINGS_KEY);
      } catch (e) {
        return null;
      }
    },

    saveSettings(text) {
      try {
        window.localStorage.setItem(SETTINGS_KEY, text);
        return true;
      } catch (e) {
        return false;
      }
    },
  };

  // ---- sound ----

  function audioContext() {
    if (!audio) {
      const Context = window.AudioContext || window.webkitAudioContext;
      if (!Context) return null;
      audio = new Context();
    }
    if (audio.state === 'suspended') audio.resume().catch(() => {});
    return audio;
  }

  // A new sound cuts off the one still playing.
  function startSound(ctx, source, through) {
    page.stopSound();
    (through || source).connect(ctx.destination);
    if (through) source.connect(through);
    source.onended = () => { if (playing === source) playing = null; };
    playing = source;
    source.start();
  }

  // ---- input ----

  function fed() {
    page.idle = false;
    if (waking) {
      const resume = waking;
      waking = null;
      resume();
    }
  }

  function screenPoint(e) {
    const r = canvas.getBoundingClientRect();
    return [Math.floor((e.clientX - r.left) * canvas.width / r.width),
            Math.floor((e.clientY - r.top) * canvas.height / r.height)];
  }

  function pen(kind, e) {
    if (!ready || ended) return;
    const [x, y] = screenPoint(e);
    if (kind === 2) {
      // One move per pixel reached.
      const at = x + ',' + y;
      if (at === lastMove) return;
      lastMove = at;
    }
    Module._vostra_pen(kind, x, y);
    fed();
  }

  function onPointerDown(e) {
    audioContext();  // sounds may start only after a gesture
    if (!e.isPrimary) return;
    if (e.button === 0) {
      penDown = true;
      if (e.currentTarget === canvas) canvas.setPointerCapture(e.pointerId);
      pen(0, e);
    }
  }

  function onPointerUp(e) {
    if (!e.isPrimary) return;
    if (e.button === 0 && penDown) {
      penDown = false;
      pen(1, e);
    } else if (e.button === 2) {
      pen(3, e);
    }
  }

  function onPointerMove(e) {
    // A mouse moves over the screen without pressing; a finger or pen only
    // while it touches.
    if (e.isPrimary && (penDown || e.pointerType === 'mouse')) pen(2, e);
  }

  canvas.addEventListener('pointerdown', (e) => {
    // Keep the focus where it is when the number input has it; otherwise the
    // keys go to the board from now on, not to a control used before.
    e.preventDefault();
    if (document.activeElement !== numberInput) canvas.focus({ preventScroll: true });
    onPointerDown(e);
  });
  canvas.addEventListener('pointerup', onPointerUp);
  canvas.addEventListener('pointermove', onPointerMove);
  canvas.addEventListener('pointercancel', () => { penDown = false; });
  canvas.addEventListener('contextmenu', (e) => e.preventDefault());
  // A tap on the number input is also a tap on the edit box below it.
  numberInput.addEventListener('pointerdown', onPointerDown);
  numberInput.addEventListener('pointerup', onPointerUp);

  const NAMED_KEYS = {
    Backspace: 0x08, Tab: 0x09, Enter: 0x0d, Escape: 0x1b, ' ': 0x20,
    ArrowLeft: 0x25, ArrowUp: 0x26, ArrowRight: 0x27, ArrowDown: 0x28, F4: 0x73, '/': 0xbf,
  };

  // The program's key code for a key, or 0.
  function virtualKey(e) {
    if (e.altKey) {
      // With Alt held, e.key may be another character altogether.
      if (e.code === 'Slash') return 0xbf;
      const m = /^(?:Key([A-Z])|Digit([0-9]))$/.exec(e.code);
      if (m) return (m[1] || m[2]).charCodeAt(0);
    }
    if (Object.prototype.hasOwnProperty.call(NAMED_KEYS, e.key)) return NAMED_KEYS[e.key];
    if (/^[a-zA-Z0-9]$/.test(e.key)) return e.key.toUpperCase().charCodeAt(0);
    return 0;
  }

  document.addEventListener('keydown', (e) => {
    if (!ready || ended || e.ctrlKey || e.metaKey || e.isComposing) return;
    // The page's own controls keep their keys.
    if (e.target !== numberInput && e.target.closest &&
        e.target.closest('button, a[href], input, select, textarea, [role="button"]')) return;
    audioContext();
    const vk = virtualKey(e);
    // Tab moves through the page's controls, except in the program's dialog.
    if (vk === 0x09 && !numberRect) return;
    if (e.target === numberInput) {
      // Typed characters and deletions arrive through the input event.
      if (vk !== 0x0d && vk !== 0x1b && vk !== 0x09) return;
      e.preventDefault();
      Module._vostra_key(vk, 0);
      fed();
      return;
    }
    if (vk) {
      Module._vostra_key(vk, e.altKey ? 1 : 0);
    } else if ([...e.key].length === 1 && !e.altKey) {
      Module._vostra_char(e.key.codePointAt(0));
    } else {
      return;
    }
    e.preventDefault();
    fed();
  });

  // What the number input holds is typed into the edit box: the characters
  // removed at its end as backspaces, then the ones added.
  numberInput.addEventListener('input', () => {
    if (!ready || ended) return;
    const now = numberInput.value;
    let same = 0;
    while (same < now.length && same < numberValue.length && now[same] === numberValue[same]) same++;
    for (let i = same; i < numberValue.length; i++) Module._vostra_char(0x08);
    for (let i = same; i < now.length; i++) Module._vostra_char(now.charCodeAt(i));
    numberValue = now;
    fed();
  });

  // ---- layout ----

  // The largest whole number of device pixels per screen pixel that fits the
  // window, the screen centred on device pixel boundaries; a window too small
  // for even one gets the screen shrunk to fit.
  function fit() {
    if (window.vostraFit) {
      vostraFit.place(canvas, document.getElementById('caption'));
      placeNumberInput();
      return;
    }
    const ratio = window.devicePixelRatio || 1;
    const vw = document.documentElement.clientWidth || window.innerWidth;
    // Room above the screen for the line naming the collection in use.
    const bar = document.getElementById('collection-bar');
    const reserved = bar ? bar.offsetHeight : 0;
    const vh = window.innerHeight - reserved;
    const k = Math.floor(Math.min(vw * ratio / canvas.width, vh * ratio / canvas.height));
    const scale = k >= 1 ? k / ratio : Math.min(vw / canvas.width, vh / canvas.height);
    const width = canvas.width * scale;
    const height = canvas.height * scale;
    canvas.style.width = width + 'px';
    canvas.style.height = height + 'px';
    canvas.style.left = Math.max(0, Math.floor((vw - width) / 2 * ratio) / ratio) + 'px';
    canvas.style.top = reserved + Math.max(0, Math.floor((vh - height) / 2 * ratio) / ratio) + 'px';
    placeNumberInput();
  }

  function placeNumberInput() {
    if (!numberRect) return;
    const r = canvas.getBoundingClientRect();
    const sx = r.width / canvas.width;
    const sy = r.height / canvas.height;
    numberInput.style.left = (r.left + numberRect.left * sx) + 'px';
    numberInput.style.top = (r.top + numberRect.top * sy) + 'px';
    numberInput.style.width = ((numberRect.right - numberRect.left) * sx) + 'px';
    numberInput.style.height = ((numberRect.bottom - numberRect.top) * sy) + 'px';
  }

  window.addEventListener('resize', fit);
  fit();

  // ---- the page's life ----

  // A page may be thrown away without warning once hidden: the program keeps
  // its problem number then, as it does when it ends.
  function keepState() {
    if (ready && !ended) Module._vostra_page_hidden();
  }
  window.addEventListener('pagehide', keepState);
  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'hidden') keepState();
  });

  notice.addEventListener('click', () => window.location.reload());
  notice.addEventListener('keydown', (e) => {
    if (e.key === 'Enter' || e.key === ' ') window.location.reload();
  });

  Module = {
    print: (text) => console.info(text),
    printErr: (text) => console.warn(text),
    onRuntimeInitialized: () => { ready = true; },
    onAbort: (what) => {
      ended = true;
      notice.textContent = 'Vostra stopped: ' + what;
      notice.hidden = false;
    },
  };

  return page;
})();

// The web app: the service worker keeps the page for use offline and brings
// new versions (see sw.js); a page back at the front looks for one.
if ('serviceWorker' in navigator && window.isSecureContext) {
  navigator.serviceWorker.register('sw.js').then((registration) => {
    document.addEventListener('visibilitychange', () => {
      if (document.visibilityState === 'visible') registration.update().catch(() => {});
    });
  }).catch(() => {});
}
