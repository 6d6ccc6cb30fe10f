// The settings page in headless Chromium, opened from file:// as a player
// opens it: a hand-made file through the chooser (its findings as
// `ambleworks-sim doctor --json` words them), edits by control and by key
// press, the preview (its timeline as `run --ini --show timeline`), live
// play with synthesized keys and wheel (its calls as `run` of the scenario
// it recorded), a binary file, and screenshots at 1280x800 and 1920x1080.
//
//   node --test tests/web/page.test.mjs
// with AMBLEWORKS_SETTINGS_PAGE and AMBLEWORKS_SIM in the environment.

import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

import { native, root, sim } from './native_sim.mjs';

const pagePath = process.env.AMBLEWORKS_SETTINGS_PAGE || path.join(root, 'build/web/AmbleworksSettings.html');
const shots = process.env.AMBLEWORKS_SCREENSHOTS || path.join(path.dirname(pagePath), 'screenshots');
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'ambleworks-page-'));

let browser;
let page;

before(async () => {
  // launch() gives the browser a fresh profile folder of its own.
  browser = await chromium.launch({
    executablePath: process.env.AMBLEWORKS_CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
      '--disable-sync', '--no-first-run'],
  });
  page = await browser.newPage({ viewport: { width: 1280, height: 800 }, acceptDownloads: true });
  page.on('pageerror', (error) => { throw error; });
  await page.goto(pathToFileURL(pagePath).href);
  await page.waitForSelector('body[data-ready="true"]', { timeout: 30000 });
});

after(async () => {
  await browser?.close();
});

// Opens a file through the page's chooser and waits for its check.
async function open(name, bytes) {
  // A folder of its own each time: a chooser given the path it already has
  // may say nothing of a change.
  const file = path.join(fs.mkdtempSync(path.join(work, 'open-')), name);
  fs.writeFileSync(file, bytes);
  // The status of the file before says "checked" too: start from none.
  await page.evaluate(() => { document.querySelector('[data-status]').textContent = ''; });
  await page.setInputFiles('[data-open-input]', file);
  await page.waitForFunction((n) => document.querySelector('[data-file-name]').textContent === n && /checked/.test(document.querySelector('[data-status]').textContent), name, { timeout: 30000 });
  return file;
}

// The findings the page lists for the file: [line, severity, message].
async function shownFindings() {
  return page.$$eval('[data-file-findings] > li.file-finding', (items) => items.map((item) => [
    item.dataset.line === '' ? null : Number(item.dataset.line),
    item.querySelector('.finding').className.replace('finding ', ''),
    item.querySelector('.finding').textContent.replace(/^\w+: /, ''),
  ]));
}

test('the page opens from file:// ready to use, the module running off the page', async () => {
  const ready = Number(await page.evaluate(() => document.body.dataset.readyMs));
  assert.ok(ready > 0);
  assert.equal(await page.textContent('[data-worker-note]'), '');
  assert.match(await page.textContent('[data-verdict]'), /reads the whole file/);
});

test('findings of hand-made files are those of ambleworks-sim doctor --json', async () => {
  const files = {
    'broken.ini': '[General]\nENABLED = false\n[MouseWheel]\nSPEED_INCRMENT = 0.1\nSPEED_INCREMENT = 0\n[Shift]\nSHIFT_TAP_CUSTOM_SPEED = 1,5\n[WalkControl]\nFAST_WALK_CUSTOM_SPEED = 1.9\nWALK_CONTROL_KEY = 18\n[Keys]\nSWITCH_OFF_KEY = 0xA4\n',
    'binary.ini': Buffer.from(Array.from({ length: 3000 }, (_, i) => (i * 2654435761) >>> 24)),
    'crlf.ini': '\ufeff[General]\r\nENABLED = 0\r\n[Optional]\r\nMINIMUM_SPEED = 0.01\r\n',
    // A program, as a player might pick Ambleworks.asi by mistake.
    'Ambleworks.so': fs.readFileSync(path.join(path.dirname(sim), 'Ambleworks.so')),
  };
  for (const [name, bytes] of Object.entries(files)) {
    const file = await open(name, bytes);
    const report = JSON.parse(native(['doctor', name, '--json'], path.dirname(file)));
    const expected = report.findings.map((f) => [f.line, f.severity, f.message]);
    assert.deepEqual(await shownFindings(), expected, name);
    // What the form shows is what the plug-in reads.
    for (const setting of report.settings.filter((s) => s.key === 'MINIMUM_SPEED' || s.key === 'ENABLED')) {
      const shown = setting.key === 'ENABLED'
        ? await page.isChecked('#setting-ENABLED')
        : Number(await page.inputValue('#setting-MINIMUM_SPEED'));
      assert.equal(shown, setting.value, `${name}: ${setting.key}`);
    }
  }
  const binary = JSON.parse(native(['doctor', 'binary.ini', '--json'], path.dirname(await open('binary.ini', files['binary.ini']))));
  assert.equal(binary.findings[0].kind, 'not-a-settings-file');
});

