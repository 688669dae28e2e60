// Runs the GL layer's checks (gl_layer_test.cpp, built by tools/build_web.sh
// into build-web/program/gl_layer/) in headless Chromium with SwiftShader's
// WebGL 2, and passes or fails as they do.
//   node tests/web/gl_layer/run_gl_layer_tests.js build-web/program/gl_layer/gl_layer_test.html
// puppeteer-core comes from the web tests' own node_modules (tests/web), or
// from NODE_PATH. Exit status 0 when every check passed, 1 otherwise.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');

function findPuppeteer() {
  const local = path.join(__dirname, '..', 'node_modules');
  return require(require.resolve('puppeteer-core', {paths: [local, ...(process.env.NODE_PATH || '').split(':')]}));
}

async function main() {
  const page = path.resolve(process.argv[2] || '');
  if (!fs.existsSync(page)) throw new Error('no test page at ' + page);
  const puppeteer = findPuppeteer();
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'gl-layer-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--use-gl=angle', '--use-angle=swiftshader',
           '--enable-unsafe-swiftshader', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--no-first-run', '--disable-quic',
           '--user-data-dir=' + profile],
  });
  try {
    const tab = await browser.newPage();
    const done = new Promise((resolve, reject) => {
      tab.on('console', message => {
        const line = message.text();
        console.log(line);
        const summary = /^gl_layer: (\d+) checks, (\d+) failed$/.exec(line);
        if (summary) resolve({checks: Number(summary[1]), failed: Number(summary[2])});
      });
      tab.on('pageerror', error => reject(error));
      setTimeout(() => reject(new Error('no result within 60 s')), 60000);
    });
    await tab.goto('file://' + page);
    const result = await done;
    return result.checks > 0 && result.failed === 0 ? 0 : 1;
  } finally {
    await browser.close();
    fs.rmSync(profile, {recursive: true, force: true});
  }
}

main().then(status => process.exit(status), error => {
  console.error('run_gl_layer_tests: ' + error.message);
  process.exit(1);
});
