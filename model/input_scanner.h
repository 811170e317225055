// The model input file's scanner: the whole file held in memory and read
// line by line, and a scanf-like cursor over a piece of text whose numbers
// are read by the locale-free conversions of common/numbers.h.
#pragma once

#include "common/numbers.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace vek::input {

// A scanf-like cursor over one piece of text: every conversion skips white
// space first, as "%d", "%g" and "%f" do.
class Scanner {
  public:
    explicit Scanner(std::string_view text, std::size_t pos = 0) : s_(text), pos_(pos) {}

    std::size_t pos() const { return pos_; }
    void skipBlanks() {
        while (pos_ < s_.size() && isBlank(s_[pos_]))
            ++pos_;
    }
    bool atEnd() {
        skipBlanks();
        return pos_ >= s_.size();
    }

    bool readInt(int &out) { return scanInt(s_, pos_, out); }
    // "nan" and "inf" are not numbers of a model: the row counts as short.
    bool readReal(float &out) { return scanReal(s_, pos_, out); }

  private:
    std::string_view s_;
    std::size_t pos_ = 0;
};

// The whole file in memory, read line by line; a line keeps its line end,
// since messages quote it as read. Lines are read whole up to kMaxLineBytes,
// so an overlong name cannot shift the records after it; a file with a
// longer line (one without line ends, such as /dev/zero) is not loaded.
class LineReader {
  public:
    enum class Load { Loaded, Unreadable, LineTooLong };
    // Unreadable when the path is a folder or cannot be read; LineTooLong
    // (see overlongLine()) when a line is longer than kMaxLineBytes, its line
    // end apart.
    Load load(const std::string &path);
    std::size_t overlongLine() const { return overlongLine_; }
    bool next(std::string &line);
    // Lines left from the current position (a last line without line end counts).
    std::size_t linesLeft() const;
    // Number (from 1) of the line that holds byte `at` of the file.
    std::size_t lineNumberAt(std::size_t at) const;
    // Number of the line next() read last.
    std::size_t lastLineNumber() const { return lineNumberAt(lastStart_); }
    std::string_view text() const { return text_; }
    std::size_t pos() const { return pos_; }
    void setPos(std::size_t p) { pos_ = p; }

  private:
    std::string text_;
    std::size_t pos_ = 0;
    std::size_t lastStart_ = 0;
    std::size_t overlongLine_ = 0;
};

} // namespace vek::input