test('a file dropped on the page is opened and checked', async () => {
  const text = '[WalkControl]\nWALK_CONTROL_KEY = Atl\n';
  await page.evaluate(() => { document.querySelector('[data-status]').textContent = ''; });
  await page.evaluate((bytes) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([bytes], 'dropped.ini'));
    for (const type of ['dragover', 'drop']) {
      document.body.dispatchEvent(new DragEvent(type, { dataTransfer: transfer, bubbles: true, cancelable: true }));
    }
  }, text);
  await page.waitForFunction(() => /dropped\.ini: checked/.test(document.querySelector('[data-status]').textContent), null, { timeout: 30000 });
  assert.equal(await page.textContent('[data-file-name]'), 'dropped.ini');
  assert.equal(await page.evaluate(() => document.body.classList.contains('dragging')), false);
  const folder = fs.mkdtempSync(path.join(work, 'drop-'));
  fs.writeFileSync(path.join(folder, 'dropped.ini'), text);
  const report = JSON.parse(native(['doctor', 'dropped.ini', '--json'], folder));
  assert.deepEqual(await shownFindings(), report.findings.map((f) => [f.line, f.severity, f.message]));
  assert.match(await page.textContent('[data-findings="WALK_CONTROL_KEY"]'), /Atl.*Alt/);
});

test('a 50 MB file gets the doctor\'s verdict while the page stays responsive', async () => {
  const line = '; a long file of notes, as a broken tool might write one ..................\n';
  const big = Buffer.concat([Buffer.from('[MouseWheel]\nSPEED_INCREMENT = 0.1\n'), Buffer.alloc(50 * 1024 * 1024, line)]);
  const file = path.join(work, 'big.ini');
  fs.writeFileSync(file, big);
  await page.setInputFiles('[data-open-input]', file);
  // The page answers while the module reads the file in its worker.
  let answeredWhileChecking = 0;
  for (let i = 0; i < 2000; ++i) {
    const status = await page.evaluate(() => document.querySelector('[data-status]').textContent);
    if (/^Checking big\.ini/.test(status)) ++answeredWhileChecking;
    else if (/big\.ini: checked/.test(status)) break;
    await page.waitForTimeout(50);
  }
  assert.ok(answeredWhileChecking >= 2, `the page answered ${answeredWhileChecking} times during the check`);
  await page.waitForFunction(() => /big\.ini: checked/.test(document.querySelector('[data-status]').textContent), null, { timeout: 120000 });
  const report = JSON.parse(native(['doctor', 'big.ini', '--json'], work));
  assert.deepEqual(await shownFindings(), report.findings.map((f) => [f.line, f.severity, f.message]));
  assert.equal(Number(await page.inputValue('#setting-SPEED_INCREMENT')), 0.1);
});

// Every setting as the form shows it: {KEY: value} with the doctor's JSON
// types (true/false, numbers, key codes).
async function shownSettings() {
  return page.$$eval('[data-form] .setting', (rows) => Object.fromEntries(rows.map((row) => {
    const key = row.dataset.key;
    const input = row.querySelector('.control input');
    if (input.type === 'checkbox') return [key, input.checked];
    if (input.type === 'number') return [key, Number(input.value)];
    if (input.type === 'radio') {
      const note = row.querySelector('.choice-note').textContent.match(/has (-?\d+)/);
      return [key, note ? Number(note[1]) : Number(row.querySelector('input:checked').value)];
    }
    const code = input.value.match(/\(0x([0-9A-F]+)\)/);
    return [key, code ? parseInt(code[1], 16) : /None/.test(input.value) ? 0 : null];
  })));
}

