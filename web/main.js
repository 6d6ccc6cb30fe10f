// The page: opens a file (or the shipped one), shows what the plug-in reads
// of it, takes edits, plays them, saves them. The embedded data (the shipped
// Ambleworks.ini, the bundled scenarios, the module) comes from build.mjs as
// window.AMBLEWORKS_DATA.

import { startWorker } from './client.js';
import { SettingsForm, findingItem, element } from './form.js';
import { Preview } from './preview.js';
import { LivePlay } from './live.js';
import { save } from './save.js';

const data = window.AMBLEWORKS_DATA;
const bytesOf = (base64) => Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
const $ = (selector) => document.querySelector(selector);

const state = {
  file: null,      // {name, bytes, handle}
  edits: {},       // KEY -> value text
  sections: {},    // KEY -> section
  values: null,    // the settings file of the values shown
};

function say(text) {
  $('[data-status]').textContent = text;
}

// The findings of the player's own file, by line, and beside their keys.
function showFindings(report) {
  const list = $('[data-file-findings]');
  list.textContent = '';
  const verdict = !report.readable ? 'The file cannot be read: the plug-in runs on its built-in defaults.'
    : !report.settingsFile ? 'This is not a settings file.'
      : report.loadsWhole ? `The plug-in reads the whole file (${report.lines} lines).`
        : 'The plug-in does not read the whole file: see the problem below.';
  $('[data-verdict]').textContent = verdict;
  for (const finding of report.findings) {
    const where = finding.line === null ? 'the whole file' : `line ${finding.line}: ${finding.lineText}`;
    list.append(element('li', { class: 'file-finding', 'data-line': finding.line === null ? '' : String(finding.line) },
      element('span', { class: 'where', text: where }), element('ul', {}, findingItem(finding))));
  }
  if (report.findingsNotShown) list.append(element('li', { text: `... and ${report.findingsNotShown} more findings, not shown` }));
}

function findingsByKey(findings) {
  const byKey = new Map();
  for (const finding of findings) {
    if (!finding.key) continue;
    const key = finding.key.toUpperCase();
    if (!byKey.has(key)) byKey.set(key, []);
    byKey.get(key).push(finding);
  }
  return byKey;
}

async function openBytes(name, bytes, handle = null) {
  // A field still being typed in gives its text to the file it was typed
  // for (its change event comes now), never to the file opened next.
  if (document.activeElement && document.activeElement !== document.body) document.activeElement.blur();
  clearTimeout(refreshTimer);
  say(`Checking ${name} (${bytes.length} bytes)…`);
  $('[data-file-name]').textContent = name;
  const started = performance.now();
  const report = await tools.request('doctor', { name, bytes });
  state.file = { name, bytes, handle, report };
  state.edits = {};
  ++editGeneration;
  showFindings(report);
  await refresh();
  say(`${name}: checked in ${Math.round(performance.now() - started)} ms.`);
}

// The edits {KEY: value text} as the INI editor takes them.
function editList(edits) {
  return Object.entries(edits).map(([key, value]) => ({ section: state.sections[key], key, value }));
}

// After a change of file or values: what the plug-in reads now, the
// preview and the live play with it.
async function refresh() {
  const generation = editGeneration;
  const fileReport = state.file.report;
  const editedKeys = Object.keys(state.edits);
  let settings = fileReport.settings;
  const byKey = findingsByKey(fileReport.findings);
  const values = await tools.request('settingsFile', { bytes: state.file.bytes, edits: editList(state.edits) });
  if (editedKeys.length) {
    const valuesReport = await tools.request('doctor', { name: state.file.name, bytes: values });
    settings = valuesReport.settings;
    const valueFindings = findingsByKey(valuesReport.findings);
    for (const key of editedKeys) byKey.set(key, valueFindings.get(key) || []);
  }
  // An edit made meanwhile has its own refresh coming: showing this older
  // one would undo what the player just did to a control.
  if (generation !== editGeneration) return;
  state.values = values;
  form.show(settings, byKey);
  await showRefusals();
  $('[data-save]').disabled = editedKeys.length === 0;
  $('[data-download]').disabled = editedKeys.length === 0;
  $('[data-edits]').textContent = editedKeys.length ? `${editedKeys.length} changed: ${editedKeys.join(', ')}` : 'No changes.';
  preview.setIni(state.values);
  live.setIni(state.values);
}

// Beside each edited setting, why its text would not be saved or would not
// read as meant (the INI editor's own refusal); cleared for the others.
async function showRefusals() {
  const names = Object.keys(state.sections);
  const reasons = await Promise.all(names.map((key) => (key in state.edits
    ? tools.request('editRefusal', { section: state.sections[key], key, value: state.edits[key] })
    : '')));
  names.forEach((key, i) => form.showRefusal(key, reasons[i]));
}

