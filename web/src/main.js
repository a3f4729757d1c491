// SPDX-License-Identifier: GPL-3.0-or-later
// The page: the main window's boxes, choices and commands over the WebAssembly core, which
// holds every rule, message, number and byte. The page handles keys, boxes, dialogs and files.
import { loadCore } from './core.js';
import { ChartData, drawChart, slidePng, slideSvg } from './chart.js';
import { dismissed, download, hasDirectoryPicker, hasSavePicker, pickSaveFile, writeHandle } from './files.js';

const APP_TITLE = 'Marovane';
const WASM = 'marovane.wasm';
const PROGRESS_AFTER_MS = 1000;  // a batch shorter than this shows no progress

const $ = (id) => document.getElementById(id);

const boxes = {
  decimal: $('txtLat'),
  degrees: $('txtLatGrad'),
  minutes: $('txtLatMin'),
  seconds: $('txtLatSec'),
  hemisphere: $('txtLatNS'),
};
const boxOf = new Map(Object.entries(boxes).map(([name, el]) => [el, name]));

let core = null;
let chart = null;      // ChartData once the chart is opened
let chartView = null;  // what drawChart returned for the chart on the page
let pointer = null;    // the pointer over the chart, in its coordinates
const log = [];

// ---- Messages --------------------------------------------------------------------------

let closeMessage = null;  // answers the message shown, if any

// A modal message; resolves true for OK, false for Cancel or Escape. A new one takes the
// place of one still shown, which counts as cancelled.
function say(text, title = APP_TITLE, { cancel = false } = {}) {
  closeMessage?.(false);
  const dialog = $('message');
  $('messageTitle').textContent = title || APP_TITLE;
  $('messageText').textContent = text;
  $('messageCancel').hidden = !cancel;
  return new Promise((resolve) => {
    const done = (ok) => {
      closeMessage = null;
      $('messageOk').onclick = null;
      $('messageCancel').onclick = null;
      dialog.onclose = null;
      if (dialog.open) dialog.close();
      resolve(ok);
    };
    $('messageOk').onclick = () => done(true);
    $('messageCancel').onclick = () => done(false);
    dialog.onclose = () => done(false);
    closeMessage = done;
    dialog.showModal();
    $('messageOk').focus();
  });
}

// ---- The latitude boxes ----------------------------------------------------------------

function texts() {
  const t = {};
  for (const [name, el] of Object.entries(boxes)) t[name] = el.value;
  return t;
}

function showTexts(t) {
  for (const [name, el] of Object.entries(boxes)) {
    if (el.value !== t[name]) el.value = t[name];
  }
}

// Characters the box does not take are left out; a refused one in the hemisphere box says so.
function taken(box, text) {
  let passed = '';
  let refused = false;
  for (const c of text) {
    if (core.boxAccepts(box, c)) passed += c;
    else refused = true;
  }
  return { passed, refused };
}

const pressedIn = new Map();  // key -> box where it went down

function watchBoxes() {
  for (const [name, el] of Object.entries(boxes)) {
    const most = core.boxMaxLength(name);
    if (most > 0) el.maxLength = most;
    el.title = core.boxToolTip(name);

    el.addEventListener('keydown', (e) => {
      if (!e.repeat) pressedIn.set(e.key, el);
      if (e.key === 'Enter' && !e.ctrlKey && !e.altKey) {
        e.preventDefault();
        focusNext(el);
        return;
      }
      // Backspace is a character the boxes judge as any other.
      if (e.key === 'Backspace' && !core.boxAccepts(name, '\b')) e.preventDefault();
    });
    el.addEventListener('beforeinput', (e) => {
      if (e.inputType !== 'insertText' && e.inputType !== 'insertFromPaste' &&
          e.inputType !== 'insertReplacementText' && e.inputType !== 'insertFromDrop') return;
      const data = e.data ?? e.dataTransfer?.getData('text/plain') ?? '';
      const { passed, refused } = taken(name, data);
      if (refused && name === 'hemisphere') {
        e.preventDefault();
        say(core.hemisphereOnly, '');
        return;
      }
      if (passed !== data) {
        e.preventDefault();
        if (passed) {
          el.setRangeText(passed, el.selectionStart, el.selectionEnd, 'end');
          el.dispatchEvent(new Event('input', { bubbles: true }));
        }
      }
    });
    el.addEventListener('keyup', (e) => {
      if (pressedIn.get(e.key) !== el || document.activeElement !== el) return;
      pressedIn.delete(e.key);
      keyReleased(name);
    });
    el.addEventListener('blur', () => {
      for (const [k, b] of pressedIn) if (b === el) pressedIn.delete(k);
    });
    // Text that comes without a key (an input method, a paste by menu) counts as one.
    el.addEventListener('input', (e) => {
      if (e.isComposing || pressedIn.size > 0) return;
      keyReleased(name);
    });
    // The selection the window makes when the focus comes by key; a click places the caret.
    let pointedAt = -Infinity;
    el.addEventListener('pointerdown', () => { pointedAt = performance.now(); });
    el.addEventListener('focus', () => {
      if (performance.now() - pointedAt < 500) return;
      const wanted = Math.min(core.boxSelection(name), el.value.length);
      requestAnimationFrame(() => {
        if (document.activeElement !== el) return;
        if (wanted > 0) el.setSelectionRange(0, wanted);
        else el.setSelectionRange(0, 0);
      });
    });
  }
}

