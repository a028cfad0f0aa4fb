// This engine cannot fetch() from the program's own URL scheme, and Ruffle loads both its
// WebAssembly and the movies with fetch(). Route those requests through XMLHttpRequest, which
// can, and hand Ruffle an ordinary Response.
(function () {
  if (window.__mellixFetchShim) return;
  window.__mellixFetchShim = true;
  const nativeFetch = window.fetch.bind(window);
  const typeByExtension = {
    wasm: "application/wasm",
    js: "text/javascript",
    swf: "application/x-shockwave-flash",
  };
  window.fetch = function (input, init) {
    let url = typeof input === "string" ? input : input && input.url ? input.url : String(input);
    // A page's links to files on disk are served by the program's scheme too.
    if (/^file:\/\//i.test(url)) url = "mellix://app" + new URL(url).pathname;
    if (!/^mellix:/i.test(url)) return nativeFetch(input, init);
    return new Promise(function (resolve, reject) {
      const request = new XMLHttpRequest();
      request.open("GET", url);
      request.responseType = "arraybuffer";
      request.onload = function () {
        const extension = url.split(/[?#]/)[0].split(".").pop().toLowerCase();
        const type = request.getResponseHeader("Content-Type") || typeByExtension[extension] ||
                     "application/octet-stream";
        const status = request.status === 0 ? 200 : request.status;
        const response = new Response(request.response, { status: status, headers: { "Content-Type": type } });
        // A made-up Response has no URL, and Ruffle takes the movie's own URL (its sandbox, the
        // base of its relative loads, its query parameters) from the response.
        Object.defineProperty(response, "url", { value: request.responseURL || url });
        resolve(response);
      };
      request.onerror = function () { reject(new TypeError("Failed to fetch " + url)); };
      request.send();
    });
  };
})();
