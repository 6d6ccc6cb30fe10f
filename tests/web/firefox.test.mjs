// The settings page in Firefox (Debian's firefox-esr), headless, driven over
// WebDriver BiDi (built into Firefox; playwright-core cannot drive a stock
// Firefox): opened from file://, the module loads in its workers and fills
// the form, Save, with no File System Access API in Firefox, downloads the
// file (the bytes of `ambleworks-sim set` on the same edit), and live play by
// keys and the wheel makes the calls of `ambleworks-sim run`.
//
//   node --experimental-websocket --test tests/web/firefox.test.mjs
// with AMBLEWORKS_SETTINGS_PAGE, AMBLEWORKS_SIM and AMBLEWORKS_FIREFOX in the
// environment.

import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

import { root, sim } from './native_sim.mjs';

const pagePath = process.env.AMBLEWORKS_SETTINGS_PAGE || path.join(root, 'build/web/AmbleworksSettings.html');
const firefox = process.env.AMBLEWORKS_FIREFOX || '/usr/bin/firefox-esr';
const shots = process.env.AMBLEWORKS_SCREENSHOTS || path.join(path.dirname(pagePath), 'screenshots');
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'ambleworks-firefox-'));
const downloads = path.join(work, 'downloads');

let browser;
let socket;
let context;
let nextId = 1;
const answers = new Map();

// One WebDriver BiDi command; its result, or a failure with Firefox's words.
function send(method, params) {
  return new Promise((resolve, reject) => {
    const id = nextId++;
    answers.set(id, (message) => (message.type === 'error' ? reject(new Error(`${method}: ${message.message}`)) : resolve(message.result)));
    socket.send(JSON.stringify({ id, method, params }));
  });
}

// The value of a script in the page (awaited when it is a promise).
async function evaluate(expression) {
  const result = await send('script.evaluate', { expression, target: { context }, awaitPromise: true });
  if (result.type === 'exception') throw new Error(`${expression}: ${result.exceptionDetails.text}`);
  return result.result.value;
}

async function waitFor(expression, what, seconds = 30) {
  for (const end = Date.now() + seconds * 1000; Date.now() < end;) {
    if (await evaluate(expression)) return;
    await new Promise((resolve) => setTimeout(resolve, 200));
  }
  assert.fail(`Firefox: no ${what} within ${seconds} s (status: ${await evaluate("document.querySelector('[data-status]').textContent")})`);
}

before(async () => {
  const profile = path.join(work, 'profile');
  fs.mkdirSync(profile);
  fs.mkdirSync(downloads);
  fs.writeFileSync(path.join(profile, 'user.js'), [
    ['browser.download.folderList', 2], ['browser.download.dir', JSON.stringify(downloads)],
    ['browser.download.useDownloadDir', true], ['browser.download.always_ask_before_handling_new_types', false],
  ].map(([name, value]) => `user_pref("${name}", ${value});\n`).join(''));
  browser = spawn(firefox, ['--headless', '--no-remote', '--profile', profile, '--remote-debugging-port', '0', 'about:blank'],
    { stdio: ['ignore', 'ignore', 'pipe'], env: { ...process.env, MOZ_CRASHREPORTER_DISABLE: '1' } });
  const address = await new Promise((resolve, reject) => {
    let said = '';
    browser.stderr.on('data', (chunk) => {
      said += chunk;
      const found = /WebDriver BiDi listening on (ws:\/\/\S+)/.exec(said);
      if (found) resolve(found[1]);
    });
    browser.on('exit', (code) => reject(new Error(`firefox-esr ended (${code}) before it listened: ${said}`)));
  });
  socket = new WebSocket(`${address}/session`);
  socket.onmessage = (event) => {
    const message = JSON.parse(event.data);
    if (message.id && answers.has(message.id)) {
      answers.get(message.id)(message);
      answers.delete(message.id);
    }
  };
  await new Promise((resolve, reject) => { socket.onopen = resolve; socket.onerror = reject; });
  await send('session.new', { capabilities: {} });
  context = (await send('browsingContext.getTree', {})).contexts[0].context;
  await send('browsingContext.setViewport', { context, viewport: { width: 1280, height: 800 } });
  await send('browsingContext.navigate', { context, url: pathToFileURL(pagePath).href, wait: 'complete' });
});

after(async () => {
  socket?.close();
  if (browser && browser.exitCode === null) {
    browser.kill();
    await new Promise((resolve) => browser.on('exit', resolve));
  }
});

