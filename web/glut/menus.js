// GLUT's pop-up menus for the web build (emscripten's GLUT has none): menus
// are built with glutCreateMenu, glutAddMenuEntry and glutAddSubMenu, and
// the current menu is attached to a mouse button of the canvas with
// glutAttachMenu. A press of that button on the canvas, or a long press on
// a touch screen, opens the menu as HTML at the pointer: a root element of
// class "glut-menu" holding one panel per open menu, each entry an element
// of class "glut-menu-entry" (also "glut-submenu" for a submenu) whose text
// is its label's Windows-1252 bytes decoded. Pointing at a submenu entry
// opens its panel beside it; a click on an entry (or, as in freeglut,
// releasing the button there after moving the pointer) closes the whole
// tree and calls the handler of the entry's menu with the entry's value. A
// press anywhere else closes the tree and calls nothing.
// Entry points: glutCreateMenu, glutAddMenuEntry, glutAddSubMenu,
// glutAttachMenu; Module.menuOpen().

mergeInto(LibraryManager.library, {
  $GlutMenus__deps: ['$callUserCallback'],
  $GlutMenus__postset: "Module['menuOpen'] = function() { return GlutMenus.root !== null; };",
  $GlutMenus: {
    menus: [null],    // by id, from 1
    current: 0,
    root: null,       // the open tree
    openedAt: null,   // where the pointer was when it opened
    LongPressMs: 500,

    label: function(pointer) {
      var end = pointer;
      while (HEAPU8[end]) ++end;
      return new TextDecoder('windows-1252').decode(HEAPU8.subarray(pointer, end));
    },

    close: function() {
      if (GlutMenus.root) GlutMenus.root.remove();
      GlutMenus.root = null;
    },

    choose: function(menu, entry) {
      GlutMenus.close();
      callUserCallback(function() {
        {{{ makeDynCall('vi', 'menu.handler') }}}(entry.value);
      });
    },

    // Shows menu `id` as the panel at `depth` of the tree, at (x, y) in the
    // window, closing the panels deeper than it.
    showPanel: function(id, depth, x, y) {
      var panels = GlutMenus.root.children;
      while (panels.length > depth) panels[panels.length - 1].remove();
      var menu = GlutMenus.menus[id];
      var panel = document.createElement('div');
      panel.className = 'glut-menu-panel';
      menu.entries.forEach(function(entry) {
        var item = document.createElement('div');
        item.className = entry.submenu ? 'glut-menu-entry glut-submenu' : 'glut-menu-entry';
        item.textContent = entry.label;
        item.addEventListener('mouseenter', function() {
          if (entry.submenu) {
            var box = item.getBoundingClientRect();
            GlutMenus.showPanel(entry.submenu, depth + 1, box.right, box.top);
          } else {
            while (panels.length > depth + 1) panels[panels.length - 1].remove();
          }
        });
        item.addEventListener('click', function(event) {
          event.stopPropagation();
          if (entry.submenu) {
            var box = item.getBoundingClientRect();
            GlutMenus.showPanel(entry.submenu, depth + 1, box.right, box.top);
          } else {
            GlutMenus.choose(menu, entry);
          }
        });
        item.addEventListener('mouseup', function(event) {
          var from = GlutMenus.openedAt;
          var moved = from && Math.abs(event.clientX - from.x) + Math.abs(event.clientY - from.y) > 4;
          if (event.button === 2 && moved && !entry.submenu) GlutMenus.choose(menu, entry);
        });
        panel.appendChild(item);
      });
      GlutMenus.root.appendChild(panel);
      // Kept inside the window where it would spill over.
      var box = panel.getBoundingClientRect();
      var left = Math.min(x, Math.max(0, window.innerWidth - box.width));
      var top = Math.min(y, Math.max(0, window.innerHeight - box.height));
      panel.style.left = left + 'px';
      panel.style.top = top + 'px';
    },

    open: function(id, x, y) {
      GlutMenus.close();
      var root = document.createElement('div');
      root.className = 'glut-menu';
      root.addEventListener('contextmenu', function(event) { event.preventDefault(); });
      document.body.appendChild(root);
      GlutMenus.root = root;
      GlutMenus.openedAt = {x: x, y: y};
      GlutMenus.showPanel(id, 0, x, y);
    },

    attach: function(canvas, button, id) {
      canvas.addEventListener('contextmenu', function(event) { event.preventDefault(); });
      canvas.addEventListener('mousedown', function(event) {
        if (event.button !== button) return;
        event.preventDefault();
        GlutMenus.open(id, event.clientX, event.clientY);
      });
      // A press outside the open tree closes it.
      document.addEventListener('pointerdown', function(event) {
        if (GlutMenus.root && !GlutMenus.root.contains(event.target)) GlutMenus.close();
      }, true);
      // The long press of touch screens.
      var timer = null, start = null;
      function cancel() {
        if (timer !== null) clearTimeout(timer);
        timer = null;
      }
      canvas.addEventListener('touchstart', function(event) {
        cancel();
        if (event.touches.length !== 1) return;
        var touch = event.touches[0];
        start = {x: touch.clientX, y: touch.clientY};
        timer = setTimeout(function() {
          timer = null;
          GlutMenus.open(id, start.x, start.y);
        }, GlutMenus.LongPressMs);
      });
      canvas.addEventListener('touchmove', function(event) {
        var touch = event.touches[0];
        if (touch && Math.abs(touch.clientX - start.x) + Math.abs(touch.clientY - start.y) > 10) cancel();
      });
      canvas.addEventListener('touchend', cancel);
      canvas.addEventListener('touchcancel', cancel);
    },
  },

  glutCreateMenu__deps: ['$GlutMenus'],
  glutCreateMenu: function(handler) {
    GlutMenus.menus.push({handler: handler, entries: []});
    GlutMenus.current = GlutMenus.menus.length - 1;
    return GlutMenus.current;
  },

  glutAddMenuEntry__deps: ['$GlutMenus'],
  glutAddMenuEntry: function(label, value) {
    var menu = GlutMenus.menus[GlutMenus.current];
    if (menu) menu.entries.push({label: GlutMenus.label(label), value: value});
  },

  glutAddSubMenu__deps: ['$GlutMenus'],
  glutAddSubMenu: function(label, submenu) {
    var menu = GlutMenus.menus[GlutMenus.current];
    if (menu && GlutMenus.menus[submenu]) menu.entries.push({label: GlutMenus.label(label), submenu: submenu});
  },

  glutAttachMenu__deps: ['$GlutMenus'],
  glutAttachMenu: function(button) {
    if (GlutMenus.menus[GlutMenus.current]) GlutMenus.attach(Module['canvas'], button, GlutMenus.current);
  },
});
