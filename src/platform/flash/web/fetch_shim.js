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
  const collectGarbage = typeof window.gc === "function" ? window.gc : null;
  // Bytes fetched since the page last let go of what it no longer holds.
  let fetchedBytes = 0;

  // A Response made from the bytes would copy them, and its arrayBuffer(), which Ruffle reads a
  // movie with, copies them again: a 44 MB movie stood three times in the page before Ruffle
  // took its own copy. This one's body streams a view of the fetched bytes instead, and its
  // arrayBuffer() hands them over as they are. Either way it lets go of them then: the engine
  // keeps a Response that has been read for as long as the page lives.
  function respond(fetched, type, status, url) {
    let bytes = fetched;
    const take = function () {
      const taken = bytes;
      bytes = null;
      return taken;
    };
    const body = new ReadableStream({
      pull: function (controller) {
        const taken = take();
        if (taken) controller.enqueue(new Uint8Array(taken));
        controller.close();
      },
    }, { highWaterMark: 0 });
    const response = new Response(body, { status: status, headers: { "Content-Type": type } });
    // A made-up Response has no URL, and Ruffle takes the movie's own URL (its sandbox, the
    // base of its relative loads, its query parameters) from the response.
    Object.defineProperty(response, "url", { value: url });
    Object.defineProperty(response, "arrayBuffer", {
      value: function () {
        if (response.bodyUsed || body.locked) return Response.prototype.arrayBuffer.call(response);
        const taken = take();
        body.cancel();
        return Promise.resolve(taken);
      },
    });
    return response;
  }

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
        const bytes = request.response;
        fetchedBytes += bytes.byteLength;
        resolve(respond(bytes, type, status, request.responseURL || url));
      };
      request.onerror = function () { reject(new TypeError("Failed to fetch " + url)); };
      request.send();
    });
  };
  // Called once a player shows its movie: by then it holds its own copy of what was fetched
  // for it. The fetched bytes are garbage, but an idle page collects nothing, so a long movie's
  // would stay for as long as the page is shown. Collect them now, when a megabyte or more came
  // (the engine is started with --expose-gc; without it nothing is done).
  window.__mellixReleaseFetched = function () {
    if (fetchedBytes < 1 << 20 || !collectGarbage) return;
    fetchedBytes = 0;
    collectGarbage();
  };
})();