function focusNext(el) {
  const all = Array.from(document.querySelectorAll('#Form1 input:not([type=radio]), #Form1 input[type=radio]:checked, #Form1 button, #List1'));
  const at = all.indexOf(el);
  (all[at + 1] ?? all[0]).focus();
}

function keyReleased(name) {
  const r = core.keyReleased(name, texts());
  showTexts(r.texts);
  if (r.strange) {
    say(r.message, r.title).then(() => boxes.decimal.focus());
  }
  choiceChanged();
}

// ---- Choices ---------------------------------------------------------------------------

function addOption(frame, group, value, caption, toolTip, index) {
  const label = document.createElement('label');
  label.className = 'option';
  label.style.top = `calc(${24 + 24 * index}px * var(--s))`;
  const input = document.createElement('input');
  input.type = 'radio';
  input.name = group;
  input.value = value;
  input.id = `${group}-${index + 1}`;
  label.append(input, document.createTextNode(caption));
  if (toolTip) label.title = toolTip;
  frame.append(label);
  input.addEventListener('change', choiceChanged);
  return input;
}

function buildChoices() {
  const inWindow = core.aggregations.filter((a) => a.inWindow);
  inWindow.forEach((a, i) => addOption($('Frame2'), 'aggregation', a.name, a.caption, '', i));
  core.units.forEach((u, i) => addOption($('Frame3'), 'unit', u.label, u.label, u.toolTip, i));
  for (const m of core.methods) {
    const label = document.createElement('label');
    const input = document.createElement('input');
    input.type = 'radio';
    input.name = 'method';
    input.value = m.name;
    label.append(input, document.createTextNode(` ${m.caption}`));
    $('mnuMethod').append(label);
    input.addEventListener('change', choiceChanged);
  }
  document.querySelector('input[name=aggregation][value=dekadal]').checked = true;
  document.querySelector('input[name=unit]').checked = true;
  document.querySelector('input[name=method][value=harmonic]').checked = true;
}

function choice() {
  const picked = (group) => document.querySelector(`input[name=${group}]:checked`).value;
  return { aggregation: picked('aggregation'), unit: picked('unit'), method: picked('method'), quantity: 'radiation' };
}

// ---- Export ----------------------------------------------------------------------------

async function exportClick() {
  const text = boxes.decimal.value;
  const file = core.cycleFile(text, choice());
  if (!file.ok) {
    await say(file.message, file.title);
    // Out of range ("Strange Location"), the window puts the focus back to the decimal box.
    if (file.title) boxes.decimal.focus();
    return;
  }
  const suggested = `marovane${text.trim()}.csv`;
  let name = suggested;
  try {
    if (hasSavePicker()) {
      const handle = await pickSaveFile(suggested, [
        { description: 'Comma Separated Value', accept: { 'text/csv': ['.csv'] } },
        { description: 'Text', accept: { 'text/plain': ['.txt'] } },
      ]);
      if (!handle) return;
      name = handle.name;
      await writeHandle(handle, file.bytes);
    } else {
      download(suggested, file.bytes, 'text/csv');
    }
  } catch (e) {
    await say(`${name} could not be written: ${e.message ?? e}`, APP_TITLE);
    return;
  }
  await say(core.dataWrittenTo + name, APP_TITLE);
}

// ---- Batch -----------------------------------------------------------------------------

function pickInput() {
  const input = $('batchInput');
  input.value = '';
  return new Promise((resolve) => {
    input.onchange = () => resolve(input.files[0] ?? null);
    input.oncancel = () => resolve(null);
    input.click();
  });
}

