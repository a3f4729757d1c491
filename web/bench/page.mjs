// SPDX-License-Identifier: GPL-3.0-or-later
// The page's speed and size in headless chromium, beside their targets: a key press in the
// decimal box until the boxes and the chart are drawn anew (median of 50, target 30 ms), the
// first load from localhost until the page is usable (median of 10, target 1 s), and the
// whole site compressed (target 1 MB).
import { readdirSync, readFileSync, statSync } from 'node:fs';
import { join, relative } from 'node:path';
import { brotliCompressSync, constants, gzipSync } from 'node:zlib';
import { launch, openPage, serve, site } from '../tests/harness.mjs';

const median = (xs) => {
  const s = [...xs].sort((a, b) => a - b);
  return s.length % 2 ? s[(s.length - 1) / 2] : (s[s.length / 2 - 1] + s[s.length / 2]) / 2;
};
const PRESSES = 50;
const LOADS = 10;

function siteSize() {
  let raw = 0;
  let gzip = 0;
  let brotli = 0;
  const rows = [];
  const walk = (dir) => {
    for (const name of readdirSync(dir)) {
      const path = join(dir, name);
      if (statSync(path).isDirectory()) {
        walk(path);
        continue;
      }
      const bytes = readFileSync(path);
      const g = gzipSync(bytes, { level: 9 }).length;
      const b = brotliCompressSync(bytes, { params: { [constants.BROTLI_PARAM_QUALITY]: 11 } }).length;
      raw += bytes.length;
      gzip += g;
      brotli += b;
      rows.push([relative(site, path), bytes.length, g]);
    }
  };
  walk(site);
  return { raw, gzip, brotli, rows: rows.sort((a, b) => b[2] - a[2]) };
}

const server = await serve();
const browser = await launch();
try {
  // Key presses: the chart open, each press changing the latitude drawn.
  const page = await openPage(browser, server.url, { width: 1100, height: 1000 });
  await page.click('#mnuChart');
  await page.focus('#txtLat');
  await page.evaluate(() => {
    const box = document.getElementById('txtLat');
    box.setSelectionRange(box.value.length, box.value.length);
    window.pressTimes = [];
    let start = 0;
    box.addEventListener('keydown', () => { start = performance.now(); }, { capture: true });
    // After the page's own handler: the next frame has the boxes and the chart drawn.
    document.addEventListener('keyup', () => {
      requestAnimationFrame(() => setTimeout(() => window.pressTimes.push(performance.now() - start), 0));
    });
  });
  for (let i = 0; i < PRESSES; ++i) {
    await page.keyboard.press(i % 2 === 0 ? 'Backspace' : '9');
    await page.waitForFunction((n) => window.pressTimes.length >= n, {}, i + 1);
  }
  const presses = await page.evaluate(() => window.pressTimes);
  await page.close();

  // First loads: a fresh profile each time, so nothing comes from a cache or the worker.
  const loads = [];
  for (let i = 0; i < LOADS; ++i) {
    const context = await browser.createBrowserContext();
    const p = await context.newPage();
    await p.goto(server.url);
    await p.waitForSelector('body[data-ready=true]');
    loads.push(await p.evaluate(() => performance.getEntriesByName('marovane-ready')[0].startTime));
    await context.close();
  }

  const size = siteSize();
  const press = median(presses);
  const load = median(loads);
  console.log(`key press -> boxes and chart drawn: median ${press.toFixed(1)} ms over ${PRESSES} (target 30 ms, ratio ${(press / 30).toFixed(2)})`);
  console.log(`first load -> usable:               median ${load.toFixed(0)} ms over ${LOADS} (target 1000 ms, ratio ${(load / 1000).toFixed(2)})`);
  console.log(`site: ${size.raw} bytes, ${size.gzip} gzip -9, ${size.brotli} brotli (target 1048576, ratio ${(size.gzip / 1048576).toFixed(2)})`);
  for (const [name, raw, g] of size.rows) console.log(`  ${name.padEnd(28)} ${String(raw).padStart(8)} ${String(g).padStart(8)}`);
} finally {
  await browser.close();
  await server.close();
}
