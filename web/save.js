// Saving: the player's file with the edits written in by the module's INI
// editor (sim/ini_edit/: every other byte kept), then over the opened file
// where the browser allows it (File System Access API), into a file the
// player picks where it can do that, else as a download. Every outcome is
// said in words; a failure keeps the edits in the form.

// The name the plug-in reads its settings from.
const settingsName = 'Ambleworks.ini';
const belongs = 'It belongs next to Ambleworks.asi in the game folder.';

function download(bytes, name) {
  const url = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
  const link = document.createElement('a');
  link.href = url;
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60000);
}

function sameBytes(a, b) {
  if (a.length !== b.length) return false;
  for (let i = 0; i < a.length; ++i) if (a[i] !== b[i]) return false;
  return true;
}

// Writes `bytes` into the file of `handle` and reads them back: a write the
// browser or the folder did not let through is said, not taken for a save.
async function writeHandle(handle, bytes) {
  if (handle.queryPermission && (await handle.queryPermission({ mode: 'readwrite' })) !== 'granted') {
    const granted = handle.requestPermission && (await handle.requestPermission({ mode: 'readwrite' })) === 'granted';
    if (!granted) throw new Error(`the browser was not allowed to write to ${handle.name}`);
  }
  const writable = await handle.createWritable();
  try {
    await writable.write(bytes);
    await writable.close();
  } catch (error) {
    if (writable.abort) await writable.abort().catch(() => {});
    throw error;
  }
  const back = new Uint8Array(await (await handle.getFile()).arrayBuffer());
  if (!sameBytes(back, bytes)) throw new Error(`${handle.name} does not hold what was written (is it read-only?)`);
}

// Writes `bytes` out for the player: {message, handle}. `how.handle`: the
// opened file's handle, when the browser gave one; `how.download`: download
// whatever the browser could do.
export async function writeOut(bytes, how, browser = window) {
  if (!how.download && how.handle && how.handle.createWritable) {
    await writeHandle(how.handle, bytes);
    return { handle: how.handle, message: `Saved over ${how.handle.name}. Ambleworks reads it when the game starts, or at once with the reload hotkey.` };
  }
  if (!how.download && browser.showSaveFilePicker) {
    const handle = await browser.showSaveFilePicker({
      suggestedName: settingsName,
      types: [{ description: 'Ambleworks settings', accept: { 'text/plain': ['.ini'] } }],
    });
    await writeHandle(handle, bytes);
    const renamed = handle.name.toLowerCase() === settingsName.toLowerCase() ? '' : ` Ambleworks reads only a file named ${settingsName}.`;
    return { handle, message: `Saved as ${handle.name} in the folder you chose. ${belongs}${renamed}` };
  }
  download(bytes, settingsName);
  return {
    handle: null,
    message: `Downloaded as ${settingsName} into your browser's download folder. ${belongs} Move it there, replacing the old one` +
      ` (if your browser named it ${settingsName.replace('.ini', ' (1).ini')} or the like, rename it ${settingsName}).`,
  };
}

// Why a save failed, in a player's words.
function failureText(error) {
  if (error && error.name === 'AbortError') return 'you closed the save window without choosing a file';
  if (error && error.name === 'NotAllowedError') return 'the browser was not allowed to write there';
  return String((error && error.message) || error);
}

// Edits the file and writes it out: {ok, message, bytes, handle}. The edits
// are [{section, key, value}]; `how` as writeOut takes it.
export async function save(worker, file, edits, how, browser = window) {
  let answer;
  try {
    answer = await worker.request('editIni', { bytes: file.bytes, edits });
  } catch (error) {
    return { ok: false, message: `Not saved: ${failureText(error)}. Your changes are still here.` };
  }
  if (!answer.written) {
    const reasons = answer.refusals.map((r) => (r.what ? r.what + ': ' : '') + r.reason).join('; ');
    return { ok: false, message: `Not saved: ${reasons}. Your changes are still here.` };
  }
  try {
    const out = await writeOut(answer.bytes, how, browser);
    return { ok: true, message: out.message, bytes: answer.bytes, handle: out.handle };
  } catch (error) {
    return { ok: false, message: `Not saved: ${failureText(error)}. Your changes are still here; try again, or Download.` };
  }
}
