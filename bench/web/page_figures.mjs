// The settings page's figures, measured side by side in one headless
// Chromium run (a benchmark, not a test): the page's size, the time from
// opening the file to a usable page, one preview replay of demo.scn, and
// live ticks (1,800 played at 30 a second from the page's own timer).
//
//   node bench/web/page_figures.mjs [AmbleworksSettings.html]

import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const pagePath = path.resolve(process.argv[2] || 'build/web/AmbleworksSettings.html');
const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run'],
});
const ready = [];
let page;
for (let i = 0; i < 5; ++i) {
  page?.close();
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
await page.locator('[data-live-area]').focus();
await page.keyboard.down('KeyW');
await page.waitForTimeout(60000);
await page.keyboard.up('KeyW');
await page.click('[data-live-stop]');
await page.waitForFunction(() => /Stopped after/.test(document.querySelector('[data-live-status]').textContent));
const live = await page.textContent('[data-live-status]');
const ticks = Number(live.match(/after (\d+) ticks/)[1]);
console.log(`page size: ${fs.statSync(pagePath).size} bytes`);
console.log(`opening to usable: median ${median(ready)} ms of ${ready.join(', ')}`);
console.log(`preview of demo.scn (1,800 ticks): median ${median(previews)} ms of ${previews.join(', ')}`);
console.log(`live: ${ticks} ticks in 60 s (${ticks >= 1800 ? 'none dropped' : 1800 - ticks + ' short of 1,800'}); ${live}`);
await browser.close();
