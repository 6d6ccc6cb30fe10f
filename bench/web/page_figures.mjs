// The settings page's figures, measured side by side in one headless
// Chromium run (a benchmark, not a test): the page's size, the time from
// opening the file to a usable page, one preview replay of demo.scn, and
// live ticks (a minute at 30 a second from the page's own timer, W held and
// the wheel turned: the slowest tick, and the ticks played more than a tick
// after their time).
//
//   node bench/web/page_figures.mjs [AmbleworksSettings.html]

import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const pagePath = path.resolve(process.argv[2] || 'build/web/AmbleworksSettings.html');
const browser = await chromium.launch({
  executablePath: process.env.AMBLEWORKS_CHROMIUM || '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run'],
});
console.log(`load average at the start: ${os.loadavg().map((l) => l.toFixed(2)).join(', ')}`);
const ready = [];
let page;
for (let i = 0; i < 5; ++i) {
  await page?.close();
  page = await browser.newPage({ viewport: { width: 1280, height: 800 } });
  await page.goto(pathToFileURL(pagePath).href);
  await page.waitForSelector('body[data-ready="true"]', { timeout: 60000 });
  ready.push(Number(await page.evaluate(() => document.body.dataset.readyMs)));
}
const median = (list) => [...list].sort((a, b) => a - b)[Math.floor(list.length / 2)];
const previews = [];
for (let i = 0; i < 7; ++i) {
  const before = Number(await page.evaluate(() => document.body.dataset.previewPlayed || 0));
  await page.click('[data-preview-play]');
  await page.waitForFunction((n) => Number(document.body.dataset.previewPlayed) > n && / in \d+ ms/.test(document.querySelector('[data-preview-status]').textContent), before, { timeout: 60000 });
  previews.push(Number((await page.textContent('[data-preview-status]')).match(/in (\d+) ms/)[1]));
}
await page.click('[data-live-start]');
const area = page.locator('[data-live-area]');
await area.focus();
const box = await area.boundingBox();
await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
await page.keyboard.down('KeyW');
for (let second = 0; second < 60; ++second) {
  await page.waitForTimeout(1000);
  if (second % 5 === 0) await page.mouse.wheel(0, second % 10 ? 100 : -100);
}
await page.keyboard.up('KeyW');
await page.click('[data-live-stop]');
await page.waitForFunction(() => /Stopped after/.test(document.querySelector('[data-live-status]').textContent));
const live = await page.textContent('[data-live-status]');
console.log(`page size: ${fs.statSync(pagePath).size} bytes`);
console.log(`opening to usable: median ${median(ready)} ms of ${ready.join(', ')}`);
console.log(`preview of demo.scn (1,800 ticks): median ${median(previews)} ms of ${previews.join(', ')}`);
console.log(`live: ${live}`);
console.log(`load average at the end: ${os.loadavg().map((l) => l.toFixed(2)).join(', ')}`);
await browser.close();
