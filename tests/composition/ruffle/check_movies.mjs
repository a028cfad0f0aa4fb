// node check_movies.mjs MANIFEST.json (written by ruffle_movie_test.cpp): loads each movie in Ruffle
// in headless Chromium and prints what a user would see and hear, as RESULT <id> key=value ...,
// with LOG <id> <line> for every Ruffle error or warning.

import { readFileSync } from 'node:fs';
import path from 'node:path';

import { launchChromium } from '../../support/chromium.mjs';

const manifest = JSON.parse(readFileSync(process.argv[2], 'utf8'));

const HOST = 'http://mellix.test';
const SCALE = 4;  // player pixels per stage pixel

// Stage size in pixels from the SWF header's frame rectangle.
function stageSize(bytes) {
  const nbits = bytes[8] >> 3;
  let bit = 8 * 8 + 5;
  const read = () => {
    let v = 0;
    for (let i = 0; i < nbits; ++i, ++bit) v = (v << 1) | ((bytes[bit >> 3] >> (7 - (bit & 7))) & 1);
    if (v & (1 << (nbits - 1))) v -= 1 << nbits;
    return v;
  };
  const [xmin, xmax, ymin, ymax] = [read(), read(), read(), read()];
  return { width: Math.round((xmax - xmin) / 20), height: Math.round((ymax - ymin) / 20) };
}

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
      window.__audio.push({ t: performance.now(), peak, hz, seconds: d.length / b.sampleRate });
    }
    return start.apply(this, args);
  };
};

