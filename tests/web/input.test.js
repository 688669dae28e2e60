// The walk-through's input in the page, in headless Chromium: the reader
// lines in the log and the console, keys (and the browser's own uses of
// them held back: F5 does not reload), the pop-up menu by a right-button
// press and by a long press on a touch screen with its labels' Windows-1252
// letters, and the ends: ESC and "Sair" with status 0, a missing raw picture
// with "Erro no fichero" and status 1.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const path = require('path');
const harness = require('./harness');

const {PIXEL_THRESHOLD, MATCH_SHARE, OTHER_VIEW} = harness;

// "numRows,numCols = R,C" for each of the 17 bitmaps, R and C read from the
// BMP headers (height at byte 22, width at byte 18).
function readerLines() {
  return fs.readdirSync(harness.DATA).filter(name => name.endsWith('.bmp')).map(name => {
    const header = fs.readFileSync(path.join(harness.DATA, name)).subarray(0, 26);
    return `numRows,numCols = ${header.readInt32LE(22)},${header.readInt32LE(18)}`;
  }).sort();
}

const visibleMenuLabels = page => page.evaluate(harness.visibleMenuEntries);

async function settled(page) {
  await harness.waitFrames(page, 6);
  return harness.canvasPicture(page);
}

const ended = page => page.evaluate(() => [window.mirtal.ended, document.body.innerText]);

let browser, single;
test.before(async () => {
  browser = await harness.launchBrowser();
  single = harness.fileUrl(harness.singlePage());
});
test.after(() => browser.close());

test('the readers\' lines go to the log and the console; keys move; F5 does not reload',
     {timeout: 300000}, async () => {
  const page = await harness.openWalkThrough(browser, single);
  const expected = readerLines();
  const log = await page.evaluate(() => window.mirtal.log);
  assert.deepStrictEqual(log.filter(line => line.startsWith('numRows')).sort(), expected);
  assert.deepStrictEqual(page.consoleLines.filter(line => line.startsWith('numRows')).sort(),
                         expected);

  // The browser's uses of the program's keys are held back while the canvas
  // has the focus: each keydown reaches the window with its default prevented.
  await page.evaluate(() => {
    window.testMark = 'before F5';
    window.prevented = [];
    window.addEventListener('keydown', event => window.prevented.push([event.key, event.defaultPrevented]));
    window.addEventListener('contextmenu', event => window.prevented.push(['contextmenu', event.defaultPrevented]));
  });
  await page.focus('#canvas');
  const start = await settled(page);
  await page.keyboard.press('w');
  const forward = await settled(page);
  await page.keyboard.press('s');
  const back = await settled(page);
  // One step of 20 units changes the view by more than two pictures of one
  // view differ; the step back gives the first view again.
  const stepped = forward.shareDiffering(start, PIXEL_THRESHOLD);
  const returned = back.shareDiffering(start, PIXEL_THRESHOLD);
  console.log(`W: ${(100 * stepped).toFixed(1)} % differ from the start view; W then S: ` +
              `${(100 * returned).toFixed(1)} %`);
  assert.ok(stepped > MATCH_SHARE, 'W walks forward');
  assert.ok(returned <= MATCH_SHARE, 'S walks back');

  const navigations = await page.evaluate(() => performance.getEntriesByType('navigation').length);
  for (const key of ['F1', 'F3', 'F7', 'ArrowDown', 'ArrowUp', 'F5'])
    await page.keyboard.press(key);
  const f5 = await settled(page);
  assert.deepStrictEqual(await page.evaluate(() => [window.testMark,
                                                   performance.getEntriesByType('navigation').length]),
                         ['before F5', navigations], 'F5 does not reload the page');
  assert.ok(f5.shareDiffering(back, PIXEL_THRESHOLD) > OTHER_VIEW, 'F5 shows its view');
  const prevented = await page.evaluate(() => window.prevented);
  assert.deepStrictEqual(prevented.filter(([, held]) => !held), [],
                         'every key the program takes is held back from the browser');
  assert.deepStrictEqual(prevented.map(([key]) => key).slice(-6),
                         ['F1', 'F3', 'F7', 'ArrowDown', 'ArrowUp', 'F5']);

  // ESC ends the walk-through: the loop stops and the page says so.
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => window.mirtal.ended !== null, {timeout: 10000});
  const [status, text] = await ended(page);
  assert.strictEqual(status, 0);
  assert.ok(text.includes('The walk-through ended (status 0).'), text);
  const stopped = await harness.frames(page);
  await new Promise(resolve => setTimeout(resolve, 500));
  assert.strictEqual(await harness.frames(page), stopped, 'no frame after the end');
  await page.close();
});

