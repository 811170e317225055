// One scan of a model file for its sections, then each parsed.
#include "engine/model_sections.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <system_error>

namespace vek::engine {

namespace {

struct FileCloser {
    void operator()(std::FILE *f) const { std::fclose(f); }
};

bool seekTo(std::FILE *f, long long offset) {
#ifdef _WIN32
    return _fseeki64(f, offset, SEEK_SET) == 0;
#else
    return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

// The last first line of each section seen so far.
class StartFinder {
  public:
    struct Start {
        long long line = 0;
        long long offset = -1;
    };

    void consider(std::string_view line, long long offset) {
        ++lineNumber_;
        // Cheap test first: almost every line starts with a digit.
        std::size_t i = 0;
        while (i < line.size() && isSectionBlank(line[i]))
            ++i;
        if (i >= line.size()) return;
        if (line[i] == 'R' && isResponseSectionStart(line)) response = {lineNumber_, offset};
        if (line[i] == 'S' && isReachSectionStart(line)) reaches = {lineNumber_, offset};
    }

    Start response, reaches;

  private:
    long long lineNumber_ = 0;
};

// The lines of a section whose text starts at its first line; none when a
// number follows that line (a location's name, not a section).
std::vector<std::string_view> sectionText(std::string_view text, bool afterNames) {
    std::vector<std::string_view> lines = sectionLines(text);
    if (!afterNames && lines.size() > 1 && startsWithNumber(lines[1])) lines.clear();
    return lines;
}

// Both sections from the text that starts at `base` in the file, the starts
// being offsets in the file.
ModelSections parseFrom(std::string_view text, long long base, const StartFinder &found, bool afterNames) {
    ModelSections out;
    const long long end = base + static_cast<long long>(text.size());
    if (found.reaches.offset >= 0) {
        // The reaches end where the response methods start (when those come
        // after them; before them, the response methods' own check refuses
        // the text that follows their end).
        const long long stop = found.response.offset > found.reaches.offset ? found.response.offset : end;
        const auto lines = sectionText(text.substr(static_cast<std::size_t>(found.reaches.offset - base),
                                                   static_cast<std::size_t>(stop - found.reaches.offset)),
                                       afterNames);
        try {
            if (!lines.empty()) out.reaches = parseReachSection(lines, found.reaches.line);
        } catch (const SectionError &e) {
            throw SectionError(e.what(), e.line(), "stream reaches");
        }
    }
    if (found.response.offset >= 0) {
        const auto lines = sectionText(text.substr(static_cast<std::size_t>(found.response.offset - base)), afterNames);
        try {
            if (!lines.empty()) out.response = parseResponseSection(lines, found.response.line);
        } catch (const SectionError &e) {
            throw SectionError(e.what(), e.line(), "response methods");
        }
    }
    return out;
}

} // namespace

ModelSections findModelSections(std::string_view text, bool afterNames) {
    StartFinder found;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t nl = text.find('\n', pos);
        found.consider(text.substr(pos, nl == std::string_view::npos ? nl : nl - pos), static_cast<long long>(pos));
        if (nl == std::string_view::npos) break;
        pos = nl + 1;
    }
    return parseFrom(text, 0, found, afterNames);
}

ModelSections readModelSections(const std::string &path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        throw std::runtime_error("cannot open input file \"" + path + "\": " + std::generic_category().message(errno));
    auto cannotRead = [&] {
        return std::runtime_error("cannot read input file \"" + path + "\": " + std::generic_category().message(errno));
    };
    // First pass: where the sections start.
    StartFinder found;
    std::vector<char> buffer(1 << 16);
    std::string carry;
    long long offset = 0, lineStart = 0;
    while (true) {
        const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), file.get());
        if (n == 0) {
            if (std::ferror(file.get())) throw cannotRead();
            break;
        }
        std::string_view chunk(buffer.data(), n);
        while (true) {
            const std::size_t nl = chunk.find('\n');
            if (nl == std::string_view::npos) {
                carry.append(chunk);
                offset += static_cast<long long>(chunk.size());
                break;
            }
            if (carry.empty()) {
                found.consider(chunk.substr(0, nl), lineStart);
            } else {
                carry.append(chunk.substr(0, nl));
                found.consider(carry, lineStart);
                carry.clear();
            }
            offset += static_cast<long long>(nl) + 1;
            lineStart = offset;
            chunk.remove_prefix(nl + 1);
        }
    }
    if (!carry.empty()) found.consider(carry, lineStart);
    if (found.response.offset < 0 && found.reaches.offset < 0) return {};

    // Second pass: the text from the first section on.
    long long base = found.reaches.offset;
    if (base < 0 || (found.response.offset >= 0 && found.response.offset < base)) base = found.response.offset;
    if (!seekTo(file.get(), base)) throw cannotRead();
    std::string text;
    while (true) {
        const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), file.get());
        text.append(buffer.data(), n);
        if (n == 0) {
            if (std::ferror(file.get())) throw cannotRead();
            break;
        }
    }
    return parseFrom(text, base, found, false);
}

} // namespace vek::engine
