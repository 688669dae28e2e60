// The web build of mirtal-import (build-web/importer/), run in node by
// web/importer/run_import.js as the page's worker runs it, beside the
// native mirtal-import on the same files with the same options: the same
// report, the same scene folder and the same single HTML file, byte for
// byte; a crash of the module and a bad input get the command line's one
// line.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const childProcess = require('child_process');
const fs = require('fs');
const path = require('path');
const harness = require('./harness');
const {runMirtalImport} = require('../../web/importer/run_import.js');

const MODELS = '/usr/share/assimp/models';
// Each model with the files beside it that it names, and options.
const CASES = [
  {folder: 'glTF2/BoxTextured-glTF-Binary', files: ['BoxTextured.glb']},
  {folder: 'glTF2/BoxTextured-glTF', files: ['BoxTextured.gltf', 'BoxTextured0.bin', 'CesiumLogoFlat.png']},
  {folder: 'OBJ', files: ['spider.obj', 'spider.mtl', 'SpiderTex.jpg', 'drkwood2.jpg', 'engineflare1.jpg',
                          'wal67ar_small.jpg', 'wal69ar_small.jpg']},
  {folder: 'Collada', files: ['duck.dae', 'duckCM.tga']},
  {folder: 'Collada', files: ['duck.dae', 'duckCM.tga'],
   options: ['--real-size', '--units', 'cm', '--max-quads', '800', '--max-texture', '128', '--turn', '30']},
  {folder: 'FBX', files: ['spider.fbx']},
  {folder: '3DS', files: ['cube_with_diffuse_texture.3DS', 'CWALL02.jpg', 'IMAGE1.jpg', 'IMAGE2.jpg', 'test.png']},
  {folder: 'IFC', files: ['AC14-FZK-Haus.ifc']},
];

// The import's stages and the share done as each starts, as import.h has
// them, and the end.
const STAGE_STARTS = [['reading', 0], ['simplifying', 0.3], ['placing', 0.4], ['quads', 0.45],
                      ['bitmaps', 0.55], ['writing', 0.7], ['done', 1]];

const importer = harness.webImporter();

// The web import of files (as runMirtalImport takes them), its lines kept.
async function webImport(files, model, options = [], more = {}) {
  const lines = [];
  const progress = [];
  const result = await runMirtalImport({
    ...importer, files, model, options,
    onLine: (text, isError) => lines.push({text, isError}),
    onProgress: (stage, fraction) => progress.push({stage, fraction}),
    ...more,
  });
  return {...result, lines, progress};
}

// The native import of the same files, copied into a scratch folder and
// named as the web build names them.
function nativeImport(files, model, options = [], succeeds = true) {
  const work = harness.scratchFolder('mirtal-import-node-');
  for (const file of files) {
    fs.mkdirSync(path.dirname(path.join(work, file.path)), {recursive: true});
    fs.writeFileSync(path.join(work, file.path), file.bytes);
  }
  const run = childProcess.spawnSync(harness.IMPORTER,
                                     [model, 'scene', '--web', 'walk-through.html', ...options],
                                     {cwd: work, encoding: 'utf8', timeout: 120000});
  const scene = succeeds ? new Map(fs.readdirSync(path.join(work, 'scene'))
    .map(name => [name, fs.readFileSync(path.join(work, 'scene', name))])) : null;
  const html = succeeds ? fs.readFileSync(path.join(work, 'walk-through.html')) : null;
  fs.rmSync(work, {recursive: true, force: true});
  return {status: run.status, stdout: run.stdout, stderr: run.stderr, scene, html};
}

const linesOf = (lines, isError) =>
  lines.filter(line => line.isError === isError).map(line => line.text + '\n').join('');