let refreshTimer = null;
let editGeneration = 0;
function edit(key, text) {
  ++editGeneration;
  state.edits[key] = text;
  clearTimeout(refreshTimer);
  refreshTimer = setTimeout(refresh, 60);
}

async function openChosen(file, handle = null) {
  const bytes = new Uint8Array(await file.arrayBuffer());
  await openBytes(file.name, bytes, handle);
}

function wireOpening() {
  const input = $('[data-open-input]');
  input.addEventListener('change', () => input.files[0] && openChosen(input.files[0]));
  $('[data-open]').addEventListener('click', async () => {
    if (!window.showOpenFilePicker) {
      input.click();
      return;
    }
    try {
      const [handle] = await window.showOpenFilePicker({ types: [{ description: 'Ambleworks settings', accept: { 'text/plain': ['.ini'] } }], excludeAcceptAllOption: false });
      await openChosen(await handle.getFile(), handle);
    } catch (error) {
      if (error.name !== 'AbortError') input.click();
    }
  });
  $('[data-shipped]').addEventListener('click', () => openBytes('Ambleworks.ini (shipped)', bytesOf(data.shippedIni)));
  const drop = document.body;
  drop.addEventListener('dragover', (event) => { event.preventDefault(); drop.classList.add('dragging'); });
  drop.addEventListener('dragleave', () => drop.classList.remove('dragging'));
  drop.addEventListener('drop', async (event) => {
    event.preventDefault();
    drop.classList.remove('dragging');
    const item = event.dataTransfer.items && event.dataTransfer.items[0];
    const handle = item && item.getAsFileSystemHandle ? await item.getAsFileSystemHandle().catch(() => null) : null;
    const file = event.dataTransfer.files[0];
    if (file) await openChosen(file, handle && handle.kind === 'file' ? handle : null);
  });
  $('[data-save]').addEventListener('click', () => saveEdits({ handle: state.file.handle, download: false }));
  $('[data-download]').addEventListener('click', () => saveEdits({ handle: null, download: true }));
}

// Saves the edits into the player's file (or a download): on success the
// page goes on from the saved file; on failure every edit stays.
async function saveEdits(how) {
  const saving = { ...state.edits };
  const edits = editList(saving);
  $('[data-save-status]').textContent = 'Saving…';
  const result = await save(tools, state.file, edits, how);
  $('[data-save-status]').textContent = result.message;
  $('[data-save-status]').className = result.ok ? 'saved' : 'not-saved';
  if (!result.ok) return;
  state.file.bytes = result.bytes;
  if (result.handle) {
    state.file.handle = result.handle;
    state.file.name = result.handle.name;
    $('[data-file-name]').textContent = result.handle.name;
  }
  // Edits made while saving stay edits.
  for (const [key, text] of Object.entries(saving)) if (state.edits[key] === text) delete state.edits[key];
  ++editGeneration;
  state.file.report = await tools.request('doctor', { name: state.file.name, bytes: result.bytes });
  showFindings(state.file.report);
  await refresh();
}

const workerSources = [data.moduleSource, '\n', data.workerPart];
const tools = startWorker(workerSources, window.createAmbleworksModule, 'tools');
// The live worker starts once the tools are up: the page is usable without
// it, and the two would share the machine while the first gets ready.
let live_;
let form;
let preview;
let live;

async function main() {
  const shipped = bytesOf(data.shippedIni);
  const schema = await tools.request('setup', { shippedIni: shipped });
  live_ = startWorker(workerSources, window.createAmbleworksModule, 'live');
  live_.request('setup', { shippedIni: shipped }).catch(() => {});
  const names = await tools.request('keyNames', {});
  const keys = { nameOf: (code) => (code >= 0 && code < names.length ? names[code] : '') };
  for (const row of schema.settings) state.sections[row.key] = row.section;
  $('[data-intro]').textContent = schema.intro;
  form = new SettingsForm($('[data-form]'), schema, keys, tools, edit);
  preview = new Preview($('[data-preview]'), tools, data.scenarios);
  live = new LivePlay($('[data-live]'), live_);
  wireOpening();
  $('[data-worker-note]').textContent = tools.usesThread ? '' : 'Your browser runs the checks on the page itself: a very large file may keep it busy for a moment.';
  await openBytes('Ambleworks.ini (shipped)', shipped);
  // Not waited for: the live worker compiles its code while the player reads.
  live_.request('warmUp', { ini: shipped }).catch(() => {});
  // For the page's own tests: the settings file the preview and live play
  // run on, and what the last live play recorded.
  window.ambleworksPage = {
    values: () => state.values,
    lastLive: () => live.lastRun || null,
    liveTrace: () => live_.request('liveTrace', {}),
  };
  document.body.dataset.ready = 'true';
  document.body.dataset.readyMs = String(Math.round(performance.now()));
}

main().catch((error) => say(`The page could not start: ${error.message}`));
