// The web importer's numbers, printed (a benchmark: nothing here passes or
// fails), beside the native importer's in the same run:
// - the module's size, raw and gzip (level 9);
// - for each model, the import (mirtal-import MODEL scene --web FILE.html)
//   in headless Chromium: the module run by run_import.js in a Web Worker
//   made from a Blob, in a page of its own in a fresh browser; the time of
//   runMirtalImport (the module's instance made from its compiled wasm,
//   the files written in, the import, the files read back), the median of
//   ROUNDS; the peak resident memory of the page's renderer process, which
//   runs the worker (VmHWM, beside its resident memory before the first
//   import), and the module's memory at the end (which only grows);
// - the native importer on the same files: its wall time, the median of
//   ROUNDS, and the peak resident memory of it and its reading process
//   (the larger: the children's ru_maxrss).
// Run after tools/build_web.sh and a native build:
//   node tests/web/bench_import.js [MODEL...]
'use strict';

const childProcess = require('child_process');
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const harness = require('./harness');

const ROUNDS = 3;
const M = '/usr/share/assimp/models';
const MODELS = [`${M}/glTF2/BoxTextured-glTF-Binary/BoxTextured.glb`, `${M}/Collada/duck.dae`,
                `${M}/glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb`,
                `${M}/IFC/AC14-FZK-Haus.ifc`];
// The pictures beside a model go with it.
const PICTURE = /\.(png|jpe?g|tga|bmp)$/i;

const median = values => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const mib = bytes => (bytes / (1 << 20)).toFixed(0);

// The native import, in a scratch copy of the files: [seconds, peak RSS
// bytes] (python's resource module gives the children's ru_maxrss).
function nativeImport(folder, names) {
  const script = `
import resource, subprocess, sys, time
start = time.monotonic()
status = subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
seconds = time.monotonic() - start
print(status, seconds, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss * 1024)`;
  const work = harness.scratchFolder('mirtal-bench-native-');
  for (const name of names)
    fs.copyFileSync(path.join(folder, name), path.join(work, name));
  const [status, seconds, peak] = harness.run('python3', ['-c', script, harness.IMPORTER, names[0],
                                                          'scene', '--web', 'page.html'], {cwd: work})
    .trim().split(' ').map(Number);
  fs.rmSync(work, {recursive: true, force: true});
  if (status !== 0)
    throw new Error(`the native importer failed on ${names[0]} (status ${status})`);
  return [seconds, peak];
}

// The worker's script: the module's loader, run_import.js, and this.
const WORKER_MAIN = `
onmessage = async ({data}) => {
  const start = performance.now();
  const result = await runMirtalImport({createModule: createMirtalImport, ...data,
                                        onLine: () => {}, onProgress: () => {}});
  const ms = performance.now() - start;
  postMessage({ms, status: result.status, memory: result.memoryBytes});
};`;

function residentOf(pid) {
  const status = fs.readFileSync(`/proc/${pid}/status`, 'utf8');
  const field = name => Number(new RegExp(`^${name}:\\s+(\\d+) kB`, 'm').exec(status)[1]) * 1024;
  return {now: field('VmRSS'), peak: field('VmHWM')};
}

// The browser's renderer processes (those of its tree with --type=renderer).
function rendererPids(browserPid) {
  const lines = childProcess.execFileSync('ps', ['-e', '-o', 'pid=,ppid=,args='], {encoding: 'utf8'});
  const table = lines.trim().split('\n').map(line => /^\s*(\d+)\s+(\d+)\s+(.*)$/.exec(line))
    .map(([, pid, ppid, args]) => ({pid: Number(pid), ppid: Number(ppid), args}));
  const inTree = new Set([browserPid]);
  for (let grew = true; grew;) {
    grew = false;
    for (const p of table)
      if (inTree.has(p.ppid) && !inTree.has(p.pid)) {
        inTree.add(p.pid);
        grew = true;
      }
  }
  return table.filter(p => inTree.has(p.pid) && p.args.includes('--type=renderer')).map(p => p.pid);
}

