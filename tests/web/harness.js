// The browser tests' harness: Debian's Chromium, headless, with its software
// WebGL (SwiftShader), driven by puppeteer-core; the walk-through's page and
// what it exposes (window.mirtal); pictures of its canvas; the web
// artefacts made with the project's own writer (mirtal-web-pack,
// mirtal-import --web); and the native program's pictures of the same
// views, taken by native_pictures.py under the same X server.
//
// Paths come from the environment, with a source tree's defaults:
//   MIRTAL_BUILD    the native build folder (build/): mirtal, mirtal-import,
//                   mirtal-web-pack
//   MIRTAL_RUNTIME  the web runtime (build-web/runtime/)
//   MIRTAL_DATA     the default scene (data/)
'use strict';

const childProcess = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const puppeteer = require('puppeteer-core');

const ROOT = path.resolve(__dirname, '..', '..');
const BUILD = process.env.MIRTAL_BUILD || path.join(ROOT, 'build');
const RUNTIME = process.env.MIRTAL_RUNTIME || path.join(ROOT, 'build-web', 'runtime');
const DATA = process.env.MIRTAL_DATA || path.join(ROOT, 'data');
const NATIVE = path.join(BUILD, 'mirtal');
const IMPORTER = path.join(BUILD, 'tools', 'import', 'mirtal-import');
const WEB_PACK = path.join(BUILD, 'tools', 'import', 'mirtal-web-pack');

const CHROMIUM = '/usr/bin/chromium';
const CHROMIUM_FLAGS = [
  '--headless', '--no-sandbox', '--disable-gpu', '--use-gl=angle', '--use-angle=swiftshader',
  '--enable-unsafe-swiftshader', '--disable-background-networking', '--disable-component-update',
  '--disable-sync', '--no-first-run', '--disable-quic', '--allow-file-access-from-files',
];
const WIDTH = 640, HEIGHT = 480;  // the canvas at first, as the native window

// A pixel differs when some channel differs by more than PIXEL_THRESHOLD
// levels (of 255). A web picture and a native picture of one view, both
// taken while the sun moves (it is not at the same place in the two),
// differ in at most MATCH_SHARE of their pixels; pictures of two views
// differ in at least OTHER_VIEW. Set from measurement (tests/web/bench.js
// prints the shares): over eight runs of the 16 views, a view's two
// pictures differed in 0.8 to 3.8 % of the pixels, a web picture and the
// nearest other native view in 19.3 % at least.
const PIXEL_THRESHOLD = 40;
const MATCH_SHARE = 0.08;
const OTHER_VIEW = 0.15;

// The views both programs are shown, in this order, each reached from the
// one before: keys for xdotool and for the page, menu paths as entry
// indexes (0 first) for freeglut's menus and as labels for the page's.
// The flight's frames are its still ones: its last frame once the path has
// ended (f past 1600), then two function-key views chosen from the menu
// while it flies, each seen towards the flight's default look point.
const VIEWS = [
  {name: 'start'},
  ...[1, 2, 3, 4, 5, 6, 7, 8, 9].map(n => ({name: `f${n}`, key: `F${n}`})),
  {name: 'lat-direito', menu: [1, 2], labels: ['Vistas da Camera', 'Lat. Direito']},
  {name: 'portao', menu: [1, 6], labels: ['Vistas da Camera', 'Portão']},
  {name: 'geral-3', menu: [1, 10], labels: ['Vistas da Camera', 'Geral 3']},
  {name: 'flight-end', menu: [3], labels: ['Voo da Camera'], flightEnd: true},
  {name: 'flight-f7', menu: [0, 0, 6], labels: ['Ajuda', 'Vistas F1-F12', 'Vista de cima (F7)']},
  {name: 'flight-f2', menu: [0, 0, 1], labels: ['Ajuda', 'Vistas F1-F12', 'Vista de tras (F2)']},
];
// Flight frames from f = -610 until f passes 1600: (1600 + 620) / 10.
const FLIGHT_FRAMES = 222;

function scratchFolder(prefix) {
  return fs.mkdtempSync(path.join(os.tmpdir(), prefix));
}

function run(command, args, options = {}) {
  return childProcess.execFileSync(command, args, {encoding: 'utf8', stdio: 'pipe', ...options});
}

// --- the artefacts -----------------------------------------------------------

