// One import by the web build of mirtal-import (mirtal-import.js and
// mirtal-import.wasm, made by tools/build_web.sh), in node or in a Web
// Worker: the model and the files beside it, and the web runtime, go into
// the module's file system; the command line runs there as
//   mirtal-import MODEL scene --web walk-through.html OPTIONS...
// and the scene folder and the page come back. Entry point:
// runMirtalImport(), a global (and under node this file's export).
//
//   runMirtalImport({createModule, wasmModule (or wasmBinary), files, model,
//                    options, kit: {page, script, wasm}, onLine, onProgress})
//     -> Promise<{status, html, scene, crashed, memoryBytes}>
//
// Each import has a module instance of its own. The command line's lines
// reach onLine(text, isError) as it prints them; its progress reaches
// onProgress(stage, fraction), the fraction never going back. When the
// module dies (a trap of the wasm, emscripten's abort), the result is
// status 1 and one line in the command line's words, and `crashed` says
// that the module is not to be run again. memoryBytes is the size the
// module's memory grew to (it never shrinks): the import's peak.
'use strict';

(function () {
  // Where things lie in the module's file system: the files given under
  // the working folder, the output beside them, and the runtime where the
  // Debian package keeps it (process_start.cpp makes the tool's own file
  // /usr/bin/mirtal-import, whose ../share/mirtal/web findWebKit searches).
  const WORK = '/work';
  const KIT = '/usr/share/mirtal/web';
  const KIT_FILES = [['page', 'index.html'], ['script', 'mirtal.js'], ['wasm', 'mirtal.wasm']];

  // A name given for a file: relative, '/'-separated, no empty part, "."
  // or ".."; its parts, or null.
  function pathParts(path) {
    const parts = String(path).split('/');
    if (parts.some(part => part === '' || part === '.' || part === '..' || part.includes('\0')))
      return null;
    return parts;
  }

  // A name no given file takes at the top of the working folder: `name`,
  // else name-2, name-3...
  function freeName(tops, name, extension = '') {
    let candidate = name + extension;
    for (let n = 2; tops.has(candidate); ++n)
      candidate = `${name}-${n}${extension}`;
    return candidate;
  }

  function makeFolders(FS, folder) {
    let at = '';
    for (const part of folder.split('/').filter(Boolean)) {
      at += '/' + part;
      if (!FS.analyzePath(at).exists)
        FS.mkdir(at);
    }
  }

  // The words of a module's death: "memory access out of bounds",
  // "aborted"...
  function deathWords(error, abortText) {
    if (abortText !== null)
      return abortText ? `aborted: ${abortText}` : 'aborted';
    const text = error && error.message ? error.message : String(error);
    return text.replace(/^(RuntimeError|Error): /, '') || 'an unknown fault';
  }

  async function runMirtalImport({createModule, wasmModule, wasmBinary, files, model,
                                  options = [], kit, onLine = () => {}, onProgress = () => {}}) {
    const failed = (text, status = 2) => {
      onLine(`mirtal-import: ${text}`, true);
      return {status, html: null, scene: new Map(), crashed: false};
    };
    const tops = new Set();
    for (const file of files) {
      const parts = pathParts(file.path);
      if (!parts)
        return failed(`${file.path}: not a name a file beside the model can have`);
      tops.add(parts[0]);
    }
    const sceneName = freeName(tops, 'scene');
    const pageName = freeName(tops, 'walk-through', '.html');

    let shown = 0;
    let abortText = null;  // what emscripten's abort said, once it has
    let stage = null;
    const settings = {
      noInitialRun: true,
      print: text => onLine(text, false),
      printErr: text => {
        // emscripten's own last words on an abort: kept for the crash's line.
        const aborted = /^Aborted\((.*)\)$/s.exec(text);
        if (aborted)
          abortText = aborted[1];
        else
          onLine(text, true);
      },
      onAbort: what => { abortText = abortText || (what === undefined ? '' : String(what)); },
      // Neither node's process nor the worker ends with the command line.
      quit: (status, toThrow) => { throw toThrow; },
      onImportProgress: (name, done) => {
        stage = name;
        if (done >= shown) {
          shown = done;
          onProgress(name, done);
        }
      },
    };
    if (wasmModule) {
      settings.instantiateWasm = (imports, receive) => {
        const instance = new WebAssembly.Instance(wasmModule, imports);
        receive(instance, wasmModule);
        return instance.exports;
      };
    } else if (wasmBinary) {
      settings.wasmBinary = wasmBinary;
    }
    const Module = await createModule(settings);
    const FS = Module.FS;

    for (const file of files) {
      const path = `${WORK}/${file.path}`;
      makeFolders(FS, path.slice(0, path.lastIndexOf('/')));
      FS.writeFile(path, file.bytes);
    }
    makeFolders(FS, KIT);
    for (const [key, name] of KIT_FILES)
      FS.writeFile(`${KIT}/${name}`, kit[key]);
    makeFolders(FS, WORK);
    FS.chdir(WORK);

    let status;
    try {
      status = Module.callMain([model, sceneName, '--web', pageName, ...options]);
    } catch (error) {
      const words = deathWords(error, abortText);
      onLine(stage === null || stage === 'reading'
        ? `mirtal-import: ${model}: the model library crashed reading it (${words})`
        : `mirtal-import: ${model}: the import crashed at its ${stage} stage (${words})`, true);
      return {status: 1, html: null, scene: new Map(), crashed: true, memoryBytes: Module.HEAP8.length};
    }

    const scene = new Map();
    let html = null;
    if (status === 0) {
      const folder = `${WORK}/${sceneName}`;
      for (const name of FS.readdir(folder))
        if (name !== '.' && name !== '..')
          scene.set(name, FS.readFile(`${folder}/${name}`));
      html = FS.readFile(`${WORK}/${pageName}`);
      onProgress('done', 1);
    }
    return {status, html, scene, crashed: false, memoryBytes: Module.HEAP8.length};
  }

  globalThis.runMirtalImport = runMirtalImport;
  if (typeof module === 'object' && module.exports)
    module.exports = {runMirtalImport};
})();
