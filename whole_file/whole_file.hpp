#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace flyback::whole_file {

// Why a file was not read, for a front end to word; `Missing` is a path
// that names nothing, which a caller looking for an optional file takes as
// no file at all.
enum class Why { None, Missing, System, NotRegularFile, TooLarge };

// A file read whole: its text, or why not, also in English words (with the
// system's reason where there is one).
struct Read {
    std::optional<std::string> text;
    std::string problem;
    Why why = Why::None;
};

// Reads the regular file at `path`, refusing one of more than `most` bytes
// before reading it. Opened without blocking, so a FIFO never waits for a
// writer; a folder, FIFO, device or socket is refused by its kind, so
// /dev/zero never fills memory; a file that grows while being read past
// `most` is refused too.
Read ReadRegularFile(const std::string& path, std::size_t most);

// Writes `text` to `path` whole or not at all: into an unnamed file beside
// the target, given a name and renamed over it only once all of it is
// written, so an interrupted save leaves the old file and no temporary.
// Only a regular file is written: a folder, FIFO, device or socket at the
// path is refused; a symbolic link is followed to the file it names, which
// is replaced and the link kept; a file replaced keeps its permissions; a
// file the user may not write is refused, as cp refuses it. Empty when done,
// else why not.
std::string WriteWholeFile(const std::string& path, std::string_view text);

// The same save, with why it failed as data: the kind of thing in the way
// (NotRegularFile) or the system's error number (System, `error`), for a
// front end that words it in its own language.
struct Written {
    std::string problem;  // empty when saved
    Why why = Why::None;
    int error = 0;
};
Written WriteWhole(const std::string& path, std::string_view text);

// "a folder", "a FIFO", "a device", "a socket" for what is at `path`; empty
// for a regular file or nothing.
std::string KindOf(const std::string& path);

}  // namespace flyback::whole_file
