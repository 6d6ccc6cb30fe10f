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
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const sim = process.env.AMBLEWORKS_SIM || path.join(root, 'build/linux/bin/ambleworks-sim');
const pagePath = process.env.AMBLEWORKS_SETTINGS_PAGE || path.join(root, 'build/web/AmbleworksSettings.html');
const shots = process.env.AMBLEWORKS_SCREENSHOTS || path.join(path.dirname(pagePath), 'screenshots');
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'ambleworks-page-'));

function native(args, cwd) {
  try {
    return execFileSync(sim, args, { cwd, encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'], maxBuffer: 1 << 28 });
  } catch (error) {
    if (typeof error.stdout === 'string' && error.status !== null) return error.stdout;
    throw error;
  }
}

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
  const file = path.join(work, name);
  fs.writeFileSync(file, bytes);
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
  const binary = JSON.parse(native(['doctor', 'binary.ini', '--json'], work));
  assert.equal(binary.findings[0].kind, 'not-a-settings-file');
});

test('edits by control and by key press read as the plug-in reads them, and the preview plays them', async () => {
  await page.click('[data-shipped]');
  await page.waitForFunction(() => /shipped/.test(document.querySelector('[data-file-name]').textContent));
  const played = Number(await page.evaluate(() => document.body.dataset.previewPlayed));
  await page.fill('#setting-SPEED_INCREMENT', '0.1');
  await page.dispatchEvent('#setting-SPEED_INCREMENT', 'change');
  await page.click('#setting-REMEMBER_FAST_WALK');
  await page.click('[data-key="WALK_CONTROL_KEY"] .capture');
  await page.keyboard.press('KeyQ');
  await page.waitForFunction((n) => Number(document.body.dataset.previewPlayed) > n && /Q \(0x51\)/.test(document.querySelector('#setting-WALK_CONTROL_KEY').value), played, { timeout: 30000 });
  await page.waitForFunction(() => !/Playing/.test(document.querySelector('[data-preview-status]').textContent));
  const values = Buffer.from(await page.evaluate(() => Array.from(window.ambleworksPage.values())));
  fs.writeFileSync(path.join(work, 'Ambleworks.ini'), values);
  const report = JSON.parse(native(['doctor', 'Ambleworks.ini', '--json'], work));
  const value = (key) => report.settings.find((s) => s.key === key).value;
  assert.equal(value('SPEED_INCREMENT'), 0.1);
  assert.equal(value('REMEMBER_FAST_WALK'), true);
  assert.equal(value('WALK_CONTROL_KEY'), 0x51);
  assert.equal(await page.isChecked('#setting-REMEMBER_FAST_WALK'), true);
  // demo.scn names ../Ambleworks.ini for its own settings, as in scenarios/.
  const scenarios = path.join(work, 'scenarios');
  fs.mkdirSync(scenarios, { recursive: true });
  fs.copyFileSync(path.join(root, 'scenarios/demo.scn'), path.join(scenarios, 'demo.scn'));
  fs.copyFileSync(path.join(work, 'Ambleworks.ini'), path.join(scenarios, 'Ambleworks.ini'));
  const timeline = native(['run', 'demo.scn', '--ini', 'Ambleworks.ini', '--show', 'timeline'], scenarios);
  assert.match(timeline, /walk control Q/);
  assert.equal(await page.textContent('[data-preview-timeline]'), timeline);
  // Saving: this build has no INI editor yet, and says so, keeping the edits.
  await page.click('[data-save]');
  await page.waitForFunction(() => document.querySelector('[data-save-status]').textContent !== '');
  assert.match(await page.textContent('[data-save-status]'), /cannot save yet|Saved|Downloaded/);
  assert.match(await page.textContent('[data-edits]'), /3 changed/);
});

test('live play with the keyboard and the wheel makes the calls of ambleworks-sim run', async () => {
  await page.click('[data-live-start]');
  await page.waitForFunction(() => /Playing/.test(document.querySelector('[data-live-status]').textContent));
  const area = page.locator('[data-live-area]');
  await area.focus();
  const box = await area.boundingBox();
  await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
  await page.keyboard.down('KeyW');
  await page.waitForTimeout(400);
  await page.mouse.wheel(0, -100);
  await page.waitForTimeout(300);
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
  assert.equal(await page.evaluate(() => document.activeElement.dataset.liveArea !== undefined), true, 'Alt left the focus where it was');
  await page.click('[data-live-stop]');
  await page.waitForFunction(() => window.ambleworksPage.lastLive() !== null);
  const run = await page.evaluate(() => window.ambleworksPage.lastLive());
  const values = Buffer.from(await page.evaluate(() => Array.from(window.ambleworksPage.values())));
  fs.writeFileSync(path.join(work, 'live.scn'), run.scenario);
  fs.writeFileSync(path.join(work, 'Ambleworks.ini'), values);
  assert.match(run.scenario, /wheel up/);
  assert.match(run.scenario, /key (hold|tap) Q/);
  assert.equal(run.trace, native(['run', 'live.scn', '--ini', 'Ambleworks.ini', '--show', 'trace'], work));
  assert.ok((await page.innerHTML('[data-live-chart]')).includes('<svg'));
});

test('screenshots at 1280x800 and 1920x1080', async () => {
  fs.mkdirSync(shots, { recursive: true });
  for (const [width, height] of [[1280, 800], [1920, 1080]]) {
    await page.setViewportSize({ width, height });
    await page.evaluate(() => window.scrollTo(0, 0));
    await page.screenshot({ path: path.join(shots, `settings-page-${width}x${height}.png`) });
    await page.locator('[data-live]').scrollIntoViewIfNeeded();
    await page.screenshot({ path: path.join(shots, `settings-page-live-${width}x${height}.png`) });
  }
});
