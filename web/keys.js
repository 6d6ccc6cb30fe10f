// Key capture: a browser keyboard event's `code` (the physical key, whatever
// the keyboard's layout) goes to the module, which reads it through the
// plug-in's one table of key names (sim/web/key_names.cpp). Nothing here
// knows a key code.

// The key the player pressed: {code, name}, or null for a key the table
// does not know (the Windows keys, media keys).
export function capturedKey(worker, event) {
  return worker.request('browserKey', { code: event.code || '' });
}

export function hexCode(code) {
  return '0x' + code.toString(16).toUpperCase().padStart(2, '0');
}
