// The kept collections of the page, in IndexedDB (database "vostra"):
//   collections: { id, name, text, problems, opened }  the compiled collection
//   progress:    { id, text }                           its problems' outcomes
// A record that cannot be read is moved aside under "ID#damaged-TIME" in the
// same store, never dropped.
'use strict';

var vostraStore = (function () {
  const DB = 'vostra';
  let opening = null;

  function open() {
    if (!opening) {
      opening = new Promise((resolve, reject) => {
        if (!window.indexedDB) { reject(new Error('no IndexedDB')); return; }
        const request = indexedDB.open(DB, 1);
        request.onupgradeneeded = () => {
          const db = request.result;
          if (!db.objectStoreNames.contains('collections')) db.createObjectStore('collections', { keyPath: 'id' });
          if (!db.objectStoreNames.contains('progress')) db.createObjectStore('progress', { keyPath: 'id' });
        };
        request.onsuccess = () => resolve(request.result);
        request.onerror = () => reject(request.error);
        request.onblocked = () => reject(new Error('the database is in use by an older page'));
      });
      opening.catch(() => { opening = null; });
    }
    return opening;
  }

  // Runs fn(stores) in one transaction; resolves when it has been committed.
  async function transaction(names, mode, fn) {
    const db = await open();
    return new Promise((resolve, reject) => {
      const t = db.transaction(names, mode);
      const stores = names.map((n) => t.objectStore(n));
      let result;
      const request = fn(...stores);
      if (request) request.onsuccess = () => { result = request.result; };
      t.oncomplete = () => resolve(result);
      t.onerror = () => reject(t.error);
      t.onabort = () => reject(t.error || new Error('transaction aborted'));
    });
  }

  return {
    // [{ id, name, problems }] of the sound collections, by name.
    async list() {
      const all = (await transaction(['collections'], 'readonly', (c) => c.getAll())) || [];
      return all.filter((c) => !c.id.includes('#'))
        .map(({ id, name, problems }) => ({ id, name, problems }))
        .sort((a, b) => a.name.localeCompare(b.name));
    },

    // { id, name, text, progress } or null.
    async get(id) {
      let collection = null, progress = null;
      await transaction(['collections', 'progress'], 'readonly', (c, p) => {
        c.get(id).onsuccess = (e) => { collection = e.target.result || null; };
        p.get(id).onsuccess = (e) => { progress = e.target.result || null; };
      });
      if (!collection) return null;
      return { ...collection, progress: progress ? progress.text : '' };
    },

    async put(collection) {
      await transaction(['collections'], 'readwrite', (c) => c.put({ ...collection, opened: Date.now() }));
    },

    async putProgress(id, text) {
      await transaction(['progress'], 'readwrite', (p) => p.put({ id, text }));
    },

    async remove(id) {
      await transaction(['collections', 'progress'], 'readwrite', (c, p) => { c.delete(id); p.delete(id); });
    },

    // Moves a damaged record aside; resolves to the name it is kept under.
    async setAside(storeName, id) {
      const aside = `${id}#damaged-${new Date().toISOString()}`;
      await transaction([storeName], 'readwrite', (s) => {
        s.get(id).onsuccess = (e) => {
          const record = e.target.result;
          if (!record) return;
          s.put({ ...record, id: aside });
          s.delete(id);
        };
      });
      return aside;
    },
  };
})();
