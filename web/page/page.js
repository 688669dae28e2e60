// The page of the walk-through: finds the program and the scene (a pack in
// the page itself, or scene.pack, mirtal.js and mirtal.wasm beside it),
// puts the scene's files in the program's working folder, starts the
// program on the canvas, and around it: the full-window button, the touch
// keys, the log of the program's console lines, the status line, and
// window.mirtal for whoever drives the page.
//
// A pack is a gzip stream of files, each "<byte count> <name>\n" and then
// its bytes. The page's own pack is the base64 text of the element
// #mirtal-pack, empty when the files lie beside the page.
//
// The steps of the start leave performance marks, for benchmarks:
// mirtal:files (the pack read and unpacked), mirtal:script (mirtal.js
// loaded), mirtal:main (the scene in place, main about to run) and
// mirtal:first-frame.
'use strict';

(function() {
  var canvas = document.getElementById('canvas');
  var statusLine = document.getElementById('status');
  var logBox = document.getElementById('log');
  var WorkingFolder = '/walk-through';

  var mirtal = window.mirtal = {
    frames: 0,
    firstFrameMs: null,
    ended: null,
    log: [],
    menuOpen: function() { return false; },
  };

  function say(text) {
    statusLine.textContent = text;
  }

  function logLine(line, toConsole) {
    mirtal.log.push(line);
    toConsole(line);
    logBox.textContent += line + '\n';
    logBox.scrollTop = logBox.scrollHeight;
  }

  // What this browser lacks of what the walk-through needs, or null.
  function missing() {
    if (typeof WebAssembly !== 'object') return 'WebAssembly';
    if (typeof DecompressionStream !== 'function') return 'DecompressionStream (gzip)';
    if (typeof TextDecoder !== 'function') return 'TextDecoder';
    var probe = document.createElement('canvas');
    if (!probe.getContext('webgl2')) return 'WebGL 2';
    return null;
  }

  function base64Bytes(text) {
    var binary = atob(text);
    var bytes = new Uint8Array(binary.length);
    for (var i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
    return bytes;
  }

  function gunzip(bytes) {
    var stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip'));
    return new Response(stream).arrayBuffer().then(function(buffer) { return new Uint8Array(buffer); });
  }

  // The files of an unpacked pack, by name.
  function unpack(bytes) {
    var files = new Map();
    var decoder = new TextDecoder();
    var at = 0;
    while (at < bytes.length) {
      var lineEnd = bytes.indexOf(10, at);
      var header = lineEnd < 0 ? null : /^(\d+) ([^\n]+)$/.exec(decoder.decode(bytes.subarray(at, lineEnd)));
      if (!header) throw new Error('the pack has a bad file header at byte ' + at);
      var size = Number(header[1]), name = header[2], start = lineEnd + 1;
      if (start + size > bytes.length) throw new Error('the pack ends inside ' + name);
      if (name.startsWith('/') || name.split('/').indexOf('..') >= 0)
        throw new Error('the pack names a file outside it: ' + name);
      files.set(name, bytes.subarray(start, start + size));
      at = start + size;
    }
    return files;
  }

  function fetchBytes(name) {
    return fetch(name).then(function(response) {
      if (!response.ok) throw new Error(name + ': ' + response.status + ' ' + response.statusText);
      return response.arrayBuffer();
    }).then(function(buffer) { return new Uint8Array(buffer); });
  }

  function loadFiles() {
    var packText = document.getElementById('mirtal-pack').textContent.trim();
    if (packText) return gunzip(base64Bytes(packText)).then(unpack);
    if (location.protocol === 'file:')
      return Promise.reject(new Error('this page takes its files from beside it only when a web ' +
                                      'server serves it; opened from the disk, the walk-through ' +
                                      'is its single HTML file'));
    return Promise.all(['scene.pack', 'mirtal.js', 'mirtal.wasm'].map(fetchBytes)).then(function(parts) {
      return gunzip(parts[0]).then(function(bytes) {
        var files = unpack(bytes);
        files.set('mirtal.js', parts[1]);
        files.set('mirtal.wasm', parts[2]);
        return files;
      });
    });
  }

  function loadScript(bytes) {
    return new Promise(function(resolve, reject) {
      var script = document.createElement('script');
      script.src = URL.createObjectURL(new Blob([bytes], {type: 'text/javascript'}));
      script.onload = resolve;
      script.onerror = function() { reject(new Error('mirtal.js does not load')); };
      document.head.appendChild(script);
    });
  }

  function ended(status) {
    if (mirtal.ended !== null) return;
    mirtal.ended = status;
    document.body.classList.remove('full-window');
    say('The walk-through ended (status ' + status + ').');
  }

  // The walk-through has the keys while the canvas, or nothing else, has
  // the focus: then the browser's own uses of its keys (help, find, reload,
  // scrolling) are held back by the keyboard handler. Elsewhere, and once
  // the walk-through has ended, the keys are the browser's. Tab always is.
  function walkThroughHasFocus() {
    var active = document.activeElement;
    return active === canvas || active === document.body || active === null;
  }
  ['keydown', 'keyup', 'keypress'].forEach(function(type) {
    window.addEventListener(type, function(event) {
      if (mirtal.ended !== null || !walkThroughHasFocus() || event.key === 'Tab')
        event.stopImmediatePropagation();
    }, true);
  });

  function setUpFullWindow(program) {
    var button = document.getElementById('full-window');
    function fit() {
      if (document.body.classList.contains('full-window'))
        program.reshapeWindow(window.innerWidth, window.innerHeight);
    }
    button.addEventListener('click', function() {
      var full = document.body.classList.toggle('full-window');
      button.textContent = full ? 'Back to 640 x 480' : 'Full window';
      if (full) fit();
      else program.reshapeWindow(640, 480);
      canvas.focus();
    });
    window.addEventListener('resize', fit);
  }

  // On-screen keys for touch screens: the walking keys, the arrows and
  // F1 to F9, each pressed as the keyboard would press it.
  var TouchKeys = [['W', 87], ['S', 83], ['A', 65], ['D', 68], ['R', 82], ['F', 70],
                   ['Q', 81], ['E', 69], ['\u2190', 37], ['\u2191', 38], ['\u2192', 39],
                   ['\u2193', 40]];
  for (var n = 1; n <= 9; ++n) TouchKeys.push(['F' + n, 111 + n]);

  function setUpTouchKeys(program) {
    var box = document.getElementById('touch-keys');
    TouchKeys.forEach(function(key) {
      var button = document.createElement('button');
      button.type = 'button';
      button.tabIndex = -1;
      button.textContent = key[0];
      // Pressing a key button leaves the focus where it was.
      button.addEventListener('pointerdown', function(event) { event.preventDefault(); });
      button.addEventListener('click', function() { program.pressKey(key[1]); });
      box.appendChild(button);
    });
    function show() { box.hidden = false; }
    if (navigator.maxTouchPoints > 0 || matchMedia('(pointer: coarse)').matches) show();
    window.addEventListener('touchstart', show, {once: true, passive: true});
  }

  function start(files) {
    performance.mark('mirtal:files');
    say('Starting the walk-through\u2026');
    return loadScript(files.get('mirtal.js')).then(function() {
      performance.mark('mirtal:script');
      return createMirtal({
        canvas: canvas,
        wasmBinary: files.get('mirtal.wasm'),
        preRun: [function(program) {
          program.FS.mkdir(WorkingFolder);
          files.forEach(function(bytes, name) {
            if (name.startsWith('scene/') && name.indexOf('/', 6) < 0)
              program.FS.writeFile(WorkingFolder + '/' + name.slice(6), bytes);
          });
          program.FS.chdir(WorkingFolder);
          performance.mark('mirtal:main');
        }],
        print: function(line) { logLine(line, console.log); },
        printErr: function(line) { logLine(line, console.warn); },
        quit: function(status, toThrow) {
          if (toThrow && toThrow.name === 'ExitStatus') ended(status);
          else {
            ended(status);
            say('The walk-through stopped on an error (status ' + status + '): ' + toThrow);
          }
          throw toThrow;
        },
        onSwap: function() {
          if (mirtal.frames === 0) {
            mirtal.firstFrameMs = performance.now();
            performance.mark('mirtal:first-frame');
            if (mirtal.ended === null) say('');
          }
          mirtal.frames += 1;
        },
      });
    }).then(function(program) {
      mirtal.menuOpen = function() { return program.menuOpen(); };
      // For benchmarks: the milliseconds of each frame's own work, from
      // measureFrames(true) on (web/glut/main_loop.js).
      mirtal.measureFrames = function(on) {
        program.measureFrames = on;
        program.frameWorkMs = [];
      };
      mirtal.frameWorkMs = function() { return program.frameWorkMs || []; };
      setUpFullWindow(program);
      setUpTouchKeys(program);
    });
  }

  var lacking = missing();
  if (lacking) {
    say('This walk-through needs ' + lacking + ', which this browser does not offer.');
    return;
  }
  canvas.focus();
  loadFiles().then(start).catch(function(error) {
    if (mirtal.ended === null) say('The walk-through could not start: ' + error.message);
  });
})();
