// The web walk-through's numbers, printed (a benchmark: nothing here passes
// or fails):
// - download sizes, raw and gzip (level 9), of the single HTML file and of
//   the web zip: the default scene and two imported models;
// - in headless Chromium on SwiftShader: the time from navigation to the
//   first swapped frame (window.mirtal.firstFrameMs, which counts from the
//   navigation's start), the median of LOADS loads of the default scene's
//   single HTML file; ms a frame over FRAMES frames as the page shows them
//   (headless Chromium shows one at most a 60 Hz refresh), and the frame's
//   own work, each frame timed to the GL's end as the native benchmark
//   times it (window.mirtal.measureFrames); the page's memory (the JS heap,
//   and the resident memory of Chromium's processes beside an empty page);
// - beside them the native program's frame on llvmpipe under Xvfb
//   (tools/bench_frames, the same frames of the normal mode), in the same run;
// - the picture differences per view against the native program (as
//   pictures.test.js measures them).
// Run under tests/with_xvfb.sh after tools/build_web.sh and a native build:
//   tests/with_xvfb.sh node tests/web/bench.js
'use strict';

const childProcess = require('child_process');
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const harness = require('./harness');

const FRAMES = 200, LOADS = 3;
const MODELS = ['/usr/share/assimp/models/Collada/duck.dae',
                '/usr/share/assimp/models/IFC/AC14-FZK-Haus.ifc'];

function sizes(file) {
  const bytes = fs.readFileSync(file);
  return `${(bytes.length / 1e6).toFixed(2)} MB raw, ${(zlib.gzipSync(bytes, {level: 9}).length / 1e6)
    .toFixed(2)} MB gzip`;
}

// The scene's single HTML file and web zip in scratch: [html, zip].
function artefacts(scene, scratch, name) {
  const html = path.join(scratch, `${name}.html`), folder = path.join(scratch, name);
  const zip = path.join(scratch, `${name}.zip`);
  harness.run(harness.WEB_PACK, ['--runtime', harness.RUNTIME, scene, '--html', html, '--folder', folder]);
  harness.run('python3', [path.join(harness.ROOT, 'tools', 'write_zip.py'), folder, zip],
              {env: {...process.env, SOURCE_DATE_EPOCH: '0'}});
  return [html, zip];
}

// Resident memory of a process and its descendants, MiB.
function treeResidentMiB(pid) {
  const lines = childProcess.execFileSync('ps', ['-e', '-o', 'pid=,ppid=,rss='], {encoding: 'utf8'});
  const table = lines.trim().split('\n').map(line => line.trim().split(/\s+/).map(Number));
  const inTree = new Set([pid]);
  for (let grew = true; grew;) {
    grew = false;
    for (const [child, parent] of table)
      if (inTree.has(parent) && !inTree.has(child)) {
        inTree.add(child);
        grew = true;
      }
  }
  return table.filter(([child]) => inTree.has(child)).reduce((sum, [, , rss]) => sum + rss, 0) / 1024;
}

const median = values => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