test('Firefox runs the module in its workers and fills the form from file://', async () => {
  await waitFor("document.body.dataset.ready === 'true'", 'usable page');
  assert.equal(await evaluate("document.querySelector('[data-worker-note]').textContent"), '');
  assert.match(await evaluate("document.querySelector('[data-verdict]').textContent"), /reads the whole file/);
  assert.equal(await evaluate("document.querySelector('#setting-SPEED_INCREMENT').value"), '0.06');
  assert.match(await evaluate("document.querySelector('#setting-WALK_CONTROL_KEY').value"), /^Alt \(0x12\)$/);
  await waitFor("/played with your settings/.test(document.querySelector('[data-preview-status]').textContent)", 'preview');
  assert.match(await evaluate("document.querySelector('[data-preview-chart]').innerHTML"), /<svg /);
  fs.mkdirSync(shots, { recursive: true });
  const shot = await send('browsingContext.captureScreenshot', { context });
  fs.writeFileSync(path.join(shots, 'firefox-1280x800.png'), Buffer.from(shot.data, 'base64'));
});

test('Save in Firefox is a download: the bytes of ambleworks-sim set', async () => {
  assert.equal(await evaluate('typeof window.showSaveFilePicker'), 'undefined');
  await evaluate(`(() => {
    const field = document.querySelector('#setting-SPEED_INCREMENT');
    field.value = '0.1';
    field.dispatchEvent(new Event('change'));
  })()`);
  await waitFor("!document.querySelector('[data-save]').disabled", 'edit taken');
  await evaluate("document.querySelector('[data-save]').click()");
  await waitFor("/Downloaded as Ambleworks.ini/.test(document.querySelector('[data-save-status]').textContent)", 'download said');
  const saved = path.join(downloads, 'Ambleworks.ini');
  for (let i = 0; i < 50 && !fs.existsSync(saved); ++i) await new Promise((resolve) => setTimeout(resolve, 200));
  const folder = fs.mkdtempSync(path.join(work, 'set-'));
  fs.copyFileSync(path.join(root, 'Ambleworks.ini'), path.join(folder, 'Ambleworks.ini'));
  execFileSync(sim, ['set', 'Ambleworks.ini', 'SPEED_INCREMENT=0.1'], { cwd: folder, stdio: 'ignore' });
  assert.deepEqual(fs.readFileSync(saved), fs.readFileSync(path.join(folder, 'Ambleworks.ini')));
});

test('live play in Firefox by keys and the wheel makes the calls of ambleworks-sim run', async () => {
  await evaluate("document.querySelector('[data-live-start]').click()");
  await waitFor("/Playing/.test(document.querySelector('[data-live-status]').textContent)", 'live play');
  await evaluate("document.querySelector('[data-live-area]').focus()");
  const box = JSON.parse(await evaluate("JSON.stringify(document.querySelector('[data-live-area]').getBoundingClientRect())"));
  const [x, y] = [Math.round(box.x + box.width / 2), Math.round(box.y + box.height / 2)];
  const alt = '\uE00A';
  await send('input.performActions', {
    context,
    actions: [
      { type: 'key', id: 'keyboard', actions: [
        { type: 'keyDown', value: 'w' }, { type: 'pause', duration: 500 }, { type: 'keyDown', value: alt },
        { type: 'pause', duration: 150 }, { type: 'keyUp', value: alt }, { type: 'pause', duration: 400 },
        { type: 'keyUp', value: 'w' }, { type: 'pause', duration: 200 },
      ] },
      { type: 'wheel', id: 'wheel', actions: [
        { type: 'pause', duration: 300 }, { type: 'scroll', x, y, deltaX: 0, deltaY: -100 },
      ] },
    ],
  });
  await send('input.releaseActions', { context });
  assert.equal(await evaluate("document.activeElement.dataset.liveArea !== undefined"), true, 'Alt left the focus where it was');
  await evaluate("document.querySelector('[data-live-stop]').click()");
  await waitFor('window.ambleworksPage.lastLive() !== null', 'the end of live play');
  const scenario = await evaluate('window.ambleworksPage.lastLive().scenario');
  const trace = await evaluate('window.ambleworksPage.liveTrace()');
  const values = Buffer.from(await evaluate('btoa(String.fromCharCode(...window.ambleworksPage.values()))'), 'base64');
  assert.match(scenario, /wheel up/);
  assert.match(scenario, /key (hold|tap) ALT/i);
  const folder = fs.mkdtempSync(path.join(work, 'live-'));
  fs.writeFileSync(path.join(folder, 'live.scn'), scenario);
  fs.writeFileSync(path.join(folder, 'Ambleworks.ini'), values);
  const expected = execFileSync(sim, ['run', 'live.scn', '--ini', 'Ambleworks.ini', '--show', 'trace'],
    { cwd: folder, encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'], maxBuffer: 1 << 28 });
  assert.equal(trace, expected);
});
