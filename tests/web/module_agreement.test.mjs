// The WebAssembly module against the native simulator, under Node: every
// bundled scenario's trace and timeline byte for byte as `ambleworks-sim
// run`, a scenario with the player's own settings as `run --ini`, the
// doctor's JSON as `ambleworks-sim doctor --json`, and live play as `run`
// of the scenario it records.
//
//   node --test tests/web/module_agreement.test.mjs
// with AMBLEWORKS_WEB_MODULE (the built ambleworks-web.js) and
// AMBLEWORKS_SIM (the native ambleworks-sim) in the environment.

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import { bridgeOf } from '../../web/module.js';
import { native, root } from './native_sim.mjs';

const modulePath = process.env.AMBLEWORKS_WEB_MODULE || path.join(root, 'build/web/bin/ambleworks-web.js');
const require = createRequire(import.meta.url);

async function loadBridge() {
  const module = await require(modulePath)();
  const bridge = bridgeOf(module);
  bridge.putFile('/Ambleworks.ini', fs.readFileSync(path.join(root, 'Ambleworks.ini')));
  return bridge;
}

function tempFolder() {
  return fs.mkdtempSync(path.join(os.tmpdir(), 'ambleworks-web-'));
}

const bridge = await loadBridge();
const scenarios = fs.readdirSync(path.join(root, 'scenarios')).filter((name) => name.endsWith('.scn')).sort();

test('every bundled scenario plays to the native trace and timeline', () => {
  for (const name of scenarios) {
    const file = path.join(root, 'scenarios', name);
    const played = bridge.preview(name, fs.readFileSync(file), null, true);
    assert.equal(played.error, '', name);
    assert.equal(played.trace, native(['run', file, '--show', 'trace'], root), `${name}: trace`);
    assert.equal(played.timeline, native(['run', file, '--show', 'timeline'], root), `${name}: timeline`);
  }
});

test('a preview without the trace text shows the timeline and the chart of the trace in full', () => {
  for (const name of ['demo.scn', 'controller_ramp.scn', 'walk_hold_stages.scn', 'hotkeys_keys_reload_changes_keys.scn']) {
    const file = path.join(root, 'scenarios', name);
    const full = bridge.preview(name, fs.readFileSync(file), null, true);
    const light = bridge.preview(name, fs.readFileSync(file), null, false);
    assert.equal(light.trace, '', name);
    assert.equal(light.timeline, full.timeline, name);
    assert.equal(light.chart, full.chart, name);
  }
});

// A hand-made file with problems of several kinds, for the doctor.
const brokenIni = [
  '[General]', 'ENABLED = false', '[MouseWheel]', 'SPEED_INCRMENT = 0.1', '[Shift]', 'SHIFT_TAP_CUSTOM_SPEED = 1,5',
  '[WalkControl]', 'FAST_WALK_CUSTOM_SPEED = 1.9', 'SLOW_WALK_CUSTOM_SPEED = 0.7', 'WALK_CONTROL_KEY = 18', '[Keys]',
  'RELOAD_KEY = 0x7A', '',
].join('\n');

test('the doctor gives the JSON of ambleworks-sim doctor --json, whatever the bytes', () => {
  const folder = tempFolder();
  const random = Uint8Array.from({ length: 4096 }, (_, i) => (i * 2654435761) >>> 24);
  const cases = [
    ['Ambleworks.ini', fs.readFileSync(path.join(root, 'Ambleworks.ini'))],
    ['Ambleworks.ini', Buffer.from(brokenIni)],
    ['Ambleworks.ini', Buffer.from('\ufeff[General]\r\nENABLED = 0 ; off\r\n[Keys]\r\nHOTKEY_MODIFIER = 0\r\n')],
    ['Ambleworks.ini', Buffer.from(random)],
    ['Ambleworks.ini', Buffer.from('')],
  ];
  for (const [name, bytes] of cases) {
    fs.writeFileSync(path.join(folder, name), bytes);
    const expected = JSON.parse(native(['doctor', name, '--json'], folder));
    assert.deepEqual(bridge.doctor(name, bytes), expected, `doctor on ${bytes.length} bytes`);
  }
});