async function main() {
  const scratch = harness.scratchFolder('mirtal-web-bench-');
  try {
    console.log('== download sizes ==');
    const [defaultHtml, defaultZip] = artefacts(harness.DATA, scratch, 'default');
    console.log(`default scene: single HTML ${sizes(defaultHtml)}; web zip ${sizes(defaultZip)}`);
    for (const model of MODELS) {
      const name = path.basename(model).replace(/\.[^.]*$/, '');
      const scene = path.join(scratch, `${name}-scene`);
      harness.run(harness.IMPORTER, [model, scene], {timeout: 300000});
      const [html, zip] = artefacts(scene, scratch, name);
      console.log(`${path.basename(model)}: single HTML ${sizes(html)}; web zip ${sizes(zip)}`);
    }

    console.log('\n== the native frame on llvmpipe (tools/bench_frames) ==');
    const native = harness.run(path.join(harness.BUILD, 'tools', 'bench_frames'), [harness.DATA, String(FRAMES)],
                               {timeout: 300000});
    const summary = Object.fromEntries(native.trim().split('\n').pop().replace(/^summary: /, '')
      .split(' ').map(field => field.split('=')));
    console.log(`native: ${summary.frame_ms} ms a frame over ${FRAMES} frames, start-up ` +
                `${summary.startup_ms} ms, ${summary.rss_mib} MiB resident`);

    console.log('\n== the page in headless Chromium on SwiftShader ==');
    const browser = await harness.launchBrowser(['--disable-frame-rate-limit', '--disable-gpu-vsync']);
    try {
      const blank = await browser.newPage();
      await blank.goto('about:blank');
      const baseline = treeResidentMiB(browser.process().pid);
      const firsts = [];
      let page;
      for (let load = 0; load < LOADS; load++) {
        if (page)
          await page.close();
        page = await harness.openWalkThrough(browser, harness.fileUrl(defaultHtml));
        firsts.push(await page.evaluate(() => window.mirtal.firstFrameMs));
      }
      console.log(`navigation to first frame: ${median(firsts).toFixed(0)} ms (median of ` +
                  `${firsts.map(ms => ms.toFixed(0)).join(', ')})`);
      await harness.waitFrames(page, 20);
      const [frames, ms] = await page.evaluate(count => new Promise(resolve => {
        const startFrames = window.mirtal.frames, start = performance.now();
        const check = () => window.mirtal.frames - startFrames >= count
          ? resolve([window.mirtal.frames - startFrames, performance.now() - start])
          : requestAnimationFrame(check);
        requestAnimationFrame(check);
      }), FRAMES);
      const frameMs = ms / frames;
      console.log(`web: ${frameMs.toFixed(2)} ms a frame over ${frames} frames as shown ` +
                  `(headless Chromium shows at most one frame a 60 Hz refresh, whatever the flags)`);
      // The frame's own work, as the native figure is: from the loop's pass
      // to the GL's end (a one-pixel read), without the browser's showing.
      await page.evaluate(() => window.mirtal.measureFrames(true));
      const work = await page.evaluate(count => new Promise(resolve => {
        const check = () => window.mirtal.frameWorkMs().length >= count
          ? resolve(window.mirtal.frameWorkMs().slice(0, count)) : setTimeout(check, 50);
        check();
      }), FRAMES);
      await page.evaluate(() => window.mirtal.measureFrames(false));
      const workMs = work.reduce((sum, ms) => sum + ms, 0) / work.length;
      console.log(`web: ${workMs.toFixed(2)} ms of work a frame over ${work.length} frames ` +
                  `(median ${median(work).toFixed(2)}); ` +
                  `${(workMs / Number(summary.frame_ms)).toFixed(2)} times the native frame`);
      const metrics = await page.metrics();
      console.log(`memory: JS heap ${(metrics.JSHeapUsedSize / 1048576).toFixed(1)} MiB used; ` +
                  `Chromium's processes ${(treeResidentMiB(browser.process().pid) - baseline).toFixed(0)} ` +
                  `MiB resident beyond an empty page (${baseline.toFixed(0)} MiB)`);
      await page.close();
    } finally {
      await browser.close();
    }

    console.log('\n== picture differences per view, web against native ==');
    const pictureBrowser = await harness.launchBrowser();
    try {
      const pictures = await harness.picturesOfBothPrograms(pictureBrowser, harness.fileUrl(defaultHtml));
      console.log(`(a pixel differs when a channel differs by more than ${harness.PIXEL_THRESHOLD})`);
      harness.printComparison(harness.compareViews(pictures.web, pictures.native, harness.PIXEL_THRESHOLD));
    } finally {
      await pictureBrowser.close();
    }
  } finally {
    fs.rmSync(scratch, {recursive: true, force: true});
  }
}

main().catch(error => {
  console.error(error);
  process.exit(1);
});
