// node ruffle_movies.mjs MANIFEST.json: plays movies in Ruffle inside headless Chromium and prints,
// per movie, what a user would see and hear: RESULT <id> problems=<list or none> key=value ...,
// with LOG <id> <line> for every Ruffle error or warning. Written by support/ruffle.h.
//
// MANIFEST: {"ruffle": DIR, "movies": [{"id", "path", "width", "height", "scale", "shot", "colours",
// "click", "sound"}]}. width, height: the stage in pixels; scale: player pixels per stage pixel;
// shot: a PNG of the player after a second; colours: RRGGBB that must each cover 1% of the player;
// click: colours of the buttons that may be Play or Stop; sound: "plain" (silent until Play, then
// a 440 Hz tone until Stop) or "autoplay" (the tone at once).

import { readFileSync } from 'node:fs';
import path from 'node:path';

import { launchChromium } from './chromium.mjs';

const manifest = JSON.parse(readFileSync(process.argv[2], 'utf8'));
const HOST = 'http://mellix.test';

// Measures every buffer Ruffle schedules, with its page time: peak, and the median period between
// rising crossings of its first channel (with hysteresis: zeros left by a late audio thread don't count).
const audioProbe = () => {
  window.__audio = [];
  const start = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function (...args) {
    const b = this.buffer;
    if (b) {
      const d = b.getChannelData(0);
      let peak = 0;
      for (let i = 0; i < d.length; ++i) peak = Math.max(peak, Math.abs(d[i]));
      const periods = [];
      const level = Math.max(0.01, peak / 4);
      let low = false;
      let last = -1;
      for (let i = 0; i < d.length; ++i) {
        if (d[i] < -level) low = true;
        if (low && d[i] > level) {
          if (last >= 0) periods.push(i - last);
          last = i;
          low = false;
        }
      }
      periods.sort((x, y) => x - y);
      const hz = periods.length >= 3 ? b.sampleRate / periods[periods.length >> 1] : 0;
      window.__audio.push({ t: performance.now(), peak, hz });
    }
    return start.apply(this, args);
  };
};

function pageHtml(movie, width, height) {
  const config = {
    autoplay: 'on', unmuteOverlay: 'hidden', splashScreen: false, contextMenu: 'off',
    letterbox: 'off', scale: 'showAll', logLevel: 'warn', preferredRenderer: 'canvas',
    publicPath: `${HOST}/ruffle/`,
  };
  return `<!doctype html><html><body style="margin:0;background:#808080">
<div id="box" style="width:${width}px;height:${height}px"></div>
<script>window.RufflePlayer = { config: ${JSON.stringify(config)} };</script>
<script src="${HOST}/ruffle/ruffle.js"></script>
<script>
  const player = window.RufflePlayer.newest().createPlayer();
  player.style.width = '100%'; player.style.height = '100%';
  document.getElementById('box').appendChild(player);
  window.__player = player;
  player.ruffle().load({ url: '${HOST}/movie/${movie}' });
</script></body></html>`;
}

// In the page: how many canvas pixels have each colour of `colours` (within 3 per channel), and
// points to click inside the regions (4-connected, 30 pixels or more) of the colours of `click`.
const analyse = ({ colours, click }) => {
  const canvas = window.__player.shadowRoot.querySelector('canvas');
  const { width, height } = canvas;
  const data = canvas.getContext('2d').getImageData(0, 0, width, height).data;
  const maskOf = (color) => {
    const c = [0, 2, 4].map((i) => parseInt(color.substr(i, 2), 16));
    const mask = new Uint8Array(width * height);
    for (let p = 0; p < width * height; ++p) {
      const i = 4 * p;
      mask[p] = Math.abs(data[i] - c[0]) <= 3 && Math.abs(data[i + 1] - c[1]) <= 3 && Math.abs(data[i + 2] - c[2]) <= 3;
    }
    return mask;
  };
  const regions = [];
  let groups = 0;
  for (const color of [...new Set(click)]) {
    const mask = maskOf(color);
    const seen = new Uint8Array(width * height);
    for (let p = 0; p < width * height; ++p) {
      if (!mask[p] || seen[p]) continue;
      const stack = [p];
      seen[p] = 1;
      const pixels = [];
      while (stack.length) {
        const q = stack.pop();
        pixels.push(q);
        const x = q % width;
        const y = (q - x) / width;
        for (const [nx, ny] of [[x + 1, y], [x - 1, y], [x, y + 1], [x, y - 1]]) {
          if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
          const n = ny * width + nx;
          if (mask[n] && !seen[n]) { seen[n] = 1; stack.push(n); }
        }
      }
      if (pixels.length < 30) continue;
      // Click points: the pixels nearest the centres of the region and of its two halves along its
      // longer side (buttons that touch form one region).
      const xs = pixels.map((q) => q % width);
      const ys = pixels.map((q) => Math.floor(q / width));
      const span = (v) => v.reduce((m, a) => Math.max(m, a), -Infinity) - v.reduce((m, a) => Math.min(m, a), Infinity);
      const key = span(xs) >= span(ys) ? xs : ys;
      const order = pixels.map((_, i) => i).sort((a, b) => key[a] - key[b]);
      const half = order.length >> 1;
      for (const part of [order, order.slice(0, half), order.slice(half)]) {
        let cx = 0; let cy = 0;
        for (const i of part) { cx += xs[i]; cy += ys[i]; }
        cx /= part.length; cy /= part.length;
        let best = part[0]; let bestD = Infinity;
        for (const i of part) {
          const d = (xs[i] - cx) ** 2 + (ys[i] - cy) ** 2;
          if (d < bestD) { bestD = d; best = i; }
        }
        regions.push({ group: groups, px: xs[best], py: ys[best] });
      }
      ++groups;
    }
  }
  regions.sort((a, b) => a.px - b.px || a.py - b.py);
  const rect = canvas.getBoundingClientRect();
  return {
    pixels: width * height,
    counts: colours.map((c) => maskOf(c).reduce((s, v) => s + v, 0)),
    regions: regions.map((r) => ({ group: r.group, x: rect.left + (r.px + 0.5) * rect.width / width,
                                   y: rect.top + (r.py + 0.5) * rect.height / height })),
  };
};

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const now = (page) => page.evaluate(() => performance.now());

