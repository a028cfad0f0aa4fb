// node sample_page.mjs RUFFLE_DIR PAGE.htm [scroll]: the sample page in Chromium with Ruffle; prints
// "size W H" of the player, "hz F" of its tone, and "corner X Y WINDOW_WIDTH" once scrolled by 600.
import { readFileSync } from 'node:fs';
import path from 'node:path';

import { launchChromium } from '../support/chromium.mjs';

const [ruffle, pageFile, scroll] = process.argv.slice(2);
const HOST = 'http://mellix.test';

const audioProbe = () => {
  window.__hz = [];
  const start = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function (...args) {
    const d = this.buffer ? this.buffer.getChannelData(0) : [];
    const periods = [];
    let last = -1;
    let low = false;
    for (let i = 0; i < d.length; ++i) {
      if (d[i] < -0.05) low = true;
      if (low && d[i] > 0.05) {
        if (last >= 0) periods.push(i - last);
        last = i;
        low = false;
      }
    }
    periods.sort((a, b) => a - b);
    if (periods.length >= 3) window.__hz.push(this.buffer.sampleRate / periods[periods.length >> 1]);
    return start.apply(this, args);
  };
};

const browser = await launchChromium();
try {
  const page = await browser.newPage();
  await page.addInitScript(audioProbe);
  const config = `window.RufflePlayer = { config: { publicPath: '${HOST}/ruffle/', autoplay: 'on',
    unmuteOverlay: 'hidden', splashScreen: false, polyfills: true } };`;
  const html = readFileSync(pageFile, 'latin1').replace('<HEAD>',
    `<HEAD><script>${config}</script><script src="${HOST}/ruffle/ruffle.js"></script>`);
  await page.route(`${HOST}/**`, (route) => {
    const file = decodeURIComponent(new URL(route.request().url()).pathname);
    if (file === '/page.htm') return route.fulfill({ contentType: 'text/html', body: html });
    const disk = file.startsWith('/ruffle/') ? path.join(ruffle, path.basename(file)) : file;
    const type = disk.endsWith('.wasm') ? 'application/wasm'
      : disk.endsWith('.swf') ? 'application/x-shockwave-flash' : 'text/javascript';
    try { return route.fulfill({ contentType: type, body: readFileSync(disk) }); } catch { return route.fulfill({ status: 404 }); }
  });
  await page.goto(`${HOST}/page.htm`);
  const player = await page.waitForSelector('ruffle-object, ruffle-embed', { timeout: 20000 });
  await page.waitForFunction(() => window.__hz.length >= 5, null, { timeout: 20000 }).catch(() => {});
  const box = await player.boundingBox();
  const hz = (await page.evaluate(() => window.__hz)).sort((a, b) => a - b);
  console.log(`size ${Math.round(box.width)} ${Math.round(box.height)}`);
  console.log(`hz ${hz.length ? hz[hz.length >> 1].toFixed(1) : 0}`);
  if (scroll === 'scroll') {
    await page.evaluate(() => window.scrollTo(0, 600));
    await page.waitForTimeout(3000);
    const { x, y } = await player.boundingBox();
    console.log(`corner ${Math.round(x)} ${Math.round(y)} ${await page.evaluate(() => innerWidth)}`);
  }
} finally {
  await browser.close();
}
