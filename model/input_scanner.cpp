// The model input file's scanner (see input_scanner.h).
#include "model/input_scanner.h"
#include "common/text_file.h"

#include <algorithm>

namespace vek::input {

LineReader::Load LineReader::load(const std::string &path) {
    TextFile f = loadTextFile(path);
    text_ = std::move(f.text);
    overlongLine_ = f.overlongLine;
    switch (f.status) {
    case TextFile::Status::Loaded:
        return Load::Loaded;
    case TextFile::Status::LineTooLong:
        return Load::LineTooLong;
    case TextFile::Status::Unreadable:
        break;
    }
    return Load::Unreadable;
}

bool LineReader::next(std::string &line) {
    if (pos_ >= text_.size()) return false;
    std::size_t e = text_.find('\n', pos_);
    e = (e == std::string::npos) ? text_.size() : e + 1;
    line.assign(text_, pos_, e - pos_);
    lastStart_ = pos_;
    pos_ = e;
    return true;
}

std::size_t LineReader::lineNumberAt(std::size_t at) const {
    const auto end = text_.begin() + static_cast<long>(std::min(at, text_.size()));
    return 1 + static_cast<std::size_t>(std::count(text_.begin(), end, '\n'));
}

std::size_t LineReader::linesLeft() const {
    if (pos_ >= text_.size()) return 0;
    std::size_t n = static_cast<std::size_t>(std::count(text_.begin() + static_cast<long>(pos_), text_.end(), '\n'));
    return text_.back() == '\n' ? n : n + 1;
}

} // namespace vek::input
