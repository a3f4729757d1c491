// SPDX-License-Identifier: GPL-3.0-or-later
// One batch run beside the page: reads the input in chunks, feeds the core, and either zips the
// files here or hands them to the page, which writes them into the folder the user picked (a
// folder's handle is the page's). The page stays live whatever the input's size.
import { Zip, ZipPassThrough } from 'fflate';
import { loadCore } from './core.js';

const GROUP = 256;  // items handled between two looks at Cancel
let stopAsked = false;
let answer = null;  // resolves with the page's outcomes of the files it was handed

self.onmessage = (event) => {
  const m = event.data;
  if (m.stop) {
    stopAsked = true;
  } else if (m.outcomes) {
    answer?.(m.outcomes);
  } else if (m.start) {
    run(m.start).catch((e) => self.postMessage({ error: String(e?.message ?? e) }));
  }
};

// Lets the page's messages (Cancel among them) in: a message to itself waits behind them,
// without the few milliseconds that a timer costs.
const channel = new MessageChannel();
function turn() {
  return new Promise((resolve) => {
    channel.port1.onmessage = () => resolve();
    channel.port2.postMessage(0);
  });
}

function zipInto(chunks) {
  let ended;
  const done = new Promise((resolve, reject) => { ended = { resolve, reject }; });
  const zip = new Zip((error, data, final) => {
    if (error) {
      ended.reject(error);
      return;
    }
    chunks.push(data);
    if (final) ended.resolve();
  });
  return {
    add(name, bytes) {
      // Stored, not deflated: deflating costs some ten times more per file than making it.
      const entry = new ZipPassThrough(name);
      zip.add(entry);
      entry.push(bytes, true);
    },
    async end() {
      zip.end();
      await done;
    },
  };
}

async function run({ wasm, file, choice, folder, zipName }) {
  const core = await loadCore(wasm);
  const batch = core.batch(file.name, choice);
  const zipChunks = [];
  const zip = folder ? null : zipInto(zipChunks);
  let written = 0;
  let items = 0;
  let stopped = false;
  let ended = false;

  // Handles the items in groups, letting Cancel in between; false once it stopped them.
  const take = async (list) => {
    for (let first = 0; first < list.length; first += GROUP) {
      if (first > 0) await turn();
      if (stopAsked) return false;
      const entries = [];
      const files = [];
      for (const item of list.slice(first, first + GROUP)) {
        ++items;
        if (!item.bytes) {
          entries.push(item.entry);
          // Input that is no text of latitudes ends the run there.
          if (item.ends) ended = true;
        } else if (folder) {
          files.push({ item, slot: entries.length });
          entries.push(null);
        } else {
          try {
            zip.add(item.name, item.bytes);
            entries.push(batch.written(item, `${zipName}/${item.name}`));
            ++written;
          } catch (e) {
            entries.push(batch.failed(item, String(e?.message ?? e)));
          }
        }
      }
      if (files.length > 0) {
        // The page writes them in order and says how each went; the entries keep the input's order.
        const outcomes = await new Promise((resolve) => {
          answer = resolve;
          // Each file's own bytes: a view would carry the whole piece's buffer across with it.
          self.postMessage({ files: files.map(({ item }) => ({ number: item.number, name: item.name, bytes: item.bytes.slice() })) });
        });
        answer = null;
        outcomes.forEach((o, i) => {
          const { item, slot } = files[i];
          if (o.ok) {
            entries[slot] = batch.written(item, o.shownPath);
            ++written;
          } else {
            entries[slot] = batch.failed(item, o.reason);
          }
        });
      }
      self.postMessage({ entries, written, items, bytesRead: batch.bytesRead });
      if (ended) break;
    }
    return true;
  };

  const reader = file.stream().getReader();
  for (;;) {
    await turn();
    if (stopAsked) {
      stopped = true;
      break;
    }
    const { done, value } = await reader.read();
    if (done) break;
    if (!(await take(batch.feed(value)))) {
      stopped = true;
      break;
    }
    if (ended) break;
  }
  if (!stopped && !ended && !(await take(batch.end()))) stopped = true;
  if (stopped || ended) await reader.cancel().catch(() => {});
  if (stopped) {
    self.postMessage({ entries: [batch.stop(items)], written, items, bytesRead: batch.bytesRead });
  }
  let zipBytes = null;
  if (zip) {
    await zip.end();
    // One buffer handed over whole, rather than thousands of pieces copied one by one.
    zipBytes = new Uint8Array(zipChunks.reduce((sum, c) => sum + c.length, 0));
    let at = 0;
    for (const c of zipChunks) {
      zipBytes.set(c, at);
      at += c.length;
    }
  }
  self.postMessage({ done: true, summary: batch.summary(), zip: zipBytes, written, items },
    zipBytes ? [zipBytes.buffer] : []);
}
