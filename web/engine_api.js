// Added to the engine's module: its functions as JavaScript takes them,
// strings in and strings out.
//   engine.pressJson(line)    the answer flyback-calc --jsonl writes for the line
//   engine.faultMessage(line) the window's message for a faulting press, or ""
//   engine.suspectInput(line) the input (0 to 5) that message names, or -1
(function () {
    const encoder = new TextEncoder();
    const decoder = new TextDecoder();

    // Writes the line into the engine's request buffer; returns its size.
    function putRequest(line) {
        const room = line.length * 3;  // UTF-8 takes at most 3 bytes a UTF-16 unit
        const buffer = Module['_flyback_request_buffer'](room);
        const written = encoder.encodeInto(line, HEAPU8.subarray(buffer, buffer + room)).written;
        return written;
    }

    function answer() {
        const start = Module['_flyback_answer']();
        return decoder.decode(HEAPU8.subarray(start, start + Module['_flyback_answer_size']()));
    }

    Module['pressJson'] = function (line) {
        Module['_flyback_press_json'](putRequest(line));
        return answer();
    };
    Module['faultMessage'] = function (line) {
        Module['_flyback_fault_message'](putRequest(line));
        return answer();
    };
    Module['suspectInput'] = function (line) {
        return Module['_flyback_suspect_input'](putRequest(line));
    };
})();
