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
      applyBackground();
    });
    // The first frame is on the screen a few display frames after the movie has arrived.
    player.addEventListener("loadeddata", function () {
      const shown = startedGeneration;
      let frames = 3;
      const tick = function () {
        if (shown !== generation) return;
        if (--frames > 0) return requestAnimationFrame(tick);
        shownGeneration = shown;
        if (!playing) suspend();
        report("shown");
      };
      requestAnimationFrame(tick);
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
