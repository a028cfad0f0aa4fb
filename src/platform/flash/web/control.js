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
  let movieSounds = true;  // the movie holds a sound
  let background = "";  // "#RRGGBB", or "" for the movie's own background
  let ownBackground = "";  // the movie's SetBackgroundColor
  let playing = true;
  let shownGeneration = -1;  // the load whose first frame is on the screen
  let startedGeneration = -1;  // the load handed to the player last
  let loading = false;  // a load is under way in the player
  let loadWaiting = false;  // another load came meanwhile; only the latest one runs after it

  // Ruffle's frames: every display frame until the movie's first frame is on the screen, then
  // at the movie's rate (see frames.js).
  const frames = window.mellixFrames;
  const displayFrame = frames.displayFrame;
  let movieFrameMs = 0;

  // Every player opens a sound output for each movie and keeps feeding it, silent or not. The
  // output of a movie that holds no sound is stopped for good once its first frame is shown
  // (not sooner: a player whose output is not running as it starts hides itself a moment).
  const NativeAudioContext = window.AudioContext;
  let output = null;  // the sound output opened last
  window.AudioContext = function (options) {
    output = new NativeAudioContext(options);
    return output;
  };
  window.AudioContext.prototype = NativeAudioContext.prototype;
  let startedSounds = true;  // the movie handed to the player last holds a sound
  function silence(context) {
    if (!context || context.state === "closed") return;
    context.resume = function () { return Promise.resolve(); };
    context.suspend();
  }

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
      const sounds = startedSounds;
      let left = 3;
      const tick = function () {
        if (shown !== generation) return;
        if (--left > 0) return displayFrame(tick);
        shownGeneration = shown;
        frames.pace(player, movieFrameMs);
        if (!sounds) silence(output);
        if (!playing) suspend();
        report("shown");
        window.__mellixReleaseFetched();
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
    startedSounds = movieSounds;
    movieFrameMs = 0;
    ownBackground = "";
    applyBackground();
    const options = { url: movieUrl, wmode: "transparent" };
    const loader = ensurePlayer();
    frames.pace(loader, 0);
    loader.ruffle().load(options)
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
    load: function (url, bg, gen, sounds) {
      generation = gen;
      movieUrl = url;
      movieSounds = sounds !== false;
      background = bg;
      playing = true;
      start();
    },
    play: function () {
      playing = true;
      frames.wake();
      if (player) resume();
    },
    // A movie stopped before its first frame is drawn stops right after drawing it.
    stop: function () { playing = false; if (player && shownGeneration === generation) suspend(); },
    background: function (bg) {
      background = bg;
      applyBackground();
    },
  };
  report("ready");
})();
