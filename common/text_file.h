// A text file read whole, for the readers that take a file in one piece: no
// line may be longer than kMaxLineBytes (facts/message_text.h), so a file
// without line ends (/dev/zero) is refused as soon as its first line passes
// the limit instead of being read to its end.
#pragma once

#include <cstddef>
#include <string>

namespace vek {

struct TextFile {
    enum class Status {
        Loaded,
        Unreadable,  // a folder, or the file cannot be opened or read
        LineTooLong, // line `overlongLine` is longer than kMaxLineBytes
    };
    Status status = Status::Unreadable;
    std::string text;
    std::size_t overlongLine = 0; // 1-based
};

// Reads the file at the UTF-8 `path`. A line's length does not count its
// line end ("\n", or "\r\n").
TextFile loadTextFile(const std::string &path);

} // namespace vek