// The web import in a fresh browser: [median ms, renderer before, renderer
// peak, module memory].
async function webImport(server, folder, names) {
  const browser = await harness.launchBrowser();
  try {
    const page = await browser.newPage();
    await page.goto(server.url + 'bench.html', {waitUntil: 'load'});
    const renderers = rendererPids(browser.process().pid);
    const before = Math.max(...renderers.map(pid => residentOf(pid).now));
    const files = names.map(name => ({path: name, bytes: [...fs.readFileSync(path.join(folder, name))]}));
    const runs = await page.evaluate(async (files, model, main, rounds) => {
      const get = async name => new Uint8Array(await (await fetch(name)).arrayBuffer());
      const source = [await (await fetch('mirtal-import.js')).text(),
                      await (await fetch('run_import.js')).text(), main].join('\n');
      const worker = new Worker(URL.createObjectURL(new Blob([source], {type: 'text/javascript'})));
      const wasmModule = await WebAssembly.compile(await get('mirtal-import.wasm'));
      const kit = {page: await get('index.html'), script: await get('mirtal.js'),
                   wasm: await get('mirtal.wasm')};
      const given = files.map(file => ({path: file.path, bytes: new Uint8Array(file.bytes)}));
      const results = [];
      for (let round = 0; round < rounds; ++round)
        results.push(await new Promise(resolve => {
          worker.onmessage = ({data}) => resolve(data);
          worker.postMessage({wasmModule, files: given, model, kit});
        }));
      return results;
    }, files, names[0], WORKER_MAIN, ROUNDS);
    for (const run of runs)
      if (run.status !== 0)
        throw new Error(`the web importer failed on ${names[0]} (status ${run.status})`);
    const peak = Math.max(...renderers.map(pid => residentOf(pid).peak));
    return [median(runs.map(run => run.ms)), before, peak, Math.max(...runs.map(run => run.memory))];
  } finally {
    await browser.close();
  }
}

async function main() {
  const models = process.argv.length > 2 ? process.argv.slice(2) : MODELS;
  const wasm = fs.readFileSync(path.join(harness.WEB_IMPORTER, 'mirtal-import.wasm'));
  console.log(`mirtal-import.wasm: ${(wasm.length / 1e6).toFixed(2)} MB raw, ` +
              `${(zlib.gzipSync(wasm, {level: 9}).length / 1e6).toFixed(2)} MB gzip`);
  const served = harness.scratchFolder('mirtal-bench-served-');
  for (const name of ['mirtal-import.js', 'mirtal-import.wasm'])
    fs.copyFileSync(path.join(harness.WEB_IMPORTER, name), path.join(served, name));
  fs.copyFileSync(path.join(harness.ROOT, 'web', 'importer', 'run_import.js'),
                  path.join(served, 'run_import.js'));
  for (const name of ['index.html', 'mirtal.js', 'mirtal.wasm'])
    fs.copyFileSync(path.join(harness.RUNTIME, name), path.join(served, name));
  fs.writeFileSync(path.join(served, 'bench.html'), '<!DOCTYPE html><title>bench</title>');
  const server = await harness.serveFolder(served);
  try {
    console.log('model | file MB | native s | web s | web/native | native peak MiB | ' +
                'renderer MiB before, peak | module memory MiB');
    for (const model of models) {
      const folder = path.dirname(model);
      const names = [path.basename(model),
                     ...fs.readdirSync(folder).filter(name => PICTURE.test(name)).sort()];
      const native = [];
      let nativePeak = 0;
      for (let round = 0; round < ROUNDS; ++round) {
        const [seconds, peak] = nativeImport(folder, names);
        native.push(seconds);
        nativePeak = Math.max(nativePeak, peak);
      }
      const [ms, before, peak, memory] = await webImport(server, folder, names);
      const nativeSeconds = median(native), webSeconds = ms / 1000;
      console.log(`${names[0]} | ${(fs.statSync(model).size / 1e6).toFixed(2)} | ` +
                  `${nativeSeconds.toFixed(3)} | ${webSeconds.toFixed(3)} | ` +
                  `${(webSeconds / nativeSeconds).toFixed(2)} | ${mib(nativePeak)} | ` +
                  `${mib(before)}, ${mib(peak)} | ${mib(memory)}`);
    }
  } finally {
    await server.close();
    fs.rmSync(served, {recursive: true, force: true});
  }
}

main().catch(error => {
  console.error(error);
  process.exit(1);
});
