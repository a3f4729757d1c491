// SPDX-License-Identifier: GPL-3.0-or-later
// The computing library compiled to WebAssembly writes the bytes of the desktop program: every
// reference file, and every table of the 0.01° grid for every aggregation, unit, method and
// quantity next to the command line's own, made in the same run.
import assert from 'node:assert/strict';
import {spawn} from 'node:child_process';
import {createHash} from 'node:crypto';
import {closeSync, mkdtempSync, openSync, readFileSync, readdirSync, rmSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {dirname, join} from 'node:path';
import {after, test} from 'node:test';
import {fileURLToPath} from 'node:url';

import {loadCore} from '../src/core.js';

const root = join(dirname(fileURLToPath(import.meta.url)), '..', '..');
const wasmPath = process.env.MAROVANE_WASM ?? join(root, 'build/wasm/web/marovane.wasm');
const cliPath = process.env.MAROVANE_CLI ?? join(root, 'build/dev/cli/marovane-cli');
const core = await loadCore(readFileSync(wasmPath));
const text = new TextDecoder();

const sha = (bytes) => createHash('sha256').update(bytes).digest('hex');

// The command line's standard output, hashed. It goes to a file, so that the program runs on
// while this process is busy.
const scratch = mkdtempSync(join(tmpdir(), 'marovane-web-'));
after(() => rmSync(scratch, {recursive: true, force: true}));
let runs = 0;
function cliDigest(args) {
  const path = join(scratch, `out${runs += 1}`);
  const out = openSync(path, 'w');
  return new Promise((resolve, reject) => {
    const child = spawn(cliPath, args, {stdio: ['ignore', out, 'pipe']});
    let errors = '';
    child.stderr.on('data', (chunk) => {
      errors += chunk;
    });
    child.on('error', reject);
    child.on('close', (status) => {
      closeSync(out);
      const bytes = readFileSync(path);
      rmSync(path);
      if (status !== 0) {
        reject(new Error(`marovane-cli ${args.join(' ')}: status ${status}: ${errors}`));
      } else {
        resolve({digest: sha(bytes), size: bytes.length});
      }
    });
  });
}

test('every reference file, byte for byte', () => {
  const folder = join(root, 'tests/data/reference/files');
  const names = readdirSync(folder).filter((n) => n.endsWith('.csv'));
  assert.ok(names.length >= 196, `${names.length} reference files`);
  for (const name of names) {
    const [, latitude, aggregation, unit] = name.match(/^lat_(.+)_agg(\d)_unit(\d)\.csv$/);
    const choice = {
      aggregation: core.aggregations[Number(aggregation) - 1].name,
      unit: core.units[Number(unit) - 1].label,
    };
    const file = core.cycleFile(latitude, choice);
    assert.ok(file.ok, name);
    assert.deepEqual(file.bytes, new Uint8Array(readFileSync(join(folder, name))), name);
  }
});

// Every combination the tables offer; the day length has no unit of its own.
const combinations = [];
for (const aggregation of core.aggregations) {
  for (const method of core.methods) {
    for (const unit of core.units) {
      combinations.push({aggregation: aggregation.name, unit: unit.label, method: method.name,
        quantity: 'radiation'});
    }
    combinations.push({aggregation: aggregation.name, unit: core.units[0].label,
      method: method.name, quantity: 'daylength'});
  }
}

const cliChoice = (c) => ['--aggregation', c.aggregation, '--unit', c.unit, '--method', c.method,
  '--quantity', c.quantity];

test('the 0.01° grid, every aggregation, unit, method and quantity, as the command line',
    async () => {
      const grid = '-90:90:0.01';
      for (const choice of combinations) {
        // Daily tables are the largest: wide; the others in both layouts by turns.
        const layout = choice.aggregation !== 'daily' && choice.unit.includes('dekad') ?
          'long' : 'wide';
        const native = cliDigest(['--grid', grid, '--layout', layout, ...cliChoice(choice),
          '--table', '-']);
        const table = core.table({latitudes: grid, layout, choice});
        assert.ok(table.ok, table.message);
        const expected = await native;
        assert.equal(table.bytes.length, expected.size, JSON.stringify(choice));
        assert.equal(sha(table.bytes), expected.digest, JSON.stringify(choice));
      }
    });

test('tables of listed latitudes and real dates, as the command line', async () => {
  const cases = [
    {latitudes: ['41.9', '33:52:03S', '-90', '0', '66.5'], dates: '', layout: 'long',
      aggregation: 'monthly'},
    {latitudes: ['41.9', '-33.8675'], dates: '2023-01-01/2024-12-31', aggregation: 'daily'},
    {latitudes: ['12.5083333', '-66.56'], dates: '2023-12-25/2024-03-01', aggregation: 'dekadal'},
    {latitudes: ['90', '-41.9'], dates: '1950-02-01/2049-12-31', aggregation: 'monthly'},
    {latitudes: ['45'], dates: '2024-02-20/2024-03-10', aggregation: 'pentadal', method: 'fao56'},
  ];
  for (const c of cases) {
    const choice = {aggregation: c.aggregation, unit: 'W/m^2', method: c.method ?? 'harmonic',
      quantity: 'radiation'};
    const args = c.latitudes.flatMap((l) => ['--latitude', l]);
    if (c.dates) {
      args.push('--dates', c.dates);
    } else {
      args.push('--layout', c.layout);
    }
    const native = await cliDigest([...args, ...cliChoice(choice), '--table', '-']);
    const table = core.table({latitudes: c.latitudes.join(', '), dates: c.dates,
      layout: c.layout, choice});
    assert.ok(table.ok, table.message);
    assert.equal(sha(table.bytes), native.digest, JSON.stringify(c));
  }
});

test('refusals name the value at fault', () => {
  const choice = {aggregation: 'dekadal', unit: 'MJ/m^2/day'};
  const cases = [
    [{latitudes: '41.9, abc'}, /^Latitude 'abc': /],
    [{latitudes: '95'}, /^Latitude '95': .*-90/],
    [{latitudes: ''}, /^Give one latitude/],
    [{latitudes: '10:0:1'}, /^Latitudes: /],
    [{latitudes: '-90:90:0.0001'}, /^Latitudes: .*1,000,000/],
    [{latitudes: '41.9', dates: '2023-02-30/2023-03-01'}, /^Dates: /],
    [{latitudes: '41.9', dates: '2023-01-01/2023-12-31',
      choice: {aggregation: 'weekly', unit: 'MJ/m^2/day'}}, /^Dates: weeks/],
    [{latitudes: '-90:90:0.0005', choice: {aggregation: 'daily', unit: 'MJ/m^2/day'}},
      /more than 100,000,000 values/],
  ];
  for (const [request, message] of cases) {
    const table = core.table({choice, ...request});
    assert.equal(table.ok, false, JSON.stringify(request));
    assert.match(table.message, message);
    assert.equal(table.bytes.length, 0);
  }
});

test('the latitude boxes follow the window\'s rules', () => {
  const cases = [
    ['decimal', {decimal: '41.9'}, {decimal: '41.9', degrees: '41', minutes: '54', seconds: '0',
      hemisphere: 'N'}, false],
    ['decimal', {decimal: '-33.8675'}, {degrees: '33', minutes: '52', seconds: '3',
      hemisphere: 'S'}, false],
    ['degrees', {degrees: '33', minutes: '52', seconds: '3', hemisphere: 'S'},
      {decimal: '-33.868'}, false],
    ['decimal', {decimal: '90.5'}, {decimal: '90.5'}, true],
  ];
  for (const [box, texts, expected, strange] of cases) {
    const reaction = core.keyReleased(box, texts);
    assert.equal(reaction.strange, strange, JSON.stringify(texts));
    for (const [name, value] of Object.entries(expected)) {
      assert.equal(reaction.texts[name], value, `${box} ${JSON.stringify(texts)}: ${name}`);
    }
    assert.equal(reaction.title, strange ? 'Strange Location' : '');
  }
  assert.equal(core.boxAccepts('degrees', '7'), true);
  assert.equal(core.boxAccepts('degrees', '.'), false);
  assert.equal(core.boxAccepts('hemisphere', 's'), true);
  assert.equal(core.boxAccepts('hemisphere', 'x'), false);
  assert.deepEqual(core.checkLatitude('4l.9'), {ok: false, latitude: '',
    title: '', message: 'One of the inputs is not numeric!'});
});

// A batch fed in pieces of any size gives the desktop batch's items, files and entries.
test('a batch in pieces', () => {
  const choice = {aggregation: 'monthly', unit: 'mm/day', method: 'fao56'};
  const input = '\uFEFF41.9, abc\n95\t-33.87\r\n' + '7'.repeat(5000) + ' 0';
  const bytes = new TextEncoder().encode(input);
  const outcomes = [];
  for (const piece of [1, 3, 4096, bytes.length]) {
    const batch = core.batch('lats.txt', choice);
    const items = [];
    for (let at = 0; at < bytes.length; at += piece) {
      items.push(...batch.feed(bytes.subarray(at, at + piece)));
    }
    items.push(...batch.end());
    const log = items.map((item) => item.entry ??
      (item.number === 4 ? batch.failed(item, 'Cannot write x: No space left on device') :
        batch.written(item, `/out/${item.name}`)));
    outcomes.push({log, summary: batch.summary(), bytesRead: batch.bytesRead,
      files: items.filter((i) => i.name).map((i) => [i.name, sha(i.bytes)])});
  }
  const first = outcomes[0];
  assert.deepEqual(first.log, [
    '1 41.9 /out/lats41.9.out',
    'Item 2 (abc): not a number, no file written.',
    'Item 3 (95): latitude outside -90..90, no file written.',
    'Item 4 (-33.87): Cannot write x: No space left on device',
    'Item 5 (' + '7'.repeat(40) + '…): longer than any latitude (5000 characters), no file ' +
      'written.',
    '2 0 /out/lats0.out',
  ]);
  assert.equal(first.summary, '2 Files written.\n4 items failed.');
  assert.equal(core.batchCount(2, 6), '2 files written, 6 items read.');
  assert.equal(first.bytesRead, bytes.length);
  assert.deepEqual(first.files.map(([name]) => name), ['lats41.9.out', 'lats-33.87.out',
    'lats0.out']);
  assert.equal(first.files[0][1], sha(core.cycleFile('41.9', choice).bytes));
  for (const other of outcomes.slice(1)) {
    assert.deepEqual(other, first);
  }
  // An input with no separator for more than 1 MiB is no text of latitudes: the run ends.
  const batch = core.batch('lats.txt', choice);
  const items = batch.feed(new Uint8Array(1 << 21).fill(0x37));
  assert.equal(items.length, 1);
  assert.equal(items[0].ends, true);
  assert.match(items[0].entry, /^Cannot read lats\.txt: item 1 runs on for more than 1 MiB/);
  assert.deepEqual(batch.end(), []);
  assert.match(batch.summary(), /^0 Files written\.\nThe input file lats\.txt could not be read/);
  // Stopped: the entry and the summary say after which item; items handed out after it, refused
  // or not, were never reached.
  const stopped = core.batch('lats.txt', choice);
  const done = stopped.feed(new TextEncoder().encode('1 abc 3 '));
  stopped.written(done[0], 'lats1.out');
  assert.equal(stopped.stop(1), 'Stopped by the user after item 1; the items after it were not ' +
    'written.');
  assert.equal(stopped.summary(), '1 Files written.\nStopped by the user after item 1.');
});

// The chart's texts are the window's: titles, names, the readout, the axis and Copy values.
test('the chart says what the window\'s chart says', () => {
  const dekadTotals = {aggregation: 'dekadal', unit: 'MJ/m^2/dekad'};
  const titles = [
    [{latitude: '41.9', choice: {aggregation: 'dekadal', unit: 'MJ/m^2/day'}},
      'Extraterrestrial radiation at 41.9° N, dekadal means, MJ m⁻² day⁻¹'],
    [{latitude: '-33.9', choice: dekadTotals, dayLength: true},
      'Extraterrestrial radiation at 33.9° S, dekadal totals, MJ m⁻² dekad⁻¹; day length, hours'],
    [{latitude: '0', choice: {aggregation: 'daily', unit: 'W/m^2'}, anyKept: true},
      'Extraterrestrial radiation, daily values, W m⁻²'],
  ];
  for (const [request, title] of titles) {
    const texts = core.chartTexts({latitudeText: request.latitude, followsText: true, ...request});
    assert.equal(texts.title, title);
    assert.equal(texts.status, 'Follows the main window.');
  }
  assert.equal(core.chartTexts({latitudeText: '95', followsText: false, latitude: '41.9',
    choice: dekadTotals}).status, '"95" is not a latitude from -90 to 90: the chart keeps 41.9°.');
  assert.deepEqual(core.curveNames('-33.87', 'fao56'), {curve: '-33.87°',
    method: '-33.87°, FAO-56', other: '-33.87°, Harmonic', dayLength: 'Day length at -33.87°',
    name: '33.87° S', degrees: '-33.87°', keyMethod: '33.87° S, FAO-56',
    keyOther: '33.87° S, Harmonic', keyDayLength: 'Day length at 33.87° S'});
  // The period under the pointer: the nearest day, or the period that holds the day.
  for (const [aggregation, day, index] of [['daily', 1.4, 0], ['daily', 365.6, -1],
    ['monthly', 32, 1], ['monthly', 366, 11], ['dekadal', 10.99, 0], ['weekly', 371, 52],
    ['monthly', 0.5, -1]]) {
    assert.equal(core.periodAt(aggregation, day), index, `${aggregation} ${day}`);
  }
  for (const [highest, top, steps] of [[41.757, 50, 5], [0.9, 1, 5], [0, 1, 5], [476.3, 500, 5],
    [13.2, 15, 3]]) {
    assert.deepEqual(core.niceScale(highest), {top, steps}, String(highest));
  }
  // The readout gives the value the file writes for the period under the pointer.
  const monthly = {aggregation: 'monthly', unit: 'MJ/m^2/day'};
  const july = core.cycle('41.9', monthly)[6];
  assert.equal(core.reading('41.9', monthly, july.firstDay + 3.5),
      `Month 7 at 41.9° N (Harmonic): ${july.value} MJ m⁻² day⁻¹`);
  assert.equal(core.reading('41.9', monthly, 400), '');
  const copied = core.valuesTable(monthly, [{latitude: '41.9', name: '41.9°'},
    {latitude: '41.9', quantity: 'daylength', name: 'Day length at 41.9°'}]).split('\n');
  assert.equal(copied[0], 'Month\t41.9° (MJ/m^2/day)\tDay length at 41.9° (hours)');
  assert.equal(copied.length, 14);
  assert.equal(copied[7].split('\t')[1], String(july.value));
});
