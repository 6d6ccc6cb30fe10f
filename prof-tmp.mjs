import { createRequire } from 'node:module';
import fs from 'node:fs';
import { bridgeOf } from './web/module.js';
const require = createRequire(import.meta.url);
const m = await require('./build/web/bin/ambleworks-web.js')();
const b = bridgeOf(m);
const ini = fs.readFileSync('Ambleworks.ini');
b.putFile('/Ambleworks.ini', ini);
const demo = fs.readFileSync('scenarios/demo.scn');
for (let i = 0; i < 4; ++i) { const t = performance.now(); const r = b.preview("demo.scn", demo, ini); console.log('preview', (performance.now() - t).toFixed(1), r.trace.length, r.error); }
let t = performance.now(); b.liveStart(ini); console.log('start', performance.now()-t);
t = performance.now(); let slow = 0;
b.liveMove('up');
for (let i = 0; i < 1800; ++i) { const s = performance.now(); b.liveTick(); slow = Math.max(slow, performance.now()-s); }
console.log('1800 live ticks', (performance.now() - t).toFixed(1), 'slowest', slow.toFixed(2));
t = performance.now(); b.liveReport(); console.log('report', performance.now()-t);
