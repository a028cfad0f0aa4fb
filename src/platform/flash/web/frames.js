// How Ruffle's players on a page get their frames and feed their sound outputs, shared by the
// movie views and the browser control's pages. Each player is paced by the page:
// window.mellixFrames.pace(player, ms).
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
  // A page whose players have drawn nothing new, played no sound and met no input for longer
  // than the page movies' slowest beat (one every two seconds) is still: a stopped button, a
  // still preview. Its players get a frame only every quarter second, until a frame draws
  // something new, a sound plays or the mouse or keyboard is used on the page.
  const stillAfter = 2500;
  const stillFrame = 250;
  let lastChange = 0;  // performance.now() of the last frame drawn, sound, input, load or Play
  function frameTime() {
    let shortest = 0;
    for (const [player, ms] of players) {
      if (!player.isConnected) players.delete(player);
      else if (!ms) return 0;
      else if (!shortest || ms < shortest) shortest = ms;
    }
    const still = performance.now() - lastChange > stillAfter;
    if (shortest && still) return Math.max(shortest, stillFrame);
    return shortest;
  }
  // Something changed: on a still page, a frame waiting for its quarter second is asked for now.
  function wake() {
    const now = performance.now();
    const still = now - lastChange > stillAfter;
    lastChange = now;
    if (!still) return;
    for (const request of requests.values()) {
      if (!request.timer) continue;
      clearTimeout(request.timer);
      request.ask();
    }
  }
  window.requestAnimationFrame = function (callback) {
    const id = nextRequest++;
    const request = { timer: 0, frame: 0, ask: null };
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
          for (const drawing of drawings) if (drawing.end()) wake();
        }
      });
    };
    request.ask = ask;
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
      // True when the canvas was drawn anew.
      end: function () {
        if (!holding) return false;
        holding = false;
        if (!steps.length) return false;
        // A canvas given a new size has lost its picture.
        const now = canvas.width + "x" + canvas.height;
        if (now === size && same(steps, last)) return false;
        size = now;
        run(steps);
        last = steps;
        return true;
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

  // Ruffle keeps a sound output open for every player and feeds it a buffer every 46 or 93 ms,
  // silent or not, which keeps the engine's sound threads and the sound server busy while a
  // button only waits to be clicked. After a second of buffers that hold nothing but zeros the
  // output rests: the buffers that follow are not played, each one "ends" on a timer when it
  // would have ended, and the output is suspended once the last one it still plays has ended.
  // The first buffer that holds sound wakes it and is played 50 ms on, the ones after it
  // following on as before. Ruffle sees a clock that runs on while the output rests (its
  // buffers are timed by it) and an output that runs; its own suspend and resume (Stop and
  // Play) pause and continue the resting buffers.
  const NativeAudioContext = window.AudioContext;
  const nativeTime = Object.getOwnPropertyDescriptor(BaseAudioContext.prototype, "currentTime").get;
  const nativeState = Object.getOwnPropertyDescriptor(BaseAudioContext.prototype, "state").get;
  const restAfter = 1;  // seconds of silent buffers in a row before the output rests
  function silent(buffer) {
    if (!buffer) return true;
    for (let c = 0; c < buffer.numberOfChannels; ++c) {
      const data = buffer.getChannelData(c);
      for (let i = 0; i < data.length; ++i) if (data[i] !== 0) return false;
    }
    return true;
  }
  window.AudioContext = function (options) {
    const context = new NativeAudioContext(options);
    const nativeSuspend = context.suspend.bind(context);
    const nativeResume = context.resume.bind(context);
    let offset = 0;  // Ruffle's clock less the output's own
    let silentRun = 0;  // seconds
    let mode = "awake";  // "resting": silent buffers not played; "asleep": the output suspended too
    let playing = 0;  // buffers handed to the output and not yet ended
    let held = false;  // suspended by Ruffle
    let restClock = 0;  // while asleep: Ruffle's clock when the output was suspended ...
    let restStart = 0;  // ... and performance.now() then, moved on by the time Ruffle held it
    let heldAt = 0;  // performance.now() when Ruffle suspended it
    const waiting = new Set();  // buffers not played, each { node, end } (end on Ruffle's clock)
    const clock = function () {
      if (mode !== "asleep") return nativeTime.call(context) + offset;
      return restClock + ((held ? heldAt : performance.now()) - restStart) / 1000;
    };
    const wait = function (entry) {
      entry.timer = setTimeout(function () {
        waiting.delete(entry);
        // A closed output's player is gone, and with it what its buffers would call.
        if (nativeState.call(context) === "closed") return;
        if (entry.node.onended) entry.node.onended(new Event("ended"));
      }, Math.max(0, (entry.end - clock()) * 1000));
    };
    const sleep = function () {
      restClock = clock();
      restStart = held ? heldAt : performance.now();
      mode = "asleep";
      if (!held) nativeSuspend();
    };
    const playOut = function (node, at) {
      ++playing;
      node.addEventListener("ended", function () {
        if (--playing === 0 && mode === "resting") sleep();
      });
      AudioBufferSourceNode.prototype.start.call(node, Math.max(0, at - offset));
    };
    Object.defineProperty(context, "currentTime", { get: clock });
    Object.defineProperty(context, "state", {
      get: function () { return mode === "asleep" && !held ? "running" : nativeState.call(context); },
    });
    context.suspend = function () {
      if (held) return Promise.resolve();
      held = true;
      heldAt = performance.now();
      for (const entry of waiting) clearTimeout(entry.timer);
      return mode === "asleep" ? Promise.resolve() : nativeSuspend();
    };
    context.resume = function () {
      if (!held) return Promise.resolve();
      held = false;
      if (mode === "asleep") restStart += performance.now() - heldAt;
      for (const entry of waiting) wait(entry);
      return mode === "asleep" ? Promise.resolve() : nativeResume();
    };
    const createBufferSource = context.createBufferSource.bind(context);
    context.createBufferSource = function () {
      const node = createBufferSource();
      node.start = function (when) {
        const at = when || 0;
        const length = node.buffer ? node.buffer.duration : 0;
        if (!silent(node.buffer)) {
          wake();
          silentRun = 0;
          if (mode === "asleep") {
            // Played a moment from now; the buffers after it follow on from there.
            offset = at - nativeTime.call(context) - 0.05;
            if (!held) nativeResume();
          }
          mode = "awake";
        } else if ((silentRun += length) >= restAfter && mode === "awake") {
          mode = "resting";
          if (playing === 0) sleep();
        }
        if (mode === "awake") return playOut(node, at);
        const entry = { node: node, end: Math.max(at, clock()) + length };
        waiting.add(entry);
        if (!held) wait(entry);
      };
      return node;
    };
    return context;
  };
  window.AudioContext.prototype = NativeAudioContext.prototype;

  // Input on the page wakes it at once.
  for (const type of ["pointermove", "pointerdown", "pointerup", "keydown", "keyup", "wheel"])
    window.addEventListener(type, wake, { capture: true, passive: true });

  window.mellixFrames = {
    displayFrame: displayFrame,
    wake: wake,
    pace: function (player, ms) {
      players.set(player, ms);
      wake();
    },
  };
})();
