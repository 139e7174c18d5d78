// host/web/web_host.js - the page's side of the web host (declared in web_host.h).
//
// An Emscripten JavaScript library, linked with --js-library. It reaches the
// program only through the exported functions lantern_web_visibility,
// lantern_web_touch and lantern_web_pause (host/web/webgame.cpp), and
// Emscripten's GLFW, OpenAL and file system only through their library
// objects ($GLFW, $AL, $FS).

var LanternWebHost = {
  $LanternPage__deps: ['$GLFW', '$AL'],
  $LanternPage: {
    // Keys the browser would act on itself (help, search, caret browsing,
    // its own full screen, scrolling); the game has uses for them. With
    // Ctrl, Alt or Meta held they stay the browser's.
    takenKeys: {
      'F1': 1, 'F2': 1, 'F3': 1, 'F7': 1, 'F10': 1, 'F11': 1,
      'ArrowUp': 1, 'ArrowDown': 1, 'ArrowLeft': 1, 'ArrowRight': 1,
      ' ': 1, 'PageUp': 1, 'PageDown': 1, 'Home': 1, 'End': 1, 'Tab': 1,
    },
    // Touch identifiers by finger index 0-9; a new touch takes the lowest free index.
    fingers: [],
    // Event codes of the host (host/game.h).
    touchDown: 7,
    touchUp: 8,
    touchMoved: 9,

    // The key of a saved file in the browser's local storage: a fixed prefix
    // and the file's path. Players' saved states are stored under it, so it
    // never changes, not even with the game's title (which it was once).
    stateKey: function(path) {
      return 'Bramblet in The Lantern Vault:' + path;
    },
    // The stored copy of the file at `path`, one character per byte, as
    // bytes; null when there is none.
    storedBytes: function(path) {
      var text = localStorage.getItem(LanternPage.stateKey(path));
      if (text === null) return null;
      var bytes = new Uint8Array(text.length);
      for (var i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i) & 0xff;
      return bytes;
    },

    // A phone held upright: the game's picture would be too narrow there, so
    // the page asks the player to turn it (index.html shows the request with
    // the same query) and the game waits as if the page were hidden. A
    // touch screen is one whose main pointer is a finger, or one a finger
    // has been seen on.
    upright: null,
    touchSeen: false,
    isUpright: function() {
      var q = LanternPage.upright;
      if (!q || !q.portrait.matches) return false;
      return q.coarse.matches || LanternPage.touchSeen;
    },
    hidden: function() {
      return document.hidden || LanternPage.isUpright();
    },
    reportVisibility: function() {
      var hidden = LanternPage.hidden();
      document.documentElement.classList.toggle('upright', LanternPage.isUpright());
      if (hidden !== LanternPage.reportedHidden) {
        LanternPage.reportedHidden = hidden;
        Module['_lantern_web_visibility'](hidden ? 1 : 0);
      }
    },
    reportedHidden: false,

    // True while the page is in the full screen that a finger's start asked
    // for; leaving it (the phone's back gesture) pauses a round.
    touchFullScreen: false,
    onFullScreenChange: function() {
      var full = !!(document.fullscreenElement || document.webkitFullscreenElement);
      if (!full && LanternPage.touchFullScreen) {
        LanternPage.touchFullScreen = false;
        Module['_lantern_web_pause']();
      }
    },

    // Asks for full screen and, once there, a sideways screen; either may be refused.
    fullScreenAtLift: false,
    goFullScreen: function() {
      LanternPage.fullScreenAtLift = false;
      var page = document.documentElement;
      var request = page.requestFullscreen || page.webkitRequestFullscreen;
      if (!request || document.fullscreenElement || document.webkitFullscreenElement) return;
      var sideways = function() {
        LanternPage.touchFullScreen = true;
        // Only a page in full screen may lock the screen's orientation, and
        // many browsers refuse even then.
        var orientation = screen.orientation;
        if (orientation && orientation.lock) orientation.lock('landscape').catch(function() {});
      };
      try {
        var result = request.call(page, {navigationUI: 'hide'});
        if (result && result.then) {
          result.then(sideways, function() {});
        } else {
          sideways();
        }
      } catch (e) {
        // No full screen here: the page plays as it is.
      }
    },

    // Sound may start only once the player has done something on the page.
    // Every gesture resumes the audio context while it is suspended, so the
    // first click, key or touch that the browser accepts lets sound out.
    resumeSound: function() {
      var context = AL.currentCtx && AL.currentCtx.audioCtx;
      if (context && context.state === 'suspended' && context.resume) {
        context.resume().catch(function() {});
      }
    },

    onKeyDown: function(event) {
      if (event.ctrlKey || event.altKey || event.metaKey) return;
      // Typing in the page's own controls (a name, a key) is theirs.
      if (event.target && event.target.closest && event.target.closest('.page-control')) return;
      if (LanternPage.takenKeys[event.key]) event.preventDefault();
    },

    // Touches go to the game as touches, and the browser's emulated mouse
    // events and Emscripten's touch-as-mouse are kept from seeing them.
    onTouch: function(event) {
      var canvas = Module['canvas'];
      if (!canvas) return;
      // The page's own controls (its replays) take their touches themselves.
      if (event.target && event.target.closest && event.target.closest('.page-control')) return;
      var code = event.type === 'touchstart' ? LanternPage.touchDown
               : event.type === 'touchmove' ? LanternPage.touchMoved : LanternPage.touchUp;
      var rect = canvas.getBoundingClientRect();
      var sx = rect.width > 0 ? canvas.width / rect.width : 1;
      var sy = rect.height > 0 ? canvas.height / rect.height : 1;
      if (!LanternPage.touchSeen) {
        LanternPage.touchSeen = true;
        LanternPage.reportVisibility();
      }
      var fingers = LanternPage.fingers;
      for (var i = 0; i < event.changedTouches.length; ++i) {
        var touch = event.changedTouches[i];
        var finger = fingers.indexOf(touch.identifier);
        if (finger < 0) {
          if (code !== LanternPage.touchDown) continue;
          finger = fingers.indexOf(undefined);
          if (finger < 0) finger = fingers.length;
          if (finger >= 10) continue;
          fingers[finger] = touch.identifier;
        }
        if (code === LanternPage.touchUp) fingers[finger] = undefined;
        Module['_lantern_web_touch'](code, finger, (touch.clientX - rect.left) * sx, (touch.clientY - rect.top) * sy);
      }
      event.preventDefault();
      event.stopPropagation();
      if (code === LanternPage.touchUp && LanternPage.fullScreenAtLift) LanternPage.goFullScreen();
    },
  },

  lantern_web_install_page__deps: ['$LanternPage', '$FS', 'malloc', 'free'],
  lantern_web_install_page: function() {
    LanternPage.upright = {
      portrait: window.matchMedia('(orientation: portrait)'),
      coarse: window.matchMedia('(pointer: coarse)'),
    };
    LanternPage.reportedHidden = LanternPage.hidden();
    document.documentElement.classList.toggle('upright', LanternPage.isUpright());
    document.addEventListener('visibilitychange', LanternPage.reportVisibility);
    window.addEventListener('resize', LanternPage.reportVisibility);
    LanternPage.upright.portrait.addEventListener('change', LanternPage.reportVisibility);
    document.addEventListener('fullscreenchange', LanternPage.onFullScreenChange);
    document.addEventListener('webkitfullscreenchange', LanternPage.onFullScreenChange);
    ['pointerdown', 'pointerup', 'mousedown', 'keydown', 'keyup', 'touchend', 'click'].forEach(function(type) {
      window.addEventListener(type, LanternPage.resumeSound, true);
    });
    window.addEventListener('keydown', LanternPage.onKeyDown, true);
    ['touchstart', 'touchmove', 'touchend', 'touchcancel'].forEach(function(type) {
      window.addEventListener(type, LanternPage.onTouch, {capture: true, passive: false});
    });
    // What the page's sound is doing ('suspended' until a gesture, then
    // 'running'), for the page and its tests.
    Module['soundState'] = function() {
      var context = AL.currentCtx && AL.currentCtx.audioCtx;
      return context ? context.state : 'none';
    };
    // A right click opens no menu over the game.
    Module['canvas'].addEventListener('contextmenu', function(event) { event.preventDefault(); });
    // A replay the page opens (a link, a dropped file), named `name`: its
    // bytes handed to the game; true when it was read and waits for the menu
    // (else the page was told why).
    Module['openReplay'] = function(name, bytes, fast) {
      var size = lengthBytesUTF8(name) + 1, text = _malloc(size), data = _malloc(Math.max(bytes.length, 1));
      stringToUTF8(name, text, size);
      HEAPU8.set(bytes, data);
      var opened = Module['_lantern_web_open_replay'](data, bytes.length, text, fast ? 1 : 0);
      _free(text);
      _free(data);
      return opened === 1;
    };
    // One of the game's files as bytes, or null: the page offers its replays.
    Module['gameFile'] = function(path) {
      try {
        return FS.readFile(path);
      } catch (e) {
        return null;
      }
    };
  },

  lantern_web_page_hidden: function() {
    return LanternPage.hidden() ? 1 : 0;
  },

  lantern_web_player_started: function(byFinger) {
    // The data the start did not need comes now, in the background.
    var data = Module['lanternData'];
    if (data) data['playerStarted']();
    if (!byFinger) return;
    // A page may ask for full screen only while a gesture is active, and a
    // finger's gesture is active from its lifting: the game passes its start
    // screen when the finger comes down, so the request waits for the lift.
    if (navigator.userActivation && navigator.userActivation.isActive) {
      LanternPage.goFullScreen();
    } else {
      LanternPage.fullScreenAtLift = true;
    }
  },

  lantern_web_fit_canvas__deps: ['$GLFW'],
  lantern_web_fit_canvas: function() {
    var canvas = Module['canvas'];
    var ratio = window.devicePixelRatio || 1;
    var width = Math.max(1, Math.round(canvas.clientWidth * ratio));
    var height = Math.max(1, Math.round(canvas.clientHeight * ratio));
    var changed = canvas.width !== width || canvas.height !== height;
    if (changed) {
      canvas.width = width;
      canvas.height = height;
    }
    var win = GLFW.active;
    if (win && (win.width !== width || win.height !== height)) {
      win.width = width;
      win.height = height;
      changed = true;
    }
    return changed ? 1 : 0;
  },

  lantern_web_switch_full_screen: function(fullscreen) {
    var current = !!(document.fullscreenElement || document.webkitFullscreenElement);
    var wanted = fullscreen !== 0;
    if (wanted === current) wanted = !current;
    var page = document.documentElement;
    try {
      if (wanted) {
        var request = page.requestFullscreen || page.webkitRequestFullscreen;
        var result = request && request.call(page);
        if (result && result.catch) result.catch(function() {});
      } else {
        var exit = document.exitFullscreen || document.webkitExitFullscreen;
        var done = exit && exit.call(document);
        if (done && done.catch) done.catch(function() {});
      }
    } catch (e) {
      // The browser refused (no gesture, or no full screen here): the page stays as it is.
    }
  },

  lantern_web_screen_size: function(width, height) {
    var ratio = window.devicePixelRatio || 1;
    HEAP32[width >> 2] = Math.round(screen.width * ratio);
    HEAP32[height >> 2] = Math.round(screen.height * ratio);
  },

  lantern_web_show_pointer: function(visible) {
    Module['canvas'].style.cursor = visible ? '' : 'none';
  },

  lantern_web_store_state__deps: ['$FS', '$LanternPage'],
  lantern_web_store_state: function(path) {
    path = UTF8ToString(path);
    try {
      var bytes;
      try {
        bytes = FS.readFile(path);
      } catch (e) {
        localStorage.removeItem(LanternPage.stateKey(path));
        return 0;
      }
      // One character per byte: the stored text is the file, byte for byte.
      var text = '';
      for (var i = 0; i < bytes.length; i += 8192) {
        text += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
      }
      localStorage.setItem(LanternPage.stateKey(path), text);
      return 0;
    } catch (e) {
      // No storage (disabled, or full).
      return -1;
    }
  },

  lantern_web_restore_state__deps: ['$FS', '$LanternPage'],
  lantern_web_restore_state: function(path) {
    path = UTF8ToString(path);
    var bytes = null;
    try {
      bytes = LanternPage.storedBytes(path);
    } catch (e) {
      return;
    }
    if (bytes !== null) FS.writeFile(path, bytes);
  },

  // The game's data comes from the page's own loader (Module.lanternData,
  // index.html), which fetched what the start needs before the module ran
  // and fetches the rest as it is wanted. From here on it hands every file
  // that arrives straight to the file system.
  lantern_web_take_data__deps: ['$FS'],
  lantern_web_take_data: function() {
    var data = Module['lanternData'];
    if (!data) return;
    data['deliver'](function(name, bytes) {
      var path = '/' + name;
      FS.mkdirTree(path.slice(0, path.lastIndexOf('/')));
      FS.writeFile(path, bytes);
    });
  },

  lantern_web_file_state__deps: ['$FS'],
  lantern_web_file_state: function(path) {
    var name = UTF8ToString(path).replace(/^\.?\//, '');
    if (FS.analyzePath('/' + name).exists) return 2;
    var data = Module['lanternData'];
    return data ? data['want'](name) : 0;
  },

  lantern_web_restore_folder__deps: ['$FS', '$LanternPage'],
  lantern_web_restore_folder: function(folder) {
    var prefix = LanternPage.stateKey(UTF8ToString(folder) + '/');
    var paths = [];
    try {
      for (var i = 0; i < localStorage.length; ++i) {
        var key = localStorage.key(i);
        if (key.indexOf(prefix) === 0) paths.push(key.slice(LanternPage.stateKey('').length));
      }
    } catch (e) {
      return;
    }
    paths.forEach(function(path) {
      // The game names them from its working folder, the root.
      var file = '/' + path.replace(/^(\.\/)+/, '');
      try {
        FS.mkdirTree(file.slice(0, file.lastIndexOf('/')));
        FS.writeFile(file, LanternPage.storedBytes(path));
      } catch (e) {
        // A copy that cannot be written back is left in the storage.
      }
    });
  },

  // The page's world board (host/web/index.html, Module.lanternBoard).
  lantern_web_board_state: function(what) {
    var board = Module['lanternBoard'];
    if (!board) return 0;
    return (what === 0 ? board['set']() : what === 1 ? board['answers']() : board['takeDailyAsk']()) ? 1 : 0;
  },

  lantern_web_board_daily: function(seed) {
    var board = Module['lanternBoard'];
    var daily = board ? board['daily']() : null;
    if (daily === null) return 0;
    HEAP32[seed >> 2] = daily;
    return 1;
  },

  lantern_web_board_round: function(bytes, length) {
    var board = Module['lanternBoard'];
    if (board) board['roundFinished'](HEAPU8.slice(bytes, bytes + length));
  },

  lantern_web_show_note: function(text) {
    if (Module['showNote']) Module['showNote'](UTF8ToString(text));
  },

  lantern_web_open_url: function(url) {
    url = UTF8ToString(url);
    // Only links a browser opens as pages; never script.
    if (!/^(https?|mailto):/i.test(url)) return;
    window.open(url, '_blank', 'noopener');
  },

  lantern_web_program_ended__deps: ['emscripten_cancel_main_loop'],
  lantern_web_program_ended: function(status) {
    _emscripten_cancel_main_loop();
    if (Module['programEnded']) {
      Module['programEnded'](status);
    } else if (status === 0) {
      location.reload();
    }
  },

  // GLFW 3.3's gamepad calls, which Emscripten's GLFW 3.2 lacks
  // (host/web/include/GLFW/glfw3.h). A pad the browser maps to its
  // "standard" layout is a gamepad; its buttons and axes are rearranged into
  // GLFW's order, and its analogue triggers become axes from -1 to 1.
  glfwJoystickIsGamepad__deps: ['$GLFW'],
  glfwGetMonitorContentScale: function(monitor, xscale, yscale) {
    if (xscale) HEAPF32[xscale >> 2] = 1;
    if (yscale) HEAPF32[yscale >> 2] = 1;
  },

  glfwJoystickIsGamepad: function(jid) {
    GLFW.refreshJoysticks();
    var pads = GLFW.lastGamepadState;
    var pad = pads && pads[jid];
    return pad && pad.mapping === 'standard' ? 1 : 0;
  },

  glfwGetGamepadState__deps: ['$GLFW'],
  glfwGetGamepadState: function(jid, state) {
    GLFW.refreshJoysticks();
    var pads = GLFW.lastGamepadState;
    var pad = pads && pads[jid];
    if (!pad || pad.mapping !== 'standard' || !state) return 0;
    // GLFW button i is standard button fromStandard[i]: A, B, X, Y, the
    // bumpers, back, start, guide, the stick clicks, then the pad's up,
    // right, down and left.
    var fromStandard = [0, 1, 2, 3, 4, 5, 8, 9, 16, 10, 11, 12, 15, 13, 14];
    for (var i = 0; i < fromStandard.length; ++i) {
      var button = pad.buttons[fromStandard[i]];
      HEAPU8[state + i] = button && button.pressed ? 1 : 0;
    }
    var axes = (state + 16) >> 2;
    for (var a = 0; a < 4; ++a) HEAPF32[axes + a] = pad.axes[a] || 0;
    for (var t = 0; t < 2; ++t) {
      var trigger = pad.buttons[6 + t];
      HEAPF32[axes + 4 + t] = trigger ? trigger.value * 2 - 1 : -1;
    }
    return 1;
  },
};

autoAddDeps(LanternWebHost, '$LanternPage');
mergeInto(LibraryManager.library, LanternWebHost);
