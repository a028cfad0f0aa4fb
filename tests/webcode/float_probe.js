// node float_probe.js WIDTH HEIGHT SCROLL_Y PAGE...: opens each floating sample page in headless
// Chromium, scrolls it and prints "page PATH", "movie SRC<tab>VALUE" (the embed's src and the
// object's movie parameter as the browser read them), then per run of float_menu() "tick
// SCROLLED fm_next_y style.left style.top rectLeft rectTop" (rect* in page coordinates).
'use strict';
const path = require('path');

async function probe(page, file, scrollY) {
  await page.goto('file://' + file, { waitUntil: 'load' });
  // Observe every tick: the script reschedules itself by the global name "float_menu".
  await page.evaluate(() => {
    window.__ticks = [];
    window.__scrolled = 0;
    const original = window.float_menu;
    window.float_menu = function () {
      original();
      const div = document.getElementById('floatdiv');
      const rect = div.getBoundingClientRect();
      window.__ticks.push([window.__scrolled, fm_next_y, div.style.left || '-', div.style.top || '-',
        rect.left + pageXOffset, rect.top + pageYOffset]);
    };
  });
  await page.waitForFunction(() => window.__ticks.length >= 5);
  await page.evaluate((y) => { window.scrollTo(0, y); window.__scrolled = 1; }, scrollY);
  // Settled: ten ticks after the scroll that all leave the div where it is.
  await page.waitForFunction(() => {
    const after = window.__ticks.filter((t) => t[0] === 1);
    if (after.length < 10) return false;
    const last = after.slice(-10);
    return last.every((t) => t[1] === last[0][1] && t[4] === last[0][4]);
  }, null, { timeout: 15000, polling: 50 });
  const ticks = await page.evaluate(() => window.__ticks);
  const lines = ['page ' + file, 'movie ' + await page.evaluate(() => document.querySelector('embed')
    .getAttribute('src') + '\t' + document.querySelector('param[name=movie]').getAttribute('value'))];
  for (const t of ticks) lines.push('tick ' + t.map(String).join(' '));
  return lines.join('\n');
}

async function main() {
  const [width, height, scrollY, ...pages] = process.argv.slice(2);
  const { launchChromium } = await import('../support/chromium.mjs');
  const browser = await launchChromium();
  try {
    const page = await browser.newPage({ viewport: { width: Number(width), height: Number(height) } });
    for (const file of pages) console.log(await probe(page, path.resolve(file), Number(scrollY)));
  } finally {
    await browser.close();
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
