#!/usr/bin/env node
// SPDX-License-Identifier: GPL-3.0-or-later
// The daily table of the 0.01 degree grid (18,001 latitudes x 365 days, CSV) made by the
// WebAssembly core under node beside the native command line making the same table, runs
// taken in turns: the medians and their ratio. The page's core should stay within twice the
// native time.
//
// Usage: bench/wasm-grid.mjs [path/to/marovane-cli] [path/to/marovane.wasm] [runs]
import {spawnSync} from 'node:child_process';
import {openSync, readFileSync} from 'node:fs';
import {dirname, join} from 'node:path';
import {fileURLToPath} from 'node:url';

import {loadCore} from '../web/src/core.js';

const root = join(dirname(fileURLToPath(import.meta.url)), '..');
const [cli = join(root, 'build/release/cli/marovane-cli'),
  wasm = join(root, 'build/wasm/web/marovane.wasm'), runs = '7'] = process.argv.slice(2);
const core = await loadCore(readFileSync(wasm));
const grid = '-90:90:0.01';
const choice = {aggregation: 'daily', unit: 'MJ/m^2/day'};
const nowhere = openSync('/dev/null', 'w');

const median = (list) => [...list].sort((a, b) => a - b)[Math.floor(list.length / 2)];
const native = [];
const web = [];
let size = 0;
for (let run = 0; run < Number(runs); run += 1) {
  let start = performance.now();
  const made = spawnSync(cli, ['--grid', grid, '--aggregation', 'daily', '--table', '-'],
      {stdio: ['ignore', nowhere, 'inherit']});
  if (made.status !== 0) {
    throw new Error(`${cli} ended with status ${made.status}`);
  }
  native.push(performance.now() - start);
  start = performance.now();
  const table = core.table({latitudes: grid, choice});
  web.push(performance.now() - start);
  size = table.bytes.length;
}
const [n, w] = [median(native), median(web)];
console.log(`daily table of the 0.01° grid, ${size} bytes, ${runs} runs each`);
console.log(`native command line  median ${n.toFixed(0)} ms`);
console.log(`WebAssembly in node  median ${w.toFixed(0)} ms`);
console.log(`ratio ${(w / n).toFixed(2)} (target at most 2)`);
