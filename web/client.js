// The page's side of its workers: start one from the module's code (a Blob
// URL, which pages opened from file:// may use too), send requests, await
// answers. Where the browser refuses the worker, the same requests are
// served on the page itself, one at a time.

import { serve } from './worker.js';

// `sources`: the parts of the script a worker runs (the module's code, then
// worker.js, from the build); `createModule`: the module's factory on the page.
export function startWorker(sources, createModule, name) {
  let port;
  try {
    const url = URL.createObjectURL(new Blob(sources, { type: 'text/javascript' }));
    port = new Worker(url, { name });
    port.usesThread = true;
  } catch (error) {
    port = inPagePort(createModule);
  }
  let nextId = 1;
  const waiting = new Map();
  port.onmessage = (event) => {
    const { id, result, error } = event.data;
    const entry = waiting.get(id);
    if (!entry) return;
    waiting.delete(id);
    if (error !== undefined) entry.reject(new Error(error));
    else entry.resolve(result);
  };
  return {
    usesThread: !!port.usesThread,
    request(op, args) {
      const id = nextId++;
      return new Promise((resolve, reject) => {
        waiting.set(id, { resolve, reject });
        port.postMessage({ id, op, args });
      });
    },
  };
}

// A stand-in for a worker on the page: the same messages, answered after
// the current task.
function inPagePort(createModule) {
  const page = {};
  const inside = {
    postMessage: (data) => setTimeout(() => page.onmessage && page.onmessage({ data }), 0),
  };
  serve(inside, createModule);
  page.postMessage = (data) => setTimeout(() => inside.onmessage({ data }), 0);
  return page;
}