// Plays inputs in the live session: [tick, input...] with the inputs given
// before that tick; answers the scenario it recorded and its trace.
function playLive(ini, script, ticks) {
  assert.equal(bridge.liveStart(ini).started, true);
  let at = 0;
  for (let tick = 1; tick <= ticks; ++tick) {
    while (at < script.length && script[at][0] === tick) {
      const [, kind, value, down] = script[at++];
      if (kind === 'key') bridge.liveKey(value, down);
      else if (kind === 'wheel') bridge.liveWheel(value);
      else bridge.liveMove(value);
    }
    bridge.liveTick();
  }
  return { ...bridge.liveStop(), trace: bridge.liveTrace() };
}

test('live play makes the calls ambleworks-sim run makes of the scenario it records', () => {
  const ini = fs.readFileSync(path.join(root, 'Ambleworks.ini'));
  const alt = 0x12;
  const shift = 0x10;
  const end = 0x23;
  const numpad1 = 0x61;
  const script = [
    [1, 'move', 'up'], [1, 'key', 0x57, true],
    [12, 'wheel', true], [15, 'wheel', true], [15, 'wheel', true], [19, 'wheel', false],
    [30, 'key', alt, true], [36, 'key', alt, false],            // a short press: fast walk on
    [50, 'key', shift, true], [50, 'key', shift, false],        // a tap between two ticks
    [70, 'key', alt, true], [330, 'key', alt, false],           // a hold of nearly nine seconds, with repeats
    [360, 'move', 'up+left'], [380, 'move', 'none'], [381, 'key', 0x57, false],
    [400, 'move', 'up'], [420, 'key', end, true], [421, 'key', numpad1, true], [424, 'key', numpad1, false],
    [425, 'key', end, false], [440, 'wheel', true], [470, 'key', shift, true],
  ];
  const played = playLive(ini, script, 500);
  const folder = tempFolder();
  fs.writeFileSync(path.join(folder, 'live.scn'), played.scenario);
  fs.writeFileSync(path.join(folder, 'Ambleworks.ini'), ini);
  const expected = native(['run', 'live.scn', '--ini', 'Ambleworks.ini', '--show', 'trace'], folder);
  assert.ok(played.trace.includes('setPedMaxSpeed'), 'the plug-in imposed speeds');
  assert.equal(played.trace, expected);
});

// Browser KeyboardEvent.code values and the key each is, through the
// plug-in's table: [browser code, code, name] (null: no key the table knows).
const browserKeys = [
  ['KeyQ', 0x51, 'Q'], ['KeyA', 0x41, 'A'], ['KeyZ', 0x5a, 'Z'], ['Digit1', 0x31, 'Digit 1'], ['Digit0', 0x30, 'Digit 0'],
  ['Numpad1', 0x61, 'Numpad 1'], ['Numpad0', 0x60, 'Numpad 0'], ['NumpadAdd', 0x6b, 'Numpad Add'],
  ['NumpadSubtract', 0x6d, 'Numpad Subtract'], ['NumpadMultiply', 0x6a, 'Numpad Multiply'],
  ['NumpadDivide', 0x6f, 'Numpad Divide'], ['NumpadDecimal', 0x6e, 'Numpad Decimal'], ['NumpadEnter', 0x0d, 'Enter'],
  // One side of a pair is the key both sides send.
  ['ShiftLeft', 0x10, 'Shift'], ['ShiftRight', 0x10, 'Shift'], ['ControlLeft', 0x11, 'Ctrl'],
  ['ControlRight', 0x11, 'Ctrl'], ['AltLeft', 0x12, 'Alt'], ['AltRight', 0x12, 'Alt'],
  ['ArrowUp', 0x26, 'Up'], ['ArrowDown', 0x28, 'Down'], ['ArrowLeft', 0x25, 'Left'], ['ArrowRight', 0x27, 'Right'],
  ['Escape', 0x1b, 'Esc'], ['CapsLock', 0x14, 'Caps Lock'], ['PageUp', 0x21, 'Page Up'], ['PageDown', 0x22, 'Page Down'],
  ['Home', 0x24, 'Home'], ['End', 0x23, 'End'], ['Insert', 0x2d, 'Insert'], ['Delete', 0x2e, 'Delete'],
  ['Space', 0x20, 'Space'], ['Tab', 0x09, 'Tab'], ['Enter', 0x0d, 'Enter'], ['Backspace', 0x08, 'Backspace'],
  ['Pause', 0x13, 'Pause'], ['ScrollLock', 0x91, 'Scroll Lock'], ['NumLock', 0x90, 'Num Lock'],
  ['PrintScreen', 0x2c, 'Print Screen'], ['ContextMenu', 0x5d, 'Apps'], ['F1', 0x70, 'F1'], ['F11', 0x7a, 'F11'],
  ['F24', 0x87, 'F24'], ['Backquote', 0xc0, 'Backquote'], ['Minus', 0xbd, 'Minus'], ['Equal', 0xbb, 'Equals'],
  ['BracketLeft', 0xdb, 'Left Bracket'], ['BracketRight', 0xdd, 'Right Bracket'], ['Backslash', 0xdc, 'Backslash'],
  ['Semicolon', 0xba, 'Semicolon'], ['Quote', 0xde, 'Quote'], ['Comma', 0xbc, 'Comma'], ['Period', 0xbe, 'Period'],
  ['Slash', 0xbf, 'Slash'],
  // Keys the table has no name for, and texts no browser sends for a letter.
  ['MetaLeft', null], ['IntlBackslash', null], ['AudioVolumeUp', null], ['', null], ['Keyq', null], ['KeyQQ', null],
  ['Digit', null], ['1', null],
];