// The default scene (or another scene folder) as one HTML file in a scratch
// folder; returns its path.
function singlePage(scene = DATA, folder = scratchFolder('mirtal-web-')) {
  const page = path.join(folder, 'mirtal.html');
  run(WEB_PACK, ['--runtime', RUNTIME, scene, '--html', page]);
  return page;
}

// The scene's web-server folder (index.html, mirtal.js, mirtal.wasm,
// scene.pack) in a scratch folder; returns its path.
function webFolder(scene = DATA) {
  const folder = path.join(scratchFolder('mirtal-web-'), 'site');
  run(WEB_PACK, ['--runtime', RUNTIME, scene, '--folder', folder]);
  return folder;
}

// The single HTML file html (a latin1 string) with the entry name taken
// out of its pack: the pack read and written again by the format's rules
// (base64 of a gzip stream of "<byte count> <name>\n" headers and bytes).
function withoutPackEntry(html, name) {
  const opening = '<script id="mirtal-pack" type="application/octet-stream">';
  const start = html.indexOf(opening) + opening.length, end = html.indexOf('</script>', start);
  const archive = zlib.gunzipSync(Buffer.from(html.slice(start, end), 'base64'));
  const kept = [];
  for (let at = 0; at < archive.length;) {
    const newline = archive.indexOf(10, at);
    const header = archive.toString('latin1', at, newline), space = header.indexOf(' ');
    const next = newline + 1 + Number(header.slice(0, space));
    if (header.slice(space + 1) !== name)
      kept.push(archive.subarray(at, next));
    at = next;
  }
  return html.slice(0, start) + zlib.gzipSync(Buffer.concat(kept)).toString('base64') + html.slice(end);
}

// Serves a folder's files on the loopback address; resolves to
// {url, close()}.
function serveFolder(folder) {
  const types = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm'};
  const server = http.createServer((request, response) => {
    const name = path.normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname));
    const file = path.join(folder, name === '/' ? 'index.html' : name);
    if (!file.startsWith(folder) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, {'Content-Type': types[path.extname(file)] || 'application/octet-stream'});
    response.end(fs.readFileSync(file));
  });
  return new Promise(resolve => server.listen(0, '127.0.0.1', () => resolve({
    url: `http://127.0.0.1:${server.address().port}/`,
    close: () => new Promise(done => server.close(done)),
  })));
}

// --- the browser and the page ------------------------------------------------

