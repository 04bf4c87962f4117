#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <istream>
#include <memory>
#include <optional>
#include <string_view>

#include "answer/json_lines.hpp"

namespace flyback::answer {

// How much is read, and written, at a time.
inline constexpr std::size_t kBlockSize = std::size_t{1} << 16;

enum class LineStatus { Complete, TooLong, End };

// The lines of a stream, read a block at a time into one buffer that holds the
// longest accepted line plus a block; a longer line is skipped, not stored.
class LineReader {
  public:
    explicit LineReader(std::istream& in) : in_(in), buffer_(std::make_unique<char[]>(kCapacity)) {}

    // `beforeWaiting` runs whenever reading on would have to wait for input.
    template <class BeforeWaiting>
    LineStatus Next(std::string_view& line, BeforeWaiting&& beforeWaiting) {
        for (;;) {
            if (const auto status = TakeLine(line)) return *status;
            if (eof_) return TakeLastLine(line);
            Compact();
            Read(beforeWaiting);
        }
    }

  private:
    static constexpr std::size_t kCapacity = kMaxRequestLine + 1 + kBlockSize;

    std::optional<LineStatus> TakeLine(std::string_view& line) {
        char* const data = buffer_.get();
        const auto* newline =
            static_cast<const char*>(std::memchr(data + scan_, '\n', end_ - scan_));
        if (newline == nullptr) {
            scan_ = end_;
            if (end_ - begin_ > kMaxRequestLine) {  // drop what is held, skip the rest
                skipping_ = true;
                begin_ = scan_ = end_ = 0;
            }
            return std::nullopt;
        }
        const auto lineEnd = static_cast<std::size_t>(newline - data);
        const bool tooLong = skipping_ || lineEnd - begin_ > kMaxRequestLine;
        line = std::string_view(data + begin_, lineEnd - begin_);
        begin_ = scan_ = lineEnd + 1;
        skipping_ = false;
        return tooLong ? LineStatus::TooLong : LineStatus::Complete;
    }

    // At the end of the input: a last line without a line feed.
    LineStatus TakeLastLine(std::string_view& line) {
        if (skipping_) {
            skipping_ = false;
            return LineStatus::TooLong;
        }
        if (begin_ == end_) return LineStatus::End;
        line = std::string_view(buffer_.get() + begin_, end_ - begin_);
        begin_ = scan_ = end_;
        return LineStatus::Complete;
    }

    // Moves the unfinished line to the front of the buffer.
    void Compact() {
        if (begin_ == 0) return;
        std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
        end_ -= begin_;
        scan_ -= begin_;
        begin_ = 0;
    }

    template <class BeforeWaiting>
    void Read(BeforeWaiting& beforeWaiting) {
        char* const free = buffer_.get() + end_;
        const auto room = static_cast<std::streamsize>(kCapacity - end_);
        std::streamsize count = in_.readsome(free, room);  // what has already arrived
        if (count <= 0) {
            beforeWaiting();
            const int first = in_.rdbuf()->sbumpc();  // waits
            if (first == std::char_traits<char>::eof()) {
                eof_ = true;
                return;
            }
            free[0] = static_cast<char>(first);
            count = 1 + std::max<std::streamsize>(0, in_.readsome(free + 1, room - 1));
        }
        end_ += static_cast<std::size_t>(count);
    }

    std::istream& in_;
    std::unique_ptr<char[]> buffer_;
    std::size_t begin_ = 0;  // start of the current line
    std::size_t scan_ = 0;   // where to look on for its line feed
    std::size_t end_ = 0;    // end of what was read
    bool skipping_ = false;  // inside a line too long to keep
    bool eof_ = false;
};

}  // namespace flyback::answer