test('a browser key code reads through the plug-in\'s table of key names', () => {
  for (const [browserCode, code, name] of browserKeys) {
    assert.deepEqual(bridge.browserKey(browserCode), code === null ? null : { code, name }, browserCode);
  }
});

test('the name a pressed key is written as reads back as its code in the plug-in\'s loader', () => {
  const folder = tempFolder();
  const captured = browserKeys.filter(([, code]) => code !== null);
  for (const [browserCode, code, name] of captured) {
    const report = bridge.doctor('Ambleworks.ini', Buffer.from(`[WalkControl]\nWALK_CONTROL_KEY = ${name}\n`));
    assert.equal(report.settings.find((s) => s.key === 'WALK_CONTROL_KEY').value, code, `${browserCode} written as ${name}`);
  }
  // And natively, for a few.
  for (const [, code, name] of captured.filter((row, i) => i % 9 === 0)) {
    fs.writeFileSync(path.join(folder, 'Ambleworks.ini'), `[WalkControl]\nWALK_CONTROL_KEY = ${name}\n`);
    const report = JSON.parse(native(['doctor', 'Ambleworks.ini', '--json'], folder));
    assert.equal(report.settings.find((s) => s.key === 'WALK_CONTROL_KEY').value, code, name);
  }
});

// A case of tests/ini_edit_cases.json: its texts stand for bytes, one
// character U+0000 to U+00FF each.
const bytesOfPieces = (pieces) => Buffer.from([pieces].flat().join(''), 'latin1');
const editCases = JSON.parse(fs.readFileSync(path.join(root, 'tests/ini_edit_cases.json'), 'utf8')).cases;

test('the page\'s save gives the bytes or the refusals of every case of the INI editor\'s table', () => {
  for (const row of editCases) {
    const file = row.file === null ? Buffer.alloc(0) : bytesOfPieces(row.file);
    // The page's values are texts, written as UTF-8: the table's bytes as text.
    const asText = (bytes) => Buffer.from(bytes, 'latin1').toString('utf8');
    const edits = row.edits.map((e) => ({ section: e.section || '', key: e.key, value: asText(e.value) }));
    const answer = bridge.editIni(file, edits);
    if (row.refused) {
      assert.equal(answer.written, false, row.name);
      assert.equal(answer.refusals.length, row.refused.length, row.name);
      row.refused.forEach((piece, i) => assert.ok(answer.refusals[i].reason.includes(piece), `${row.name}: ${answer.refusals[i].reason}`));
    } else {
      assert.equal(answer.written, true, `${row.name}: ${JSON.stringify(answer.refusals)}`);
      assert.deepEqual(Buffer.from(answer.bytes), bytesOfPieces(row.result), row.name);
      assert.deepEqual(answer.changes.map((c) => [c.kind, c.line]), row.changes, row.name);
    }
  }
});

