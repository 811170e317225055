// Reading a text file whole with a limit on its lines.
#include "common/text_file.h"

#include "common/utf8_path.h"
#include "facts/message_text.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace vek {

TextFile loadTextFile(const std::string &path) {
    TextFile f;
    std::error_code ec;
    if (std::filesystem::is_directory(pathFromUtf8(path), ec)) return f;
    std::ifstream in(pathFromUtf8(path), std::ios::binary);
    if (!in) return f;
    std::string &text = f.text;
    std::size_t lineStart = 0, line = 1;
    const auto tooLong = [&](std::size_t end, bool ended) {
        std::size_t length = end - lineStart;
        if (ended && length > 0 && text[end - 1] == '\r') --length;
        return length > kMaxLineBytes;
    };
    const auto refuse = [&] {
        f.status = TextFile::Status::LineTooLong;
        f.overlongLine = line;
        text.clear();
        return f;
    };
    std::string chunk(std::size_t{1} << 16, '\0');
    while (true) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const auto n = static_cast<std::size_t>(in.gcount());
        if (n == 0) break;
        const std::size_t from = text.size();
        text.append(chunk.data(), n);
        for (std::size_t at = text.find('\n', from); at != std::string::npos; at = text.find('\n', at + 1)) {
            if (tooLong(at, true)) return refuse();
            lineStart = at + 1;
            ++line;
        }
        // Checked as the line grows: a file that never ends its line must
        // not be read to its end.
        if (text.size() - lineStart > kMaxLineBytes + 1) return refuse();
    }
    if (in.bad()) {
        text.clear();
        return f;
    }
    if (tooLong(text.size(), false)) return refuse();
    f.status = TextFile::Status::Loaded;
    return f;
}

} // namespace vek