test('models of each format import as the native importer imports them', {timeout: 900000},
     async t => {
  for (const c of CASES) {
    const options = c.options || [];
    await t.test(`${c.folder}/${c.files[0]} ${options.join(' ')}`, async () => {
      const files = harness.filesIn(path.join(MODELS, c.folder), c.files);
      const native = nativeImport(files, c.files[0], options);
      assert.strictEqual(native.status, 0, native.stderr);
      const web = await webImport(files, c.files[0], options);
      assert.strictEqual(web.status, 0, linesOf(web.lines, true));
      assert.strictEqual(linesOf(web.lines, false), native.stdout);
      assert.strictEqual(linesOf(web.lines, true), native.stderr);
      assert.deepStrictEqual([...web.scene.keys()].sort(), [...native.scene.keys()].sort());
      for (const [name, bytes] of native.scene)
        assert.ok(bytes.equals(web.scene.get(name)), `${name} differs`);
      assert.ok(native.html.equals(web.html), 'the HTML differs');
      // The progress goes forward through the stages (ImportStages in
      // tools/import/import.h), each first told at its start, and through
      // the library's reading between.
      const fractions = web.progress.map(p => p.fraction);
      assert.deepStrictEqual(fractions, [...fractions].sort((a, b) => a - b));
      const starts = new Map();
      for (const p of web.progress)
        if (!starts.has(p.stage))
          starts.set(p.stage, p.fraction);
      assert.deepStrictEqual([...starts], STAGE_STARTS);
      assert.ok(web.progress.some(p => p.stage === 'reading' && p.fraction > 0 && p.fraction < 0.3));
    });
  }
});

test('bad input gets the native importer\'s line and status', {timeout: 300000}, async t => {
  const gltf = path.join(MODELS, 'glTF2/BoxTextured-glTF');
  const box = harness.filesIn(path.join(MODELS, 'glTF2/BoxTextured-glTF-Binary'), ['BoxTextured.glb']);
  const cases = [
    {name: 'not a model', files: [{path: 'notes.txt', bytes: new TextEncoder().encode('a list\n')}]},
    {name: 'a glTF without its .bin', files: harness.filesIn(gltf, ['BoxTextured.gltf', 'CesiumLogoFlat.png'])},
    {name: 'a glTF without its picture', files: harness.filesIn(gltf, ['BoxTextured.gltf', 'BoxTextured0.bin'])},
    {name: 'a bad option value', files: box, options: ['--max-quads', '0']},
  ];
  for (const c of cases)
    await t.test(c.name, async () => {
      const native = nativeImport(c.files, c.files[0].path, c.options, false);
      const web = await webImport(c.files, c.files[0].path, c.options);
      assert.strictEqual(web.status, native.status);
      assert.strictEqual(linesOf(web.lines, true), native.stderr);
      assert.strictEqual(web.crashed, false);
    });
  await t.test('--windows-zip', async () => {
    const web = await webImport(box, 'BoxTextured.glb', ['--windows-zip', 'box.zip']);
    assert.strictEqual(web.status, 2);
    assert.deepStrictEqual(web.lines, [{isError: true, text: 'mirtal-import: the Windows walk-through is ' +
      'not made in the browser (mirtal-import on Linux makes it); save the web walk-through instead'}]);
  });
});

test('a crash of the module is one line of the command line\'s, and the next import works',
     {timeout: 300000}, async t => {
  const planted = path.join(harness.ROOT, 'build-web', 'importer-build', 'importer-tests');
  const createPlanted = require(path.join(planted, 'mirtal-import-planted.js'));
  const plantedWasm = new WebAssembly.Module(fs.readFileSync(path.join(planted, 'mirtal-import-planted.wasm')));
  const box = harness.filesIn(path.join(MODELS, 'glTF2/BoxTextured-glTF-Binary'), ['BoxTextured.glb']);
  for (const [fault, words] of [['crash', 'memory access out of bounds'], ['abort', 'aborted']])
    await t.test(fault, async () => {
      const web = await webImport(box, 'BoxTextured.glb', [], {
        wasmModule: plantedWasm,
        createModule: settings => createPlanted({...settings, preRun: [module => {
          module.ENV.MIRTAL_PLANTED_FAULT = fault;
        }]}),
      });
      assert.deepStrictEqual({status: web.status, crashed: web.crashed, html: web.html}, {status: 1, crashed: true, html: null});
      assert.deepStrictEqual(web.lines, [{isError: true, text: 'mirtal-import: BoxTextured.glb: the model ' +
                                         `library crashed reading it (${words})`}]);
    });
  const after = await webImport(box, 'BoxTextured.glb');
  assert.strictEqual(after.status, 0);
});