test('the bridge takes any edits text without harm', () => {
  const shipped = fs.readFileSync(path.join(root, 'Ambleworks.ini'));
  // Not a list of edits: nothing to write, the file as it was.
  for (const edits of ['', 'not json', '{"SPEED_INCREMENT": "0.1"}', '"SPEED_INCREMENT"']) {
    const answer = bridge.editIni(shipped, edits);
    assert.deepEqual(answer.refusals, [], edits);
    assert.deepEqual(Buffer.from(answer.bytes), shipped, edits);
  }
  // Items that are no edit, and fields that are no text: refused by name, never guessed.
  const odd = bridge.editIni(shipped, [1, 'x', { key: 5, value: 1 }, { section: null, key: 'SPEED_INCREMENT', value: 0.25 }]);
  assert.equal(odd.written, false);
  assert.deepEqual(odd.refusals.map((r) => r.what), ['5', 'null.SPEED_INCREMENT']);
  // A NUL inside a value reaches the editor, which refuses it.
  const nul = bridge.editIni(shipped, [{ key: 'SPEED_INCREMENT', value: '0.1\u00000.2' }]);
  assert.equal(nul.written, false);
  assert.match(nul.refusals[0].reason, /NUL|zero/i);
});

// [section, key, value, a piece of the refusal, or '' when it would be written]
const refusals = [
  ['MouseWheel', 'SPEED_INCREMENT', '0.1', ''], ['', 'SPEED_INCREMENT', ' 0,1 ', ''], ['', 'SPEED_INCREMENT', '', ''],
  ['', 'SPEED_INCREMENT', 'fast', 'not a number'], ['', 'SPEED_INCREMENT', '0.1 ; note', ';'],
  ['', 'ENABLED', 'maybe', 'on or off'], ['', 'ENABLED', 'off', ''], ['', 'WALK_CONTROL_KEY', 'Atl', 'Alt'],
  ['', 'WALK_CONTROL_KEY', 'Left Alt', ''], ['', 'WALK_CONTROL_KEY', '0x12', ''], ['', 'HOTKEY_MODIFIER', 'None', ''],
  ['', 'WALK_CONTROL_KEY', 'Q # mine', '#'], ['', 'KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE', 'two', 'not a number'],
  ['General', 'SPEED_INCREMENT', '0.1', 'belongs'], ['', 'SPEED_INCRMENT', '0.1', 'SPEED_INCREMENT'], ['', '', '1', 'setting'],
];

test('the refusal shown beside a field is the INI editor\'s own', () => {
  for (const [section, key, value, piece] of refusals) {
    const reason = bridge.editRefusal(section, key, value);
    if (piece === '') assert.equal(reason, '', `${key} = ${value}`);
    else assert.ok(reason.includes(piece), `${key} = ${value}: ${reason}`);
    // The editor refuses exactly what the field says it would.
    const written = bridge.editIni(Buffer.from('[General]\nENABLED = 1\n'), [{ section, key, value }]).written;
    assert.equal(written, piece === '', `${key} = ${value}`);
  }
});

test('the form\'s words come from the shipped file: each setting its own comment, the file\'s opening as the intro', () => {
  const schema = bridge.schema(fs.readFileSync(path.join(root, 'Ambleworks.ini')));
  assert.equal(schema.settings.length, 24);
  for (const row of schema.settings) assert.notEqual(row.explanation, '', row.key);
  const words = Object.fromEntries(schema.settings.map((row) => [row.key, row.explanation]));
  // [key, a piece of its words, a piece that belongs to other settings]
  const rows = [
    ['SPRINT_KEY', 'Your sprint key', 'laptop'], ['RELOAD_KEY', 'Reload', 'SPRINT'], ['SWITCH_ON_KEY', 'on', 'Reload'],
    ['SPEED_INCREMENT', 'wheel', 'ENABLED ='], ['MINIMUM_SPEED', '0.15', '[Keys]'],
  ];
  for (const [key, piece, other] of rows) {
    assert.ok(words[key].includes(piece), `${key}: ${words[key]}`);
    assert.ok(!words[key].includes(other), `${key}: ${words[key]}`);
  }
  assert.match(schema.intro, /How to edit/);
  const kinds = Object.fromEntries(schema.settings.map((row) => [row.key, [row.kind, row.min, row.max]]));
  assert.deepEqual(kinds.SHIFT_TAP_CUSTOM_SPEED, ['speed', 1.51, 3]);
  assert.deepEqual(kinds.FAST_WALK_CUSTOM_SPEED, ['speed', null, 1.5]);
  assert.deepEqual(kinds.MINIMUM_SPEED, ['speed', 0.15, null]);
  assert.deepEqual(kinds.SPRINT_KEY, ['key', null, null]);
  assert.deepEqual(kinds.ENABLED, ['flag', null, null]);
});