// Waits until the page has played the preview again since `count`.
async function previewAfter(count) {
  await page.waitForFunction((n) => Number(document.body.dataset.previewPlayed) > n && !/Playing/.test(document.querySelector('[data-preview-status]').textContent), count, { timeout: 30000 });
}

const playedCount = async () => Number(await page.evaluate(() => document.body.dataset.previewPlayed || 0));

test('a number, a switch and a pressed key, downloaded: the bytes of ambleworks-sim set, the values the plug-in loads', async () => {
  const original = fs.readFileSync(path.join(root, 'Ambleworks.ini'));
  const mine = Buffer.from(original.toString('latin1').replace(/\n/g, '\r\n'), 'latin1');
  await open('Ambleworks.ini', mine);
  const played = await playedCount();
  await page.fill('#setting-SPEED_INCREMENT', '0.1');
  await page.dispatchEvent('#setting-SPEED_INCREMENT', 'change');
  await page.click('#setting-REMEMBER_FAST_WALK');
  await page.click('[data-key="WALK_CONTROL_KEY"] .capture');
  await page.keyboard.press('KeyQ');
  await page.click('[data-key="SPRINT_KEY"] .capture');
  await page.keyboard.press('CapsLock');
  await page.waitForFunction(() => /Caps Lock \(0x14\)/.test(document.querySelector('#setting-SPRINT_KEY').value), null, { timeout: 30000 });
  await previewAfter(played);
  assert.match(await page.inputValue('#setting-WALK_CONTROL_KEY'), /^Q \(0x51\)$/);
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('[data-download]')]);
  assert.equal(download.suggestedFilename(), 'Ambleworks.ini');
  const saved = fs.readFileSync(await download.path());
  assert.match(await page.textContent('[data-save-status]'), /Downloaded as Ambleworks\.ini .* next to Ambleworks\.asi/);
  // The same edits on the command line.
  const folder = fs.mkdtempSync(path.join(work, 'set-'));
  fs.writeFileSync(path.join(folder, 'Ambleworks.ini'), mine);
  native(['set', 'Ambleworks.ini', 'SPEED_INCREMENT=0.1', 'REMEMBER_FAST_WALK=1', 'WALK_CONTROL_KEY=Q', 'SPRINT_KEY=Caps Lock'], folder);
  assert.deepEqual(saved, fs.readFileSync(path.join(folder, 'Ambleworks.ini')));
  // What the plug-in then loads is what the page showed.
  fs.writeFileSync(path.join(folder, 'saved.ini'), saved);
  const report = JSON.parse(native(['doctor', 'saved.ini', '--json'], folder));
  const loaded = Object.fromEntries(report.settings.map((s) => [s.key, s.value]));
  assert.deepEqual(await shownSettings(), loaded);
  assert.equal(loaded.WALK_CONTROL_KEY, 0x51);
  assert.equal(loaded.SPRINT_KEY, 0x14);
  assert.equal(loaded.REMEMBER_FAST_WALK, true);
  // The page goes on from the saved file: no edits left, its findings shown.
  assert.match(await page.textContent('[data-edits]'), /No changes/);
  assert.deepEqual(await shownFindings(), report.findings.map((f) => [f.line, f.severity, f.message]));
  // The preview plays the file as saved, as `run --ini` does.
  const scenarios = path.join(fs.mkdtempSync(path.join(work, 'preview-')), 'scenarios');
  fs.mkdirSync(scenarios);
  fs.copyFileSync(path.join(root, 'scenarios/demo.scn'), path.join(scenarios, 'demo.scn'));
  fs.copyFileSync(path.join(root, 'Ambleworks.ini'), path.join(scenarios, '..', 'Ambleworks.ini'));
  fs.writeFileSync(path.join(scenarios, 'Ambleworks.ini'), saved);
  const timeline = native(['run', 'demo.scn', '--ini', 'Ambleworks.ini', '--show', 'timeline'], scenarios);
  assert.match(timeline, /walk control Q/);
  assert.equal(await page.textContent('[data-preview-timeline]'), timeline);
});

