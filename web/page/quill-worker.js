// Quill in a Web Worker. Each message the page posts is one UCI line for the
// engine; each message this worker posts back is one line the engine sent,
// as plain strings, exactly as a GUI reads and writes the engine's pipes.
// The engine (quill.js, quill.wasm) runs its main thread and its input
// thread as Emscripten threads, so this worker's own thread only passes
// lines and "stop" or "isready" are taken at once during a search.
'use strict';

const queued = [];
let started = false;

function toEngine(line) {
    Module.ccall('QuillInputLine', null, ['string'], [line]);
}

var Module = {
    arguments: [],
    // The threads load the engine script itself, not this worker script.
    mainScriptUrlOrBlob: new URL('quill.js', self.location.href).href,
    locateFile: (path) => new URL(path, self.location.href).href,
    print: (line) => postMessage(line),
    printErr: (line) => console.warn(line),
    onRuntimeInitialized: () => {
        started = true;
        queued.splice(0).forEach(toEngine);
    },
};

importScripts('quill.js');

self.onmessage = (event) => {
    for (const line of String(event.data).split('\n')) {
        if (started) toEngine(line);
        else queued.push(line);
    }
};