// A headless Chromium with a new empty profile (and extraFlags); close()
// ends it and removes the profile.
async function launchBrowser(extraFlags = []) {
  const profile = scratchFolder('mirtal-chromium-');
  const browser = await puppeteer.launch({
    executablePath: CHROMIUM, headless: true,
    args: [...CHROMIUM_FLAGS, ...extraFlags, `--user-data-dir=${profile}`],
    defaultViewport: null, protocolTimeout: 120000,
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    fs.rmSync(profile, {recursive: true, force: true});
  };
  return browser;
}

// Opens the walk-through at url in a new page (touch: an emulated touch
// screen) and waits for its first frame; the page's console lines are
// collected in page.consoleLines.
async function openWalkThrough(browser, url, {touch = false} = {}) {
  const page = await browser.newPage();
  await page.setViewport({width: 1000, height: 800, deviceScaleFactor: 1, hasTouch: touch,
                          isMobile: false});
  page.consoleLines = [];
  page.on('console', message => page.consoleLines.push(message.text()));
  await page.goto(url, {waitUntil: 'load'});
  await page.waitForFunction(() => window.mirtal && (window.mirtal.frames > 0 ||
                                                      window.mirtal.ended !== null),
                             {timeout: 60000, polling: 50});
  // The walk-through's keys go to the canvas, its focus target.
  await page.focus('#canvas').catch(() => {});
  return page;
}

function fileUrl(file) {
  return 'file://' + path.resolve(file);
}

const frames = page => page.evaluate(() => window.mirtal.frames);

// Waits until count more frames have been swapped.
async function waitFrames(page, count) {
  const target = (await frames(page)) + count;
  await page.waitForFunction(n => window.mirtal.frames >= n || window.mirtal.ended !== null,
                             {timeout: 60000, polling: 'raf'}, target);
}

// The canvas's place on the page: its middle and its box.
async function canvasBox(page) {
  return page.$eval('#canvas', canvas => {
    const box = canvas.getBoundingClientRect();
    return {x: box.x, y: box.y, width: box.width, height: box.height,
            middle: {x: box.x + box.width / 2, y: box.y + box.height / 2}};
  });
}

// The canvas as shown, as a Picture.
async function canvasPicture(page) {
  const box = await canvasBox(page);
  const png = await page.screenshot({clip: {x: box.x, y: box.y, width: box.width, height: box.height},
                                     captureBeyondViewport: false});
  return decodePng(Buffer.from(png));
}

// The labels of the menu entries shown, in the page's order (a submenu's
// after its parent's).
function visibleMenuEntries() {
  return [...document.querySelectorAll('.glut-menu .glut-menu-entry')]
    .filter(entry => entry.getClientRects().length > 0).map(entry => entry.textContent);
}

// Opens the page's pop-up menu at the canvas's middle (a right-button press,
// or with touch a long press) and chooses the entries of labels in turn,
// the last one clicked (tapped). Resolves when the menu has closed.
async function chooseMenu(page, labels, {touch = false} = {}) {
  const {middle} = await canvasBox(page);
  if (touch) {
    await page.touchscreen.touchStart(middle.x, middle.y);
    await new Promise(resolve => setTimeout(resolve, 1000));
    await page.touchscreen.touchEnd();
  } else {
    await page.mouse.click(middle.x, middle.y, {button: 'right'});
  }
  await page.waitForFunction(() => window.mirtal.menuOpen(), {timeout: 10000});
  for (const [index, label] of labels.entries()) {
    const last = index === labels.length - 1;
    // The entry of that label shown last (a submenu's entries come after
    // its parent's: it opens beside it, on hover or on a click).
    const entry = await page.waitForFunction(text => {
      const shown = [...document.querySelectorAll('.glut-menu .glut-menu-entry')]
        .filter(item => item.getClientRects().length > 0 && item.textContent.trim() === text);
      return shown.length ? shown[shown.length - 1] : null;
    }, {timeout: 10000}, label);
    const box = await entry.boundingBox();
    const x = box.x + box.width / 2, y = box.y + box.height / 2;
    if (last && touch) {
      await page.touchscreen.tap(x, y);
    } else if (last) {
      await page.mouse.click(x, y);
    } else {
      const before = await page.evaluate(visibleMenuEntries);
      await page.mouse.move(x, y);
      const submenuShown = await page.waitForFunction(
        `(${visibleMenuEntries})().length > ${before.length}`, {timeout: 1000})
        .then(() => true, () => false);
      if (!submenuShown)
        await (touch ? page.touchscreen.tap(x, y) : page.mouse.click(x, y));
    }
  }
  await page.waitForFunction(() => !window.mirtal.menuOpen(), {timeout: 10000});
}

// Takes the page through VIEWS, calling take(name) at each.
async function walkWebViews(page, take) {
  for (const view of VIEWS) {
    if (view.key)
      await page.keyboard.press(view.key);
    if (view.labels)
      await chooseMenu(page, view.labels);
    await waitFrames(page, view.flightEnd ? FLIGHT_FRAMES + 10 : 6);
    await take(view.name);
  }
}

// The default scene's pictures of VIEWS from the page at url and from the
// native program, taken side by side: {web, native}, each {name: Picture}.
async function picturesOfBothPrograms(browser, url) {
  const native = nativePictures();
  const web = {};
  const page = await openWalkThrough(browser, url);
  await walkWebViews(page, async name => {
    web[name] = await canvasPicture(page);
  });
  await page.close();
  return {web, native: await native};
}

// For each view, the share of its web picture's pixels that differ (some
// channel by more than threshold) from its native picture, and the nearest
// other native view with its share: [{name, own, nearest, nearestShare}].
function compareViews(web, native, threshold) {
  const names = Object.keys(web);
  return names.map(name => {
    const row = {name, own: web[name].shareDiffering(native[name], threshold), nearest: null,
                 nearestShare: 2};
    for (const other of names.filter(n => n !== name)) {
      const share = web[name].shareDiffering(native[other], threshold);
      if (share < row.nearestShare)
        [row.nearest, row.nearestShare] = [other, share];
    }
    return row;
  });
}

function printComparison(rows) {
  console.log('view          differing   nearest other native view');
  for (const row of rows)
    console.log(`${row.name.padEnd(13)} ${(100 * row.own).toFixed(2).padStart(7)} %   ` +
                `${row.nearest} ${(100 * row.nearestShare).toFixed(2)} %`);
}

// --- the native program ------------------------------------------------------

// The native program's pictures of VIEWS (or of views: names of some),
// taken in the X server of DISPLAY on the scene folder; resolves to
// {name: Picture}. It runs beside whatever the caller does meanwhile.
async function nativePictures(scene = DATA, views = VIEWS.map(view => view.name)) {
  const out = scratchFolder('mirtal-native-');
  try {
    const wanted = VIEWS.filter(view => views.includes(view.name));
    await new Promise((resolve, reject) => childProcess.execFile(
      'python3', [path.join(__dirname, 'native_pictures.py'), '--binary', NATIVE, '--data', scene,
                  '--out', out, '--views', JSON.stringify(wanted)],
      {timeout: 300000}, (error, stdout, stderr) => error ? reject(new Error(`${error.message}${stderr}`))
                                                          : resolve()));
    const pictures = {};
    for (const view of wanted)
      pictures[view.name] = readPpm(path.join(out, `${view.name}.ppm`));
    return pictures;
  } finally {
    fs.rmSync(out, {recursive: true, force: true});
  }
}

// --- pictures ----------------------------------------------------------------

// width x height RGB pixels, top row first.
class Picture {
  constructor(width, height, rgb) {
    this.width = width;
    this.height = height;
    this.rgb = rgb;
  }

  // The share of pixels in which some channel differs by more than
  // threshold (0 to 255) from other's.
  shareDiffering(other, threshold) {
    if (other.width !== this.width || other.height !== this.height)
      return 1;
    let differing = 0;
    for (let i = 0; i < this.rgb.length; i += 3) {
      if (Math.abs(this.rgb[i] - other.rgb[i]) > threshold ||
          Math.abs(this.rgb[i + 1] - other.rgb[i + 1]) > threshold ||
          Math.abs(this.rgb[i + 2] - other.rgb[i + 2]) > threshold)
        differing++;
    }
    return differing / (this.width * this.height);
  }

  distinctColours() {
    const seen = new Set();
    for (let i = 0; i < this.rgb.length; i += 3)
      seen.add(this.rgb[i] << 16 | this.rgb[i + 1] << 8 | this.rgb[i + 2]);
    return seen.size;
  }

  ppm() {
    return Buffer.concat([Buffer.from(`P6\n${this.width} ${this.height}\n255\n`), this.rgb]);
  }
}

// Binary PPM (P6, maxval 255), as native_pictures.py writes it.
function readPpm(file) {
  const data = fs.readFileSync(file);
  const header = data.toString('latin1', 0, 64).match(/^P6\s+(\d+)\s+(\d+)\s+255\s/);
  if (!header)
    throw new Error(`${file}: not a binary PPM`);
  const width = Number(header[1]), height = Number(header[2]);
  return new Picture(width, height, data.subarray(header[0].length, header[0].length + width * height * 3));
}

// An 8-bit RGB or RGBA PNG without interlacing (what Chromium's screenshots
// are), decoded by the format's rules: IDAT inflated, each row unfiltered.
function decodePng(data) {
  let at = 8, width = 0, height = 0, channels = 0;
  const compressed = [];
  while (at < data.length) {
    const length = data.readUInt32BE(at), type = data.toString('latin1', at + 4, at + 8);
    const body = data.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || body[12] !== 0 || (body[9] !== 2 && body[9] !== 6))
        throw new Error('a PNG of a kind the harness does not read');
      channels = body[9] === 6 ? 4 : 3;
    } else if (type === 'IDAT') {
      compressed.push(body);
    }
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(compressed));
  const stride = width * channels, rgb = Buffer.alloc(width * height * 3);
  let previous = Buffer.alloc(stride);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)], row = Buffer.from(raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1)));
    for (let i = 0; i < stride; i++) {
      const left = i >= channels ? row[i - channels] : 0, up = previous[i];
      const upLeft = i >= channels ? previous[i - channels] : 0;
      let predictor = 0;
      if (filter === 1) predictor = left;
      else if (filter === 2) predictor = up;
      else if (filter === 3) predictor = (left + up) >> 1;
      else if (filter === 4) {
        const p = left + up - upLeft, pa = Math.abs(p - left), pb = Math.abs(p - up), pc = Math.abs(p - upLeft);
        predictor = pa <= pb && pa <= pc ? left : pb <= pc ? up : upLeft;
      }
      row[i] = (row[i] + predictor) & 0xFF;
    }
    for (let x = 0; x < width; x++)
      row.copy(rgb, (y * width + x) * 3, x * channels, x * channels + 3);
    previous = row;
  }
  return new Picture(width, height, rgb);
}

