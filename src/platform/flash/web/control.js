// The movie view's side of the Flash control: one Ruffle player filling the page, driven by
// the program through window.mellix. Reports go back as console lines starting "mellix:".
(function () {
  // Overlays a Flash control never shows: the big play button while stopped, the unmute
  // prompt, the notice about software rendering, Ruffle's load-failure text and its panel for
  // a file that is no movie (the control then shows its ground, as an empty one does).
  const hiddenOverlays =
    "#play-button, #unmute-overlay, #hardware-acceleration-modal, #splash-screen, #message-overlay," +
    " #panic { display: none !important; }";

  const stage = document.getElementById("stage");
  let player = null;
  let generation = 0;
  let movieUrl = "";
  let background = "";  // "#RRGGBB", or "" for the movie's own background
  let ownBackground = "";  // the movie's SetBackgroundColor
  let playing = true;
  let shownGeneration = -1;  // the load whose first frame is on the screen
  let startedGeneration = -1;  // the load handed to the player last
  let loading = false;  // a load is under way in the player
  let loadWaiting = false;  // another load came meanwhile; only the latest one runs after it

  // Ruffle asks for every display frame, 60 a second, although a movie changes at most at its
  // own frame rate, and each frame asked for wakes the whole drawing chain. Once the movie's rate
  // is known, its requests are answered at that rate; the view's own waits use display frames.
  const displayFrame = window.requestAnimationFrame.bind(window);
  const cancelDisplayFrame = window.cancelAnimationFrame.bind(window);
  let frameMs = 0;  // the movie's frame time, 0 until its first frame is on the screen
  let movieFrameMs = 0;
  let lastTick = 0;
  let nextRequest = 1;
  const requests = new Map();
  window.requestAnimationFrame = function (callback) {
    const id = nextRequest++;
    const request = { timer: 0, frame: 0 };
    const ask = function () {
      request.timer = 0;
      request.frame = displayFrame(function (time) {
        requests.delete(id);
        lastTick = time;
        const drawing = stageDrawing();
        if (drawing) drawing.begin();
        try {
          callback(time);
        } finally {
          if (drawing) drawing.end();
        }
      });
    };
    requests.set(id, request);
    // A few milliseconds early: the display frame that follows is the one due.
    const wait = frameMs ? lastTick + frameMs - performance.now() - 4 : 0;
    if (wait > 0) request.timer = setTimeout(ask, wait);
    else ask();
    return id;
  };
  window.cancelAnimationFrame = function (id) {
    const request = requests.get(id);
    if (!request) return;
    requests.delete(id);
    if (request.timer) clearTimeout(request.timer);
    else cancelDisplayFrame(request.frame);
  };
  // A frame in which nothing moves costs Ruffle a full redraw of its canvas all the same, and the
  // engine then carries the same picture down the whole drawing chain again. Within a frame the
  // drawing on the stage's canvas is held back, and given to the canvas only when it is not
  // step for step the drawing of the frame before.
  function holdDrawing(context) {
    const canvas = context.canvas;
    let steps = [];
    let last = null;  // the steps that drew the canvas as it is, or null when not known
    let size = "";
    let holding = false;
    const run = function (list) {
      for (const step of list) step[0].apply(context, step[1]);
    };
    // Something reads the canvas: what is held must be on it first.
    const release = function () {
      if (!holding) return;
      holding = false;
      run(steps);
      last = null;
    };
    const same = function (a, b) {
      if (!b || a.length !== b.length) return false;
      for (let i = 0; i < a.length; ++i) {
        if (a[i][0] !== b[i][0] || a[i][1].length !== b[i][1].length) return false;
        for (let j = 0; j < a[i][1].length; ++j)
          if (!Object.is(a[i][1][j], b[i][1][j])) return false;
      }
      return true;
    };
    const proto = CanvasRenderingContext2D.prototype;
    for (const name of Object.getOwnPropertyNames(proto)) {
      const d = Object.getOwnPropertyDescriptor(proto, name);
      if (name === "constructor" || name === "canvas") continue;
      if (typeof d.value === "function") {
        if (/^create/.test(name)) continue;  // makes a value, draws nothing
        const original = d.value;
        const reads = /^(get|is|measure)/.test(name);
        context[name] = function () {
          if (reads) release();
          else if (holding) return void steps.push([original, Array.from(arguments)]);
          else last = null;
          return original.apply(context, arguments);
        };
      } else if (d.set) {
        Object.defineProperty(context, name, {
          configurable: true,
          get: function () {
            release();
            return d.get.call(context);
          },
          set: function (value) {
            if (holding) return void steps.push([d.set, [value]]);
            last = null;
            d.set.call(context, value);
          },
        });
      }
    }
    return {
      begin: function () {
        steps = [];
        holding = true;
      },
      end: function () {
        if (!holding) return;
        holding = false;
        // A canvas given a new size has lost its picture.
        const now = canvas.width + "x" + canvas.height;
        if (now === size && same(steps, last)) return;
        size = now;
        run(steps);
        last = steps;
      },
    };
  }
  let stageContext = null;
  let stageHold = null;
  function stageDrawing() {
    const canvas = player && player.shadowRoot && player.shadowRoot.querySelector("canvas");
    const context = canvas && canvas.getContext("2d");
    if (!context) return null;
    if (context !== stageContext) {
      stageContext = context;
      stageHold = holdDrawing(context);
    }
    return stageHold;
  }
  // Ruffle looks for game pads at every frame, and the first look starts the engine polling
  // them for as long as the view lives. Movies here take no game pad.
  navigator.getGamepads = function () { return []; };

  function report(what, detail) {
    console.log("mellix:" + what + " " + generation + (detail ? " " + detail : ""));
  }

  function ensurePlayer() {
    // A player that met a file it could not parse stays broken: every movie loaded into it
    // later lies under its error panel. The next movie gets a new player.
    if (player && player.shadowRoot.querySelector("#panic")) {
      player.remove();
      player = null;
    }
    if (player) return player;
    player = window.RufflePlayer.newest().createPlayer();
    stage.appendChild(player);
    const style = document.createElement("style");
    style.textContent = hiddenOverlays;
    player.shadowRoot.appendChild(style);
    // A file Ruffle cannot parse does not fail the load: the player puts up its panel instead.
    const failed = player;
    new MutationObserver(function (changes, observer) {
      if (!failed.shadowRoot.querySelector("#panic")) return;
      observer.disconnect();
      if (failed === player && startedGeneration === generation) report("error", "not a movie");
    }).observe(player.shadowRoot, { childList: true, subtree: true });
    player.addEventListener("loadedmetadata", function () {
      const metadata = player.ruffle().metadata;
      ownBackground = (metadata && metadata.backgroundColor) || "";
      const rate = (metadata && metadata.frameRate) || 0;
      movieFrameMs = rate > 0 && rate < 50 ? 1000 / rate : 0;
      applyBackground();
    });
    // The first frame is on the screen a few display frames after the movie has arrived.
    player.addEventListener("loadeddata", function () {
      const shown = startedGeneration;
      let frames = 3;
      const tick = function () {
        if (shown !== generation) return;
        if (--frames > 0) return displayFrame(tick);
        shownGeneration = shown;
        frameMs = movieFrameMs;
        if (!playing) suspend();
        report("shown");
      };
      displayFrame(tick);
    });
    return player;
  }

  function suspend() { try { player.ruffle().suspend(); } catch (e) {} }
  function resume() { try { player.ruffle().resume(); } catch (e) {} }

  // The player is transparent over the page, so a colour change shows at once without
  // restarting the movie; the page takes the chosen colour, else the movie's own.
  function applyBackground() {
    document.body.style.background = background || ownBackground || "";
  }

  // A player handed a new movie while it still sets up the last one ends up drawing nothing,
  // so loads run one after the other, and of those that wait only the latest.
  function start() {
    if (loading) {
      loadWaiting = true;
      return;
    }
    loading = true;
    startedGeneration = generation;
    frameMs = movieFrameMs = 0;
    ownBackground = "";
    applyBackground();
    const options = { url: movieUrl, wmode: "transparent" };
    ensurePlayer().ruffle().load(options)
      .catch(function (e) { if (startedGeneration === generation) report("error", String(e)); })
      .finally(function () {
        loading = false;
        if (loadWaiting) {
          loadWaiting = false;
          start();
        }
      });
  }

  window.mellix = {
    load: function (url, bg, gen) {
      generation = gen;
      movieUrl = url;
      background = bg;
      playing = true;
      start();
    },
    play: function () { playing = true; if (player) resume(); },
    // A movie stopped before its first frame is drawn stops right after drawing it.
    stop: function () { playing = false; if (player && shownGeneration === generation) suspend(); },
    background: function (bg) {
      background = bg;
      applyBackground();
    },
  };
  report("ready");
})();
