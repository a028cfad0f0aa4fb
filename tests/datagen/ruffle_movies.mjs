// Plays movies in Ruffle inside headless Chromium and records, per movie, Ruffle's log lines
// and a screenshot of the player after a second of playing.
//
//   node ruffle_movies.mjs MANIFEST.json OUT_DIR
//
// MANIFEST: {"ruffle": DIR, "movies": [{"name", "file", "width", "height"}]} (file: a path). Writes OUT_DIR/<name>.png and OUT_DIR/results.json:
// {"<name>": {"loaded": bool, "log": [lines]}}.
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';

import { launchChromium } from '../support/chromium.mjs';

const [manifestPath, outDir] = process.argv.slice(2);
const manifest = JSON.parse(fs.readFileSync(manifestPath, 'utf8'));
fs.mkdirSync(outDir, { recursive: true });

const types = { '.js': 'text/javascript', '.wasm': 'application/wasm', '.swf': 'application/x-shockwave-flash',
                '.spd': 'application/x-shockwave-flash', '.html': 'text/html' };

// One page and one player per worker, loading one movie after the other, so that Ruffle's
// code is compiled only now and then.
const kPage = `<!doctype html><html><body style="margin:0;background:#808080">
<div id="box"></div>
<script>window.RufflePlayer = {config: {publicPath: '/ruffle/', autoplay: 'on', unmuteOverlay: 'hidden',
  splashScreen: false, contextMenu: 'off', menu: false, scale: 'showAll', letterbox: 'off', logLevel: 'warn'}};</script>
<script src="/ruffle/ruffle.js"></script>
<script>
  window.show = (name, width, height) => {
    window.loaded = false;
    const box = document.getElementById('box');
    box.style.width = width + 'px';
    box.style.height = height + 'px';
    if (!window.player) {
      window.player = window.RufflePlayer.newest().createPlayer();
      window.player.style.width = '100%';
      window.player.style.height = '100%';
      window.player.addEventListener('loadedmetadata', () => { window.loaded = true; });
      box.appendChild(window.player);
    }
    window.player.ruffle().load({url: '/movie/' + encodeURIComponent(name)});
  };
</script></body></html>`;

const server = http.createServer((req, res) => {
  const url = decodeURIComponent(req.url.split('?')[0]);
  let file = null;
  if (url.startsWith('/ruffle/')) file = path.join(manifest.ruffle, url.slice(8));
  else if (url.startsWith('/movie/')) file = manifest.movies.find((m) => m.name === url.slice(7))?.file;
  else if (url === '/page') {
    res.writeHead(200, { 'Content-Type': 'text/html' });
    res.end(kPage);
    return;
  }
  if (!file || !fs.existsSync(file)) { res.writeHead(404); res.end(); return; }
  res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
  res.end(fs.readFileSync(file));
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const base = `http://127.0.0.1:${server.address().port}`;

const browser = await launchChromium();
const results = {};
try {
  const context = await browser.newContext({ viewport: { width: 900, height: 700 } });
  // Several pages at once keep the run short.
  const queue = [...manifest.movies];
  async function worker() {
    const tab = await context.newPage();
    let shown = 0;
    for (let movie = queue.shift(); movie; movie = queue.shift()) {
      // Ruffle opens a graphics context per movie; a fresh page now and then closes them.
      if (shown++ % 8 === 0) await tab.goto(`${base}/page`);
      const log = [];
      const listen = (msg) => { const t = msg.text(); if (/ERROR|WARN|panic/i.test(t)) log.push(t); };
      const fail = (err) => log.push('page error: ' + err.message);
      tab.on('console', listen);
      tab.on('pageerror', fail);
      await tab.evaluate(([n, w, h]) => window.show(n, w, h), [movie.name, movie.width, movie.height]);
      let loaded = false;
      try {
        await tab.waitForFunction(() => window.loaded === true, null, { timeout: 10000 });
        loaded = true;
      } catch (e) {
        log.push('not loaded: ' + e.message.split('\n')[0]);
      }
      await tab.waitForTimeout(1000);
      await tab.locator('#box').screenshot({ path: path.join(outDir, `${movie.name}.png`) });
      tab.off('console', listen);
      tab.off('pageerror', fail);
      results[movie.name] = { loaded, log };
    }
    await tab.close();
  }
  await Promise.all([worker(), worker(), worker(), worker()]);
} finally {
  await browser.close();
  server.close();
}
fs.writeFileSync(path.join(outDir, 'results.json'), JSON.stringify(results, null, 1));
