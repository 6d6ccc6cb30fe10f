// Saving: the player's file with the edits written in by the INI editor of
// the module (every other byte kept), then over the opened file where the
// browser allows it (File System Access API), else as a download. Every
// outcome is said in words; a failure keeps the edits in the form.

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

// Writes `bytes` for the player; answers the sentence that says where they
// went. `handle`: the opened file's handle, when the browser gave one.
export async function writeOut(bytes, name, handle) {
  if (handle && handle.createWritable) {
    const writable = await handle.createWritable();
    await writable.write(bytes);
    await writable.close();
    return `Saved over ${handle.name}. Ambleworks reads it when the game starts, or at once with the reload hotkey.`;
  }
  download(bytes, name);
  return `Downloaded as ${name} into your browser's download folder. It belongs next to Ambleworks.asi in the game folder: move it there (replace the old one).`;
}

// Edits the file and writes it out; answers {ok, message, bytes}.
export async function save(worker, file, edits, handle) {
  const answer = await worker.request('editIni', { bytes: file.bytes, edits });
  if (!answer.available) {
    return { ok: false, message: 'This build of the page cannot save yet: it has no INI editor. Your changes are still here.' };
  }
  if (!answer.written) {
    const reasons = answer.refusals.map((r) => (r.what ? r.what + ': ' : '') + r.reason).join(' ');
    return { ok: false, message: `Not saved: ${reasons} Your changes are still here.` };
  }
  try {
    const message = await writeOut(answer.bytes, file.name || 'Ambleworks.ini', handle);
    return { ok: true, message, bytes: answer.bytes };
  } catch (error) {
    return { ok: false, message: `Not saved: ${error.message || error}. Your changes are still here; try Save again, or Download.` };
  }
}