module.exports = {
  ROOT, BUILD, RUNTIME, DATA, NATIVE, IMPORTER, WEB_PACK, WIDTH, HEIGHT, PIXEL_THRESHOLD,
  MATCH_SHARE, OTHER_VIEW, VIEWS, FLIGHT_FRAMES,
  scratchFolder, run, singlePage, webFolder, withoutPackEntry, serveFolder, launchBrowser, openWalkThrough, fileUrl,
  frames, waitFrames, canvasBox, canvasPicture, visibleMenuEntries, chooseMenu, walkWebViews, picturesOfBothPrograms,
  compareViews, printComparison, nativePictures, Picture,
  readPpm, decodePng,
};

// --- the web build of mirtal-import ------------------------------------------

// build-web/importer/ (tools/build_web.sh): mirtal-import.js and .wasm.
const WEB_IMPORTER = process.env.MIRTAL_WEB_IMPORTER || path.join(ROOT, 'build-web', 'importer');

// What runMirtalImport (web/importer/run_import.js) takes besides the
// files: the module's factory, its wasm compiled, and the web runtime.
function webImporter() {
  const read = name => new Uint8Array(fs.readFileSync(path.join(RUNTIME, name)));
  return {
    createModule: require(path.join(WEB_IMPORTER, 'mirtal-import.js')),
    wasmModule: new WebAssembly.Module(fs.readFileSync(path.join(WEB_IMPORTER, 'mirtal-import.wasm'))),
    kit: {page: read('index.html'), script: read('mirtal.js'), wasm: read('mirtal.wasm')},
  };
}

