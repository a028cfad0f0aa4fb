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
// Ruffle looks for game pads at every frame, and the first look starts the engine polling them
// for as long as the page lives. Movies here take no game pad.
navigator.getGamepads = function () { return []; };
// The notice about software rendering would cover the movie at the first mouse-over.
(function () {
  const css = "#hardware-acceleration-modal, #play-button { display: none !important; }";
  const dress = function (element) {
    if (!element.shadowRoot || element.shadowRoot.__mellixDressed) return;
    element.shadowRoot.__mellixDressed = true;
    const style = document.createElement("style");
    style.textContent = css;
    element.shadowRoot.appendChild(style);
  };
  new MutationObserver(function () {
    document.querySelectorAll("ruffle-object, ruffle-embed, ruffle-player").forEach(dress);
  }).observe(document, { childList: true, subtree: true });
})();
