// A static web host for the page's folder, as real hosts behave: the types the
// page needs (wasm streaming wants application/wasm) and byte ranges, which
// WebKit asks for before it plays a track.
// Usage: node serve.js DIR [PORT]  (or require it: serve(dir) -> {url, close})
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.mp3': 'audio/mpeg', '.png': 'image/png', '.jpg': 'image/jpeg', '.JPG': 'image/jpeg',
  '.txt': 'text/plain; charset=utf-8', '.manifest': 'text/plain; charset=utf-8',
};

function handle(root, req, res) {
  let name;
  try {
    name = decodeURIComponent(new URL(req.url, 'http://host').pathname);
  } catch (e) {
    res.writeHead(400).end();
    return;
  }
  if (name.endsWith('/')) name += 'index.html';
  const file = path.join(root, path.normalize(name));
  let stat;
  try {
    stat = fs.statSync(file);
  } catch (e) {
    stat = null;
  }
  if (!file.startsWith(root + path.sep) || !stat || !stat.isFile()) {
    res.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found\n');
    return;
  }
  const headers = {
    'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream',
    'Accept-Ranges': 'bytes', 'Cache-Control': 'no-cache',
  };
  let start = 0, end = stat.size - 1, status = 200;
  const range = /^bytes=(\d*)-(\d*)$/.exec(req.headers.range || '');
  if (range && (range[1] || range[2])) {
    if (range[1]) {
      start = Number(range[1]);
      if (range[2]) end = Math.min(Number(range[2]), end);
    } else {
      start = Math.max(0, stat.size - Number(range[2]));
    }
    if (start > end) {
      res.writeHead(416, { 'Content-Range': `bytes */${stat.size}` }).end();
      return;
    }
    status = 206;
    headers['Content-Range'] = `bytes ${start}-${end}/${stat.size}`;
  }
  headers['Content-Length'] = end - start + 1;
  res.writeHead(status, headers);
  if (req.method === 'HEAD' || stat.size === 0) {
    res.end();
    return;
  }
  // A browser that closes mid-track is no fault of the host's.
  fs.createReadStream(file, { start, end }).on('error', () => res.destroy()).pipe(res).on('error', () => {});
}

function serve(dir, port = 0) {
  const root = path.resolve(dir);
  const server = http.createServer((req, res) => handle(root, req, res));
  return new Promise((resolve) => {
    server.listen(port, '127.0.0.1', () => resolve({
      url: `http://127.0.0.1:${server.address().port}/`,
      close: () => { server.closeAllConnections(); server.close(); },
    }));
  });
}

module.exports = { serve };

if (require.main === module) {
  const [dir, port] = process.argv.slice(2);
  if (!dir || !fs.existsSync(dir)) {
    console.error('usage: serve.js DIR [PORT]');
    process.exit(2);
  }
  serve(dir, Number(port || 8000)).then((s) => console.log(`web: serving ${dir} at ${s.url} (Ctrl-C stops)`));
}