// Sets one setting with its control, as a player would: a switch clicked
// (twice when it already shows the value, so that the value is given), a
// number typed, a stop mode chosen, a key's name typed. False when the
// control cannot give this value text.
async function setThroughControl(key, value) {
  const field = `#setting-${key}`;
  const kind = await page.$eval(`[data-key="${key}"] .control input`, (input) => input.type);
  if (kind === 'checkbox') {
    if (value !== '0' && value !== '1') return false;
    if ((await page.isChecked(field)) === (value === '1')) await page.click(field);
    await page.click(field);
  } else if (kind === 'number') {
    if (!/^\d+(\.\d+)?$/.test(value)) return false;
    await page.fill(field, value);
    await page.dispatchEvent(field, 'change');
  } else if (kind === 'radio') {
    const choice = `[data-key="${key}"] input[value="${value}"]`;
    if (!(await page.$(choice))) return false;
    if (await page.isChecked(choice)) await page.click(`[data-key="${key}"] input:not(:checked)`);
    await page.click(choice);
  } else {
    await page.fill(field, value);
    await page.dispatchEvent(field, 'change');
  }
  return true;
}

test('the edits of the INI editor\'s own cases, made with the page\'s controls, download as their table says', async () => {
  const bytesOf = (pieces) => Buffer.from([pieces].flat().join(''), 'latin1');
  const cases = JSON.parse(fs.readFileSync(path.join(root, 'tests/ini_edit_cases.json'), 'utf8')).cases
    .filter((row) => !row.refused && row.file !== null && row.edits.every((e) => /^[\x20-\x7e]+$/.test(e.value))
      && new Set(row.edits.map((e) => e.key.toUpperCase())).size === row.edits.length);
  let played = 0;
  for (const row of cases) {
    await open(`${row.name}.ini`, bytesOf(row.file));
    let usable = true;
    for (const edit of row.edits) usable = usable && await setThroughControl(edit.key.toUpperCase(), edit.value.trim());
    if (!usable) continue;
    await page.waitForFunction((n) => new RegExp(`^${n} changed`).test(document.querySelector('[data-edits]').textContent), row.edits.length, { timeout: 5000 })
      .catch(async () => assert.fail(`${row.name}: the page says ${await page.textContent('[data-edits]')}`));
    const [download] = await Promise.all([page.waitForEvent('download'), page.click('[data-download]')]);
    assert.deepEqual(fs.readFileSync(await download.path()).toString('latin1'), bytesOf(row.result).toString('latin1'), row.name);
    ++played;
  }
  assert.ok(played >= 10, `${played} of the table's cases made with the controls`);
});

// Stands in for the browser's save window (showSaveFilePicker): the player
// closes it, the folder refuses the write, the file does not take the bytes,
// or it works (the bytes kept in window.savedBytes).
async function fakeSaveWindow(how) {
  await page.evaluate((kind) => {
    const refuse = (name, message) => Object.assign(new Error(message), { name });
    window.showSaveFilePicker = async () => {
      if (kind === 'closed') throw refuse('AbortError', 'The user aborted a request.');
      let kept = new Uint8Array(0);
      return {
        name: 'Ambleworks.ini',
        createWritable: async () => {
          if (kind === 'denied') throw refuse('NotAllowedError', 'Permission denied.');
          let bytes = new Uint8Array(0);
          return {
            write: async (data) => { bytes = new Uint8Array(data); },
            close: async () => { if (kind === 'works') kept = bytes; window.savedBytes = Array.from(kept); },
          };
        },
        getFile: async () => new Blob([kept]),
      };
    };
  }, how);
}

