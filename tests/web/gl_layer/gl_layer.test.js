// The GL layer's own checks (gl_layer_test.cpp, built by tools/build_web.sh
// into build-web/program/gl_layer/) in headless Chromium with SwiftShader's
// WebGL 2: the page prints a line a check and a summary,
// "gl_layer: N checks, M failed", which passes when M is 0.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const path = require('path');
const harness = require('../harness');

const PAGE = process.env.MIRTAL_GL_LAYER_PAGE ||
    path.join(harness.ROOT, 'build-web', 'program', 'gl_layer', 'gl_layer_test.html');

test('the GL layer meets the GL 1.1 formulas in the browser', async () => {
  assert.ok(fs.existsSync(PAGE), `no test page at ${PAGE} (tools/build_web.sh builds it)`);
  const browser = await harness.launchBrowser();
  try {
    const page = await browser.newPage();
    const lines = [];
    const summary = new Promise((resolve, reject) => {
      page.on('console', message => {
        const line = message.text();
        lines.push(line);
        const found = /^gl_layer: (\d+) checks, (\d+) failed$/.exec(line);
        if (found) resolve({checks: Number(found[1]), failed: Number(found[2])});
      });
      page.on('pageerror', reject);
      setTimeout(() => reject(new Error('no summary within 60 s')), 60000);
    });
    await page.goto(harness.fileUrl(PAGE));
    const result = await summary;
    assert.ok(result.checks > 0 && result.failed === 0,
              `${result.failed} of ${result.checks} checks failed:\n${lines.join('\n')}`);
  } finally {
    await browser.close();
  }
});
