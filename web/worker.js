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
  valuesFile: (bridge, { bytes, edits }) => bridge.valuesFile(bytes, edits),
  preview: (bridge, { name, scenario, ini }) => {
    const started = performance.now();
    const result = bridge.preview(name, scenario, ini);
    result.milliseconds = performance.now() - started;
    return result;
  },
  keyCodeOfName: (bridge, { name }) => bridge.keyCodeOfName(name),
  keyCodesOfNames: (bridge, { names }) => names.map((name) => bridge.keyCodeOfName(name)),
  keyNameOfCode: (bridge, { code }) => bridge.keyNameOfCode(code),
  // The name of every code from 0 to 255, '' where no key has it.
  keyNames: (bridge) => Array.from({ length: 256 }, (_, code) => bridge.keyNameOfCode(code)),
  liveStart: (bridge, { ini }) => bridge.liveStart(ini),
  // Inputs and the ticks they go before, in order: [['key', code, down],
  // ['wheel', up], ['move', text], ['tick']]; answers the last tick's state.
  liveSteps: (bridge, { steps }) => {
    let last = null;
    let slowest = 0;
    for (const step of steps) {
      if (step[0] === 'key') bridge.liveKey(step[1], step[2]);
      else if (step[0] === 'wheel') bridge.liveWheel(step[1]);
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
};

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