test('a save that fails says so and keeps every edit; a refused value is said beside its field', async () => {
  const shipped = fs.readFileSync(path.join(root, 'Ambleworks.ini'));
  await open('Ambleworks.ini', shipped);
  await page.fill('#setting-MINIMUM_SPEED', '0.3');
  await page.dispatchEvent('#setting-MINIMUM_SPEED', 'change');
  await page.fill('#setting-WALK_CONTROL_KEY', 'Atl');
  await page.dispatchEvent('#setting-WALK_CONTROL_KEY', 'change');
  await page.waitForSelector('[data-refusal="WALK_CONTROL_KEY"]:not([hidden])');
  assert.match(await page.textContent('[data-refusal="WALK_CONTROL_KEY"]'), /names no key.*Alt/);
  const status = () => page.textContent('[data-save-status]');
  const saveAndWait = async () => {
    await page.evaluate(() => { document.querySelector('[data-save-status]').textContent = ''; });
    await page.click('[data-save]');
    await page.waitForFunction(() => /Not saved|Saved/.test(document.querySelector('[data-save-status]').textContent));
    return status();
  };
  await fakeSaveWindow('works');
  assert.match(await saveAndWait(), /Not saved: .*WALK_CONTROL_KEY.*Alt.*still here/);
  await page.fill('#setting-WALK_CONTROL_KEY', 'Alt');
  await page.dispatchEvent('#setting-WALK_CONTROL_KEY', 'change');
  await page.waitForSelector('[data-refusal="WALK_CONTROL_KEY"][hidden]', { state: 'attached' });
  for (const [how, words] of [['closed', /closed the save window/], ['denied', /not allowed to write/], ['readOnly', /does not hold what was written/]]) {
    await fakeSaveWindow(how);
    const said = await saveAndWait();
    assert.match(said, words, how);
    assert.match(said, /Your changes are still here/, how);
    assert.match(await page.textContent('[data-edits]'), /^2 changed/, how);
  }
  await fakeSaveWindow('works');
  assert.match(await saveAndWait(), /Saved as Ambleworks\.ini .* next to Ambleworks\.asi/);
  const folder = fs.mkdtempSync(path.join(work, 'save-'));
  fs.writeFileSync(path.join(folder, 'Ambleworks.ini'), shipped);
  native(['set', 'Ambleworks.ini', 'MINIMUM_SPEED=0.3', 'WALK_CONTROL_KEY=Alt'], folder);
  const written = Buffer.from(await page.evaluate(() => window.savedBytes));
  assert.deepEqual(written, fs.readFileSync(path.join(folder, 'Ambleworks.ini')));
  assert.match(await page.textContent('[data-edits]'), /No changes/);
});

test('a file opened through the browser\'s file picker is saved over, and read back', async () => {
  const shipped = fs.readFileSync(path.join(root, 'Ambleworks.ini'));
  // A stand-in for the picker and the player's file on disk.
  await page.evaluate((bytes) => {
    let onDisk = new Uint8Array(bytes);
    const handle = {
      kind: 'file',
      name: 'Ambleworks.ini',
      getFile: async () => new File([onDisk], 'Ambleworks.ini'),
      queryPermission: async () => 'prompt',
      requestPermission: async () => 'granted',
      createWritable: async () => {
        let written = new Uint8Array(0);
        return { write: async (data) => { written = new Uint8Array(data); }, close: async () => { onDisk = written; } };
      },
    };
    window.showOpenFilePicker = async () => [handle];
    window.onDisk = () => Array.from(onDisk);
    document.querySelector('[data-status]').textContent = '';
  }, Array.from(shipped));
  await page.click('[data-open]');
  await page.waitForFunction(() => /Ambleworks\.ini: checked/.test(document.querySelector('[data-status]').textContent));
  await page.fill('#setting-FAST_WALK_CUSTOM_SPEED', '1.45');
  await page.dispatchEvent('#setting-FAST_WALK_CUSTOM_SPEED', 'change');
  await page.waitForFunction(() => /^1 changed/.test(document.querySelector('[data-edits]').textContent));
  await page.click('[data-save]');
  await page.waitForFunction(() => /Saved over Ambleworks\.ini/.test(document.querySelector('[data-save-status]').textContent));
  const folder = fs.mkdtempSync(path.join(work, 'over-'));
  fs.writeFileSync(path.join(folder, 'Ambleworks.ini'), shipped);
  native(['set', 'Ambleworks.ini', 'FAST_WALK_CUSTOM_SPEED=1.45'], folder);
  assert.deepEqual(Buffer.from(await page.evaluate(() => window.onDisk())), fs.readFileSync(path.join(folder, 'Ambleworks.ini')));
  assert.match(await page.textContent('[data-edits]'), /No changes/);
  // The page goes on from the file as saved: a second edit is saved over it too.
  await page.fill('#setting-FAST_WALK_CUSTOM_SPEED', '1.4');
  await page.dispatchEvent('#setting-FAST_WALK_CUSTOM_SPEED', 'change');
  await page.waitForFunction(() => /^1 changed/.test(document.querySelector('[data-edits]').textContent));
  await page.evaluate(() => { document.querySelector('[data-save-status]').textContent = ''; });
  await page.click('[data-save]');
  await page.waitForFunction(() => /Saved over/.test(document.querySelector('[data-save-status]').textContent));
  assert.ok(Buffer.from(await page.evaluate(() => window.onDisk())).includes(Buffer.from('FAST_WALK_CUSTOM_SPEED = 1.4\n')));
});