async function batchClick() {
  const prompt = 'This mode expects a file containing one column of latitudes.\nIt writes an output file for each latitude.\n';
  if (!(await say(prompt, APP_TITLE, { cancel: true }))) return;
  const c = choice();
  const file = await pickInput();
  if (!file) return;
  let folder = null;
  if (hasDirectoryPicker()) {
    try {
      folder = await window.showDirectoryPicker({ mode: 'readwrite' });
    } catch (e) {
      if (dismissed(e)) return;
      await say(`No folder to write into: ${e.message ?? e}`, APP_TITLE);
      return;
    }
  }
  await runBatch(file, c, folder);
}

function runBatch(file, c, folder) {
  const base = file.name.length > 4 ? file.name.slice(0, -4) : file.name;
  const zipName = `${base}.zip`;
  const worker = new Worker('batch-worker.js', { type: 'module' });
  const started = performance.now();
  let counts = { written: 0, items: 0, bytesRead: 0 };
  const progress = $('progress');
  const showProgress = () => {
    $('progressText').textContent = core.batchCount(counts.written, counts.items);
    if (file.size > 0) $('progressBar').value = Math.min(1000, Math.floor((counts.bytesRead * 1000) / file.size));
    else $('progressBar').removeAttribute('value');
  };
  const timer = setTimeout(() => {
    showProgress();
    progress.showModal();
  }, PROGRESS_AFTER_MS);
  $('progressCancel').onclick = () => worker.postMessage({ stop: true });
  progress.oncancel = (e) => {
    e.preventDefault();
    worker.postMessage({ stop: true });
  };
  document.body.classList.add('busy');

  return new Promise((resolve) => {
    const finish = async (text) => {
      clearTimeout(timer);
      if (progress.open) progress.close();
      document.body.classList.remove('busy');
      worker.terminate();
      await say(text, APP_TITLE);
      resolve();
    };
    worker.onerror = (e) => finish(`Marovane could not finish this command: ${e.message}`);
    worker.onmessage = async (event) => {
      const m = event.data;
      if (m.files) {
        const outcomes = [];
        for (const f of m.files) {
          try {
            const handle = await folder.getFileHandle(f.name, { create: true });
            await writeHandle(handle, f.bytes);
            outcomes.push({ ok: true, shownPath: `${folder.name}/${f.name}` });
          } catch (e) {
            outcomes.push({ ok: false, reason: String(e?.message ?? e) });
          }
        }
        worker.postMessage({ outcomes });
      } else if (m.entries) {
        addLog(m.entries);
        counts = m;
        if (progress.open) showProgress();
      } else if (m.done) {
        if (m.zip) download(zipName, m.zip, 'application/zip');
        await finish(m.summary);
      } else if (m.error) {
        await finish(`${file.name}: ${m.error}`);
      }
    };
    // A folder's handle stays here: the worker hands its files over to be written.
    worker.postMessage({ start: { wasm: new URL(WASM, document.baseURI).href, file, choice: c, folder: Boolean(folder), zipName } });
  }).finally(() => {
    const ms = performance.now() - started;
    document.body.dataset.lastBatchMs = String(Math.round(ms));
  });
}

// ---- The log list: a million entries, only those in sight made into rows ------------------

const ROW_EM = 1.35;

function addLog(entries) {
  for (const e of entries) log.push(e);
  renderLog(true);
}

function renderLog(toEnd = false) {
  const list = $('List1');
  const rows = list.querySelector('.rows');
  const rowPx = parseFloat(getComputedStyle(list).fontSize) * ROW_EM;
  rows.style.height = `${log.length * rowPx}px`;
  if (toEnd) list.scrollTop = list.scrollHeight;
  const first = Math.max(0, Math.floor(list.scrollTop / rowPx) - 2);
  const last = Math.min(log.length, first + Math.ceil(list.clientHeight / rowPx) + 4);
  const made = [];
  for (let i = first; i < last; ++i) {
    const row = document.createElement('div');
    row.className = 'row';
    row.style.top = `${i * rowPx}px`;
    row.textContent = log[i];
    made.push(row);
  }
  rows.replaceChildren(...made);
  list.setAttribute('aria-label', log.length ? `Batch log, ${log.length} entries` : 'Batch log');
}

// ---- Chart -----------------------------------------------------------------------------

function toggleChart() {
  const section = $('chart');
  const open = section.hidden;
  section.hidden = !open;
  $('mnuChart').setAttribute('aria-expanded', String(open));
  if (open) {
    if (!chart) chart = new ChartData(core);
    chart.follow(boxes.decimal.value, choice());
    redraw();
    section.scrollIntoView({ block: 'nearest' });
  }
}

