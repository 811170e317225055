// The model input file's scanner (see input_scanner.h).
#include "model/input_scanner.h"
#include "common/utf8_path.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vek::input {

bool LineReader::load(const std::string &path) {
    std::error_code ec;
    if (std::filesystem::is_directory(pathFromUtf8(path), ec)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad()) return false;
    text_ = ss.str();
    return true;
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
