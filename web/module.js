// The bridge to the WebAssembly module (sim/web/bridge.cpp): texts and bytes
// in, texts and JSON out. The same code runs in the page's workers and in
// the tests under Node.

const encoder = new TextEncoder();
const decoder = new TextDecoder();

// Wraps an instantiated module in plain functions.
export function bridgeOf(module) {
  // Copies each argument (string or Uint8Array) into the module's memory,
  // calls `name` with (pointer, length) for each, frees them again.
  function call(name, args, extra = []) {
    const pointers = [];
    const flat = [];
    for (const arg of args) {
      if (arg === null) {
        flat.push(0, -1);
        continue;
      }
      const bytes = typeof arg === 'string' ? encoder.encode(arg) : arg;
      const pointer = module._malloc(Math.max(bytes.length, 1));
      if (!pointer) throw new Error('the module has no memory left for ' + bytes.length + ' bytes');
      module.HEAPU8.set(bytes, pointer);
      pointers.push(pointer);
      flat.push(pointer, bytes.length);
    }
    try {
      return module['_' + name](...flat, ...extra);
    } finally {
      for (const pointer of pointers) module._free(pointer);
    }
  }
  function answerBytes(pointer) {
    return module.HEAPU8.slice(pointer, pointer + module._awResultSize());
  }
  function answerText(pointer) {
    return decoder.decode(answerBytes(pointer));
  }
  const json = (pointer) => JSON.parse(answerText(pointer));
  return {
    putFile: (path, bytes) => call('awPutFile', [path, bytes]) === 1,
    doctor: (name, bytes) => json(call('awDoctor', [name, bytes])),
    // `edits`: [{section, key, value}] in order. The edited file's bytes
    // come back one character per byte.
    editIni: (bytes, edits) => {
      const answer = json(call('awEditIni', [bytes, typeof edits === 'string' ? edits : JSON.stringify(edits)]));
      answer.bytes = Uint8Array.from(answer.bytes, (c) => c.charCodeAt(0));
      return answer;
    },
    editRefusal: (section, key, value) => answerText(call('awEditRefusal', [section, key, value])),
    valuesFile: (bytes, edits) => answerBytes(call('awValuesFile', [bytes, JSON.stringify(edits)])),
    schema: (shippedIni) => json(call('awSettingsSchema', [shippedIni])),
    preview: (name, scenario, ini, withTrace = false) => json(call('awPreview', [name, scenario, ini], [withTrace ? 1 : 0])),
    liveStart: (ini) => json(call('awLiveStart', [ini])),
    liveKey: (code, down) => module._awLiveKey(code, down ? 1 : 0),
    liveWheel: (up) => module._awLiveWheel(up ? 1 : 0),
    liveMove: (directions) => call('awLiveMove', [directions]),
    liveTick: () => json(module._awLiveTick()),
    liveReport: () => json(module._awLiveReport()),
    liveStop: () => json(module._awLiveStop()),
    liveTrace: () => answerText(module._awLiveTrace()),
    browserKey: (browserCode) => json(call('awBrowserKey', [browserCode])),
    keyNameOfCode: (code) => answerText(module._awKeyNameOfCode(code)),
  };
}
