// The web artefacts opened as whoever receives them opens them: the single
// HTML file of an imported model (mirtal-import MODEL OUT --web FILE.html)
// from file://, with no other file, showing the model as the native
// program shows the folder the import wrote; and the web-server folder of
// the release's web zip served over HTTP on the loopback address.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const path = require('path');
const harness = require('./harness');

const {PIXEL_THRESHOLD, MATCH_SHARE} = harness;
const MODEL = '/usr/share/assimp/models/Collada/duck.dae';
const VIEWS = ['start', 'f3', 'f7'];

let browser;
test.before(async () => {
  browser = await harness.launchBrowser();
});
test.after(() => browser.close());

test('an imported model\'s single HTML file opens from the disk and shows the model',
     {timeout: 300000}, async () => {
  const scratch = harness.scratchFolder('mirtal-web-import-');
  const scene = path.join(scratch, 'duck'), html = path.join(scratch, 'elsewhere', 'duck.html');
  fs.mkdirSync(path.dirname(html));
  harness.run(harness.IMPORTER, [MODEL, scene, '--web', html], {timeout: 120000});
  const native = harness.nativePictures(scene, VIEWS);
  // Alone in its folder: nothing beside it to read.
  assert.deepStrictEqual(fs.readdirSync(path.dirname(html)), ['duck.html']);
  const page = await harness.openWalkThrough(browser, harness.fileUrl(html));
  const web = {};
  for (const name of VIEWS) {
    if (name !== 'start')
      await page.keyboard.press(name.toUpperCase());
    await harness.waitFrames(page, 6);
    web[name] = await harness.canvasPicture(page);
  }
  const nativeViews = await native;
  for (const name of VIEWS) {
    const share = web[name].shareDiffering(nativeViews[name], PIXEL_THRESHOLD);
    console.log(`duck ${name}: ${(100 * share).toFixed(2)} % of the pixels differ`);
    assert.ok(share <= MATCH_SHARE, `${name}: ${(100 * share).toFixed(2)} % differ`);
  }
  await page.close();
  fs.rmSync(scratch, {recursive: true, force: true});
});

test('the web-server folder opens over HTTP', {timeout: 300000}, async () => {
  const folder = harness.webFolder();
  assert.deepStrictEqual(fs.readdirSync(folder).sort(),
                         ['index.html', 'mirtal.js', 'mirtal.wasm', 'scene.pack']);
  const server = await harness.serveFolder(folder);
  try {
    const page = await harness.openWalkThrough(browser, server.url);
    await harness.waitFrames(page, 10);
    const log = await page.evaluate(() => window.mirtal.log);
    assert.strictEqual(log.filter(line => line.startsWith('numRows,numCols = ')).length, 17);
    assert.ok((await harness.canvasPicture(page)).distinctColours() > 1000, 'the scene is drawn');
    await page.close();
  } finally {
    await server.close();
    fs.rmSync(path.dirname(folder), {recursive: true, force: true});
  }
});