// Files as runMirtalImport takes them: each name relative to folder.
function filesIn(folder, names) {
  return names.map(name => ({path: name, bytes: new Uint8Array(fs.readFileSync(path.join(folder, name)))}));
}

Object.assign(module.exports, {WEB_IMPORTER, webImporter, filesIn});

// --- the importer's page (build-web/runtime/importer.html) -----------------

const IMPORTER_PAGE = path.join(RUNTIME, 'importer.html');

// Opens the importer's page (or another such file) from file:// in a new
// page, its downloads going into downloadFolder, and waits until the
// importer is ready.
async function openImporterPage(browser, downloadFolder, file = IMPORTER_PAGE) {
  const page = await browser.newPage();
  await page.setViewport({width: 1000, height: 1400, deviceScaleFactor: 1});
  page.consoleLines = [];
  page.on('console', message => page.consoleLines.push(message.text()));
  if (downloadFolder) {
    const session = await page.createCDPSession();
    await session.send('Browser.setDownloadBehavior', {behavior: 'allow', downloadPath: downloadFolder});
  }
  await page.goto(fileUrl(file), {waitUntil: 'load'});
  await page.waitForFunction(() => window.mirtalImport && window.mirtalImport.ready,
                             {timeout: 60000, polling: 50});
  return page;
}

// What the importer's page shows: its status line, its report's lines
// (each [text, isError]) and the walk-through frame's address.
function importerPageState(page) {
  return page.evaluate(() => ({
    status: document.getElementById('status').textContent,
    report: [...document.querySelectorAll('#report span')]
      .map(line => [line.textContent.replace(/\n$/, ''), line.className === 'error']),
    frame: document.getElementById('walk-through').getAttribute('src'),
    finished: window.mirtalImport.finished,
    refused: window.mirtalImport.refused,
    lastStatus: window.mirtalImport.lastStatus,
  }));
}

