// Collections on the page: the "Open problems" control (file picker, folder
// picker, dropping files on the page), the compile worker with its progress
// bar, the list of kept collections, the line above the screen and the grid
// of problems coloured by outcome.  The program learns of a collection through
// its exported calls and tells this page (`vostraCollections`) what it does.
'use strict';

var vostraCollections = (function () {
  const LAST_KEY = 'vostra.collection';
  const $ = (id) => document.getElementById(id);
  const bar = $('collection-bar'), status = $('collection-status'), toggle = $('collections-toggle');
  const panel = $('collections-panel'), list = $('collection-list'), grid = $('problem-grid');
  const progress = $('compile-progress'), messages = $('compile-messages');
  let programReady = false;
  let current = '';       // the collection in use, '' for the built-in problems
  let outcomes = '';
  let currentProblem = 0;
  let worker = null;
  let busy = false;

  function say(text, lines) {
    messages.hidden = false;
    messages.textContent = [text].concat(lines || []).join('\n');
  }

  function remember(id) {
    try { localStorage.setItem(LAST_KEY, id); } catch (e) { /* private mode: not kept */ }
  }

  function lastUsed() {
    try { return localStorage.getItem(LAST_KEY) || ''; } catch (e) { return ''; }
  }

  // ---- calls into the program ----

  function call(fn, strings, more) {
    const m = Module;
    const pointers = strings.map((s) => {
      const size = m.lengthBytesUTF8(s) + 1;
      const p = m._malloc(size);
      m.stringToUTF8(s, p, size);
      return p;
    });
    try { return fn(...pointers, ...(more || [])); } finally { pointers.forEach((p) => m._free(p)); }
  }

  // Hands a kept collection to the program; a damaged one is set aside.
  async function use(kept, starting) {
    const fn = starting ? Module._vostra_start_collection : Module._vostra_open_collection;
    const result = call(fn, [kept.id, kept.text, kept.progress || '']);
    if (result === 0) {
      const aside = await vostraStore.setAside('collections', kept.id);
      say(`The kept collection "${kept.name}" is damaged; it was set aside as ${aside}.`);
      refreshList();
      return false;
    }
    if (result === 2) {
      const aside = await vostraStore.setAside('progress', kept.id);
      say(`The outcomes kept for "${kept.name}" are damaged; they were set aside as ${aside} and start afresh.`);
    }
    if (!starting) vostraPage.wake();
    return true;
  }

  // ---- opening files ----

  function stem(name) { return name.replace(/^.*\//, '').replace(/\.(sgf|zip)$/i, ''); }

  function nameFor(files) {
    const first = files[0].path;
    if (first.includes('/')) return first.split('/')[0];
    return files.length === 1 ? stem(first) : 'Opened problems';
  }

  function displayName(s) {
    return s.replace(/[-_]+/g, ' ').trim().replace(/(^|\s)([a-z])/g, (m, a, b) => a + b.toUpperCase()) || 'Collection';
  }

  async function compile(files) {
    if (busy || !files.length) return;
    if (!programReady) {
      say('The trainer is still starting; open the problems again in a moment.');
      return;
    }
    busy = true;
    const name = displayName(nameFor(files));
    progress.hidden = false;
    progress.value = 0;
    progress.max = 1;
    say(`Reading ${files.length} file${files.length === 1 ? '' : 's'}...`);
    try {
      const loaded = await Promise.all(files.map(async (f) => ({ path: f.path, bytes: await f.file.arrayBuffer() })));
      if (!worker) worker = new Worker('compile_worker.js');
      const result = await new Promise((resolve, reject) => {
        worker.onmessage = (e) => {
          if (e.data.progress) {
            [progress.value, progress.max] = e.data.progress;
            say(`Compiling ${name}: ${e.data.progress[0]} of ${e.data.progress[1]} files`);
          } else if (e.data.done) {
            resolve(e.data);
          }
        };
        worker.onerror = (e) => reject(new Error(e.message || 'the compiler stopped'));
        worker.postMessage({ name, files: loaded }, loaded.map((f) => f.bytes));
      });
      if (result.problems === 0) {
        say(`${name}: no problem could be used (${result.files} SGF file${result.files === 1 ? '' : 's'}); nothing was changed.`,
            result.messages);
        return;
      }
      const before = await vostraStore.get(result.id);
      const kept = { id: result.id, name, text: result.text, problems: result.problems, progress: before ? before.progress : '' };
      await vostraStore.put({ id: kept.id, name, text: kept.text, problems: kept.problems });
      say(`${name}: ${result.problems} problem${result.problems === 1 ? '' : 's'} from ${result.files} file${result.files === 1 ? '' : 's'}` +
          (result.messages.length ? `; not used:` : '.'), result.messages);
      await use(kept, false);
      refreshList();
    } catch (e) {
      say(`Opening failed: ${e.message}`);
    } finally {
      progress.hidden = true;
      busy = false;
    }
  }

  function fromInput(input) {
    const files = [...input.files].map((file) => ({ path: file.webkitRelativePath || file.name, file }));
    input.value = '';
    compile(files);
  }

  // Every file below a dropped folder.
  async function walk(entry, prefix, out) {
    if (entry.isFile) {
      out.push({ path: prefix + entry.name, file: await new Promise((ok, fail) => entry.file(ok, fail)) });
      return;
    }
    const reader = entry.createReader();
    for (;;) {
      const batch = await new Promise((ok, fail) => reader.readEntries(ok, fail));
      if (!batch.length) break;
      for (const e of batch) await walk(e, prefix + entry.name + '/', out);
    }
  }

  async function fromDrop(e) {
    const items = [...(e.dataTransfer.items || [])];
    const entries = items.map((i) => (i.webkitGetAsEntry ? i.webkitGetAsEntry() : null));
    let files = [];
    if (entries.length && entries.every(Boolean)) {
      for (const entry of entries) await walk(entry, '', files);
    } else {
      files = [...e.dataTransfer.files].map((file) => ({ path: file.name, file }));
    }
    compile(files);
  }

  // ---- the list, the line and the grid ----

  async function refreshList() {
    let kept = [];
    try { kept = await vostraStore.list(); } catch (e) { /* no database: only the built-in problems */ }
    list.textContent = '';
    const row = (id, label) => {
      const li = document.createElement('li');
      const open = document.createElement('button');
      open.textContent = label;
      open.className = 'open-collection';
      open.dataset.id = id;
      if (id === current) li.className = 'in-use';
      open.addEventListener('click', () => openKept(id));
      li.append(open);
      if (id) {
        const remove = document.createElement('button');
        remove.textContent = 'Remove';
        remove.className = 'remove-collection';
        remove.dataset.id = id;
        remove.addEventListener('click', () => removeKept(id));
        li.append(remove);
      }
      list.append(li);
    };
    row('', 'Built-in problems');
    for (const c of kept) row(c.id, `${c.name} (${c.problems})`);
  }

  async function openKept(id) {
    if (!programReady || busy) return;
    if (!id) {
      Module._vostra_open_builtin();
      vostraPage.wake();
      return;
    }
    const kept = await vostraStore.get(id);
    if (kept) await use(kept, false);
  }

  async function removeKept(id) {
    await vostraStore.remove(id);
    if (id === current) openKept('');
    refreshList();
  }

  // The grid follows the program's state once per frame, touching only the
  // buttons whose state changed, so that a large collection costs little.
  let gridQueued = false;
  const shownClasses = [];
  function drawGrid() {
    if (gridQueued) return;
    gridQueued = true;
    requestAnimationFrame(() => {
      gridQueued = false;
      grid.hidden = !current;
      if (!current) return;
      if (grid.childElementCount !== outcomes.length) {
        const buttons = document.createDocumentFragment();
        for (let i = 0; i < outcomes.length; i++) {
          const b = document.createElement('button');
          b.textContent = String(i + 1);
          b.dataset.number = String(i + 1);
          buttons.append(b);
        }
        grid.textContent = '';
        grid.append(buttons);
        shownClasses.length = 0;
      }
      const names = { '.': 'not-tried', S: 'first-try', M: 'after-mistakes', F: 'failed' };
      const children = grid.children;
      for (let i = 0; i < outcomes.length; i++) {
        const wanted = names[outcomes[i]] + (i + 1 === currentProblem ? ' current' : '');
        if (shownClasses[i] !== wanted) {
          children[i].className = wanted;
          shownClasses[i] = wanted;
        }
      }
    });
  }
  grid.addEventListener('click', (e) => {
    const n = Number(e.target.dataset && e.target.dataset.number);
    if (!n || !programReady) return;
    Module._vostra_select_problem(n);
    vostraPage.wake();
  });

  // ---- called by the program ----

  const page = {
    progressChanged(id, text) {
      vostraStore.putProgress(id, text).catch((e) => say(`The outcomes could not be kept: ${e.message}`));
    },

    inUse(id) {
      current = id;
      remember(id);
      if (!id) {
        outcomes = '';
        status.textContent = '';
        bar.classList.remove('with-collection');
      }
      drawGrid();
      refreshList();
    },

    statusChanged(line, letters, number) {
      status.textContent = line;
      bar.classList.toggle('with-collection', !!line);
      outcomes = letters;
      currentProblem = number;
      drawGrid();
    },
  };

  // ---- start-up: the last collection used opens before the program starts ----

  let startWith = null;
  Module.preRun = [() => {
    const id = lastUsed();
    if (!id) return;
    Module.addRunDependency('vostra-collection');
    const done = () => Module.removeRunDependency('vostra-collection');
    const timer = setTimeout(done, 5000);  // a database that never answers does not hold the program
    vostraStore.get(id).then((kept) => { startWith = kept; }, () => {}).finally(() => { clearTimeout(timer); done(); });
  }];
  const whenReady = Module.onRuntimeInitialized;
  Module.onRuntimeInitialized = () => {
    whenReady();
    programReady = true;
    if (startWith) use(startWith, true);
  };

  toggle.addEventListener('click', () => {
    panel.hidden = !panel.hidden;
    toggle.setAttribute('aria-expanded', String(!panel.hidden));
  });
  $('open-files').addEventListener('change', (e) => fromInput(e.target));
  $('open-folder').addEventListener('change', (e) => fromInput(e.target));
  document.addEventListener('dragover', (e) => { e.preventDefault(); });
  document.addEventListener('drop', (e) => {
    e.preventDefault();
    fromDrop(e);
  });
  refreshList();

  // For tests: open files given as { path, text }.
  page.openTexts = (files) => compile(files.map((f) => ({ path: f.path, file: new Blob([f.bytes || f.text]) })));
  page.busy = () => busy;
  return page;
})();
