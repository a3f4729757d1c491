// SPDX-License-Identifier: GPL-3.0-or-later
// The built site in headless chromium, driven as a user drives it: controls found by their
// accessible names, files compared byte for byte with the reference files and with the native
// command line's, the service worker's offline reload, and axe-core's accessibility rules.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, it } from 'node:test';
import { unzipSync } from 'fflate';
import { loadCore } from '../src/core.js';
import { catchDownloads, launch, openPage, root, serve } from './harness.mjs';

const REFERENCE = join(root, 'tests', 'data', 'reference', 'files');
const CLI = join(root, 'build', 'dev', 'cli', 'marovane-cli');
const WASM = join(root, 'build', 'wasm', 'web', 'marovane.wasm');

let server;
let browser;
let core;  // the same core under node: the page must say what it says

before(async () => {
  core = await loadCore(readFileSync(WASM));
  server = await serve();
  browser = await launch();
});

after(async () => {
  await browser?.close();
  await server?.close();
});

const byName = (name, role) => (role ? `::-p-aria([name="${name}"][role="${role}"])` : `::-p-aria(${name})`);

// Puts `text` into the box named `name` key by key, as a user replaces what it holds.
async function typeInto(page, name, text) {
  const box = await page.waitForSelector(byName(name, 'textbox'));
  await box.click({ clickCount: 3 });
  await page.keyboard.down('Control');
  await page.keyboard.press('a');
  await page.keyboard.up('Control');
  if (text === '') await page.keyboard.press('Backspace');
  else await page.keyboard.type(text);
}

async function boxTexts(page) {
  return page.evaluate(() => ({
    decimal: document.getElementById('txtLat').value,
    degrees: document.getElementById('txtLatGrad').value,
    minutes: document.getElementById('txtLatMin').value,
    seconds: document.getElementById('txtLatSec').value,
    hemisphere: document.getElementById('txtLatNS').value,
  }));
}

// The message shown now, closed by its OK button.
async function message(page) {
  await page.waitForSelector('#message[open]');
  const shown = await page.evaluate(() => ({
    title: document.getElementById('messageTitle').textContent,
    text: document.getElementById('messageText').textContent,
  }));
  await page.click(byName('OK', 'button'));
  await page.waitForSelector('#message:not([open])');
  return shown;
}

async function choose(page, aggregation, unit) {
  await page.click(byName(aggregation, 'radio'));
  await page.click(byName(unit, 'radio'));
}

function reference(latitude, aggregationCode, unitCode) {
  return readFileSync(join(REFERENCE, `lat_${latitude}_agg${aggregationCode}_unit${unitCode}.csv`));
}

