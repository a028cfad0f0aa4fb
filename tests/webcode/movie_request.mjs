// node movie_request.mjs RUFFLE_DIR PAGE...: opens each sample page in headless Chromium with Ruffle,
// served from the page's own folder so that its links resolve as on disk, and prints "page PATH",
// then "movie PATH STATUS" for every movie the page asked for (the path decoded as a server
// reads it, 200 when that file exists) and "loaded 1" once Ruffle has read a movie, else "loaded 0".
import { readFileSync } from 'node:fs';
import path from 'node:path';

import { launchChromium } from '../support/chromium.mjs';

const [ruffle, ...pages] = process.argv.slice(2);
const HOST = 'http://mellix.test';
const config = `<script>window.RufflePlayer = { config: { publicPath: '${HOST}/ruffle/', autoplay: 'off',
  splashScreen: false, polyfills: true } };</script><script src="${HOST}/ruffle/ruffle.js"></script>`;

const browser = await launchChromium();
try {
  for (const pageFile of pages.map((p) => path.resolve(p))) {
    const page = await browser.newPage();
    const lines = ['page ' + pageFile];
    await page.route(`${HOST}/**`, (route) => {
      const file = decodeURIComponent(new URL(route.request().url()).pathname);
      let body;
      try {
        body = file === pageFile ? readFileSync(file, 'latin1').replace('<HEAD>', '<HEAD>' + config)
          : readFileSync(file.startsWith('/ruffle/') ? path.join(ruffle, path.basename(file)) : file);
      } catch { /* 404 below */ }
      if (file !== pageFile && !file.startsWith('/ruffle/')) lines.push(`movie ${file} ${body ? 200 : 404}`);
      if (!body) return route.fulfill({ status: 404 });
      const type = file === pageFile ? 'text/html' : file.endsWith('.wasm') ? 'application/wasm'
        : file.endsWith('.js') ? 'text/javascript' : 'application/x-shockwave-flash';
      return route.fulfill({ contentType: type, body });
    });
    await page.goto(HOST + pageFile);
    const loaded = await page.waitForFunction(() => document.querySelector('ruffle-object, ruffle-embed')
      ?.ruffle?.().metadata, null, { timeout: 10000 }).then(() => 1, () => 0);
    console.log([...lines, 'loaded ' + loaded].join('\n'));
    await page.close();
  }
} finally {
  await browser.close();
}