function choiceChanged() {
  if (!chart || $('chart').hidden) return;
  if (chart.follow(boxes.decimal.value, choice())) redraw();
  else updateChartControls();
}

function redraw() {
  const view = $('chartView');
  const width = Math.max(320, view.clientWidth || 660);
  const height = Math.max(200, view.clientHeight || 420);
  chartView = drawChart(chart, width, height);
  chartView.svg.setAttribute('aria-hidden', 'true');
  view.replaceChildren(chartView.svg);
  view.setAttribute('aria-label', chartView.texts.title);
  $('chartTitle').textContent = chartView.texts.windowTitle;
  const method = chart.choice.method === 'fao56' ? 'harmonic' : 'fao56';
  $('chkFao56Text').textContent = core.methods.find((m) => m.name === method).caption;
  $('chkFao56').parentElement.title = method === 'harmonic'
    ? "Adds the curve of the program's own model for this latitude"
    : "Adds the curve of FAO-56's formulas for this latitude";
  showReading();
  updateChartControls();
}

function updateChartControls() {
  const { status } = chart.texts();
  $('lblStatus').textContent = status;
  $('lblStatus').title = status;
  $('lblStatus').classList.toggle('strange', !chart.textValid);
  $('cmdKeep').disabled = !chart.canKeep();
  $('cmdClear').disabled = chart.kept.length === 0;
}

function showReading() {
  const svg = chartView?.svg;
  svg?.querySelector('.callout')?.remove();
  const reading = pointer && chartView ? chartView.readingAt(pointer.x, pointer.y) : null;
  $('lblValue').textContent = reading ? reading.text : '';
  if (!reading) return;
  const ns = 'http://www.w3.org/2000/svg';
  const g = document.createElementNS(ns, 'g');
  g.setAttribute('class', 'callout');
  g.setAttribute('pointer-events', 'none');
  const dot = document.createElementNS(ns, 'circle');
  dot.setAttribute('cx', reading.x);
  dot.setAttribute('cy', reading.y);
  dot.setAttribute('r', 3);
  dot.setAttribute('fill', '#3c3c3c');
  const text = document.createElementNS(ns, 'text');
  text.textContent = reading.text;
  g.append(dot, text);
  svg.append(g);
  const size = text.getBBox();
  const plot = chartView.plot;
  const w = size.width + 12;
  const h = size.height + 8;
  let left = reading.x + 8;
  let top = reading.y - 8 - h;
  if (left + w > plot.x + plot.w) left = reading.x - 8 - w;
  if (top < plot.y) top = reading.y + 8;
  left = Math.max(0, left);
  const box = document.createElementNS(ns, 'rect');
  Object.entries({ x: left, y: top, width: w, height: h, rx: 3, fill: 'rgba(255,255,255,0.92)', stroke: '#3c3c3c' })
    .forEach(([k, v]) => box.setAttribute(k, v));
  text.setAttribute('x', left + w / 2);
  text.setAttribute('y', top + h / 2);
  text.setAttribute('text-anchor', 'middle');
  text.setAttribute('dominant-baseline', 'central');
  g.insertBefore(box, text);
}

function watchChart() {
  const view = $('chartView');
  view.addEventListener('pointermove', (e) => {
    const r = view.getBoundingClientRect();
    pointer = { x: e.clientX - r.left, y: e.clientY - r.top };
    showReading();
  });
  view.addEventListener('pointerleave', () => {
    pointer = null;
    showReading();
  });
  new ResizeObserver(() => {
    if (chart && !$('chart').hidden) redraw();
  }).observe(view);
  $('chkFao56').addEventListener('change', (e) => {
    chart.fao56 = e.target.checked;
    redraw();
  });
  $('chkDayLength').addEventListener('change', (e) => {
    chart.dayLength = e.target.checked;
    redraw();
  });
  $('cmdKeep').addEventListener('click', () => {
    if (chart.keep()) redraw();
  });
  $('cmdClear').addEventListener('click', () => {
    chart.clearKept();
    redraw();
  });
  $('cmdCopyValues').addEventListener('click', copyValues);
  $('cmdSaveImage').addEventListener('click', saveImage);
}

async function copyValues() {
  const table = chart.table();
  try {
    await navigator.clipboard.writeText(table);
  } catch (e) {
    await say(`The values could not be copied: ${e.message ?? e}`, APP_TITLE);
  }
}

function imageKind() {
  const dialog = $('imageKind');
  return new Promise((resolve) => {
    const done = (kind) => {
      dialog.onclose = null;
      if (dialog.open) dialog.close();
      resolve(kind);
    };
    $('imagePng').onclick = () => done('png');
    $('imageSvg').onclick = () => done('svg');
    $('imageCancel').onclick = () => done(null);
    dialog.onclose = () => done(null);
    dialog.showModal();
    $('imagePng').focus();
  });
}

