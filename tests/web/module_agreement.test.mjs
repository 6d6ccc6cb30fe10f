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
import { execFileSync } from 'node:child_process';
import { createRequire } from 'node:module';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { bridgeOf } from '../../web/module.js';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const sim = process.env.AMBLEWORKS_SIM || path.join(root, 'build/linux/bin/ambleworks-sim');
const modulePath = process.env.AMBLEWORKS_WEB_MODULE || path.join(root, 'build/web/bin/ambleworks-web.js');
const require = createRequire(import.meta.url);

async function loadBridge() {
  const module = await require(modulePath)();
  const bridge = bridgeOf(module);
  bridge.putFile('/Ambleworks.ini', fs.readFileSync(path.join(root, 'Ambleworks.ini')));
  return bridge;
}

// ambleworks-sim's stdout for these arguments, whatever its exit status.
function native(args, cwd) {
  try {
    return execFileSync(sim, args, { cwd, encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'], maxBuffer: 1 << 28 });
  } catch (error) {
    if (typeof error.stdout === 'string' && error.status !== null) return error.stdout;
    throw error;
  }
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
  return bridge.liveStop();
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

test('key names from the browser read as the codes the plug-in uses', () => {
  const rows = [
    ['Q', 0x51], ['Numpad 1', 0x61], ['Left Shift', 0x10], ['Right Alt', 0x12], ['Left Ctrl', 0x11], ['Up', 0x26],
    ['Page Up', 0x21], ['Caps Lock', 0x14], ['F11', 0x7a], ['Digit 1', 0x31], ['Esc', 0x1b], ['12', -1], ['', -1],
    ['Nonsense', -1],
  ];
  for (const [name, code] of rows) assert.equal(bridge.keyCodeOfName(name), code, name);
});
