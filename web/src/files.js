// SPDX-License-Identifier: GPL-3.0-or-later
// Writing files from the page: through the browser's save dialog where it has one, else as a
// download. The dialog's API is taken where it is present, and only then.

export function hasSavePicker() {
  return typeof window.showSaveFilePicker === 'function';
}

export function hasDirectoryPicker() {
  return typeof window.showDirectoryPicker === 'function';
}

// A user who closes the dialog has chosen nothing: that is no failure.
export function dismissed(error) {
  return error && error.name === 'AbortError';
}

// Asks where to save; null when the user closes the dialog.
export async function pickSaveFile(suggestedName, types) {
  try {
    return await window.showSaveFilePicker({ suggestedName, types });
  } catch (e) {
    if (dismissed(e)) return null;
    throw e;
  }
}

// The bytes go in whole, or the file keeps what it had: the browser writes to a copy that
// takes the file's place only on close.
export async function writeHandle(handle, bytes) {
  const writable = await handle.createWritable();
  try {
    await writable.write(bytes);
  } catch (e) {
    await writable.abort?.();
    throw e;
  }
  await writable.close();
}

export function download(name, parts, type = 'application/octet-stream') {
  const blob = new Blob(Array.isArray(parts) ? parts : [parts], { type });
  const url = URL.createObjectURL(blob);
  const a = document.createElement('a');
  a.href = url;
  a.download = name;
  a.hidden = true;
  document.body.append(a);
  a.click();
  a.remove();
  // The download has taken the blob by the next turn; a minute leaves room for slow ones.
  setTimeout(() => URL.revokeObjectURL(url), 60000);
}