async function saveImage() {
  let name = 'chart.png';
  try {
    if (hasSavePicker()) {
      const handle = await pickSaveFile('chart.png', [
        { description: 'PNG image', accept: { 'image/png': ['.png'] } },
        { description: 'SVG drawing', accept: { 'image/svg+xml': ['.svg'] } },
      ]);
      if (!handle) return;
      name = handle.name;
      const kind = /\.png$/i.test(name) ? 'png' : /\.svg$/i.test(name) ? 'svg' : null;
      if (!kind) {
        await say(`${name} was not written: a chart is saved as .png or .svg.`, APP_TITLE);
        return;
      }
      const blob = kind === 'png' ? await slidePng(chart) : new Blob([slideSvg(chart)], { type: 'image/svg+xml' });
      await writeHandle(handle, blob);
    } else {
      const kind = await imageKind();
      if (!kind) return;
      name = `chart.${kind}`;
      const blob = kind === 'png' ? await slidePng(chart) : new Blob([slideSvg(chart)], { type: 'image/svg+xml' });
      download(name, blob, blob.type);
    }
  } catch (e) {
    await say(`${name} could not be written: ${e.message ?? e}.`, APP_TITLE);
  }
}

// ---- Help and the table ----------------------------------------------------------------

async function showHelp() {
  const dialog = $('help');
  if (!$('helpText').textContent) {
    try {
      const response = await fetch('Marovane.txt');
      if (!response.ok) throw new Error(`${response.status} ${response.statusText}`);
      $('helpText').textContent = await response.text();
    } catch (e) {
      await say(`The help text Marovane.txt could not be read: ${e.message ?? e}`, APP_TITLE);
      return;
    }
  }
  dialog.showModal();
  $('helpText').focus();
}

async function writeTable() {
  const layout = document.querySelector('input[name=layout]:checked').value;
  const result = core.table({
    latitudes: $('tableLatitudes').value,
    dates: $('tableDates').value.trim(),
    layout,
    choice: choice(),
  });
  if (!result.ok) {
    await say(result.message, APP_TITLE);
    return;
  }
  try {
    if (hasSavePicker()) {
      const handle = await pickSaveFile(result.name, [{ description: 'Comma Separated Value', accept: { 'text/csv': ['.csv'] } }]);
      if (!handle) return;
      await writeHandle(handle, result.bytes);
      await say(core.dataWrittenTo + handle.name, APP_TITLE);
    } else {
      download(result.name, result.bytes, 'text/csv');
      await say(core.dataWrittenTo + result.name, APP_TITLE);
    }
  } catch (e) {
    await say(`${result.name} could not be written: ${e.message ?? e}`, APP_TITLE);
  }
}

// ---- Start -----------------------------------------------------------------------------

function wire() {
  $('Command1').addEventListener('click', () => exportClick().catch(guard));
  $('Command2').addEventListener('click', () => batchClick().catch(guard));
  $('mnuHelp').addEventListener('click', () => showHelp().catch(guard));
  $('mnuChart').addEventListener('click', toggleChart);
  $('mnuTable').addEventListener('click', () => $('table').showModal());
  $('tableWrite').addEventListener('click', () => writeTable().catch(guard));
  $('tableClose').addEventListener('click', () => $('table').close());
  $('helpClose').addEventListener('click', () => $('help').close());
  $('List1').addEventListener('scroll', () => renderLog());
  watchChart();
}

function guard(e) {
  say(`Marovane could not finish this command: ${e?.message ?? e}`, APP_TITLE);
}

async function start() {
  if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') {
    $('loading').hidden = true;
    $('needs').hidden = false;
    return;
  }
  try {
    core = await loadCore(WASM);
  } catch (e) {
    $('loading').textContent = `Marovane could not start: ${WASM} did not load (${e?.message ?? e}).`;
    return;
  }
  boxes.decimal.value = core.startLatitude;
  buildChoices();
  watchBoxes();
  wire();
  $('loading').hidden = true;
  $('app').hidden = false;
  // Load: fill the degree boxes from the decimal box, and start in the hemisphere box.
  showTexts(core.fillDegreeBoxes(texts()).texts);
  boxes.hemisphere.focus();
  document.body.dataset.ready = 'true';
  performance.mark('marovane-ready');
  if ('serviceWorker' in navigator) {
    navigator.serviceWorker.register('sw.js').catch(() => {});
  }
}

start();
