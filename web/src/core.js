// SPDX-License-Identifier: GPL-3.0-or-later
// The computing library in the browser: marovane.wasm, built from the same sources as the
// desktop program, and a thin JavaScript face over it. Every rule, text and number the page
// shows comes from here; the page itself handles only keys, boxes and files.
//
// A call packs its arguments into the module's input buffer as fields (a 4-byte little-endian
// length, then the bytes; texts in UTF-8) and reads its answer the same way.

const encoder = new TextEncoder();
const decoder = new TextDecoder();

// The few WASI calls the C library links to; the module writes no file, so nothing
// is written anywhere but the console.
function wasiImports(memory) {
  const badDescriptor = 8;
  return {
    fd_write(fd, iovs, count, written) {
      const view = new DataView(memory().buffer);
      let total = 0;
      let text = '';
      for (let i = 0; i < count; i += 1) {
        const at = view.getUint32(iovs + i * 8, true);
        const size = view.getUint32(iovs + i * 8 + 4, true);
        text += decoder.decode(new Uint8Array(memory().buffer, at, size));
        total += size;
      }
      if (text.trim() !== '') {
        console.warn(text);
      }
      view.setUint32(written, total, true);
      return 0;
    },
    fd_close: () => badDescriptor,
    fd_seek: () => badDescriptor,
  };
}

async function instantiate(wasm, imports) {
  if (typeof wasm === 'string' || wasm instanceof URL) {
    return instantiate(await fetch(wasm), imports);
  }
  if (typeof Response !== 'undefined' && wasm instanceof Response) {
    if (!wasm.ok) {
      throw new Error(`marovane.wasm could not be loaded: ${wasm.status} ${wasm.statusText}`);
    }
    if (WebAssembly.instantiateStreaming &&
        wasm.headers.get('Content-Type') === 'application/wasm') {
      return (await WebAssembly.instantiateStreaming(wasm, imports)).instance;
    }
    return instantiate(await wasm.arrayBuffer(), imports);
  }
  return (await WebAssembly.instantiate(wasm, imports)).instance;
}

// Loads marovane.wasm from a URL, a fetch Response or its bytes.
export async function loadCore(wasm) {
  let instance = null;
  const imports = {wasi_snapshot_preview1: wasiImports(() => instance.exports.memory)};
  instance = await instantiate(wasm, imports);
  instance.exports._initialize();
  return new Core(instance.exports);
}

const boxes = ['decimal', 'degrees', 'minutes', 'seconds', 'hemisphere'];

function textsOf(texts) {
  return boxes.map((box) => texts[box] ?? '');
}

// A latitude boxes' reaction: {texts, filled, strange, title, message}.
function reactionOf(fields) {
  const texts = {};
  boxes.forEach((box, i) => {
    texts[box] = fields.text(i);
  });
  return {
    texts,
    filled: fields.flag(5),
    strange: fields.flag(6),
    title: fields.text(7),
    message: fields.text(8),
  };
}

// The fields of an answer.
class Fields {
  constructor(bytes) {
    this.list = [];
    const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
    for (let at = 0; at + 4 <= bytes.length;) {
      const size = view.getUint32(at, true);
      this.list.push(bytes.subarray(at + 4, at + 4 + size));
      at += 4 + size;
    }
  }
  get length() {
    return this.list.length;
  }
  bytes(i) {
    return this.list[i];
  }
  text(i) {
    return decoder.decode(this.list[i]);
  }
  number(i) {
    return Number(this.text(i));
  }
  flag(i) {
    return this.text(i) === '1';
  }
}

function choiceFields(choice) {
  return [choice.aggregation, choice.unit, choice.method ?? 'harmonic',
    choice.quantity ?? 'radiation'];
}

export class Core {
  #exports;

  constructor(exports) {
    this.#exports = exports;
    const f = this.call('marovane_choices');
    let i = 0;
    const next = () => f.text(i++);
    this.version = next();
    this.startLatitude = next();
    this.hemisphereOnly = next();
    this.dataWrittenTo = next();
    const rows = (read) => Array.from({length: Number(next())}, read);
    this.aggregations = rows(() => ({
      name: next(), caption: next(), period: next(), periods: Number(next()),
      inWindow: next() === '1', realDates: next() === '1',
    }));
    this.units = rows(() => ({label: next(), toolTip: next()}));
    this.methods = rows(() => ({name: next(), caption: next()}));
    this.quantities = rows(() => ({name: next(), caption: next()}));
    this.boxes = {};
    for (const box of boxes) {
      this.boxes[box] = {toolTip: next(), maxLength: Number(next()), selection: Number(next())};
    }
  }