test('the menu opens on a right-button press, shows its labels\' letters and acts',
     {timeout: 300000}, async () => {
  const page = await harness.openWalkThrough(browser, single);
  const {middle} = await harness.canvasBox(page);
  const before = await settled(page);
  await page.mouse.click(middle.x, middle.y, {button: 'right'});
  await page.waitForFunction(() => window.mirtal.menuOpen(), {timeout: 10000});
  const main = await visibleMenuLabels(page);
  assert.deepStrictEqual(main.map(label => label.trim()),
                         ['Ajuda', 'Vistas da Camera', 'Normaliza', 'Voo da Camera', 'Sair']);
  const submenuEntry = await page.evaluateHandle(() => [...document.querySelectorAll('.glut-submenu')]
    .find(entry => entry.textContent.trim() === 'Vistas da Camera'));
  const box = await submenuEntry.boundingBox();
  await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
  if ((await visibleMenuLabels(page)).length === main.length)
    await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
  const views = (await visibleMenuLabels(page)).slice(main.length);
  // The labels' bytes decoded from Windows-1252: 0xE1 á, 0xE7 ç, 0xE3 ã, and
  // the trailing spaces kept.
  assert.deepStrictEqual(views, ['Frente  ', 'Trás    ', 'Lat. Direito', 'Lat. Esquerdo', 'Garagem ',
                                 'Alçado  ', 'Portão  ', 'Rio     ', 'Geral 1 ', 'Geral 2 ', 'Geral 3 ']);
  await page.close();

  // A choice closes the menu tree and shows its view.
  const again = await harness.openWalkThrough(browser, single);
  await harness.chooseMenu(again, ['Vistas da Camera', 'Lat. Direito']);
  assert.ok((await settled(again)).shareDiffering(before, PIXEL_THRESHOLD) > OTHER_VIEW,
            '"Lat. Direito" shows its view');
  await harness.chooseMenu(again, ['Ajuda', 'Subir (´|`)']);
  await harness.chooseMenu(again, ['Sair']);
  await again.waitForFunction(() => window.mirtal.ended !== null, {timeout: 10000});
  assert.strictEqual((await ended(again))[0], 0, '"Sair" ends with status 0');
  await again.close();
});

test('a long press on a touch screen opens the menu, and a tap chooses', {timeout: 300000},
     async () => {
  const page = await harness.openWalkThrough(browser, single, {touch: true});
  const before = await settled(page);
  await harness.chooseMenu(page, ['Vistas da Camera', 'Geral 2'], {touch: true});
  assert.ok((await settled(page)).shareDiffering(before, PIXEL_THRESHOLD) > OTHER_VIEW,
            '"Geral 2" shows its view');
  await page.close();
});

test('a missing raw picture ends the walk-through with "Erro no fichero" and status 1',
     {timeout: 300000}, async () => {
  const html = fs.readFileSync(harness.singlePage(), 'latin1');
  const scratch = harness.scratchFolder('mirtal-web-');
  const broken = path.join(scratch, 'no-janela.html');
  fs.writeFileSync(broken, harness.withoutPackEntry(html, 'scene/janela.raw'), 'latin1');
  const page = await harness.openWalkThrough(browser, harness.fileUrl(broken));
  await page.waitForFunction(() => window.mirtal.ended !== null, {timeout: 30000});
  const [status, text] = await ended(page);
  assert.strictEqual(status, 1);
  assert.ok(text.includes('Erro no fichero') && text.includes('The walk-through ended (status 1).'),
            text);
  assert.strictEqual((await page.evaluate(() => window.mirtal.log)).slice(-1)[0].trim(),
                     'Erro no fichero');
  await page.close();
  fs.rmSync(scratch, {recursive: true, force: true});
});