// Sound handed to the audio context after page time `from`: loudest peak and the tone's
// frequency, the median over the buffers louder than 0.05.
async function soundSince(page, from) {
  const buffers = await page.evaluate((t) => window.__audio.filter((b) => b.t >= t), from);
  const peak = buffers.reduce((m, b) => Math.max(m, b.peak), 0);
  const hz = buffers.filter((b) => b.peak > 0.05 && b.hz > 0).map((b) => b.hz).sort((a, b) => a - b);
  return { buffers: buffers.length, peak, hz: hz.length ? hz[Math.floor(hz.length / 2)] : 0 };
}

// Waits up to `tries` x 200 ms for sound after `from`, then 600 ms more for its pitch.
async function awaitSound(page, from, tries) {
  for (let i = 0; i < tries && (await soundSince(page, from)).peak <= 0.05; ++i) await sleep(200);
  await sleep(600);
  return soundSince(page, from);
}

// The analysis once the movie shows every colour (a loaded machine draws late), taken again a
// moment later so that the frame is complete; after 8 seconds without them, the last one.
async function settledView(page, args) {
  const deadline = Date.now() + 8000;
  for (;;) {
    const view = await page.evaluate(analyse, args);
    const shown = view.counts.every((n) => n > 0);
    if (!shown && Date.now() <= deadline) { await sleep(200); continue; }
    if (!shown) return view;
    await sleep(200);
    return page.evaluate(analyse, args);
  }
}

// Opens a page that plays the movie file; resolves once Ruffle has loaded it.
async function openMovie(context, movie, logs) {
  const bytes = readFileSync(movie.path);
  const page = await context.newPage();
  page.on('console', (m) => { if (/ERROR|WARN|panic/i.test(m.text()) || m.type() === 'error') logs.push(m.text()); });
  page.on('pageerror', (e) => logs.push(`pageerror: ${e.message}`));
  await page.route(`${HOST}/**`, async (route) => {
    const url = new URL(route.request().url());
    if (url.pathname === '/index.html') {
      return route.fulfill({ contentType: 'text/html', body: pageHtml('m.swf', movie.width * movie.scale, movie.height * movie.scale) });
    }
    if (url.pathname.startsWith('/movie/')) return route.fulfill({ contentType: 'application/x-shockwave-flash', body: bytes });
    if (url.pathname.startsWith('/ruffle/')) {
      const asset = path.join(manifest.ruffle, path.basename(url.pathname));
      const type = asset.endsWith('.wasm') ? 'application/wasm' : 'text/javascript';
      try { return route.fulfill({ contentType: type, body: readFileSync(asset) }); } catch { /* below */ }
    }
    return route.fulfill({ status: 404, body: '' });
  });
  await page.goto(`${HOST}/index.html`);
  await page.waitForFunction(() => window.__player && window.__player.ruffle().metadata, null, { timeout: 20000 });
  // Hide the notice that Ruffle shows over the stage in a browser without graphics acceleration.
  await page.evaluate(() => {
    const style = document.createElement('style');
    style.textContent = '#hardware-acceleration-modal{display:none !important}';
    window.__player.shadowRoot.appendChild(style);
  });
  return page;
}