// Gives the page files through its file picker (input: 'pick-files' or
// 'pick-folder') or dropped on its drop zone (input: 'drop', files and
// folders as the desktop drops them), with the options {id: value} set on
// its controls first
// (true/false for a box), and resolves to importerPageState once the page
// has answered: an import ended, or the page refused the files itself.
async function importThroughPage(page, files, {options = {}, input = 'pick-files'} = {}) {
  await page.evaluate(settings => {
    for (const control of document.querySelectorAll('#options input, #options select')) {
      const value = settings[control.id];
      if (control.type === 'checkbox') control.checked = value === true;
      else control.value = value === undefined ? '' : String(value);
    }
  }, options);
  const before = await page.evaluate(() => window.mirtalImport.finished + window.mirtalImport.refused);
  if (input === 'drop') {
    const box = await (await page.$('#drop-zone')).boundingBox();
    const at = {x: box.x + box.width / 2, y: box.y + box.height / 2};
    const data = {items: [], files, dragOperationsMask: 1};
    await page.mouse.dragEnter(at, data);
    await page.mouse.dragOver(at, data);
    await page.mouse.drop(at, data);
  } else {
    await (await page.$(`#${input}`)).uploadFile(...files);
  }
  await page.waitForFunction(n => window.mirtalImport.finished + window.mirtalImport.refused > n,
                             {timeout: 120000, polling: 100}, before);
  return importerPageState(page);
}

// The walk-through in the importer's page's frame, once it has drawn a
// frame: a puppeteer Frame on which frames(), waitFrames() and the
// walk-through's window.mirtal work as on a page.
async function walkThroughFrame(page) {
  const element = await page.waitForSelector('#walk-through:not([hidden])', {timeout: 60000});
  const frame = await element.contentFrame();
  await frame.waitForFunction(() => window.mirtal && (window.mirtal.frames > 0 ||
                                                       window.mirtal.ended !== null),
                              {timeout: 60000, polling: 50});
  return frame;
}

// The canvas of the walk-through in frame, as shown on page, as a Picture.
async function frameCanvasPicture(page, frame) {
  const box = await (await frame.$('#canvas')).boundingBox();
  const png = await page.screenshot({clip: box, captureBeyondViewport: false});
  return decodePng(Buffer.from(png));
}

// Presses "Save walk-through" and resolves to the path of the file that
// the browser downloaded into folder (empty before).
async function saveFromImporterPage(page, folder) {
  await page.click('#save');
  for (let waited = 0; waited < 60000; waited += 100) {
    const done = fs.readdirSync(folder).filter(name => !name.endsWith('.crdownload'));
    if (done.length && !fs.readdirSync(folder).some(name => name.endsWith('.crdownload')))
      return path.join(folder, done[0]);
    await new Promise(resolve => setTimeout(resolve, 100));
  }
  throw new Error('the walk-through was not downloaded');
}

// The importer's page in folder, assembled as importer.html is but with the
// importer's test build (mirtal-import-planted, whose reading runs the
// fault MIRTAL_PLANTED_FAULT names), the fault planted in each import of a
// model whose name begins with "fault-"; returns its path.
function plantedImporterPage(folder, fault) {
  const built = process.env.MIRTAL_WEB_IMPORTER_TESTS ||
      path.join(ROOT, 'build-web', 'importer-build', 'importer-tests');
  const plant = `
var plantedModel = null;
self.addEventListener('message', function(event) { plantedModel = event.data.model; });
var createMirtalImport = function(settings) {
  return createMirtalImportPlanted(Object.assign({}, settings, {preRun: [function(module) {
    if (/^fault-/.test(plantedModel)) module.ENV.MIRTAL_PLANTED_FAULT = ${JSON.stringify(fault)};
  }]}));
};
`;
  const importer = path.join(folder, 'importer');
  fs.mkdirSync(importer);
  fs.writeFileSync(path.join(importer, 'mirtal-import.js'),
                   fs.readFileSync(path.join(built, 'mirtal-import-planted.js'), 'utf8') + plant);
  fs.copyFileSync(path.join(built, 'mirtal-import-planted.wasm'), path.join(importer, 'mirtal-import.wasm'));
  const page = path.join(folder, 'importer-planted.html');
  run('python3', [path.join(ROOT, 'web', 'import_page', 'assemble.py'), '--importer', importer,
                  '--run-import', path.join(ROOT, 'web', 'importer', 'run_import.js'),
                  '--runtime', RUNTIME, '--out', page]);
  return page;
}

Object.assign(module.exports, {
  IMPORTER_PAGE, openImporterPage, plantedImporterPage, importerPageState, importThroughPage, walkThroughFrame,
  frameCanvasPicture, saveFromImporterPage,
});
