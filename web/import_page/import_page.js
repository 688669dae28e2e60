// The importer's page: a model and the files beside it come in by the
// drop zone or the file pickers (files, a folder, a zip: zip.js), the
// importer runs on them in a Web Worker of its own (import_worker.js) with
// the options as the command line's, its report shows line by line as the
// command line prints it, and the walk-through that it made is shown in
// the page's frame and saved by "Save walk-through".
//
// The page carries its files in #importer-files, a JSON object of name ->
// base64 of a gzip stream, filled by assemble.py: mirtal-import.js,
// run_import.js, import_worker.js and mirtal-import.wasm (the importer) and
// index.html, mirtal.js and mirtal.wasm (the web runtime that the saved
// walk-through is made of). The wasm is compiled once and each worker gets
// the compiled module.
//
// The walk-through shown is the very HTML file that Save downloads, in an
// iframe from a Blob URL: a new import replaces the frame and its
// document, so that nothing of one walk-through stays in the next; an
// import that fails leaves the one before it.
//
// window.mirtalImport tells whoever drives the page how far it is: ready
// (the importer compiled), readyMs, finished (imports ended), lastStatus,
// and refused (files given that the page turned away itself: a bad zip,
// too big); the mark importer:ready is left when it is ready.
'use strict';

(function() {
  // The most that the files of one import may come to: the module has 4 GB
  // of memory, which holds the files, the model library's scene, the
  // pipeline's copies and the walk-through. Measured: a binary PLY of
  // 110 MB (5.8 M faces) and an OBJ of 129 MB (2.0 M faces) import, one of
  // 137 MB and one of 192 MB run out of it. Below this, the importer itself
  // says when the memory runs out.
  var ImportLimitBytes = 140e6;
  // The extensions of what assimp reads (assimp listext): the files of
  // these are the models among what is dropped.
  var ModelExtensions = ['3d', '3ds', '3mf', 'ac', 'ac3d', 'acc', 'amf', 'ase', 'ask', 'assbin',
    'b3d', 'blend', 'bsp', 'bvh', 'cob', 'csm', 'dae', 'dxf', 'enff', 'fbx', 'glb', 'gltf', 'hmp',
    'ifc', 'ifczip', 'iqm', 'irr', 'irrmesh', 'lwo', 'lws', 'lxo', 'md2', 'md3', 'md5anim',
    'md5camera', 'md5mesh', 'mdc', 'mdl', 'mesh', 'mesh.xml', 'mot', 'ms3d', 'ndo', 'nff', 'obj',
    'off', 'ogex', 'pk3', 'ply', 'pmx', 'prj', 'q3o', 'q3s', 'raw', 'scn', 'sib', 'smd', 'step',
    'stl', 'stp', 'ter', 'uc', 'vta', 'x', 'x3d', 'x3db', 'xgl', 'xml', 'zae', 'zgl'];
  // The options' controls: [element id, command-line option]; a box gives
  // the option alone, a field or a choice the option and its value, when
  // it is not empty.
  var OptionControls = [['real-size', '--real-size'], ['units', '--units'],
                        ['max-quads', '--max-quads'], ['max-texture', '--max-texture'],
                        ['keep-glass', '--keep-glass'], ['up', '--up'], ['turn', '--turn']];
  var ImporterFiles = ['mirtal-import.js', 'run_import.js', 'import_worker.js', 'mirtal-import.wasm',
                       'index.html', 'mirtal.js', 'mirtal.wasm'];

  var element = document.getElementById.bind(document);
  var statusLine = element('status'), report = element('report'), progress = element('progress');
  var stageLabel = element('stage'), modelChoice = element('model'), importButton = element('import');
  var saveButton = element('save'), frame = element('walk-through'), dropZone = element('drop-zone');

  var state = window.mirtalImport = {ready: false, readyMs: null, finished: 0, lastStatus: null,
                                     refused: 0};
  var importer = null;     // {workerUrl, wasmModule, kit}
  var held = [];           // the files given last: [{path, bytes}]
  var running = null;      // {worker, model}
  var walkThrough = null;  // {html, url, name}: the walk-through shown

  function say(text) {
    statusLine.textContent = text;
  }

  function megabytes(bytes) {
    return (bytes / 1e6).toFixed(bytes < 10e6 ? 1 : 0) + ' MB';
  }

  function baseName(path) {
    return path.slice(path.lastIndexOf('/') + 1);
  }

  function isModel(path) {
    var name = baseName(path).toLowerCase();
    return ModelExtensions.some(function(extension) { return name.endsWith('.' + extension); });
  }

  // --- the importer's own files ------------------------------------------

  // The bytes of a base64 text of a gzip stream (fetched as a data: URL,
  // which the browser decodes without a copy in a JS string).
  function unpacked(base64) {
    return fetch('data:application/gzip;base64,' + base64).then(function(response) {
      return new Response(response.body.pipeThrough(new DecompressionStream('gzip'))).arrayBuffer();
    }).then(function(buffer) { return new Uint8Array(buffer); });
  }

  function loadImporter() {
    var packed = JSON.parse(element('importer-files').textContent);
    var lacking = ImporterFiles.filter(function(name) { return !(name in packed); });
    if (lacking.length)
      return Promise.reject(new Error('this page lacks ' + lacking.join(', ') + ' (tools/build_web.sh ' +
                                      'builds it whole as importer.html)'));
    return Promise.all(ImporterFiles.map(function(name) { return unpacked(packed[name]); }))
      .then(function(parts) {
        var files = {};
        ImporterFiles.forEach(function(name, i) { files[name] = parts[i]; });
        var script = new Blob([files['mirtal-import.js'], '\n', files['run_import.js'], '\n',
                               files['import_worker.js']], {type: 'text/javascript'});
        return WebAssembly.compile(files['mirtal-import.wasm']).then(function(wasmModule) {
          return {
            workerUrl: URL.createObjectURL(script),
            wasmModule: wasmModule,
            kit: {page: files['index.html'], script: files['mirtal.js'], wasm: files['mirtal.wasm']},
          };
        });
      });
  }

  // --- the files given -----------------------------------------------------

  // The files of a dropped folder entry and everything under it, as
  // [{path, file}], paths relative to where the drop was.
  function entryFiles(entry) {
    if (entry.isFile)
      return new Promise(function(resolve, reject) {
        entry.file(function(file) { resolve([{path: entry.fullPath.replace(/^\//, ''), file: file}]); },
                   reject);
      });
    var reader = entry.createReader(), found = [];
    return new Promise(function(resolve, reject) {
      (function readSome() {
        reader.readEntries(function(entries) {
          if (!entries.length) {
            Promise.all(found).then(function(lists) { resolve([].concat.apply([], lists)); }, reject);
            return;
          }
          entries.forEach(function(child) { found.push(entryFiles(child)); });
          readSome();
        }, reject);
      })();
    });
  }

  function droppedFiles(transfer) {
    var entries = [].map.call(transfer.items || [], function(item) {
      return item.kind === 'file' && item.webkitGetAsEntry ? item.webkitGetAsEntry() : null;
    });
    if (entries.length && entries.every(Boolean))
      return Promise.all(entries.map(entryFiles)).then(function(lists) { return [].concat.apply([], lists); });
    return Promise.resolve([].map.call(transfer.files, function(file) { return {path: file.name, file: file}; }));
  }

  function tooBig(total, name) {
    return name + ': its files come to ' + megabytes(total) + ', more than the ' +
        megabytes(ImportLimitBytes) + ' that an import in this browser can hold; ' +
        'import it with mirtal-import on Linux';
  }

  // The bytes of the given files, each zip replaced by the files in it
  // (beside where the zip lay). Rejects with a line for the page.
  function readGiven(given) {
    var total = given.reduce(function(sum, entry) { return sum + entry.file.size; }, 0);
    var name = given.length === 1 ? given[0].path : given.length + ' files';
    if (total > ImportLimitBytes) return Promise.reject(new Error(tooBig(total, name)));
    return Promise.all(given.map(function(entry) {
      return entry.file.arrayBuffer().then(function(buffer) {
        var bytes = new Uint8Array(buffer);
        if (!/\.zip$/i.test(entry.path)) return [{path: entry.path, bytes: bytes}];
        var folder = entry.path.slice(0, entry.path.lastIndexOf('/') + 1);
        return readZip(bytes, ImportLimitBytes).then(function(files) {
          return files.map(function(file) { return {path: folder + file.path, bytes: file.bytes}; });
        }, function(error) {
          if (error.unpackedSize) throw new Error(tooBig(error.unpackedSize, entry.path));
          throw new Error('could not read ' + entry.path + ': ' + error.message);
        });
      }, function(error) {
        throw new Error('could not read ' + entry.path + ': ' + error.message);
      });
    })).then(function(lists) {
      var files = [].concat.apply([], lists);
      var unpacked = files.reduce(function(sum, file) { return sum + file.bytes.length; }, 0);
      if (unpacked > ImportLimitBytes) throw new Error(tooBig(unpacked, name));
      return files;
    });
  }

  function take(given) {
    if (!given.length) return;
    if (!importer) {
      say('The importer is not ready yet: give the files again in a moment.');
      return;
    }
    say('Reading ' + (given.length === 1 ? given[0].path : given.length + ' files') + '\u2026');
    readGiven(given).then(function(files) {
      if (!files.length) throw new Error('the zip holds no files');
      held = files;
      var models = files.map(function(file) { return file.path; }).filter(isModel).sort();
      if (!models.length) models = files.map(function(file) { return file.path; }).sort();
      modelChoice.textContent = '';
      models.forEach(function(path) { modelChoice.add(new Option(path, path)); });
      element('model-choice').hidden = models.length < 2;
      element('files-held').textContent = files.length === 1 ? '1 file: ' + files[0].path
          : files.length + ' files (' + megabytes(files.reduce(function(sum, file) {
              return sum + file.bytes.length; }, 0)) + ')';
      importButton.disabled = false;
      if (models.length === 1) startImport();
      else say('Which of these ' + models.length + ' files is the model? Choose it, then Import.');
    }).catch(function(error) {
      say(error.message);
      state.refused += 1;
    });
  }

  // --- the import ------------------------------------------------------------

  function commandOptions() {
    var options = [];
    OptionControls.forEach(function(control) {
      var input = element(control[0]);
      if (input.type === 'checkbox') {
        if (input.checked) options.push(control[1]);
      } else if (input.value.trim() !== '') {
        options.push(control[1], input.value.trim());
      }
    });
    return options;
  }

  function reportLine(text, isError) {
    var line = document.createElement('span');
    if (isError) line.className = 'error';
    line.textContent = text + '\n';
    report.appendChild(line);
    report.scrollTop = report.scrollHeight;
  }

  function startImport() {
    if (running) finishImport(null);
    var model = modelChoice.value;
    var worker = new Worker(importer.workerUrl);
    running = {worker: worker, model: model};
    var job = running;
    report.textContent = '';
    progress.value = 0;
    progress.hidden = false;
    stageLabel.textContent = '';
    say('Importing ' + model + '\u2026');
    worker.onmessage = function(event) {
      if (running !== job) return;
      var message = event.data;
      if (message.kind === 'line') {
        reportLine(message.text, message.isError);
      } else if (message.kind === 'progress') {
        progress.value = message.fraction;
        stageLabel.textContent = message.stage;
      } else if (message.kind === 'done') {
        finishImport(message.status, message.status === 0 ? message.html : null);
      } else if (message.kind === 'failed') {
        died(message.message);
      }
    };
    // The worker itself died (an uncaught error, or its memory).
    function died(what) {
      if (running !== job) return;
      reportLine('mirtal-import: could not read ' + model + ': ' + what, true);
      finishImport(1);
    }
    worker.onerror = function(event) {
      event.preventDefault();
      died(event.message || 'the import stopped without saying why');
    };
    worker.onmessageerror = function() { died('its result could not be passed back to the page'); };
    try {
      worker.postMessage({wasmModule: importer.wasmModule, files: held, model: model,
                          options: commandOptions(), kit: importer.kit});
    } catch (error) {
      // The files do not fit beside the page's own copy of them.
      died('its files could not be given to the import (' + error.message + ')');
    }
  }

  // Ends the running import with status (null: replaced by a new one), and
  // shows html when it made one.
  function finishImport(status, html) {
    var job = running;
    running = null;
    job.worker.terminate();
    progress.hidden = true;
    stageLabel.textContent = '';
    if (status === null) return;
    if (html) {
      show(html, job.model);
      say(job.model + ' is imported: walk through it below, or save it.');
    } else {
      say('The import of ' + job.model + ' ended with status ' + status +
          (walkThrough ? '; the walk-through before it stays.' : '.'));
    }
    state.lastStatus = status;
    state.finished += 1;
  }

  // --- the walk-through --------------------------------------------------------

  function show(html, model) {
    var before = walkThrough;
    var name = baseName(model).replace(/\.[^.]*$/, '') || 'walk-through';
    walkThrough = {html: html, name: name + '.html',
                   url: URL.createObjectURL(new Blob([html], {type: 'text/html'}))};
    // A new frame for each walk-through: the old one goes with its document.
    var fresh = frame.cloneNode(false);
    fresh.hidden = false;
    fresh.addEventListener('load', function() {
      fresh.focus();
      fresh.contentWindow.focus();
    });
    fresh.src = walkThrough.url;
    frame.replaceWith(fresh);
    frame = fresh;
    if (before) URL.revokeObjectURL(before.url);
    saveButton.disabled = false;
  }

  saveButton.addEventListener('click', function() {
    if (!walkThrough) return;
    var link = document.createElement('a');
    link.href = walkThrough.url;
    link.download = walkThrough.name;
    document.body.appendChild(link);
    link.click();
    link.remove();
  });

  // --- the intake's controls ---------------------------------------------------

  element('import-form').addEventListener('submit', function(event) {
    event.preventDefault();
    if (held.length) startImport();
  });
  ['pick-files', 'pick-folder'].forEach(function(id) {
    var input = element(id);
    input.addEventListener('change', function() {
      var given = [].map.call(input.files, function(file) {
        return {path: file.webkitRelativePath || file.name, file: file};
      });
      input.value = '';
      take(given);
    });
  });
  // A file dropped beside the zone is not opened by the browser instead.
  ['dragover', 'drop'].forEach(function(type) {
    window.addEventListener(type, function(event) { event.preventDefault(); });
  });
  dropZone.addEventListener('dragover', function(event) {
    event.dataTransfer.dropEffect = 'copy';
    dropZone.classList.add('dragging');
  });
  dropZone.addEventListener('dragleave', function() { dropZone.classList.remove('dragging'); });
  dropZone.addEventListener('drop', function(event) {
    dropZone.classList.remove('dragging');
    droppedFiles(event.dataTransfer).then(take, function(error) {
      say('could not read what was dropped: ' + error.message);
    });
  });

  if (typeof WebAssembly !== 'object' || typeof DecompressionStream !== 'function' ||
      typeof Worker !== 'function') {
    say('This page needs WebAssembly, Web Workers and DecompressionStream, which this browser ' +
        'does not offer.');
    return;
  }
  loadImporter().then(function(loaded) {
    importer = loaded;
    state.ready = true;
    state.readyMs = performance.now();
    performance.mark('importer:ready');
    say('Drop a model, or choose its files.');
  }, function(error) {
    say('The importer could not start: ' + error.message);
  });
})();