// Finds Play (the first button region whose click starts the sound) and Stop (a button, Play's
// own region last for a toggle, after whose click all is silent).
async function playAndStop(page, regions, result) {
  let play = -1;
  for (let i = 0; i < regions.length && play < 0; ++i) {
    const t = await now(page);
    await page.mouse.click(regions[i].x, regions[i].y);
    const s = await awaitSound(page, t, 15);
    if (s.peak > 0.05) [play, result.play_peak, result.play_hz] = [i, s.peak.toFixed(3), Math.round(s.hz)];
  }
  result.play_region = play;
  if (play < 0) return;
  const own = (i) => regions[i].group === regions[play].group;
  const all = regions.map((_, i) => i);
  const order = all.filter((i) => !own(i)).concat(all.filter((i) => own(i) && i !== play), [play]);
  result.stop_region = -1;
  for (const i of order) {
    const clicked = await now(page);
    await page.mouse.click(regions[i].x, regions[i].y);
    await sleep(300);  // buffers already scheduled play out
    // A silent 400 ms window: this button stopped the sound; sound 900 ms after the click: it did not.
    for (;;) {
      const t = await now(page);
      await sleep(400);
      const s = await soundSince(page, t);
      if (s.buffers > 0 && s.peak < 0.01) { result.stop_region = i; return; }
      const elapsed = (await now(page)) - clicked;
      if ((s.peak > 0.05 && elapsed > 900) || elapsed > 3000) break;
    }
  }
}

async function checkMovie(context, movie) {
  const logs = [];
  const result = {};
  let page = null;
  try {
    page = await openMovie(context, movie, logs);
    const loaded = await now(page);
    const view = await settledView(page, { colours: movie.colours || [], click: movie.click || [] });
    // A second at least, to tell a silent start from a late one.
    const waited = (await now(page)) - loaded;
    if (waited < 1000) await sleep(1000 - waited);
    if (movie.shot) await page.locator('#box').screenshot({ path: movie.shot });
    result.colour_share = view.counts.map((n) => (n / view.pixels).toFixed(3)).join('/');
    if (movie.sound) {
      // A loaded machine may start an autoplay sound late: wait for it up to 5 seconds.
      const first = movie.sound === 'autoplay' ? await awaitSound(page, loaded, 25) : await soundSince(page, loaded);
      Object.assign(result, { first_peak: first.peak.toFixed(3), first_hz: Math.round(first.hz), first_buffers: first.buffers });
      if (movie.sound === 'plain') await playAndStop(page, view.regions, result);
    }
  } catch (e) {
    logs.push(`harness: ${e.message.split('\n')[0]}`);
  }
  if (page) await page.close();
  result.errors = logs.length;
  for (const line of logs) console.log(`LOG ${movie.id} ${line.replace(/\s+/g, ' ')}`);
  const problems = verdict(movie, result).join(',') || 'none';
  console.log(`RESULT ${movie.id} problems=${problems} ${Object.entries(result).map(([k, v]) => `${k}=${v}`).join(' ')}`);
}

// What a user would notice: Ruffle complaining, a colour missing, no sound, a plain movie sounding
// before Play, no Play, no Stop, an autoplay movie silent.
function verdict(movie, r) {
  const problems = [];
  const tone = (peak, hz) => peak > 0.1 && Math.abs(hz - 440) <= 20;
  if (r.errors !== 0) problems.push('errors');
  (r.colour_share || '').split('/').forEach((share, i) => { if (movie.colours?.length && !(share > 0.01)) problems.push(`colour_${i}`); });
  if (movie.sound && !(r.first_buffers > 0)) problems.push('no_audio_output');
  if (movie.sound === 'autoplay' && !tone(r.first_peak, r.first_hz)) problems.push('autoplay_no_tone');
  if (movie.sound === 'plain') {
    if (!(r.first_peak < 0.01)) problems.push('sound_before_play');
    if (!(r.play_region >= 0 && tone(r.play_peak, r.play_hz))) problems.push('no_play');
    if (!(r.stop_region >= 0)) problems.push('no_stop');
  }
  return problems;
}

// Without a sound server the browser renders its audio all the same, which the probe hears.
const browser = await launchChromium();
try {
  const context = await browser.newContext({ viewport: { width: 1000, height: 800 } });
  await context.addInitScript(audioProbe);
  const queue = [...manifest.movies];
  await Promise.all(Array.from({ length: 4 }, async () => {
    while (queue.length) await checkMovie(context, queue.shift());
  }));
} finally {
  await browser.close();
}