test('live play with the keyboard and the wheel makes the calls of ambleworks-sim run', async () => {
  await page.click('[data-live-start]');
  await page.waitForFunction(() => /Playing/.test(document.querySelector('[data-live-status]').textContent));
  const area = page.locator('[data-live-area]');
  await area.focus();
  const box = await area.boundingBox();
  await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
  const scrolled = await page.evaluate(() => window.scrollY);
  await page.keyboard.down('KeyW');
  await page.waitForTimeout(400);
  await page.mouse.wheel(0, -100);
  await page.waitForTimeout(300);
  await page.keyboard.press('Tab');
  await page.keyboard.down('KeyQ');
  await page.waitForTimeout(150);
  await page.keyboard.up('KeyQ');
  await page.waitForTimeout(300);
  await page.keyboard.press('ShiftLeft');
  await page.keyboard.down('Alt');
  await page.waitForTimeout(200);
  await page.keyboard.up('Alt');
  await page.keyboard.up('KeyW');
  await page.waitForTimeout(300);
  assert.equal(await page.evaluate(() => document.activeElement.dataset.liveArea !== undefined), true, 'Alt and Tab left the focus where it was');
  assert.equal(await page.evaluate(() => window.scrollY), scrolled, 'the wheel did not scroll the page');
  await page.click('[data-live-stop]');
  await page.waitForFunction(() => window.ambleworksPage.lastLive() !== null);
  const run = await page.evaluate(async () => ({ ...window.ambleworksPage.lastLive(), trace: await window.ambleworksPage.liveTrace() }));
  const values = Buffer.from(await page.evaluate(() => Array.from(window.ambleworksPage.values())));
  fs.writeFileSync(path.join(work, 'live.scn'), run.scenario);
  fs.writeFileSync(path.join(work, 'Ambleworks.ini'), values);
  // The inputs recorded are the ones sent, in the order sent, at ticks that
  // never go back.
  const statements = run.scenario.split('\n').filter((line) => line.startsWith('at '))
    .map((line) => /^at (\d+)(?:\.\.(\d+))? (key (?:hold|tap) \S+|wheel \S+|move \S+)$/.exec(line));
  assert.ok(statements.every(Boolean), run.scenario);
  assert.deepEqual(statements.map((m) => m[3].replace(/key (hold|tap)/, 'key').toLowerCase()), [
    'key w', 'move up', 'wheel up', 'key tab', 'key q', 'key shift', 'key alt', 'move none',
  ]);
  const ticks = statements.map((m) => Number(m[1]));
  assert.deepEqual(ticks, [...ticks].sort((a, b) => a - b));
  assert.equal(run.trace, native(['run', 'live.scn', '--ini', 'Ambleworks.ini', '--show', 'trace'], work));
  assert.ok((await page.innerHTML('[data-live-chart]')).includes('<svg'));
});

// One of each view, the settings (with the doctor's findings), the preview
// and live play, at two sizes: docs/settings-page.md shows them.
test('screenshots at 1280x800 and 1920x1080', async () => {
  fs.mkdirSync(shots, { recursive: true });
  await open('Ambleworks.ini', fs.readFileSync(path.join(root, 'Ambleworks.ini')).toString().replace('SPEED_INCREMENT = 0.06', 'SPEED_INCREMENT = 0,1').replace('REMEMBER_FAST_WALK = 0', 'REMEMBER_FAST_WALK = false ; not now'));
  await page.evaluate(() => { document.querySelector('[data-save-status]').textContent = ''; });
  for (const [width, height] of [[1280, 800], [1920, 1080]]) {
    await page.setViewportSize({ width, height });
    const views = { settings: 'body', preview: '[data-preview]', live: '[data-live]' };
    for (const [view, selector] of Object.entries(views)) {
      await page.evaluate((s) => (s === 'body' ? window.scrollTo(0, 0) : document.querySelector(s).scrollIntoView({ block: 'start' })), selector);
      await page.screenshot({ path: path.join(shots, `settings-page-${view}-${width}x${height}.png`) });
    }
  }
});
