// The page's side of the browser backend (WebBackend.cpp): the canvas that shows the desktop,
// the input handed to the program, its clock, and the page elements that serve as message
// boxes, menus, the file picker, downloads and the clipboard.
//
// Every call into the program goes through VW.run. While the program waits in a modal call (a
// message box, a menu, a file picker: the stack is unwound by Asyncify) nothing may enter it:
// input, timers and idle passes queue up and run in order once it has finished.

mergeInto(LibraryManager.library, {
  $VW__deps: ['$Asyncify', '$FS'],
  $VW: {
    queue: [],
    suspended: false,   // the program waits in a modal call
    holding: false,     // a paste waits for the clipboard's bytes
    modal: false,       // one of our dialogs or menus is open
    idlePending: false,
    wake: 0,
    width: 0, height: 0, scale: 0,
    rect: {x: 0, y: 0, width: 0, height: 0},
    menuItems: [],
    pendingString: '',
    pendingPaste: null,
    keysHeld: {},       // code -> the key event the program saw go down, until it sees it go up
    buttonsHeld: {},    // button -> true while the program holds it down
    lastPointer: null,  // the page point of the pointer's last event
    known: {},          // path -> the time the file had when it was last offered or stored
    lang: 'en',

    // ---- calls into the program
    run: function(type, fn) {
      if (VW.suspended || VW.holding) {
        VW.queue.push([type, fn]);
        return;
      }
      var t0 = performance.now();
      fn();
      if (Asyncify.currData) VW.suspended = true;
      if (type !== 'timer' && type !== 'idle' && type !== 'expose') VW.record(window.veskel.perf.events, {type: type, ms: performance.now() - t0});
    },
    drain: function() {
      while (VW.queue.length && !VW.suspended && !VW.holding) {
        var next = VW.queue.shift();
        VW.run(next[0], next[1]);
      }
    },
    // The program waits for the page: what it saved before is complete and goes to the browser.
    wait: function() {
      VW.suspended = true;
      VW.flush();
    },
    flush: function() {
      VW.download(VW.downloads, true);
      VW.download(VW.home, false);
    },
    // A modal call's answer: the program goes on from where it waited.
    resume: function(wakeUp, value) {
      VW.modal = false;
      VW.focusInput();
      wakeUp(value);
      if (!Asyncify.currData) {
        VW.suspended = false;
        VW.drain();
      }
    },
    record: function(list, entry) {
      list.push(entry);
      if (list.length > 10000) list.splice(0, list.length - 10000);
    },
    str: function(s) {
      var n = lengthBytesUTF8(s) + 1;
      var p = _veskel_web_alloc(n);
      stringToUTF8(s, p, n);
      return p;
    },
    bytes: function(a) {
      var p = _veskel_web_alloc(a.length);
      HEAPU8.set(a, p);
      return p;
    },

    // ---- the page
    init: function(width, height, home, downloads) {
      // The page's hooks (index.html makes them early, so that a test can wait on `ready`).
      var hooks = window.veskel = window.veskel || {};
      hooks.timing = hooks.timing || {};
      hooks.perf = hooks.perf || {events: [], presents: []};
      VW.width = width;
      VW.height = height;
      VW.home = home;
      VW.downloads = downloads;
      FS.mkdirTree(downloads);
      VW.lang = VW.language() === 1 ? 'ru' : 'en';
      var canvas = document.getElementById('veskel-canvas');
      VW.canvas = canvas;
      canvas.style.width = width + 'px';
      canvas.style.height = height + 'px';
      VW.ctx = canvas.getContext('2d', {alpha: false});
      VW.plain = document.createElement('canvas');
      VW.plain.width = width;
      VW.plain.height = height;
      VW.plainCtx = VW.plain.getContext('2d', {alpha: false});
      VW.fitScale();
      VW.input = document.getElementById('veskel-input');
      VW.overlay = document.getElementById('veskel-overlay');
      VW.listen();
      window.addEventListener('resize', VW.fitScale);
      var channel = new MessageChannel();
      channel.port1.onmessage = function() {
        VW.idlePending = false;
        VW.run('idle', function() { _veskel_web_idle(); });
      };
      VW.idlePort = channel.port2;
      window.veskel.windowRect = function() {
        return {x: VW.rect.x, y: VW.rect.y, width: VW.rect.width, height: VW.rect.height, scale: VW.scale};
      };
      // A full repaint measured: the main window painted whole and shown on the canvas. The
      // milliseconds of the whole call and of its present (composing and the canvas), or null
      // while the program waits for the page and cannot be entered.
      window.veskel.repaintAll = function() {
        if (VW.suspended || VW.holding) return null;
        var t0 = performance.now();
        var present = _veskel_web_repaint_all();
        var total = performance.now() - t0;
        return present < 0 ? null : {total: total, present: present};
      };
      VW.focusInput();
    },
    // The backing store holds a whole number of device pixels per CSS pixel: every window pixel
    // is a block of them, repeated, never blended. A zoom or another screen changes the number;
    // the desktop is then shown again at the new one.
    fitScale: function() {
      var ratio = window.devicePixelRatio || 1;
      var scale = Math.max(1, Math.floor(ratio));
      if (scale !== VW.scale) {
        VW.scale = scale;
        VW.canvas.width = VW.width * scale;
        VW.canvas.height = VW.height * scale;
        VW.ctx.imageSmoothingEnabled = false;
        if (VW.rescaled) VW.run('expose', function() { _veskel_web_expose(); });
        VW.rescaled = true;
      }
      if (VW.watchedRatio !== ratio) {
        VW.watchedRatio = ratio;
        window.matchMedia('(resolution: ' + ratio + 'dppx)').addEventListener('change', VW.fitScale, {once: true});
      }
    },
    // The page chose the language (index.html): the window speaks the page's.
    language: function() {
      return window.veskel && window.veskel.lang === 'ru' ? 1 : 0;
    },
    focusInput: function() {
      if (VW.input && document.activeElement !== VW.input) VW.input.focus({preventScroll: true});
    },
    // A page point as a desktop point (CSS pixels of the canvas).
    point: function(e) {
      var r = VW.canvas.getBoundingClientRect();
      return [Math.floor((e.clientX - r.left) * VW.width / r.width), Math.floor((e.clientY - r.top) * VW.height / r.height)];
    },
    shift: function(e) {
      var b = e.buttons || 0;
      return (e.shiftKey ? 1 : 0) | (e.altKey ? 2 : 0) | (e.ctrlKey ? 4 : 0) |
             (b & 1 ? 8 : 0) | (b & 2 ? 16 : 0) | (b & 4 ? 32 : 0);
    },
    // While one of the page's dialogs, menus or pickers is open the window takes no new input,
    // as a desktop window under a modal dialog: a click that came on the heels of the one that
    // opened a picker would otherwise wait and open it again. Only the releases of what the
    // program holds wait for it (and leaving the canvas).
    pointer: function(type, e) {
      if (VW.modal && type !== 3 && !(type === 1 && VW.buttonsHeld[e.button])) return;
      var p = VW.point(e), button = e.button, shift = VW.shift(e);
      VW.lastPointer = {clientX: e.clientX, clientY: e.clientY};
      if (type === 0) VW.buttonsHeld[button] = true;
      if (type === 1) delete VW.buttonsHeld[button];
      var names = ['mousedown', 'mouseup', 'mousemove', 'mouseleave'];
      VW.run(names[type], function() { _veskel_web_pointer(type, p[0], p[1], button, shift); });
    },
    key: function(down, e) {
      var code = e.code || '', key = e.key || '', shift = VW.shift(e);
      if (VW.modal && (down || !VW.keysHeld[code])) return;
      // The repeats of a key whose press went to a dialog (Enter held on its button) are not the
      // window's: they would press its focused button and open the dialog again.
      if (down && e.repeat && !VW.keysHeld[code]) return;
      if (down) VW.keysHeld[code] = {code: code, key: key}; else delete VW.keysHeld[code];
      VW.run(down ? 'keydown' : 'keyup', function() {
        _veskel_web_key(down, VW.str(code), VW.str(key), shift);
      });
    },
    text: function(s) {
      if (!s || VW.modal) return;
      VW.run('text', function() { _veskel_web_text(VW.str(s)); });
    },
    // The page lost the keyboard or the pointer: whatever the program holds down is let go, as
    // the releases will arrive elsewhere (another window, another page element) or never.
    letGo: function() {
      Object.keys(VW.keysHeld).forEach(function(code) { VW.key(0, VW.keysHeld[code]); });
      Object.keys(VW.buttonsHeld).forEach(function(button) {
        var at = VW.lastPointer || {clientX: 0, clientY: 0};
        VW.pointer(1, {clientX: at.clientX, clientY: at.clientY, button: Number(button), buttons: 0});
      });
    },
    listen: function() {
      var canvas = VW.canvas, input = VW.input;
      canvas.addEventListener('pointerdown', function(e) {
        if (e.button > 2) return;
        e.preventDefault();
        VW.focusInput();
        // Held buttons keep the pointer, even outside the canvas.
        try { canvas.setPointerCapture(e.pointerId); } catch (err) {}
        VW.pointer(0, e);
      });
      canvas.addEventListener('pointerup', function(e) {
        if (e.button > 2) return;
        e.preventDefault();
        VW.pointer(1, e);
      });
      canvas.addEventListener('pointermove', function(e) { VW.pointer(2, e); });
      canvas.addEventListener('pointercancel', function() { VW.letGo(); });
      canvas.addEventListener('pointerleave', function(e) { if (!e.buttons) VW.pointer(3, e); });
      // The canvas keeps the keyboard in the text field: a press must not take the focus away.
      canvas.addEventListener('mousedown', function(e) { e.preventDefault(); });
      canvas.addEventListener('contextmenu', function(e) { e.preventDefault(); });
      canvas.addEventListener('wheel', function(e) {
        e.preventDefault();
        // 120 a notch, positive away from the user; a notch is three lines or about 100 pixels.
        var d = e.deltaMode === 1 ? -e.deltaY * 40 : e.deltaMode === 2 ? -e.deltaY * 120 : -e.deltaY * 1.2;
        d = Math.round(d);
        if (d === 0 && e.deltaY !== 0) d = e.deltaY < 0 ? 1 : -1;
        if (d === 0 || VW.modal) return;
        var p = VW.point(e), shift = VW.shift(e);
        VW.run('wheel', function() { _veskel_web_wheel(p[0], p[1], d, shift); });
      }, {passive: false});

      input.addEventListener('keydown', function(e) {
        if (e.isComposing || e.keyCode === 229) return;
        var ctrl = e.ctrlKey || e.metaKey;
        var paste = (ctrl && !e.shiftKey && !e.altKey && e.code === 'KeyV') ||
                    (e.shiftKey && !ctrl && e.key === 'Insert');
        if (paste) {
          // The clipboard's content comes with the paste event that follows; the key waits for it.
          VW.pendingPaste = e;
          setTimeout(function() {
            if (VW.pendingPaste === e) { VW.pendingPaste = null; VW.key(1, e); }
          }, 500);
          return;
        }
        var browserKeeps = e.key === 'F5' || e.key === 'F11' || e.key === 'F12';
        // A character typed (also with AltGr, which some systems report as Ctrl+Alt) comes as
        // text from the field; everything else is the program's alone.
        var altGraph = e.getModifierState && e.getModifierState('AltGraph');
        var printable = e.key && e.key.length === 1 && (altGraph || (!ctrl && !e.altKey));
        if (!printable && !browserKeeps && e.key !== 'Dead' && e.key !== 'Process') e.preventDefault();
        VW.key(1, e);
      });
      input.addEventListener('keyup', function(e) {
        if (e.isComposing || e.keyCode === 229) return;
        VW.key(0, e);
      });
      input.addEventListener('input', function(e) {
        // What an input method composes arrives once, with compositionend.
        if (e.isComposing || e.inputType === 'insertCompositionText') return;
        if (e.inputType === 'insertText' || e.inputType === 'insertReplacementText') VW.text(e.data || '');
        input.value = '';
      });
      input.addEventListener('compositionend', function(e) {
        VW.text(e.data || '');
        input.value = '';
      });
      input.addEventListener('paste', function(e) {
        e.preventDefault();
        var key = VW.pendingPaste;
        VW.pendingPaste = null;
        if (VW.modal) return;
        var data = e.clipboardData, file = null;
        if (data) {
          for (var i = 0; i < data.items.length; i++) {
            var item = data.items[i];
            if (item.kind === 'file' && /^image\//.test(item.type)) { file = item.getAsFile(); break; }
          }
        }
        var text = data ? data.getData('text/plain') : '';
        var deliver = function(bytes) {
          VW.run('paste', function() {
            _veskel_web_clipboard(VW.str(text), bytes ? VW.bytes(bytes) : 0, bytes ? bytes.length : 0);
          });
          if (key) { VW.key(1, key); } else {
            // A paste from the browser's own menu: the program sees the shortcut.
            var synthetic = {code: 'KeyV', key: 'v', ctrlKey: true, buttons: 0};
            VW.key(1, synthetic);
            VW.key(0, synthetic);
          }
        };
        if (!file) { deliver(null); return; }
        VW.holdFor(file.arrayBuffer().then(function(b) { return new Uint8Array(b); }), deliver);
      });
      input.addEventListener('blur', function() {
        if (VW.modal) return;
        VW.letGo();
        VW.run('blur', function() { _veskel_web_blur(); });
      });

      canvas.addEventListener('dragover', function(e) {
        if (!e.dataTransfer || Array.prototype.indexOf.call(e.dataTransfer.types, 'Files') < 0) return;
        e.preventDefault();
        e.dataTransfer.dropEffect = 'copy';
      });
      canvas.addEventListener('drop', function(e) {
        var files = e.dataTransfer ? Array.prototype.slice.call(e.dataTransfer.files) : [];
        if (!files.length) return;
        e.preventDefault();
        if (VW.modal) return;
        var p = VW.point(e);
        VW.holdFor(Promise.all(files.map(VW.storeFile)), function(paths) {
          if (!paths) return;  // the browser could not read them
          VW.run('drop', function() { _veskel_web_drop(p[0], p[1], VW.str(paths.join('\n'))); });
        });
      });
    },
    // Input waits (in order) until the page has read what an event brought.
    holdFor: function(promise, then) {
      VW.holding = true;
      var done = function(value) {
        VW.holding = false;
        // Delivered first, ahead of what queued meanwhile.
        var queued = VW.queue;
        VW.queue = [];
        then(value);
        VW.queue = VW.queue.concat(queued);
        VW.drain();
      };
      promise.then(done, function() { done(null); });
    },
    // A picked or dropped file, written into the program's home folder; its path there.
    fileName: function(name) {
      name = String(name).replace(/[\/\0]/g, '_');
      return name === '' || name === '.' || name === '..' ? 'file' : name;
    },
    storeFile: function(file) {
      return file.arrayBuffer().then(function(b) {
        var path = VW.home + '/' + VW.fileName(file.name);
        FS.writeFile(path, new Uint8Array(b));
        VW.known[path] = FS.stat(path).mtime.getTime();
        return path;
      });
    },

    // ---- showing
    blit: function(ptr, stride, x, y, w, h, started) {
      var image = new ImageData(w, h), rows = image.data;
      for (var row = 0; row < h; row++) {
        var from = ptr + (y + row) * stride + x * 4;
        rows.set(HEAPU8.subarray(from, from + w * 4), row * w * 4);
      }
      if (VW.scale === 1) {
        VW.ctx.putImageData(image, x, y);
      } else {
        var s = VW.scale;
        VW.plainCtx.putImageData(image, x, y);
        VW.ctx.drawImage(VW.plain, x, y, w, h, x * s, y * s, w * s, h * s);
      }
      VW.record(window.veskel.perf.presents, {ms: performance.now() - started});
    },
    cssCursor: function(id) {
      switch (id) {
        case -1: return 'none';
        case -3: return 'crosshair';
        case -4: return 'text';
        case -6: return 'nesw-resize';
        case -7: return 'ns-resize';
        case -8: return 'nwse-resize';
        case -9: return 'ew-resize';
        case -11: return 'wait';
        case -18: return 'not-allowed';
        case -21: return 'pointer';
        case -22: return 'move';
        default: return 'default';
      }
    },
    imageUrl: function(ptr, w, h) {
      var c = document.createElement('canvas');
      c.width = w;
      c.height = h;
      var image = new ImageData(w, h);
      image.data.set(HEAPU8.subarray(ptr, ptr + w * h * 4));
      c.getContext('2d').putImageData(image, 0, 0);
      return c.toDataURL('image/png');
    },

    // ---- modal pieces: each shows page elements over the canvas and answers through done()
    box: function(id, role, caption) {
      var box = document.createElement('div');
      box.id = id;
      box.className = 'veskel-dialog';
      box.setAttribute('role', role);
      box.setAttribute('aria-modal', 'true');
      if (caption) {
        var title = document.createElement('div');
        title.className = 'veskel-caption';
        title.textContent = caption;
        box.appendChild(title);
      }
      return box;
    },
    open: function(box) {
      VW.modal = true;
      VW.overlay.appendChild(box);
      VW.overlay.hidden = false;
    },
    close: function(box) {
      if (box.parentNode) box.parentNode.removeChild(box);
      VW.overlay.hidden = !VW.overlay.firstChild;
    },
    buttons: function(box, list, done) {
      var row = document.createElement('div');
      row.className = 'veskel-buttons';
      var first = null;
      list.forEach(function(b) {
        var button = document.createElement('button');
        button.type = 'button';
        button.textContent = b[1];
        button.addEventListener('click', function() { done(b[0]); });
        row.appendChild(button);
        first = first || button;
      });
      box.appendChild(row);
      return first;
    },
    messageBox: function(text, caption, icon, list, done) {
      var box = VW.box('veskel-message', 'dialog', caption);
      var p = document.createElement('p');
      p.className = 'veskel-text veskel-icon-' + icon;
      p.textContent = text;
      box.appendChild(p);
      var finish = function(answer) { VW.close(box); done(answer); };
      var first = VW.buttons(box, list, finish);
      box.addEventListener('keydown', function(e) {
        e.stopPropagation();
        // Escape gives the gentlest answer the box offers (its last button).
        if (e.key === 'Escape') { e.preventDefault(); finish(list[list.length - 1][0]); }
      });
      VW.open(box);
      first.focus();
    },
    chooseType: function(title, types, selected, done) {
      var ru = VW.lang === 'ru';
      var box = VW.box('veskel-save', 'dialog', title || (ru ? 'Сохранить как' : 'Save as'));
      var label = document.createElement('label');
      label.textContent = ru ? 'Тип файла: ' : 'File type: ';
      var select = document.createElement('select');
      select.id = 'veskel-save-type';
      types.forEach(function(t, i) {
        var o = document.createElement('option');
        o.value = String(i + 1);
        o.textContent = t;
        select.appendChild(o);
      });
      select.value = String(selected >= 1 && selected <= types.length ? selected : 1);
      label.appendChild(select);
      box.appendChild(label);
      var finish = function(ok) { VW.close(box); done(ok ? Number(select.value) : 0); };
      VW.buttons(box, [[1, ru ? 'Сохранить' : 'Save'], [0, ru ? 'Отмена' : 'Cancel']], function(a) { finish(a === 1); });
      box.addEventListener('keydown', function(e) {
        e.stopPropagation();
        if (e.key === 'Escape') { e.preventDefault(); finish(false); }
        if (e.key === 'Enter' && e.target === select) { e.preventDefault(); finish(true); }
      });
      VW.open(box);
      select.focus();
    },
    menu: function(items, x, y, done) {
      var menu = VW.box('veskel-menu', 'menu', '');
      menu.tabIndex = -1;
      var entries = [];
      var finish = function(command) {
        document.removeEventListener('pointerdown', outside, true);
        VW.close(menu);
        done(command);
      };
      // A press elsewhere only closes the menu.
      var outside = function(e) {
        if (menu.contains(e.target)) return;
        e.preventDefault();
        e.stopPropagation();
        finish(0);
      };
      items.forEach(function(item) {
        if (item.separator) {
          var line = document.createElement('hr');
          menu.appendChild(line);
          return;
        }
        var entry = document.createElement('div');
        entry.setAttribute('role', 'menuitem');
        entry.className = 'veskel-menuitem';
        entry.tabIndex = -1;
        if (item.image) {
          var img = document.createElement('img');
          img.src = item.image;
          img.alt = item.text;
          entry.appendChild(img);
        } else {
          entry.textContent = item.text;
        }
        if (!item.enabled) {
          entry.setAttribute('aria-disabled', 'true');
        } else {
          entry.addEventListener('click', function() { finish(item.command); });
          entry.addEventListener('pointerenter', function() { entry.focus(); });
          entries.push(entry);
        }
        menu.appendChild(entry);
      });
      menu.addEventListener('keydown', function(e) {
        e.stopPropagation();
        var i = entries.indexOf(document.activeElement);
        if (e.key === 'Escape') finish(0);
        else if (e.key === 'ArrowDown' && entries.length) entries[(i + 1) % entries.length].focus();
        else if (e.key === 'ArrowUp' && entries.length) entries[(i - 1 + entries.length) % entries.length].focus();
        else if ((e.key === 'Enter' || e.key === ' ') && i >= 0) finish(items.filter(function(t) { return t.enabled && !t.separator; })[i].command);
        else return;
        e.preventDefault();
      });
      VW.open(menu);
      // Kept whole on the desktop: to the left of or above the point where it would leave it.
      var w = menu.offsetWidth, h = menu.offsetHeight;
      if (x + w > VW.width) x = Math.max(0, x - w);
      if (y + h > VW.height) y = Math.max(0, y - h);
      menu.style.left = x + 'px';
      menu.style.top = y + 'px';
      document.addEventListener('pointerdown', outside, true);
      if (entries.length) entries[0].focus(); else menu.focus();
    },
    pickFile: function(accept, done) {
      var input = document.getElementById('veskel-file');
      var finished = false;
      var finish = function(path) {
        if (finished) return;
        finished = true;
        input.removeEventListener('change', changed);
        input.removeEventListener('cancel', cancelled);
        done(path);
      };
      var changed = function() {
        var file = input.files && input.files[0];
        if (!file) { finish(''); return; }
        VW.storeFile(file).then(finish, function() { finish(''); });
      };
      var cancelled = function() { finish(''); };
      input.accept = accept;
      input.value = '';
      input.addEventListener('change', changed);
      input.addEventListener('cancel', cancelled);
      VW.modal = true;
      if (!navigator.userActivation || navigator.userActivation.isActive) {
        input.click();
        return;
      }
      // The browser opens a picker only in answer to the user's own click or key: without one
      // (a step that waited in the queue), the page asks for that click first.
      var ru = VW.lang === 'ru';
      var box = VW.box('veskel-pick', 'dialog', ru ? 'Открыть файл' : 'Open a file');
      var answer = function(choose) {
        VW.close(box);
        VW.modal = true;
        if (choose) input.click(); else finish('');
      };
      var first = VW.buttons(box, [[1, ru ? 'Выбрать файл...' : 'Choose a file...'], [0, ru ? 'Отмена' : 'Cancel']],
                             function(a) { answer(a === 1); });
      VW.open(box);
      first.focus();
    },
    // Offers the files a folder holds as downloads: every one (and removes it), or only those
    // written since the page last saw them.
    download: function(folder, remove) {
      var names;
      try { names = FS.readdir(folder); } catch (err) { return; }
      names.forEach(function(name) {
        // A save in progress, or its lock (a user's file may start with a dot too).
        if (name.indexOf('.veskel-') === 0) return;
        var path = folder + '/' + name, stat = FS.stat(path);
        if (!FS.isFile(stat.mode)) return;
        var time = stat.mtime.getTime();
        if (!remove && VW.known[path] !== undefined && VW.known[path] >= time) return;
        var blob = new Blob([FS.readFile(path)], {type: 'application/octet-stream'});
        if (remove) FS.unlink(path); else VW.known[path] = time;
        var a = document.createElement('a');
        a.href = URL.createObjectURL(blob);
        a.download = name;
        a.hidden = true;
        document.body.appendChild(a);
        a.click();
        document.body.removeChild(a);
        setTimeout(function() { URL.revokeObjectURL(a.href); }, 60000);
      });
    },
  },

  veskel_web_init__deps: ['$VW'],
  veskel_web_init: function(width, height, home, downloads) {
    VW.init(width, height, UTF8ToString(home), UTF8ToString(downloads));
  },

  veskel_web_now: function() { return performance.now(); },

  veskel_web_wake_after__deps: ['$VW'],
  veskel_web_wake_after: function(ms) {
    clearTimeout(VW.wake);
    VW.wake = setTimeout(function() { VW.run('timer', function() { _veskel_web_timer(); }); }, ms);
  },

  veskel_web_request_idle__deps: ['$VW'],
  veskel_web_request_idle: function() {
    if (VW.idlePending) return;
    VW.idlePending = true;
    VW.idlePort.postMessage(0);
  },

  veskel_web_blit__deps: ['$VW'],
  veskel_web_blit: function(ptr, stride, x, y, w, h, started) { VW.blit(ptr, stride, x, y, w, h, started); },

  veskel_web_window_rect__deps: ['$VW'],
  veskel_web_window_rect: function(x, y, w, h) { VW.rect = {x: x, y: y, width: w, height: h}; },

  veskel_web_first_frame: function() {
    window.veskel.timing.firstFrame = performance.now();
    if (window.veskel.resolveReady) window.veskel.resolveReady();
  },

  veskel_web_set_cursor__deps: ['$VW'],
  veskel_web_set_cursor: function(id, ptr, w, h, hx, hy) {
    var css;
    if (ptr) {
      // A custom cursor: its picture with the hot spot, and an arrow where the browser refuses it.
      css = 'url(' + VW.imageUrl(ptr, w, h) + ') ' + hx + ' ' + hy + ', default';
    } else {
      css = VW.cssCursor(id);
    }
    if (VW.canvas.style.cursor !== css) VW.canvas.style.cursor = css;
  },

  veskel_web_language__deps: ['$VW'],
  veskel_web_language: function() { return VW.language(); },

  veskel_web_message_box__deps: ['$VW'],
  veskel_web_message_box: function(text, caption, icon, buttons) {
    return Asyncify.handleSleep(function(wakeUp) {
      var parts = UTF8ToString(buttons).split('\n'), list = [];
      for (var i = 0; i + 1 < parts.length; i += 2) list.push([Number(parts[i]), parts[i + 1]]);
      VW.wait();
      VW.messageBox(UTF8ToString(text), UTF8ToString(caption), icon, list, function(answer) { VW.resume(wakeUp, answer); });
    });
  },

  veskel_web_menu_item__deps: ['$VW'],
  veskel_web_menu_item: function(command, text, enabled, separator, ptr, w, h) {
    VW.menuItems.push({command: command, text: UTF8ToString(text), enabled: !!enabled, separator: !!separator,
                       image: ptr ? VW.imageUrl(ptr, w, h) : ''});
  },

  veskel_web_menu_run__deps: ['$VW'],
  veskel_web_menu_run: function(x, y) {
    return Asyncify.handleSleep(function(wakeUp) {
      var items = VW.menuItems;
      VW.menuItems = [];
      VW.wait();
      VW.menu(items, x, y, function(command) { VW.resume(wakeUp, command); });
    });
  },

  veskel_web_pick_file__deps: ['$VW'],
  veskel_web_pick_file: function(accept) {
    return Asyncify.handleSleep(function(wakeUp) {
      VW.wait();
      VW.pickFile(UTF8ToString(accept), function(path) {
        VW.pendingString = path;
        VW.resume(wakeUp, path ? lengthBytesUTF8(path) : 0);
      });
    });
  },

  veskel_web_choose_type__deps: ['$VW'],
  veskel_web_choose_type: function(title, types, selected) {
    return Asyncify.handleSleep(function(wakeUp) {
      var list = UTF8ToString(types).split('\n').filter(function(t) { return t !== ''; });
      VW.wait();
      VW.chooseType(UTF8ToString(title), list, selected, function(index) { VW.resume(wakeUp, index); });
    });
  },

  veskel_web_take_string__deps: ['$VW'],
  veskel_web_take_string: function(buffer, size) {
    stringToUTF8(VW.pendingString, buffer, size);
    VW.pendingString = '';
  },

  veskel_web_flush_downloads__deps: ['$VW'],
  veskel_web_flush_downloads: function() { VW.flush(); },

  veskel_web_set_clipboard_text: function(text) {
    var s = UTF8ToString(text);
    if (navigator.clipboard && navigator.clipboard.writeText) navigator.clipboard.writeText(s).catch(function() {});
  },

  veskel_web_set_clipboard_png: function(ptr, size) {
    if (!navigator.clipboard || !navigator.clipboard.write || typeof ClipboardItem === 'undefined') return;
    var blob = new Blob([HEAPU8.slice(ptr, ptr + size)], {type: 'image/png'});
    navigator.clipboard.write([new ClipboardItem({'image/png': blob})]).catch(function() {});
  },

  veskel_web_set_title: function(text) { document.title = UTF8ToString(text); },

  veskel_web_closed__deps: ['$VW'],
  veskel_web_closed: function() {
    var note = document.createElement('div');
    note.id = 'veskel-status';
    note.textContent = VW.lang === 'ru' ? 'Дизайнер закрыт. Обновите страницу, чтобы открыть его снова.'
                                        : 'The designer is closed. Reload the page to open it again.';
    VW.canvas.parentNode.appendChild(note);
  },

  veskel_web_open_url: function(url) {
    var u = UTF8ToString(url).trim();
    // Only web addresses leave the page, each in a tab of its own; a bare host name is one.
    if (!/^[a-z][a-z0-9+.-]*:/i.test(u)) u = 'http://' + u;
    if (!/^https?:\/\/[^\/\s]/i.test(u)) return 0;
    window.open(u, '_blank', 'noopener');
    return 1;
  },
});
