// The page's pictures beside the native program's, taken in the same run:
// the default scene's single HTML file from file://, and build/mirtal under
// the same X server driven by real X events (native_pictures.py), both
// shown the views of harness.VIEWS in the same order at 640 x 480: the start
// view, F1 to F9, three views of "Vistas da Camera" and three still frames
// of the flight. Each web picture must match its native view (at most
// MATCH_SHARE of its pixels differing by more than PIXEL_THRESHOLD in a
// channel) and be closer to it than to any other native view.
//
// The two thresholds (harness.js) come from measurement: the sun moves one
// step a frame in both programs and is not at the same place when the two
// pictures are taken, which changes the diffuse light of the sunlit
// surfaces; and the two renderers rasterise and filter textures a little
// differently.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const harness = require('./harness');

const {PIXEL_THRESHOLD, MATCH_SHARE} = harness;

test('each view of the page is the native program\'s view', {timeout: 600000}, async () => {
  const browser = await harness.launchBrowser();
  let pictures;
  try {
    pictures = await harness.picturesOfBothPrograms(browser, harness.fileUrl(harness.singlePage()));
  } finally {
    await browser.close();
  }
  const rows = harness.compareViews(pictures.web, pictures.native, PIXEL_THRESHOLD);
  harness.printComparison(rows);
  const failures = [];
  for (const {name, own, nearest, nearestShare} of rows) {
    const {width, height} = pictures.web[name];
    if (width !== harness.WIDTH || height !== harness.HEIGHT)
      failures.push(`${name}: the canvas is ${width} x ${height}`);
    if (own > MATCH_SHARE)
      failures.push(`${name}: ${(100 * own).toFixed(2)} % of the pixels differ`);
    if (nearestShare <= own)
      failures.push(`${name}: closer to the native ${nearest} than to its own view`);
  }
  assert.deepStrictEqual(failures, []);
});
