// The importer's page (build-web/runtime/importer.html) opened from
// file:// in headless Chromium: models of Debian's assimp-testmodels given
// as files, as a folder picked or dropped and as a zip, each imported
// scene's F3 view as the native program shows the native importer's
// folder; the walk-through
// saved by "Save walk-through" byte for byte the file that mirtal-import
// --web writes for the same files and options, opening from the disk; and
// bad input answered with the command line's own lines, the page going on.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const childProcess = require('child_process');
const fs = require('fs');
const path = require('path');
const harness = require('./harness');

const {PIXEL_THRESHOLD, MATCH_SHARE} = harness;
const MODELS = '/usr/share/assimp/models';
const DUCK = ['Collada/duck.dae', 'Collada/duckCM.tga'];
const SPIDER_OBJ = ['spider.obj', 'spider.mtl', 'SpiderTex.jpg', 'drkwood2.jpg', 'engineflare1.jpg',
                    'wal67ar_small.jpg', 'wal69ar_small.jpg'].map(name => `OBJ/${name}`);
const model = name => path.join(MODELS, name);

let browser, scratch;
test.before(async () => {
  browser = await harness.launchBrowser();
  scratch = harness.scratchFolder('mirtal-import-page-');
});
test.after(async () => {
  await browser.close();
  fs.rmSync(scratch, {recursive: true, force: true});
});

// A zip of files (full paths) under their base names, pictures stored and
// the rest deflated, as any zip tool may write them.
function zipOf(files, zip) {
  childProcess.execFileSync('python3', ['-c', `
import os, sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    for f in sys.argv[2:]:
        stored = f.lower().endswith(('.jpg', '.png', '.tga'))
        z.write(f, os.path.basename(f), zipfile.ZIP_STORED if stored else zipfile.ZIP_DEFLATED)
`, zip, ...files]);
  return zip;
}

// The native importer's lines ("mirtal-import: ..." alone: the
// summary's lines name the output folder) for the files copied into a
// folder of their own, run there on the model's relative name as the page
// runs it, and its status.
function nativeLines(files, modelName, options = []) {
  const folder = fs.mkdtempSync(path.join(scratch, 'native-'));
  for (const [name, bytes] of Object.entries(files))
    fs.writeFileSync(path.join(folder, name), bytes);
  const result = childProcess.spawnSync(harness.IMPORTER, [...options, modelName, 'scene'],
                                        {cwd: folder, encoding: 'utf8', timeout: 120000});
  const lines = (result.stdout + result.stderr).split('\n').filter(line => line.startsWith('mirtal-import: '));
  return {status: result.status, lines};
}

const pageLines = state => state.report.map(([text]) => text).filter(line => line.startsWith('mirtal-import: '));

