// The import's Web Worker, one for each import: made by the page from a
// Blob of mirtal-import.js, run_import.js and this file, so that it works
// from file://. It takes one message, {wasmModule, files, model, options,
// kit}, runs the importer on it (runMirtalImport) and posts back
//   {kind: 'line', text, isError}      each line the importer prints
//   {kind: 'progress', stage, fraction}
//   {kind: 'done', status, html, crashed}
//   {kind: 'failed', message}           runMirtalImport itself threw
// The page ends the worker after 'done' or 'failed'.
'use strict';

self.onmessage = function(event) {
  var job = event.data;
  runMirtalImport({
    createModule: createMirtalImport,
    wasmModule: job.wasmModule,
    files: job.files,
    model: job.model,
    options: job.options,
    kit: job.kit,
    onLine: function(text, isError) { self.postMessage({kind: 'line', text: text, isError: isError}); },
    onProgress: function(stage, fraction) {
      self.postMessage({kind: 'progress', stage: stage, fraction: fraction});
    },
  }).then(function(result) {
    self.postMessage({kind: 'done', status: result.status, html: result.html, crashed: !!result.crashed});
  }, function(error) {
    self.postMessage({kind: 'failed', message: String(error && error.message || error)});
  });
};
