// Key capture: a browser keyboard event's `code` (the physical key, whatever
// the layout) to the name Ambleworks' table of key names reads, and through
// that table (in the module) to a virtual-key code. This is only a
// translation of the browser's spellings; the codes come from the table.

const named = {
  ShiftLeft: 'Left Shift', ShiftRight: 'Right Shift', ControlLeft: 'Left Ctrl', ControlRight: 'Right Ctrl',
  AltLeft: 'Left Alt', AltRight: 'Right Alt', ArrowUp: 'Up', ArrowDown: 'Down', ArrowLeft: 'Left',
  ArrowRight: 'Right', Escape: 'Esc', CapsLock: 'Caps Lock', PageUp: 'Page Up', PageDown: 'Page Down',
  ScrollLock: 'Scroll Lock', NumLock: 'Num Lock', PrintScreen: 'Print Screen', NumpadAdd: 'Add',
  NumpadSubtract: 'Subtract', NumpadMultiply: 'Multiply', NumpadDivide: 'Divide', NumpadDecimal: 'Decimal',
  NumpadEnter: 'Enter',
};
const asIs = ['Space', 'Tab', 'Enter', 'Backspace', 'Insert', 'Delete', 'Home', 'End', 'Pause'];

// The key name for a KeyboardEvent.code, or '' for a key with no name.
export function keyNameOfBrowserCode(code) {
  if (named[code]) return named[code];
  if (asIs.includes(code)) return code;
  let match = /^Key([A-Z])$/.exec(code);
  if (match) return match[1];
  match = /^Digit([0-9])$/.exec(code);
  if (match) return 'Digit ' + match[1];
  match = /^Numpad([0-9])$/.exec(code);
  if (match) return 'Numpad ' + match[1];
  match = /^F([1-9]|1[0-9]|2[0-4])$/.exec(code);
  if (match) return code;
  return '';
}

// Every browser code the translation knows, for a table made once.
export function browserCodes() {
  const codes = [...Object.keys(named), ...asIs];
  for (let c = 65; c <= 90; ++c) codes.push('Key' + String.fromCharCode(c));
  for (let d = 0; d <= 9; ++d) codes.push('Digit' + d, 'Numpad' + d);
  for (let f = 1; f <= 24; ++f) codes.push('F' + f);
  return codes;
}

// browser code -> virtual-key code, asked of the module once for all codes.
export async function makeKeyTable(worker) {
  const codes = browserCodes();
  const vks = await worker.request('keyCodesOfNames', { names: codes.map(keyNameOfBrowserCode) });
  const table = new Map();
  codes.forEach((code, i) => vks[i] >= 0 && table.set(code, vks[i]));
  return table;
}

export function hexCode(code) {
  return '0x' + code.toString(16).toUpperCase().padStart(2, '0');
}
