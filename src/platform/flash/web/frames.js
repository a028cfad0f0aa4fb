// How Ruffle's players on a page get their frames, shared by the movie views and the browser
// control's pages. Each player is paced by the page: window.mellixFrames.pace(player, ms).
(function () {
  if (window.mellixFrames) return;

  // Ruffle asks for every display frame, 60 a second, although a movie changes at most at its
  // own frame rate, and each frame asked for wakes the whole drawing chain. Once each player's
  // frame time is known (pace(player, ms)), the requests are answered at the shortest of them;
  // while one of them is 0 (its first frame not yet shown), at every display frame. The page's
  // own waits use displayFrame.
  const displayFrame = window.requestAnimationFrame.bind(window);
  const cancelDisplayFrame = window.cancelAnimationFrame.bind(window);
  const players = new Map();  // player element -> its movie's frame time in ms, 0 for every display frame
  let lastTick = 0;
  let nextRequest = 1;
  const requests = new Map();
  function frameTime() {
    let shortest = 0;
    for (const [player, ms] of players) {
      if (!player.isConnected) players.delete(player);
      else if (!ms) return 0;
      else if (!shortest || ms < shortest) shortest = ms;
    }
    return shortest;
  }
  window.requestAnimationFrame = function (callback) {
    const id = nextRequest++;
    const request = { timer: 0, frame: 0 };
    const ask = function () {
      request.timer = 0;
      request.frame = displayFrame(function (time) {
        requests.delete(id);
        lastTick = time;
        const drawings = stageDrawings();
        for (const drawing of drawings) drawing.begin();
        try {
          callback(time);
        } finally {
          for (const drawing of drawings) drawing.end();
        }
      });
    };
    requests.set(id, request);
    // A few milliseconds early: the display frame that follows is the one due.
    const frameMs = frameTime();
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
  // drawing on a player's canvas is held back, and given to the canvas only when it is not step
  // for step the drawing of the frame before. A canvas not drawn at all in a frame (another
  // player's) keeps its picture.
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
        if (!steps.length) return;
        // A canvas given a new size has lost its picture.
        const now = canvas.width + "x" + canvas.height;
        if (now === size && same(steps, last)) return;
        size = now;
        run(steps);
        last = steps;
      },
    };
  }
  const holds = new WeakMap();  // canvas context -> its hold
  function stageDrawings() {
    const found = [];
    for (const player of players.keys()) {
      const canvas = player.shadowRoot && player.shadowRoot.querySelector("canvas");
      const context = canvas && canvas.getContext("2d");
      if (!context) continue;
      if (!holds.has(context)) holds.set(context, holdDrawing(context));
      found.push(holds.get(context));
    }
    return found;
  }

  // Ruffle looks for game pads at every frame, and the first look starts the engine polling
  // them for as long as the page lives. Movies here take no game pad.
  navigator.getGamepads = function () { return []; };

  window.mellixFrames = {
    displayFrame: displayFrame,
    pace: function (player, ms) { players.set(player, ms); },
  };
})();
