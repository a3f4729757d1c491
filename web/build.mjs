// SPDX-License-Identifier: GPL-3.0-or-later
// Builds the static site into build/web/site: the page's modules bundled by esbuild, the core
// compiled beforehand (build/wasm/web/marovane.wasm), the help text, the icons drawn from the
// program's own SVG, and a service worker that stores exactly these files.
import { build } from 'esbuild';
import { execFileSync } from 'node:child_process';
import { createHash } from 'node:crypto';
import { copyFileSync, existsSync, mkdirSync, readdirSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { dirname, join, relative } from 'node:path';
import { fileURLToPath } from 'node:url';

const web = dirname(fileURLToPath(import.meta.url));
const root = dirname(web);
const site = join(root, 'build', 'web', 'site');
const wasm = join(root, 'build', 'wasm', 'web', 'marovane.wasm');

if (!existsSync(wasm)) {
  console.error(`${relative(root, wasm)} is missing: build it with cmake --preset wasm && cmake --build --preset wasm`);
  process.exit(1);
}
rmSync(site, { recursive: true, force: true });
mkdirSync(join(site, 'icons'), { recursive: true });

await build({
  entryPoints: { main: join(web, 'src', 'main.js'), 'batch-worker': join(web, 'src', 'batch-worker.js') },
  outdir: site,
  bundle: true,
  format: 'esm',
  minify: true,
  target: ['chrome100', 'firefox115', 'safari16'],
  legalComments: 'none',
  logLevel: 'warning',
});

copyFileSync(wasm, join(site, 'marovane.wasm'));
for (const f of ['index.html', 'style.css', 'manifest.webmanifest']) copyFileSync(join(web, f), join(site, f));
copyFileSync(join(root, 'ui', 'Marovane.txt'), join(site, 'Marovane.txt'));
const icon = join(root, 'packaging', 'org.example.Marovane.svg');
copyFileSync(icon, join(site, 'icons', 'marovane.svg'));
for (const size of [192, 512]) {
  execFileSync('rsvg-convert', ['-w', String(size), '-h', String(size), '-o', join(site, 'icons', `marovane-${size}.png`), icon]);
}

// Every file of the site, with the page's own address first.
const files = [];
const walk = (dir) => {
  for (const name of readdirSync(dir).sort()) {
    const path = join(dir, name);
    if (statSync(path).isDirectory()) walk(path);
    else files.push(relative(site, path).split('\\').join('/'));
  }
};
walk(site);
const hash = createHash('sha256');
for (const f of files) hash.update(f).update(readFileSync(join(site, f)));
const listed = ['./', ...files];
const worker = readFileSync(join(web, 'sw.js'), 'utf8')
  .replace('__BUILD__', hash.digest('hex').slice(0, 16))
  .replace('__FILES__', JSON.stringify(listed));
writeFileSync(join(site, 'sw.js'), worker);
console.log(`Site built in ${relative(root, site)}`);
