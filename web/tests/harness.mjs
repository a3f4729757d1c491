// SPDX-License-Identifier: GPL-3.0-or-later
// What the browser tests, the benchmarks and the screenshots share: the built site served on
// 127.0.0.1 by a small static server, and Debian's chromium driven headless.
import { mkdtempSync, readFileSync, rmSync, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { dirname, extname, join, normalize, sep } from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';

export const root = dirname(dirname(dirname(fileURLToPath(import.meta.url))));
export const site = join(root, 'build', 'web', 'site');

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.webmanifest': 'application/manifest+json',
  '.svg': 'image/svg+xml',
  '.png': 'image/png',
  '.txt': 'text/plain; charset=utf-8',
};

// Serves the site; `down` makes every request fail, as a server gone away would.
export async function serve(folder = site) {
  const state = { down: false, requests: 0 };
  const server = createServer((request, response) => {
    ++state.requests;
    if (state.down) {
      request.socket.destroy();
      return;
    }
    const path = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    let file = normalize(join(folder, path));
    if (!file.startsWith(folder + sep) && file !== folder) {
      response.writeHead(403).end();
      return;
    }
    try {
      if (statSync(file).isDirectory()) file = join(file, 'index.html');
      const body = readFileSync(file);
      response.writeHead(200, { 'Content-Type': TYPES[extname(file)] ?? 'application/octet-stream', 'Cache-Control': 'no-cache' });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  state.url = `http://127.0.0.1:${server.address().port}/`;
  state.close = () => new Promise((resolve) => {
    server.closeAllConnections?.();
    server.close(resolve);
  });
  return state;
}

export async function launch() {
  const profile = mkdtempSync(join(tmpdir(), 'marovane-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--font-render-hinting=none'],
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    rmSync(profile, { recursive: true, force: true });
  };
  return browser;
}

// Without the pickers the page takes its download and zip paths.
export const WITHOUT_PICKERS = () => {
  delete window.showSaveFilePicker;
  delete window.showDirectoryPicker;
  delete window.showOpenFilePicker;
};

export async function openPage(browser, url, { pickers = false, width = 1100, height = 900 } = {}) {
  const page = await browser.newPage();
  await page.setViewport({ width, height });
  if (!pickers) await page.evaluateOnNewDocument(WITHOUT_PICKERS);
  await page.goto(url);
  await page.waitForSelector('body[data-ready=true]');
  return page;
}

export function readBytes(path) {
  return readFileSync(path);
}

// Downloads of `page` go into a fresh folder; `next()` waits for the next one to complete
// and gives its name and bytes.
export async function catchDownloads(page) {
  const folder = mkdtempSync(join(tmpdir(), 'marovane-downloads-'));
  const cdp = await page.createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allowAndName', downloadPath: folder, eventsEnabled: true });
  const names = new Map();
  const waiting = [];
  const done = [];
  cdp.on('Browser.downloadWillBegin', (e) => names.set(e.guid, e.suggestedFilename));
  cdp.on('Browser.downloadProgress', (e) => {
    if (e.state !== 'completed' && e.state !== 'canceled') return;
    const result = e.state === 'completed'
      ? { name: names.get(e.guid), bytes: readFileSync(join(folder, e.guid)) }
      : { name: names.get(e.guid), canceled: true };
    const w = waiting.shift();
    if (w) w(result);
    else done.push(result);
  });
  return {
    folder,
    next(timeoutMs = 20000) {
      if (done.length > 0) return Promise.resolve(done.shift());
      return new Promise((resolve, reject) => {
        const timer = setTimeout(() => reject(new Error('no download came')), timeoutMs);
        waiting.push((r) => {
          clearTimeout(timer);
          resolve(r);
        });
      });
    },
    remove() {
      rmSync(folder, { recursive: true, force: true });
    },
  };
}
