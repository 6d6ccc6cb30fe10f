// The page's worker: one instance of the WebAssembly module, answering the
// page's requests one at a time ({id, op, args} in, {id, result|error} out).
// The page starts two: one for the doctor and the previews, one for live
// play, so that a long check never holds up a live tick. Where a worker
// cannot be started, the same code runs on the page itself (client.js).

import { bridgeOf } from './module.js';

// Requests, by name: each takes the bridge and the request's arguments.
const operations = {
  setup: (bridge, { shippedIni }) => {
    bridge.putFile('/Ambleworks.ini', shippedIni);
    return bridge.schema(shippedIni);
  },
  doctor: (bridge, { name, bytes }) => bridge.doctor(name, bytes),
  editIni: (bridge, { bytes, edits }) => bridge.editIni(bytes, edits),
  // The settings file the preview and live play run on: the player's file
  // as it is, or with the edits, the file as Save would write it. Where the
  // editor refuses (a value it would not write, a file that is no text), a
  // file of every setting on its own line, the edits as typed and the
  // values the plug-in reads elsewhere (sim/web/values_file.h).
  settingsFile: (bridge, { bytes, edits }) => {
    if (!edits.length) return bytes;
    const edited = bridge.editIni(bytes, edits);
    if (edited.written) return edited.bytes;
    return bridge.valuesFile(bytes, Object.fromEntries(edits.map((edit) => [edit.key, edit.value])));
  },
  preview: (bridge, { name, scenario, ini }) => {
    const started = performance.now();
    const result = bridge.preview(name, scenario, ini);
    result.milliseconds = performance.now() - started;
    return result;
  },
  editRefusal: (bridge, { section, key, value }) => bridge.editRefusal(section, key, value),
  browserKey: (bridge, { code }) => bridge.browserKey(code),
  // The name of every code from 0 to 255, '' where no key has it.
  keyNames: (bridge) => Array.from({ length: 256 }, (_, code) => bridge.keyNameOfCode(code)),
  liveStart: (bridge, { ini }) => bridge.liveStart(ini),
  // Inputs and the ticks they go before, in order: [['key', browser code,
  // down], ['wheel', up], ['move', text], ['tick']]; answers the last tick's
  // state. A key the table does not know goes nowhere, as in the game.
  liveSteps: (bridge, { steps }) => {
    let last = null;
    let slowest = 0;
    for (const step of steps) {
      if (step[0] === 'key') {
        const key = bridge.browserKey(step[1]);
        if (key) bridge.liveKey(key.code, step[2]);
      } else if (step[0] === 'wheel') bridge.liveWheel(step[1]);
      else if (step[0] === 'move') bridge.liveMove(step[1]);
      else if (step[0] === 'tick') {
        const started = performance.now();
        last = bridge.liveTick();
        slowest = Math.max(slowest, performance.now() - started);
      }
    }
    return { last, slowest };
  },
  liveReport: (bridge) => bridge.liveReport(),
  liveStop: (bridge) => bridge.liveStop(),
  liveTrace: (bridge) => bridge.liveTrace(),
  // Plays half a minute of live play nobody sees, so that the browser has
  // compiled the module's code for live play before the player starts.
  warmUp: (bridge, { ini }) => {
    bridge.liveStart(ini);
    bridge.liveMove('up');
    for (let tick = 1; tick <= warmUpTicks; ++tick) {
      for (const [at, code, down] of warmUpKeys) if (at === tick) bridge.liveKey(code, down);
      if (tick % 20 === 0) bridge.liveWheel(tick % 40 === 0);
      bridge.liveTick();
      if (tick % 15 === 0) bridge.liveReport();
    }
    bridge.liveStop();
    return true;
  },
};

// The warm-up's length, 30 s of play: after a shorter one the engine was
// still compiling parts of live play's code, and ticks up to about the 600th
// of a first play took 4 to 8 ms instead of well under one (measured in
// Node: 300 and 600 ticks against 900 and 1,200). 900 ticks take about 0.4 s
// of this worker's time.
const warmUpTicks = 900;

// The warm-up's inputs: [tick, key code, down]: a short and a long Alt,
// Shift held and tapped, End+Numpad 1 and 2.
const warmUpKeys = [
  [10, 0x12, true], [15, 0x12, false], [40, 0x12, true], [120, 0x12, false], [130, 0x10, true], [170, 0x10, false],
  [180, 0x10, true], [182, 0x10, false], [200, 0x23, true], [201, 0x61, true], [203, 0x61, false], [210, 0x62, true],
  [212, 0x62, false], [214, 0x23, false],
];

// Serves requests from `port` (the worker's global scope, or the page's
// stand-in for it) once the module is up.
export function serve(port, createModule) {
  const ready = createModule().then(bridgeOf);
  port.onmessage = async (event) => {
    const { id, op, args } = event.data;
    try {
      const bridge = await ready;
      const operation = operations[op];
      if (!operation) throw new Error('no such request: ' + op);
      port.postMessage({ id, result: operation(bridge, args || {}) });
    } catch (error) {
      port.postMessage({ id, error: String(error && error.message ? error.message : error) });
    }
  };
}
