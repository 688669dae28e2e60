// The importer's page's numbers, printed (a benchmark: nothing here passes
// or fails): importer.html's size, raw and gzip (level 9); in headless
// Chromium, the time from navigation to the page being ready (its files
// unpacked and the importer's wasm compiled: window.mirtalImport.readyMs),
// the median of LOADS loads; and for MODEL the time from the files given
// to the imported walk-through's first frame.
// Run after tools/build_web.sh:
//   node tests/web/bench_import_page.js
'use strict';

const fs = require('fs');
const zlib = require('zlib');
const harness = require('./harness');

const LOADS = 3;
const MODEL = ['/usr/share/assimp/models/Collada/duck.dae', '/usr/share/assimp/models/Collada/duckCM.tga'];

const median = values => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

async function main() {
  const bytes = fs.readFileSync(harness.IMPORTER_PAGE);
  console.log(`importer.html: ${(bytes.length / 1e6).toFixed(2)} MB raw, ` +
              `${(zlib.gzipSync(bytes, {level: 9}).length / 1e6).toFixed(2)} MB gzip`);
  const browser = await harness.launchBrowser();
  try {
    const ready = [];
    let page;
    for (let load = 0; load < LOADS; load++) {
      if (page) await page.close();
      page = await harness.openImporterPage(browser);
      ready.push(await page.evaluate(() => window.mirtalImport.readyMs));
    }
    console.log(`navigation to ready: ${median(ready).toFixed(0)} ms (median of ` +
                `${ready.map(ms => ms.toFixed(0)).join(', ')})`);
    const start = Date.now();
    await harness.importThroughPage(page, MODEL);
    const imported = Date.now();
    await harness.walkThroughFrame(page);
    console.log(`duck.dae: imported in ${imported - start} ms, walk-through's first frame ` +
                `${Date.now() - imported} ms later`);
  } finally {
    await browser.close();
  }
}

main().catch(error => {
  console.error(error);
  process.exit(1);
});