test('models given as files, folders and a zip show as the native program shows their native import',
     {timeout: 300000}, async () => {
  const folderOf = (name, files) => {
    const folder = path.join(scratch, name);
    fs.mkdirSync(folder);
    for (const file of files) fs.copyFileSync(model(file), path.join(folder, path.basename(file)));
    return folder;
  };
  const spiderZip = zipOf(SPIDER_OBJ.map(model), path.join(scratch, 'spider.zip'));
  const cases = [
    {name: 'BoxTextured.glb', native: 'glTF2/BoxTextured-glTF-Binary/BoxTextured.glb',
     given: [model('glTF2/BoxTextured-glTF-Binary/BoxTextured.glb')]},
    {name: 'spider.obj in a zip', native: 'OBJ/spider.obj', given: [spiderZip]},
    // A folder's name is part of its files' names, as the command line run
    // beside the folder names the model.
    {name: 'duck.dae in a folder dropped', native: 'Collada/duck.dae', given: [folderOf('duck', DUCK)],
     input: 'drop', first: 'mirtal-import: duck/duck.dae (COLLADA)'},
    {name: 'box.fbx', native: 'FBX/box.fbx', given: [model('FBX/box.fbx')]},
    {name: 'cube_with_diffuse_texture.3DS in a folder', native: '3DS/cube_with_diffuse_texture.3DS',
     given: [folderOf('cube', ['3DS/cube_with_diffuse_texture.3DS', '3DS/test.png'])], input: 'pick-folder',
     first: 'mirtal-import: cube/cube_with_diffuse_texture.3DS (3DS)'},
  ];
  // The native pictures are taken meanwhile, one model after another.
  const natives = (async () => {
    const pictures = [];
    for (const [index, one] of cases.entries()) {
      const folder = path.join(scratch, `native-${index}`);
      harness.run(harness.IMPORTER, [model(one.native), folder], {timeout: 120000});
      pictures.push((await harness.nativePictures(folder, ['f3'])).f3);
    }
    return pictures;
  })();
  const page = await harness.openImporterPage(browser);
  const web = [];
  for (const [index, one] of cases.entries()) {
    const state = await harness.importThroughPage(page, one.given, {input: one.input});
    assert.strictEqual(state.finished, index + 1, `${one.name}: ${state.status}`);
    assert.strictEqual(state.lastStatus, 0, `${one.name}: ${JSON.stringify(state.report)}`);
    if (one.first) assert.strictEqual(pageLines(state)[0], one.first);
    const frame = await harness.walkThroughFrame(page);
    await page.keyboard.press('F3');
    await harness.waitFrames(frame, 6);
    web.push(await harness.frameCanvasPicture(page, frame));
  }
  const native = await natives;
  for (const [index, one] of cases.entries()) {
    const share = web[index].shareDiffering(native[index], PIXEL_THRESHOLD);
    console.log(`${one.name} f3: ${(100 * share).toFixed(2)} % of the pixels differ`);
    assert.ok(share <= MATCH_SHARE, `${one.name}: ${(100 * share).toFixed(2)} % differ`);
  }
  await page.close();
});

test('the saved walk-through is the file that mirtal-import --web writes, and opens from the disk',
     {timeout: 300000}, async () => {
  const downloads = fs.mkdtempSync(path.join(scratch, 'downloads-'));
  const options = {'real-size': true, 'units': 'cm', 'max-quads': '1000', 'max-texture': '256',
                   'keep-glass': true, 'up': '+z', 'turn': '30'};
  const arguments_ = ['--real-size', '--units', 'cm', '--max-quads', '1000', '--max-texture', '256',
                      '--keep-glass', '--up', '+z', '--turn', '30'];
  const expected = path.join(scratch, 'duck-native.html');
  harness.run(harness.IMPORTER, [...arguments_, model(DUCK[0]), path.join(scratch, 'duck-native'),
                                 '--web', expected], {timeout: 120000});
  const page = await harness.openImporterPage(browser, downloads);
  const state = await harness.importThroughPage(page, DUCK.map(model), {options});
  assert.strictEqual(state.lastStatus, 0, JSON.stringify(state.report));
  const saved = await harness.saveFromImporterPage(page, downloads);
  assert.strictEqual(path.basename(saved), 'duck.html');
  assert.ok(fs.readFileSync(saved).equals(fs.readFileSync(expected)),
            'the saved file is byte for byte mirtal-import --web\'s');
  await page.close();
  const opened = await harness.openWalkThrough(browser, harness.fileUrl(saved));
  await harness.waitFrames(opened, 6);
  assert.strictEqual(await opened.evaluate(() => window.mirtal.ended), null);
  assert.ok((await harness.canvasPicture(opened)).distinctColours() > 100, 'the saved file draws');
  await opened.close();
});

