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
function nativeImport(files, model, options = []) {
  const work = harness.scratchFolder('mirtal-import-node-');
  for (const file of files) {
    fs.mkdirSync(path.dirname(path.join(work, file.path)), {recursive: true});
    fs.writeFileSync(path.join(work, file.path), file.bytes);
  }
  const run = childProcess.spawnSync(harness.IMPORTER,
                                     [model, 'scene', '--web', 'walk-through.html', ...options],
                                     {cwd: work, encoding: 'utf8', timeout: 120000});
  const scene = new Map(fs.readdirSync(path.join(work, 'scene'))
    .map(name => [name, fs.readFileSync(path.join(work, 'scene', name))]));
  const html = fs.readFileSync(path.join(work, 'walk-through.html'));
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
      // The progress goes forward through the stages to its end.
      const fractions = web.progress.map(p => p.fraction);
      assert.deepStrictEqual(fractions, [...fractions].sort((a, b) => a - b));
      assert.deepStrictEqual(web.progress.at(-1), {stage: 'done', fraction: 1});
      assert.ok(web.progress.some(p => p.stage === 'reading' && p.fraction > 0));
    });
  }
});
