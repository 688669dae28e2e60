// GLUT's main loop in the web build, in place of emscripten's (whose idle
// callback runs every 4 ms, four and more times a displayed frame). freeglut
// calls the display callback if a redisplay was asked for, then the idle
// callback, and under a swap interval of 1 each swap waits for the next
// refresh of the screen. Here the browser shows one frame per animation
// frame, so the loop runs the same callbacks in the same order, up to the
// first swap in each animation frame: an idle callback that a display's
// swap holds back runs first in the next one. The loop stops when the program
// ends (exit() goes through quit_). The keyboard handlers of emscripten's
// GLUT are called the way the loop calls the display and idle callbacks, so
// that an exit() in a key callback ends the program without an uncaught
// exception in the page.
// For the page: Module.onSwap, if set, is told of every glutSwapBuffers;
// Module.pressKey(keyCode) gives the program a key press and release as
// the keyboard would; Module.reshapeWindow(width, height) resizes the
// canvas as a window manager resizes a window, through the reshape
// callback. With Module.measureFrames set, each pass that swaps ends by
// waiting for the GL (a one-pixel read) and adds its milliseconds to
// Module.frameWorkMs, the frame's own work, as the native benchmark times
// a frame between glFinish calls; the browser's showing of it is left out.
// Entry points: glutMainLoop, glutIdleFunc, glutPostRedisplay,
// glutSwapBuffers.

mergeInto(LibraryManager.library, {
  $MirtalLoop__deps: ['$GLUT', '$GL', '$callUserCallback', 'glutReshapeWindow'],
  $MirtalLoop__postset:
    "Module['pressKey'] = function(keyCode) {" +
    "  var event = {keyCode: keyCode, shiftKey: false, ctrlKey: false, altKey: false," +
    "               metaKey: false, preventDefault: function() {}};" +
    "  MirtalLoop.deliver(GLUT.onKeydown, event);" +
    "  MirtalLoop.deliver(GLUT.onKeyup, event);" +
    "};" +
    "Module['reshapeWindow'] = function(width, height) {" +
    "  MirtalLoop.deliver(function() { _glutReshapeWindow(width, height); });" +
    "};",
  $MirtalLoop: {
    redisplay: false,
    idleOwed: false,  // the idle callback, held back by a swap
    swapped: false,   // in this animation frame
    ended: false,
    pixel: new Uint8Array(4),  // where a measured frame's one-pixel read goes

    deliver: function(handler, event) {
      if (MirtalLoop.ended || ABORT) return;
      callUserCallback(function() { handler(event); });
    },

    pass: function() {
      if (MirtalLoop.ended || ABORT) return;
      MirtalLoop.swapped = false;
      var start = Module['measureFrames'] ? performance.now() : 0;
      callUserCallback(function() {
        if (MirtalLoop.idleOwed) {
          MirtalLoop.idleOwed = false;
          if (GLUT.idleFunc) {{{ makeDynCall('v', 'GLUT.idleFunc') }}}();
          if (MirtalLoop.swapped) return;
        }
        if (MirtalLoop.redisplay && GLUT.displayFunc) {
          MirtalLoop.redisplay = false;
          {{{ makeDynCall('v', 'GLUT.displayFunc') }}}();
        }
        if (MirtalLoop.swapped) MirtalLoop.idleOwed = true;
        else if (GLUT.idleFunc) {{{ makeDynCall('v', 'GLUT.idleFunc') }}}();
      });
      if (start && MirtalLoop.swapped && GLctx) {
        GLctx.readPixels(0, 0, 1, 1, GLctx.RGBA, GLctx.UNSIGNED_BYTE, MirtalLoop.pixel);
        (Module['frameWorkMs'] = Module['frameWorkMs'] || []).push(performance.now() - start);
      }
      if (!MirtalLoop.ended && !ABORT) requestAnimationFrame(MirtalLoop.pass);
    },
  },

  glutIdleFunc__deps: ['$GLUT'],
  glutIdleFunc: function(func) {
    GLUT.idleFunc = func;
  },

  glutPostRedisplay__deps: ['$MirtalLoop'],
  glutPostRedisplay: function() {
    MirtalLoop.redisplay = true;
  },

  glutSwapBuffers__deps: ['$MirtalLoop'],
  glutSwapBuffers: function() {
    // The browser presents the canvas when the animation frame ends.
    MirtalLoop.swapped = true;
    if (Module['onSwap']) Module['onSwap']();
  },

  glutMainLoop__deps: ['$MirtalLoop', 'glutReshapeWindow'],
  glutMainLoop: function() {
    var endProgram = quit_;
    quit_ = function(status, toThrow) {
      MirtalLoop.ended = true;
      endProgram(status, toThrow);
    };
    [['keydown', GLUT.onKeydown], ['keyup', GLUT.onKeyup]].forEach(function(listener) {
      window.removeEventListener(listener[0], listener[1], true);
      window.addEventListener(listener[0], function(event) {
        MirtalLoop.deliver(listener[1], event);
      }, true);
    });
    // As a window system does before the first frame: reshape, then expose.
    _glutReshapeWindow(Module['canvas'].width, Module['canvas'].height);
    MirtalLoop.redisplay = true;
    requestAnimationFrame(MirtalLoop.pass);
    throw 'unwind';
  },
});