  // Calls an export with texts or byte arrays as arguments; its answer's fields, copied.
  call(name, ...args) {
    const encoded = args.map((a) => (a instanceof Uint8Array ? a : encoder.encode(String(a))));
    const size = encoded.reduce((sum, a) => sum + 4 + a.length, 0);
    const at = this.#exports.marovane_input(size);
    const memory = new Uint8Array(this.#exports.memory.buffer, at, size);
    const view = new DataView(memory.buffer, at, size);
    let offset = 0;
    for (const a of encoded) {
      view.setUint32(offset, a.length, true);
      memory.set(a, offset + 4);
      offset += 4 + a.length;
    }
    const answer = this.#exports[name]();
    const length = this.#exports.marovane_output_size();
    return new Fields(new Uint8Array(this.#exports.memory.buffer, answer, length).slice());
  }

  boxAccepts(box, character) {
    return this.call('marovane_box_accepts', box, character.codePointAt(0)).flag(0);
  }
  boxSelection(box) {
    return this.boxes[box].selection;
  }
  boxMaxLength(box) {
    return this.boxes[box].maxLength;
  }
  boxToolTip(box) {
    return this.boxes[box].toolTip;
  }

  // The boxes after a key released in `box`; texts = {decimal, degrees, minutes, seconds,
  // hemisphere}. Where `strange`, the page shows `message` under `title` and puts the focus
  // back in the decimal box.
  keyReleased(box, texts) {
    return reactionOf(this.call('marovane_key_released', box, ...textsOf(texts)));
  }
  fillDegreeBoxes(texts) {
    return reactionOf(this.call('marovane_fill_degree_boxes', ...textsOf(texts)));
  }

  // The Export's checks of the decimal box: {ok, latitude (as the files write it), title,
  // message}.
  checkLatitude(text) {
    const f = this.call('marovane_check_latitude', text);
    return {ok: f.flag(0), latitude: f.text(1), title: f.text(2), message: f.text(3)};
  }

  // The exact bytes of the latitude's file: {ok, bytes, title, message}.
  cycleFile(latitudeText, choice) {
    const f = this.call('marovane_cycle_file', latitudeText, ...choiceFields(choice));
    return {ok: f.flag(0), bytes: f.bytes(1), title: f.text(2), message: f.text(3)};
  }

  // The periods of the latitude's table, as the file has them: [{number, firstDay, days,
  // value}], empty where Export would refuse the latitude.
  cycle(latitudeText, choice) {
    const f = this.call('marovane_cycle_values', latitudeText, ...choiceFields(choice));
    if (f.length === 0) {
      return [];
    }
    const values = new Float64Array(f.bytes(0).slice().buffer);
    const periods = [];
    for (let i = 0; i + 3 < values.length; i += 4) {
      periods.push({number: values[i], firstDay: values[i + 1], days: values[i + 2],
        value: values[i + 3]});
    }
    return periods;
  }

  // The chart's texts for the latitude drawn (as checkLatitude gives it) and the main window's
  // text: {title, windowTitle, status, unit, dayLengthKey}.
  chartTexts({latitudeText, followsText, latitude, choice, anyKept = false, dayLength = false}) {
    const f = this.call('marovane_chart_texts', latitudeText, followsText ? '1' : '0', latitude,
        ...choiceFields(choice), anyKept ? '1' : '0', dayLength ? '1' : '0');
    return {title: f.text(0), windowTitle: f.text(1), status: f.text(2), unit: f.text(3),
      dayLengthKey: f.text(4)};
  }

  // The names of a latitude drawn by `method`, as Copy values gives them: {curve: "41.9°",
  // method: "41.9°, Harmonic", other: "41.9°, FAO-56", dayLength: "Day length at 41.9°"}; as
  // the title and the status line: {name: "41.9° N", degrees: "41.9°"}; as the key under the
  // chart: {keyMethod: "41.9° N, Harmonic", keyOther: "41.9° N, FAO-56", keyDayLength:
  // "Day length at 41.9° N"}.
  curveNames(latitude, method = 'harmonic') {
    const f = this.call('marovane_curve_names', latitude, method);
    return {curve: f.text(0), method: f.text(1), other: f.text(2), dayLength: f.text(3),
      name: f.text(4), degrees: f.text(5), keyMethod: f.text(6), keyOther: f.text(7),
      keyDayLength: f.text(8)};
  }

  // The index of the period of `aggregation` under `day` on the axis (fractional): the nearest
  // day, or the period that holds it; -1 off the year.
  periodAt(aggregation, day) {
    const f = this.call('marovane_period_at', aggregation, day);
    return f.length > 0 ? f.number(0) : -1;
  }

  // The value axis for the highest value drawn: {top, steps}.
  niceScale(highest) {
    const f = this.call('marovane_nice_scale', highest);
    return {top: f.number(0), steps: f.number(1)};
  }

  // The readout under the pointer at `day` on the axis (fractional), empty off the curve.
  reading(latitude, choice, day) {
    const f = this.call('marovane_reading', latitude, ...choiceFields(choice), day);
    return f.length > 0 ? f.text(0) : '';
  }

  // The text of Copy values: columns [{latitude, method, quantity, name}] in the legend's
  // order, over the aggregation and unit of `choice`.
  valuesTable(choice, columns) {
    const f = this.call('marovane_values_table', choice.aggregation, choice.unit,
        ...columns.flatMap((c) => [c.latitude, c.method ?? 'harmonic', c.quantity ?? 'radiation',
          c.name]));
    return f.length > 0 ? f.text(0) : '';
  }

  // A batch run over the input named `inputName` ("lats.txt": outputs "lats41.9.out").
  batch(inputName, choice) {
    const f = this.call('marovane_batch_new', inputName, ...choiceFields(choice));
    if (f.length === 0) {
      throw new Error(`unknown choice ${JSON.stringify(choice)}`);
    }
    return new Batch(this, f.text(0));
  }

  // A batch's progress as its dialog says it: "12 files written, 15 items read."
  batchCount(written, items) {
    return this.call('marovane_batch_count', written, items).text(0);
  }

  // A table of many latitudes: {latitudes: "41.9, -33.87" or "START:STOP:STEP", dates: "" or
  // "FROM/TO", layout: "wide" or "long", choice}: {ok, bytes, name, message}.
  table({latitudes, dates = '', layout = 'wide', choice}) {
    const f = this.call('marovane_table', latitudes, dates, layout, ...choiceFields(choice));
    return {ok: f.flag(0), bytes: f.bytes(1), name: 'marovane-table.csv', message: f.text(2)};
  }
}

// One batch run. feed() and end() give the items found: {number, entry} for an item refused
// (its log entry), {number, name, bytes} for a file to write, {number, entry, ends: true} when
// the input turns out to be no text of latitudes (the run ends there).
export class Batch {
  #core;
  #id;
  #finished = null;

  constructor(core, id) {
    this.#core = core;
    this.#id = id;
    this.bytesRead = 0;
  }

  #items(f) {
    const items = [];
    let i = 0;
    while (i + 1 < f.length) {
      const kind = f.text(i);
      const number = f.number(i + 1);
      if (kind === 'f') {
        items.push({number, name: f.text(i + 2), bytes: f.bytes(i + 3)});
        i += 4;
      } else {
        items.push(kind === 'u' ? {number, entry: f.text(i + 2), ends: true} :
          {number, entry: f.text(i + 2)});
        i += 3;
      }
    }
    this.bytesRead = f.number(f.length - 1);
    return items;
  }

  feed(chunk) {
    return this.#items(this.#core.call('marovane_batch_feed', this.#id, chunk, '0'));
  }
  end() {
    return this.#items(this.#core.call('marovane_batch_feed', this.#id, '', '1'));
  }

  // The log's entry for a file written and shown as `shownPath`, or for one that failed.
  written(item, shownPath) {
    return this.#core.call('marovane_batch_done', this.#id, item.number, shownPath, '').text(0);
  }
  failed(item, reason) {
    return this.#core.call('marovane_batch_done', this.#id, item.number, '', reason).text(0);
  }

  // Ends the run as stopped by the user after `logged` items had their entries: its last
  // entry.
  stop(logged) {
    this.#finish(true, logged);
    return this.#finished.entry;
  }
  // "N Files written." and what went wrong; the run is over.
  summary() {
    this.#finish(false, 0);
    return this.#finished.summary;
  }
  #finish(stopped, logged) {
    if (this.#finished === null) {
      const f = this.#core.call('marovane_batch_finish', this.#id, stopped ? '1' : '0', logged);
      this.#finished = {entry: f.text(0), summary: f.text(1)};
    }
  }
}