// The native batch over the same input, in a folder of its own: its files and its log lines.
function nativeBatch(input, bytes) {
  const folder = mkdtempSync(join(tmpdir(), 'marovane-native-'));
  try {
    writeFileSync(join(folder, input), bytes);
    let out;
    try {
      out = execFileSync(CLI, ['--batch', join(folder, input)], { encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe'] });
    } catch (e) {
      out = e.stdout;  // refused items make it end with status 1; its files stand
    }
    const files = {};
    for (const name of readdirSync(folder)) if (name !== input) files[name] = readFileSync(join(folder, name));
    return { files, lines: out.split('\n').filter(Boolean).map((l) => l.split(folder + '/').join('')) };
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
}

describe('the latitude boxes', () => {
  // Worked by hand: 23.5 degrees are 23 degrees 30 minutes; 33.8675 degrees are 33 degrees, 52 minutes (0.8675 x 60 = 52.05) and 3
  // seconds (0.05 x 60); 12 degrees 30 minutes are 12.5 degrees.
  const cases = [
    { box: 'Decimal:', keys: '23.5', expect: { degrees: '23', minutes: '30', seconds: '0', hemisphere: 'N' } },
    { box: 'Decimal:', keys: '-33.8675', expect: { degrees: '33', minutes: '52', seconds: '3', hemisphere: 'S' } },
    { box: 'Degrees', keys: '12', then: [['Minutes', '30'], ['Seconds', '0'], ['N or S', 'S']], expect: { decimal: '-12.5' } },
    { box: 'Degrees', keys: '66', then: [['Minutes', '30'], ['Seconds', '0'], ['N or S', 'N']], expect: { decimal: '66.5' } },
  ];
  for (const c of cases) {
    it(`typing ${c.keys} into "${c.box}" fills the other form, as the core does, and the chart follows`, async () => {
      const page = await openPage(browser, server.url);
      await page.click(byName('Chart', 'button'));
      const before = await page.$eval('#chartTitle', (e) => e.textContent);
      await typeInto(page, c.box, c.keys);
      for (const [box, keys] of c.then ?? []) await typeInto(page, box, keys);
      const shown = await boxTexts(page);
      for (const [box, text] of Object.entries(c.expect)) assert.equal(shown[box], text, `${box} box`);
      // Key by key under node, the core gives the same boxes from the same texts.
      const name = { 'Decimal:': 'decimal', Degrees: 'degrees', Minutes: 'minutes', Seconds: 'seconds', 'N or S': 'hemisphere' };
      const last = c.then ? name[c.then[c.then.length - 1][0]] : name[c.box];
      assert.deepEqual(core.keyReleased(last, shown).texts, shown);
      const check = core.checkLatitude(shown.decimal);
      assert.ok(check.ok);
      const title = await page.$eval('#chartTitle', (e) => e.textContent);
      assert.notEqual(title, before, 'the chart follows the typing');
      assert.match(title, new RegExp(`^Annual cycle at ${shown.decimal.replace(/[-.]/g, '\\$&')}°`));
      await page.close();
    });
  }

  it('Enter moves on to the next box', async () => {
    const page = await openPage(browser, server.url);
    const order = ['Decimal:', 'Degrees', 'Minutes', 'Seconds', 'N or S'];
    await page.focus('#txtLat');
    for (let i = 1; i < order.length; ++i) {
      await page.keyboard.press('Enter');
      const focused = await page.evaluate(() => document.activeElement.getAttribute('aria-label') ?? document.activeElement.labels?.[0]?.textContent);
      assert.equal(focused, order[i]);
    }
    await page.close();
  });
});

describe('refused input', () => {
  const cases = [
    { what: 'a latitude past the pole', box: 'Decimal:', keys: '95', title: 'Strange Location', expect: () => core.keyReleased('decimal', { decimal: '95', degrees: '41', minutes: '54', seconds: '0', hemisphere: 'N' }) },
    { what: 'another letter than N or S', box: 'N or S', keys: 'x', title: 'Marovane', expect: () => ({ message: core.hemisphereOnly }) },
    { what: 'an empty decimal box on Export', box: 'Decimal:', keys: '', export: true, expect: () => core.checkLatitude('') },
  ];
  for (const c of cases) {
    it(`${c.what} is refused with the window's message`, async () => {
      const page = await openPage(browser, server.url);
      await typeInto(page, c.box, c.keys);
      if (c.export) await page.click(byName('Export Extraterrestrial Radiation', 'button'));
      const expected = c.expect();
      const shown = await message(page);
      assert.equal(shown.text, expected.message);
      // An empty title is the program's own.
      assert.equal(shown.title, c.title ?? (expected.title || 'Marovane'));
      if (c.title === 'Strange Location') {
        assert.equal(await page.evaluate(() => document.activeElement.id), 'txtLat', 'the focus goes back to the decimal box');
      }
      await page.close();
    });
  }
});

describe('Export', () => {
  // Latitude, then aggregation and unit by caption with their codes in the reference files.
  const cases = [
    ['41.9', 'Dekadal', 3, 'MJ/m^2/day', 1],
    ['-41.9', 'Daily', 1, 'W/m^2', 4],
    ['66.5', 'Weekly', 2, 'mm/dekad', 7],
    ['90', 'Monthly', 4, 'cal/cm^2/day', 3],
    ['0', 'Dekadal', 3, 'MJ/m^2/dekad', 6],
  ];
  for (const [latitude, aggregation, a, unit, u] of cases) {
    it(`downloads the reference file's bytes for ${latitude}, ${aggregation}, ${unit}`, async () => {
      const page = await openPage(browser, server.url);
      const downloads = await catchDownloads(page);
      await typeInto(page, 'Decimal:', latitude);
      await choose(page, aggregation, unit);
      await page.click(byName('Export Extraterrestrial Radiation', 'button'));
      const file = await downloads.next();
      assert.ok(reference(latitude, a, u).equals(file.bytes), `${file.name} differs from the reference file`);
      assert.equal((await message(page)).text, core.dataWrittenTo + file.name);
      downloads.remove();
      await page.close();
    });
  }

  it('writes through the save dialog where the browser has one', async () => {
    const page = await openPage(browser, server.url, { pickers: true });
    await page.evaluate(() => {
      window.written = [];
      window.showSaveFilePicker = async ({ suggestedName }) => ({
        name: `chosen-${suggestedName}`,
        createWritable: async () => {
          const parts = [];
          return {
            write: async (data) => parts.push(...new Uint8Array(data instanceof Blob ? await data.arrayBuffer() : data)),
            close: async () => window.written.push(parts),
            abort: async () => {},
          };
        },
      });
    });
    await typeInto(page, 'Decimal:', '67.0761566');
    await choose(page, 'Monthly', 'J/cm^2/day');
    await page.click(byName('Export Extraterrestrial Radiation', 'button'));
    const shown = await message(page);
    assert.match(shown.text, new RegExp(`^${core.dataWrittenTo}chosen-`));
    const written = await page.evaluate(() => window.written);
    assert.equal(written.length, 1);
    assert.ok(reference('67.0761566', 4, 2).equals(Buffer.from(written[0])));
    await page.close();
  });
});

describe('Batch Mode', () => {
  // A byte order mark, every separator, refused items and a latitude written twice.
  const input = Buffer.concat([Buffer.from([0xef, 0xbb, 0xbf]),
    Buffer.from('41.9\r\n-33.87 abc,95\n\n0.5\t12.25,41.90\n-90\n')]);
  const paths = [
    { path: 'a zip download', pickers: false },
    { path: 'the folder picked', pickers: true },
  ];
  for (const { path, pickers } of paths) {
    it(`writes the native batch's files into ${path}, with its log`, async () => {
      assert.ok(existsSync(CLI), `${CLI} is missing: build the dev preset first`);
      const native = nativeBatch('lats.txt', input);
      const folder = mkdtempSync(join(tmpdir(), 'marovane-input-'));
      writeFileSync(join(folder, 'lats.txt'), input);
      const page = await openPage(browser, server.url, { pickers });
      if (pickers) {
        await page.evaluate(() => {
          window.written = {};
          window.showDirectoryPicker = async () => ({
            name: 'out',
            getFileHandle: async (name) => ({
              name,
              createWritable: async () => {
                const parts = [];
                return {
                  write: async (data) => parts.push(...new Uint8Array(data)),
                  close: async () => { window.written[name] = parts; },
                  abort: async () => {},
                };
              },
            }),
          });
        });
      }
      const downloads = await catchDownloads(page);
      await page.click(byName('Batch Mode', 'button'));
      const [chooser] = await Promise.all([page.waitForFileChooser(), page.click(byName('OK', 'button'))]);
      await chooser.accept([join(folder, 'lats.txt')]);
      const summary = await message(page);
      let files;
      if (pickers) {
        files = Object.fromEntries(Object.entries(await page.evaluate(() => window.written)).map(([n, b]) => [n, Buffer.from(b)]));
      } else {
        const zip = await downloads.next();
        assert.equal(zip.name, 'lats.zip');
        files = Object.fromEntries(Object.entries(unzipSync(new Uint8Array(zip.bytes))).map(([n, b]) => [n, Buffer.from(b)]));
      }
      assert.deepEqual(Object.keys(files).sort(), Object.keys(native.files).sort());
      for (const [name, bytes] of Object.entries(native.files)) assert.ok(bytes.equals(files[name]), `${name} differs`);
      // The log shows the native lines, the place of each file aside.
      const entries = await page.evaluate(() => Array.from(document.querySelectorAll('#List1 .row'), (r) => r.textContent));
      assert.equal(await page.$eval('#List1', (e) => e.getAttribute('aria-label')), `Batch log, ${native.lines.length - 1} entries`);
      const where = pickers ? 'out/' : 'lats.zip/';
      const count = native.lines.find((l) => /Files? written/.test(l));
      assert.deepEqual(entries.map((e) => e.split(where).join('')), native.lines.filter((l) => l !== count));
      assert.equal(summary.text.split('\n')[0], count);
      downloads.remove();
      rmSync(folder, { recursive: true, force: true });
      await page.close();
    });
  }
});

describe('a long batch', () => {
  it('shows its progress, and Cancel stops it after the file being written', async () => {
    const many = Array.from({ length: 400000 }, (_, i) => String((i % 17999) / 100 - 89.99)).join('\n');
    const folder = mkdtempSync(join(tmpdir(), 'marovane-input-'));
    writeFileSync(join(folder, 'many.txt'), many);
    const page = await openPage(browser, server.url);
    const downloads = await catchDownloads(page);
    await page.click(byName('Batch Mode', 'button'));
    const [chooser] = await Promise.all([page.waitForFileChooser(), page.click(byName('OK', 'button'))]);
    await chooser.accept([join(folder, 'many.txt')]);
    await page.waitForSelector('#progress[open]', { timeout: 20000 });
    assert.match(await page.$eval('#progressText', (e) => e.textContent), /^\d+ files written, \d+ items read\.$/);
    await page.click(byName('Cancel', 'button'));
    const summary = await message(page);
    // The list shows its last entries, and says how many it holds.
    const last = await page.$eval('#List1 .row:last-child', (r) => r.textContent);
    const handled = Number((await page.$eval('#List1', (e) => e.getAttribute('aria-label'))).match(/(\d+) entries/)[1]) - 1;
    // The core under node, its first items written as the page's were, stops alike.
    const alike = core.batch('many.txt', { aggregation: 'dekadal', unit: 'MJ/m^2/day', method: 'harmonic', quantity: 'radiation' });
    const start = Buffer.from(`${many.split('\n').slice(0, handled + 1).join('\n')}\n`);
    for (const item of alike.feed(start).slice(0, handled)) alike.written(item, `many.zip/${item.name}`);
    assert.equal(last, alike.stop(handled));
    assert.equal(summary.text, alike.summary());
    assert.ok(handled > 0 && handled < 400000, `${handled} items handled`);
    // The zip holds the files written before Cancel.
    const zip = unzipSync(new Uint8Array((await downloads.next()).bytes));
    assert.equal(Object.keys(zip).length, handled);
    downloads.remove();
    rmSync(folder, { recursive: true, force: true });
    await page.close();
  });
});

describe('the chart', () => {
  const pictures = [
    { button: 'PNG image', check: (b) => {
      assert.ok(b.subarray(0, 8).equals(Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a])), 'a PNG');
      return { width: b.readUInt32BE(16), height: b.readUInt32BE(20) };
    } },
    { button: 'SVG drawing', check: (b) => {
      const svg = b.toString('utf8');
      assert.match(svg, /<svg[^>]*xmlns="http:\/\/www.w3.org\/2000\/svg"/);
      assert.match(svg, /font-family="sans-serif"/);
      return { width: Number(svg.match(/<svg[^>]* width="(\d+)"/)[1]), height: Number(svg.match(/<svg[^>]* height="(\d+)"/)[1]) };
    } },
  ];
  for (const { button, check } of pictures) {
    it(`Save image writes a ${button} of 1600 x 1000`, async () => {
      const page = await openPage(browser, server.url);
      await page.click(byName('Chart', 'button'));
      await page.click(byName('Keep', 'button'));
      await page.click(byName('FAO-56', 'checkbox'));
      const downloads = await catchDownloads(page);
      await page.click(byName('Save image…', 'button'));
      await page.click(byName(button, 'button'));
      const file = await downloads.next();
      assert.deepEqual(check(file.bytes), { width: 1600, height: 1000 });
      downloads.remove();
      await page.close();
    });
  }

  it("the pointer on a curve reads its period's value, as the core words it", async () => {
    const page = await openPage(browser, server.url);
    await page.click(byName('Chart', 'button'));
    await page.click(byName('Day length', 'checkbox'));
    const choice = { aggregation: 'dekadal', unit: 'MJ/m^2/day', method: 'harmonic' };
    for (const [role, quantity] of [['current', 'radiation'], ['dayLength', 'daylength']]) {
      // A point a third of the way along the curve, in the page's coordinates.
      const point = await page.$eval(`#chartView path[data-role=${role}]`, (path) => {
        const p = path.getPointAtLength(path.getTotalLength() / 3);
        const m = path.getScreenCTM();
        return { x: p.x * m.a + m.e, y: p.y * m.d + m.f };
      });
      await page.mouse.move(point.x, point.y);
      const shown = await page.$eval('#lblValue', (e) => e.textContent);
      const readings = core.cycle('41.9', { ...choice, quantity }).map((p) => core.reading('41.9', { ...choice, quantity }, p.firstDay + 0.5));
      assert.ok(readings.includes(shown), `"${shown}" is no reading of the ${role} curve`);
    }
    await page.close();
  });

  it("Copy values holds the export's numbers, one column per curve", async () => {
    const page = await openPage(browser, server.url);
    const context = page.browserContext();
    await context.overridePermissions(server.url.slice(0, -1), ['clipboard-read', 'clipboard-write', 'clipboard-sanitized-write']);
    await typeInto(page, 'Decimal:', '-41.9');
    await choose(page, 'Monthly', 'mm/day');
    await page.click(byName('Chart', 'button'));
    await page.click(byName('Keep', 'button'));
    await typeInto(page, 'Decimal:', '66.5');
    await page.click(byName('Copy values', 'button'));
    const table = await page.evaluate(() => navigator.clipboard.readText());
    const rows = table.trimEnd().split('\n').map((r) => r.split('\t'));
    assert.deepEqual(rows[0], ['Month', '-41.9° (mm/day)', '66.5° (mm/day)']);
    // Each column holds the third field of the file Export writes for its latitude.
    const column = (latitude) => reference(latitude, 4, 5).toString('latin1').trimEnd().split('\r\n').slice(1).map((l) => l.split(', ')[2]);
    assert.deepEqual(rows.slice(1).map((r) => r[1]), column('-41.9'));
    assert.deepEqual(rows.slice(1).map((r) => r[2]), column('66.5'));
    await page.close();
  });
});

describe('Table', () => {
  // What the panel is given, and the command line's options for the same table.
  const cases = [
    { latitudes: '41.9, -33.87', dates: '', layout: 'Wide', aggregation: 'Monthly', unit: 'mm/day',
      args: ['-l', '41.9', '-l', '-33.87', '--aggregation', 'monthly', '--unit', 'mm/day'] },
    { latitudes: '-10:10:5', dates: '2024-02-01/2024-03-31', layout: 'Long', aggregation: 'Dekadal', unit: 'W/m^2',
      args: ['--grid', '-10:10:5', '--dates', '2024-02-01/2024-03-31', '--layout', 'long', '--aggregation', 'dekadal', '--unit', 'W/m^2'] },
  ];
  for (const c of cases) {
    it(`writes the command line's ${c.layout.toLowerCase()} table of ${c.latitudes}${c.dates ? ` over ${c.dates}` : ''}`, async () => {
      assert.ok(existsSync(CLI), `${CLI} is missing: build the dev preset first`);
      const page = await openPage(browser, server.url);
      const downloads = await catchDownloads(page);
      await choose(page, c.aggregation, c.unit);
      await page.click(byName('Table…', 'button'));
      await typeInto(page, 'Latitudes:', c.latitudes);
      await typeInto(page, 'Dates:', c.dates);
      await page.click(byName(c.layout, 'radio'));
      await page.click(byName('Write table', 'button'));
      const file = await downloads.next();
      const expected = execFileSync(CLI, [...c.args, '--table', '-']);
      assert.ok(expected.equals(file.bytes), `${file.name} differs from the command line's table`);
      assert.equal((await message(page)).text, core.dataWrittenTo + file.name);
      downloads.remove();
      await page.close();
    });
  }
});

describe('Help', () => {
  it('shows the help text, line for line', async () => {
    const page = await openPage(browser, server.url);
    await page.click(byName('Help', 'button'));
    await page.waitForSelector('#help[open]');
    const shown = await page.$eval('#helpText', (e) => e.textContent);
    assert.equal(shown.split(/\r?\n/).join('\n'), readFileSync(join(root, 'ui', 'Marovane.txt'), 'utf8').split(/\r?\n/).join('\n'));
    await page.close();
  });
});

describe('offline', () => {
  it('is installable as an app', async () => {
    const page = await openPage(browser, server.url);
    await page.evaluate(() => navigator.serviceWorker.ready);
    const cdp = await page.createCDPSession();
    const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
    assert.deepEqual(installabilityErrors, []);
    const { errors } = await cdp.send('Page.getAppManifest');
    assert.deepEqual(errors, []);
    await page.close();
  });

  it('reloads through the service worker with the server gone', async () => {
    const page = await openPage(browser, server.url);
    await page.evaluate(async () => {
      await navigator.serviceWorker.ready;
      if (!navigator.serviceWorker.controller) {
        await new Promise((resolve) => navigator.serviceWorker.addEventListener('controllerchange', resolve, { once: true }));
      }
    });
    server.down = true;
    try {
      await page.reload();
      await page.waitForSelector('body[data-ready=true]', { timeout: 10000 });
      await typeInto(page, 'Decimal:', '-33.8675');
      assert.deepEqual(await boxTexts(page), core.keyReleased('decimal', await boxTexts(page)).texts);
      assert.equal((await boxTexts(page)).hemisphere, 'S');
    } finally {
      server.down = false;
    }
    await page.close();
  });
});

describe('accessibility', () => {
  // Every control reached by Tab alone, in the window's order, each with a visible focus.
  const tabOrder = [
    ['Decimal:', 'textbox'], ['Degrees', 'textbox'], ['Minutes', 'textbox'], ['Seconds', 'textbox'],
    ['N or S', 'textbox'], ['Dekadal', 'radio'], ['Export Extraterrestrial Radiation', 'button'],
    ['Batch Mode', 'button'], ['Batch log', 'log'], ['MJ/m^2/day', 'radio'],
  ];
  it('Tab reaches every control of the form in order, its focus drawn', async () => {
    const page = await openPage(browser, server.url);
    await page.focus('#txtLat');
    for (let i = 0; i < tabOrder.length; ++i) {
      if (i > 0) await page.keyboard.press('Tab');
      const [name, role] = tabOrder[i];
      const focused = await page.$(byName(name, role));
      assert.ok(focused, `${role} "${name}" is there`);
      const state = await focused.evaluate((e) => {
        const style = getComputedStyle(e);
        return { focused: document.activeElement === e, outline: style.outlineStyle !== 'none' && parseFloat(style.outlineWidth) >= 2 };
      });
      assert.deepEqual(state, { focused: true, outline: true }, `${name}`);
    }
    await page.close();
  });

  it('axe-core finds no serious or critical violation', async () => {
    const page = await openPage(browser, server.url);
    await page.click(byName('Chart', 'button'));
    await page.addScriptTag({ path: join(root, 'web', 'node_modules', 'axe-core', 'axe.min.js') });
    const found = await page.evaluate(async () => (await window.axe.run(document)).violations
      .map((v) => ({ id: v.id, impact: v.impact, nodes: v.nodes.length })));
    const grave = found.filter((v) => v.impact === 'serious' || v.impact === 'critical');
    assert.deepEqual(grave, [], JSON.stringify(found));
    await page.close();
  });
});