test('bad input gets the command line\'s lines or a line of the page\'s, and the page goes on',
     {timeout: 300000}, async () => {
  const read = name => fs.readFileSync(model(name));
  const glb = read('glTF2/BoxTextured-glTF-Binary/BoxTextured.glb');
  const bad = path.join(scratch, 'bad');
  fs.mkdirSync(bad);
  const place = (name, bytes) => {
    fs.writeFileSync(path.join(bad, name), bytes);
    return path.join(bad, name);
  };
  // Each case: the files (name -> bytes), the model's name, the options.
  const commandLineCases = [
    {what: 'a picture, not a model', files: {'SpiderTex.jpg': read('OBJ/SpiderTex.jpg')}},
    {what: 'a truncated model', files: {'BoxTextured.glb': glb.subarray(0, 3000)}},
    {what: 'a model with no faces left', files: {'testpoints.obj': read('OBJ/testpoints.obj')}},
    {what: 'a glTF without its .bin', files: {'BoxTextured.gltf': read('glTF2/BoxTextured-glTF/BoxTextured.gltf')}},
    {what: 'a bad option value', files: {'BoxTextured.glb': glb}, options: {'max-texture': '300'},
     arguments: ['--max-texture', '300']},
  ];
  const page = await harness.openImporterPage(browser);
  const first = await harness.importThroughPage(page, [place('BoxTextured.glb', glb)]);
  assert.strictEqual(first.lastStatus, 0, JSON.stringify(first.report));
  for (const one of commandLineCases) {
    const expected = nativeLines(one.files, Object.keys(one.files)[0], one.arguments);
    assert.notStrictEqual(expected.status, 0, one.what);
    const given = Object.entries(one.files).map(([name, bytes]) => place(name, bytes));
    const state = await harness.importThroughPage(page, given, {options: one.options});
    assert.deepStrictEqual(pageLines(state), expected.lines, one.what);
    assert.strictEqual(state.lastStatus, expected.status, one.what);
    assert.strictEqual(state.frame, first.frame, `${one.what}: the walk-through before it stays`);
  }
  // A missing picture: a warning, the material's flat colour, a new walk-through.
  const duck = {'duck.dae': read(DUCK[0])};
  const warned = await harness.importThroughPage(page, [place('duck.dae', duck['duck.dae'])]);
  assert.deepStrictEqual(pageLines(warned), nativeLines(duck, 'duck.dae').lines);
  assert.ok(pageLines(warned).some(line => line.includes('duckCM.tga')), 'the picture is named');
  assert.strictEqual(warned.lastStatus, 0);
  assert.notStrictEqual(warned.frame, first.frame, 'a good import replaces the walk-through');
  // Refused by the page before any import: too big (200 MB, sparse, or a
  // zip's 300 MB unpacked, beside the page's 140 MB), a cut zip.
  const huge = path.join(bad, 'huge.obj');
  fs.writeFileSync(huge, '');
  fs.truncateSync(huge, 200e6);
  const zip = fs.readFileSync(zipOf(SPIDER_OBJ.map(model), path.join(scratch, 'whole.zip')));
  // A zip whose one file says it is 300 MB unpacked (its directory's
  // entry's size, at 24), refused before it is unpacked.
  const bomb = fs.readFileSync(zipOf([model('3DS/test.png')], path.join(scratch, 'one.zip')));
  bomb.writeUInt32LE(300e6, bomb.readUInt32LE(bomb.length - 22 + 16) + 24);
  const pageCases = [
    [[huge], 'huge.obj: its files come to 200 MB, more than the 140 MB'],
    [[place('bomb.zip', bomb)], 'bomb.zip: its files come to 300 MB, more than the 140 MB'],
    [[place('cut.zip', zip.subarray(0, zip.length - 30))], 'could not read cut.zip: it is not a zip file'],
  ];
  for (const [given, line] of pageCases) {
    const state = await harness.importThroughPage(page, given);
    assert.ok(state.status.startsWith(line), `${state.status}: ${line}`);
    assert.strictEqual(state.finished, warned.finished, `${line}: no import ran`);
    assert.strictEqual(state.frame, warned.frame);
  }
  fs.rmSync(huge);
  await page.close();
  // The model library crashing: the command line's line for it, and the
  // next import, in a worker of its own, works.
  const planted = await harness.openImporterPage(browser, null, harness.plantedImporterPage(bad, 'crash'));
  const crashed = await harness.importThroughPage(planted, [place('fault-box.fbx', read('FBX/box.fbx'))]);
  assert.match(pageLines(crashed).join('\n'),
               /^mirtal-import: fault-box\.fbx: the model library crashed reading it \(.+\)$/);
  assert.strictEqual(crashed.lastStatus, 1);
  assert.strictEqual(crashed.frame, null, 'no walk-through');
  const last = await harness.importThroughPage(planted, [model('FBX/box.fbx')]);
  assert.strictEqual(last.lastStatus, 0, 'a new import works after them all');
  await planted.close();
});
