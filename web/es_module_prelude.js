// Run before the engine in its ES module form. Emscripten's loader sets the
// module's directory from __dirname under Node, which an ES module lacks; the
// engine is a single file that reads nothing beside itself, so none is needed.
var __dirname = "";
