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
    const played = bridge.preview(name, fs.readFileSync(file), null);
    assert.equal(played.error, '', name);
    assert.equal(played.trace, native(['run', file, '--show', 'trace'], root), `${name}: trace`);
    assert.equal(played.timeline, native(['run', file, '--show', 'timeline'], root), `${name}: timeline`);
  }
});
