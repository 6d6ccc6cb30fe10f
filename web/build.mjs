// Builds AmbleworksSettings.html: one file with everything inside it (the
// page's HTML, CSS and scripts, the WebAssembly module, the shipped
// Ambleworks.ini and the scenarios the preview plays), which works from
// file:// with no network, and the same bytes as site/index.html for a
// mod page to host.
//
//   node web/build.mjs MODULE.js OUTDIR
//
// The scripts are plain modules; this joins them into one script in
// dependency order, taking out their import lines and export words (each
// file's top-level names are distinct).

import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.dirname(here);
const [modulePath, outDir] = process.argv.slice(2);
if (!modulePath || !outDir) {
  console.error('usage: node web/build.mjs MODULE.js OUTDIR');
  process.exit(2);
}

// The scenarios the preview offers: [file, label].
const scenarios = [
  ['demo.scn', 'A minute of play (the demo)'],
  ['controller_ramp.scn', 'Stop and go: the speed kept and ramped back up'],
  ['walk_short_press_fast_walk.scn', 'Walk-control key: short presses (fast walk on, off)'],
  ['walk_hold_stages.scn', 'Walk-control key: a long hold (slow walk)'],
];
const workerFiles = ['module.js', 'worker.js'];
const pageFiles = ['module.js', 'worker.js', 'client.js', 'keys.js', 'form.js', 'preview.js', 'live.js', 'save.js', 'main.js'];

// A module's text as part of one script: no imports, no export words.
function joined(files) {
  return files.map((file) => {
    const text = fs.readFileSync(path.join(here, file), 'utf8')
      .replace(/^import [^;]*;\n/gm, '')
      .replace(/^export \{[^}]*\};\n/gm, '')
      .replace(/^export /gm, '');
    return `// ---- web/${file}\n${text}`;
  }).join('\n');
}

// Text that may stand inside a <script> element.
function scriptSafe(text) {
  return text.replace(/<\/(script)/gi, '<\\/$1').replace(/<!--/g, '<\\!--');
}

const moduleSource = fs.readFileSync(modulePath, 'utf8');
const workerPart = `${joined(workerFiles)}\nserve(self, createAmbleworksModule);\n`;
const data = {
  shippedIni: fs.readFileSync(path.join(root, 'Ambleworks.ini')).toString('base64'),
  scenarios: scenarios.map(([name, label]) => ({ name, label, text: fs.readFileSync(path.join(root, 'scenarios', name), 'utf8') })),
  workerPart,
};
const dataScript = `window.AMBLEWORKS_DATA = ${JSON.stringify(data)};`;
// The module's code is in the page once: the workers get it as a Blob of
// this script's text, and the page's own fallback runs it.
const moduleScript = `${moduleSource}\nif (typeof document !== 'undefined') {\n  window.AMBLEWORKS_DATA.moduleSource = document.currentScript.textContent;\n  window.createAmbleworksModule = createAmbleworksModule;\n}\n`;
const pageScript = `(function () {\n'use strict';\n${joined(pageFiles)}\n})();\n`;

let html = fs.readFileSync(path.join(here, 'index.html'), 'utf8');
const fill = (marker, text) => {
  const at = html.indexOf(marker);
  if (at < 0) throw new Error('index.html has no ' + marker);
  html = html.slice(0, at) + text + html.slice(at + marker.length);
};
fill('/*STYLE*/', fs.readFileSync(path.join(here, 'style.css'), 'utf8'));
fill('/*DATA*/', scriptSafe(dataScript));
fill('/*MODULE*/', scriptSafe(moduleScript));
fill('/*PAGE*/', scriptSafe(pageScript));

fs.mkdirSync(path.join(outDir, 'site'), { recursive: true });
fs.writeFileSync(path.join(outDir, 'AmbleworksSettings.html'), html);
fs.writeFileSync(path.join(outDir, 'site', 'index.html'), html);
console.log(`AmbleworksSettings.html: ${html.length} bytes`);
