// Ruffle as the Flash plug-in of the browser control's pages: it replaces each <object> and
// <embed> of a movie with a player, and loads its own files from the program's scheme.
window.RufflePlayer = window.RufflePlayer || {};
window.RufflePlayer.config = {
  publicPath: "mellix://app/__mellix/ruffle/",
  polyfills: true,
  autoplay: "on",
  unmuteOverlay: "hidden",
  splashScreen: false,
  warnOnUnsupportedContent: false,
  showSwfDownload: false,
  // The engine runs without a GPU: WebGL is never there, and trying it costs time.
  preferredRenderer: "canvas",
  logLevel: "warn",
};
// The notice about software rendering would cover the movie at the first mouse-over. Each
// player gets every display frame until its movie's first frame is on the screen, then frames at
// the movie's rate (frames.js).
(function () {
  const css = "#hardware-acceleration-modal, #play-button { display: none !important; }";
  const frames = window.mellixFrames;
  const dress = function (element) {
    if (!element.shadowRoot || element.shadowRoot.__mellixDressed) return;
    element.shadowRoot.__mellixDressed = true;
    const style = document.createElement("style");
    style.textContent = css;
    element.shadowRoot.appendChild(style);
    frames.pace(element, 0);
    let frameMs = 0;
    element.addEventListener("loadedmetadata", function () {
      const metadata = element.ruffle().metadata;
      const rate = (metadata && metadata.frameRate) || 0;
      frameMs = rate > 0 && rate < 50 ? 1000 / rate : 0;
    });
    // The first frame is on the screen a few display frames after the movie has arrived.
    element.addEventListener("loadeddata", function () {
      frames.pace(element, 0);
      let left = 3;
      const tick = function () {
        if (--left > 0) return frames.displayFrame(tick);
        frames.pace(element, frameMs);
        window.__mellixReleaseFetched();
      };
      frames.displayFrame(tick);
    });
  };
  new MutationObserver(function () {
    document.querySelectorAll("ruffle-object, ruffle-embed, ruffle-player").forEach(dress);
  }).observe(document, { childList: true, subtree: true });
})();
