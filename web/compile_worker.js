// Compiles a collection away from the page: unpacks zip archives, orders the
// SGF files, runs the problem compiler (vostra_compile.js) on each and
// reports its progress.
//   in:  { name, files: [{ path, bytes: ArrayBuffer }] }
//   out: { progress: [done, total] } ..., then
//        { done: true, id, text, problems, messages: [...] }
'use strict';

importScripts('vostra_compile.js');
const ready = createCompiler();

function naturalCompare(a, b) {
  return a.localeCompare(b, 'en', { numeric: true });
}

function isSgf(name) { return /\.sgf$/i.test(name); }
function isZip(name, bytes) {
  return /\.zip$/i.test(name) || (bytes.length >= 4 && bytes[0] === 0x50 && bytes[1] === 0x4b && bytes[2] === 3 && bytes[3] === 4);
}

async function inflateRaw(bytes) {
  const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate-raw'));
  return new Uint8Array(await new Response(stream).arrayBuffer());
}

// The SGF entries of an archive: [{ path, bytes }] and [{ path, error }].
async function unzip(path, bytes, problems) {
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  const out = [];
  let end = -1;
  for (let at = bytes.length - 22; at >= Math.max(0, bytes.length - 65557); at--) {
    if (view.getUint32(at, true) === 0x06054b50) { end = at; break; }
  }
  if (end < 0) { problems.push(`${path}: not a zip archive (no central directory)`); return out; }
  const count = view.getUint16(end + 10, true);
  let at = view.getUint32(end + 16, true);
  for (let i = 0; i < count; i++) {
    if (at + 46 > end || view.getUint32(at, true) !== 0x02014b50) {
      problems.push(`${path}: damaged central directory at entry ${i + 1}`);
      break;
    }
    const flags = view.getUint16(at + 8, true), method = view.getUint16(at + 10, true);
    const packed = view.getUint32(at + 20, true), size = view.getUint32(at + 24, true);
    const nameLength = view.getUint16(at + 28, true);
    const skip = nameLength + view.getUint16(at + 30, true) + view.getUint16(at + 32, true);
    const local = view.getUint32(at + 42, true);
    const name = new TextDecoder().decode(bytes.subarray(at + 46, at + 46 + nameLength));
    at += 46 + skip;
    if (name.endsWith('/') || !isSgf(name)) continue;
    const where = `${path}/${name}`;
    if (flags & 1) { problems.push(`${where}: skipped: encrypted entries cannot be read`); continue; }
    if (method !== 0 && method !== 8) { problems.push(`${where}: skipped: compression method ${method} is not supported`); continue; }
    if (local + 30 > bytes.length || view.getUint32(local, true) !== 0x04034b50) {
      problems.push(`${where}: skipped: damaged entry (no local header)`);
      continue;
    }
    const data = local + 30 + view.getUint16(local + 26, true) + view.getUint16(local + 28, true);
    if (data + packed > bytes.length) { problems.push(`${where}: skipped: damaged entry`); continue; }
    const raw = bytes.subarray(data, data + packed);
    try {
      const content = method === 0 ? raw : await inflateRaw(raw);
      if (content.length !== size) throw new Error('sizes differ');
      out.push({ path: where, bytes: content });
    } catch (e) {
      problems.push(`${where}: skipped: damaged compressed data`);
    }
  }
  if (!out.length && !problems.length) problems.push(`${path}: no SGF files in the archive`);
  return out;
}

onmessage = async (event) => {
  const m = await ready;
  const { name, files } = event.data;
  const problems = [];
  let sgf = [];
  for (const f of files) {
    const bytes = new Uint8Array(f.bytes);
    if (isZip(f.path, bytes)) sgf = sgf.concat(await unzip(f.path, bytes, problems));
    else if (isSgf(f.path)) sgf.push({ path: f.path, bytes });
  }
  sgf.sort((a, b) => naturalCompare(a.path, b.path));
  m._vostra_compile_begin();
  for (const p of problems) withString(m, p, (s) => m._vostra_compile_problem(s));
  let last = 0;
  for (let i = 0; i < sgf.length; i++) {
    const { path, bytes } = sgf[i];
    const at = m._malloc(bytes.length + 1);
    m.HEAPU8.set(bytes, at);
    withString(m, path, (s) => m._vostra_compile_file(s, at, bytes.length));
    m._free(at);
    const now = performance.now();
    if (now - last > 30 || i + 1 === sgf.length) {
      last = now;
      postMessage({ progress: [i + 1, sgf.length] });
    }
  }
  const messages = m.UTF8ToString(m._vostra_compile_messages()).split('\n').filter(Boolean);
  const count = m._vostra_compile_count();
  const finished = withString(m, name, (s) => m.UTF8ToString(m._vostra_compile_finish(s)));
  const newline = finished.indexOf('\n');
  postMessage({
    done: true,
    id: finished.slice(3, newline),
    text: finished.slice(newline + 1),
    problems: count,
    files: sgf.length,
    messages,
  });
};

function withString(m, text, fn) {
  const size = m.lengthBytesUTF8(text) + 1;
  const at = m._malloc(size);
  m.stringToUTF8(text, at, size);
  try { return fn(at); } finally { m._free(at); }
}
