// SPDX-License-Identifier: GPL-3.0-or-later
// The README's pictures of the page: docs/web.png (the page with its chart open) and
// docs/web-chart.png (the chart's own PNG, as Save image writes it), from the built site.
import { writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { catchDownloads, launch, openPage, root, serve } from './tests/harness.mjs';

const server = await serve();
const browser = await launch();
try {
  const page = await openPage(browser, server.url, { width: 1000, height: 1120 });
  await page.click('#mnuChart');
  for (const latitude of ['-33.87', '0', '60']) {
    await page.click('#txtLat', { clickCount: 3 });
    await page.type('#txtLat', latitude);
    await page.click('#cmdKeep');
  }
  await page.click('#txtLat', { clickCount: 3 });
  await page.type('#txtLat', '41.9');
  await page.click('#chkDayLength');
  const view = await page.$('#chartView');
  const box = await view.boundingBox();
  await page.mouse.move(box.x + box.width * 0.45, box.y + box.height * 0.2);
  await page.screenshot({ path: join(root, 'docs', 'web.png') });
  const downloads = await catchDownloads(page);
  await page.click('#cmdSaveImage');
  await page.click('#imagePng');
  writeFileSync(join(root, 'docs', 'web-chart.png'), (await downloads.next()).bytes);
  downloads.remove();
  console.log('docs/web.png and docs/web-chart.png written');
} finally {
  await browser.close();
  await server.close();
}