function pageHtml(movie, size) {
  const config = {
    autoplay: 'on', unmuteOverlay: 'hidden', splashScreen: false, contextMenu: 'off',
    letterbox: 'off', scale: 'showAll', logLevel: 'warn', preferredRenderer: 'canvas',
    publicPath: `${HOST}/ruffle/`,
  };
  return `<!doctype html><html><body style="margin:0;background:#000">
<div id="box" style="width:${size.width * SCALE}px;height:${size.height * SCALE}px"></div>
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

// In the page: for each colour of `masks`, the canvas pixels of that colour (within 3 per
// channel) as a base64 bit mask; points to click inside the regions (4-connected, 30 pixels
// or more) of the colours of `click`.
const analyse = ({ masks, click }) => {
  const canvas = window.__player.shadowRoot.querySelector('canvas');
  const { width, height } = canvas;
  const data = canvas.getContext('2d').getImageData(0, 0, width, height).data;
  const rgb = (s) => [0, 2, 4].map((i) => parseInt(s.substr(i, 2), 16));
  const maskOf = (color) => {
    const c = rgb(color);
    const mask = new Uint8Array(width * height);
    for (let p = 0; p < width * height; ++p) {
      const i = 4 * p;
      mask[p] = Math.abs(data[i] - c[0]) <= 3 && Math.abs(data[i + 1] - c[1]) <= 3 && Math.abs(data[i + 2] - c[2]) <= 3;
    }
    return mask;
  };
  const pack = (mask) => {
    let text = '';
    for (let p = 0; p < mask.length; p += 8) {
      let byte = 0;
      for (let k = 0; k < 8; ++k) byte |= (mask[p + k] ? 1 : 0) << k;
      text += String.fromCharCode(byte);
    }
    return btoa(text);
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
      const wide = span(xs) >= span(ys);
      const key = wide ? xs : ys;
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
    width, height,
    masks: masks.map((c) => pack(maskOf(c))),
    regions: regions.map((r) => ({ group: r.group, x: rect.left + (r.px + 0.5) * rect.width / width,
                                   y: rect.top + (r.py + 0.5) * rect.height / height })),
  };
};

const unpack = (text) => {
  const bytes = Buffer.from(text, 'base64');
  const bits = new Uint8Array(bytes.length * 8);
  for (let p = 0; p < bits.length; ++p) bits[p] = (bytes[p >> 3] >> (p & 7)) & 1;
  return bits;
};
const count = (mask) => mask.reduce((s, v) => s + v, 0);
// How far mask a lies inside mask b (|a and b| / |a|), and how much of b it covers (/ |b|).
function overlap(a, b) {
  let both = 0;
  for (let p = 0; p < a.length; ++p) both += a[p] & b[p];
  const na = count(a);
  return { inside: na ? (both / na).toFixed(3) : 0, cover: count(b) ? (both / count(b)).toFixed(3) : 0 };
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Sound handed to the audio context after page time `from`: loudest peak and the tone's
// frequency, the median over the buffers louder than 0.05.
async function soundSince(page, from) {
  const buffers = await page.evaluate((t) => window.__audio.filter((b) => b.t >= t), from);
  const peak = buffers.reduce((m, b) => Math.max(m, b.peak), 0);
  const hz = buffers.filter((b) => b.peak > 0.05 && b.hz > 0).map((b) => b.hz).sort((a, b) => a - b);
  return { buffers: buffers.length, peak, hz: hz.length ? hz[Math.floor(hz.length / 2)] : 0 };
}

const now = (page) => page.evaluate(() => performance.now());

// The analysis once the movie shows both colours of `masks` (a loaded machine draws late), taken
// again a moment later so that the frame is complete; after 8 seconds without them, the last one.
async function settledView(page, args) {
  const deadline = Date.now() + 8000;
  for (;;) {
    const view = await page.evaluate(analyse, args);
    const shown = view.masks.every((m) => count(unpack(m)) > 0);
    if (shown || Date.now() > deadline) {
      if (!shown) return view;
      await sleep(200);
      return page.evaluate(analyse, args);
    }
    await sleep(200);
  }
}

// Opens a page that plays the movie file; resolves once Ruffle has loaded it.
async function openMovie(context, file, logs) {
  const bytes = readFileSync(file);
  const size = stageSize(bytes);
  const page = await context.newPage();
  page.on('console', (m) => { if (/ERROR|WARN/.test(m.text()) || m.type() === 'error') logs.push(m.text()); });
  page.on('pageerror', (e) => logs.push(`pageerror: ${e.message}`));
  const name = encodeURIComponent(path.basename(file));
  await page.route(`${HOST}/**`, async (route) => {
    const url = new URL(route.request().url());
    if (url.pathname === '/index.html') return route.fulfill({ contentType: 'text/html', body: pageHtml(name, size) });
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

async function checkMovie(context, movie) {
  const logs = [];
  const result = {};
  let page = null;
  try {
    // Where the reference movie draws its marker colours, the composed colours must be.
    const ref = await openMovie(context, movie.reference, logs);
    const reference = await settledView(ref, { masks: manifest.markers, click: [] });
    await ref.close();

    page = await openMovie(context, movie.path, logs);
    const loaded = await now(page);
    const view = await settledView(page, { masks: manifest.colours, click: movie.click });
    // A second at least, to tell a silent start from a late one.
    const waited = (await now(page)) - loaded;
    if (waited < 1000) await sleep(1000 - waited);
    result.pixels = view.width * view.height;
    ['button', 'background'].forEach((part, i) => {
      const mask = unpack(view.masks[i]);
      const { inside, cover } = overlap(mask, unpack(reference.masks[i]));
      Object.assign(result, { [`${part}_pixels`]: count(mask), [`${part}_inside`]: inside, [`${part}_cover`]: cover });
    });
    if (movie.autoplay) {
      // A loaded machine may start the sound late: wait for it up to 5 seconds.
      for (let wait = 0; wait < 25 && (await soundSince(page, loaded)).peak <= 0.05; ++wait) await sleep(200);
      await sleep(600);  // enough sound for its pitch
    }
    const first = await soundSince(page, loaded);
    Object.assign(result, { first_peak: first.peak.toFixed(3), first_hz: Math.round(first.hz), first_buffers: first.buffers });

    if (!movie.autoplay) {
      // Find Play: the first button region whose click starts the sound.
      let play = -1;
      for (let i = 0; i < view.regions.length && play < 0; ++i) {
        const t = await now(page);
        await page.mouse.click(view.regions[i].x, view.regions[i].y);
        let s = null;
        for (let wait = 0; wait < 15; ++wait) {
          await sleep(200);
          s = await soundSince(page, t);
          if (s.peak > 0.05) break;
        }
        await sleep(600);  // enough sound for its pitch
        s = await soundSince(page, t);
        if (s.peak > 0.05) [play, result.play_peak, result.play_hz] = [i, s.peak.toFixed(3), Math.round(s.hz)];
      }
      result.play_region = play;
      // Find Stop: a button (Play's own region last, for a toggle) after whose click all is silent.
      if (play >= 0) {
        const own = (i) => view.regions[i].group === view.regions[play].group;
        const all = view.regions.map((_, i) => i);
        const order = all.filter((i) => !own(i)).concat(all.filter((i) => own(i) && i !== play), [play]);
        let stop = -1;
        for (const i of order) {
          const clicked = await now(page);
          await page.mouse.click(view.regions[i].x, view.regions[i].y);
          await sleep(300);  // buffers already scheduled play out
          // A silent 400 ms window: this button stopped the sound; sound 900 ms after the click: it did not.
          for (;;) {
            const t = await now(page);
            await sleep(400);
            const s = await soundSince(page, t);
            if (s.buffers > 0 && s.peak < 0.01) { stop = i; break; }
            const elapsed = (await now(page)) - clicked;
            if ((s.peak > 0.05 && elapsed > 900) || elapsed > 3000) break;
          }
          if (stop >= 0) break;
        }
        result.stop_region = stop;
      }
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

// What a user would notice: Ruffle complaining, a colour missing or away from where the design
// has it, no sound, a plain movie sounding before Play, no Play, no Stop, an autoplay movie silent.
function verdict(movie, r) {
  const problems = [];
  const near440 = (hz) => Math.abs(hz - 440) <= 20;
  if (r.errors !== 0) problems.push('errors');
  for (const part of ['button', 'background']) {
    if (!(r[`${part}_pixels`] > r.pixels * 0.01)) problems.push(`${part}_pixels`);
    if (!(r[`${part}_inside`] >= 0.95 && r[`${part}_cover`] >= 0.95)) problems.push(`${part}_place`);
  }
  if (!(r.first_buffers > 0)) problems.push('no_audio_output');
  if (movie.autoplay) {
    if (!(r.first_peak > 0.1 && near440(r.first_hz))) problems.push('autoplay_no_tone');
  } else {
    if (!(r.first_peak < 0.01)) problems.push('sound_before_play');
    if (!(r.play_region >= 0 && r.play_peak > 0.1 && near440(r.play_hz))) problems.push('no_play');
    if (!(r.stop_region >= 0)) problems.push('no_stop');
  }
  return problems;
}

// Without a sound server the browser renders its audio all the same, which the probe hears.
const browser = await launchChromium();
try {
  const context = await browser.newContext({ viewport: { width: 800, height: 600 } });
  await context.addInitScript(audioProbe);
  const queue = [...manifest.movies];
  const workers = Array.from({ length: 4 }, async () => {
    while (queue.length) await checkMovie(context, queue.shift());
  });
  await Promise.all(workers);
} finally {
  await browser.close();
}
