// Parsing, finding and writing the response-method section.
#include "engine/response_section.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

namespace vek::engine {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// One field of a statement: its key (empty for a bare word) and its value,
// with quotes removed and escapes resolved.
struct Field {
    std::string key;
    std::string value;
    bool quoted = false;
};

class Statement {
  public:
    Statement(std::string_view line, long long number) : number_(number) { split(line); }
    const std::vector<Field> &fields() const { return fields_; }
    long long number() const { return number_; }

    [[noreturn]] void fail(const std::string &problem) const { throw ResponseSectionError(problem, number_); }

  private:
    void split(std::string_view s) {
        std::size_t i = 0;
        while (true) {
            while (i < s.size() && (isBlank(s[i]) || s[i] == ','))
                ++i;
            if (i >= s.size() || s[i] == '#') return;
            Field f;
            std::string text;
            bool inQuotes = false;
            for (; i < s.size(); ++i) {
                const char c = s[i];
                if (inQuotes) {
                    if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '"' || s[i + 1] == '\\')) {
                        text += s[++i];
                    } else if (c == '"') {
                        inQuotes = false;
                    } else {
                        text += c;
                    }
                    continue;
                }
                if (isBlank(c) || c == ',') break;
                if (c == '"') {
                    if (f.quoted) fail("a field holds two quoted texts");
                    inQuotes = f.quoted = true;
                } else if (c == '=' && f.key.empty() && !f.quoted) {
                    f.key = text;
                    text.clear();
                    if (f.key.empty()) fail("a field starts with '='");
                } else {
                    if (f.quoted) fail("text follows a closing quote");
                    text += c;
                }
            }
            if (inQuotes) fail("a quoted text has no closing quote");
            f.value = std::move(text);
            fields_.push_back(std::move(f));
        }
    }

    std::vector<Field> fields_;
    long long number_;
};

Real realValue(const Statement &st, const Field &f) {
    const std::string &v = f.value;
    float x = 0.0f;
    const auto r = std::from_chars(v.data(), v.data() + v.size(), x);
    if (f.quoted || v.empty() || r.ec != std::errc() || r.ptr != v.data() + v.size() || !std::isfinite(x))
        st.fail((f.key.empty() ? std::string("\"") + v + "\"" : f.key + " \"" + v + "\"") + " is not a number");
    return x;
}

long long wholeValue(const Statement &st, const Field &f, long long lo, long long hi) {
    const std::string &v = f.value;
    long long x = 0;
    const auto r = std::from_chars(v.data(), v.data() + v.size(), x);
    if (f.quoted || v.empty() || r.ec != std::errc() || r.ptr != v.data() + v.size() || x < lo || x > hi)
        st.fail((f.key.empty() ? std::string("\"") + v + "\"" : f.key + " \"" + v + "\"") +
                " is not a whole number from " + std::to_string(lo) + " to " + std::to_string(hi));
    return x;
}

// The key=value fields of a statement from position `from`, each key at most
// once, every key one of `allowed`.
std::vector<const Field *> keyedFields(const Statement &st, std::size_t from,
                                       std::initializer_list<std::string_view> allowed) {
    std::vector<const Field *> out(allowed.size(), nullptr);
    const auto &fields = st.fields();
    for (std::size_t i = from; i < fields.size(); ++i) {
        const Field &f = fields[i];
        if (f.key.empty()) st.fail("\"" + f.value + "\" is not a key=value field");
        std::size_t k = 0;
        for (auto a : allowed) {
            if (f.key == a) break;
            ++k;
        }
        if (k == allowed.size()) st.fail("unknown field " + f.key);
        if (out[k]) st.fail("field " + f.key + " is given twice");
        out[k] = &f;
    }
    return out;
}

const Field &required(const Statement &st, const Field *f, std::string_view key) {
    if (!f) st.fail("field " + std::string(key) + " is missing");
    return *f;
}

constexpr long long kMostMonths = 100000;

} // namespace

const SectionTable *ResponseSection::table(const std::string &name) const {
    for (const auto &t : tables)
        if (t.name == name) return &t;
    return nullptr;
}

bool isResponseSectionStart(std::string_view line, int *layout) {
    line = trimmed(line);
    if (line.substr(0, kResponseSectionTitle.size()) != kResponseSectionTitle) return false;
    line.remove_prefix(kResponseSectionTitle.size());
    if (line.empty() || !isBlank(line.front())) return false;
    line = trimmed(line);
    int n = 0;
    const auto r = std::from_chars(line.data(), line.data() + line.size(), n);
    if (line.empty() || r.ec != std::errc() || r.ptr != line.data() + line.size()) return false;
    if (layout) *layout = n;
    return true;
}

ResponseSection parseResponseSection(const std::vector<std::string_view> &lines, long long firstLine) {
    ResponseSection section;
    section.present = true;
    section.line = firstLine;
    int layout = 0;
    if (lines.empty() || !isResponseSectionStart(lines.front(), &layout))
        throw ResponseSectionError("the response methods have no first line", firstLine);
    if (layout != kResponseSectionLayout)
        throw ResponseSectionError("response methods of layout " + std::to_string(layout) +
                                       ", which this program does not know (it reads layout " +
                                       std::to_string(kResponseSectionLayout) + "; a newer program wrote the file)",
                                   firstLine);
    bool ended = false;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const Statement st(lines[i], firstLine + static_cast<long long>(i));
        const auto &f = st.fields();
        if (f.empty()) continue;
        if (ended) st.fail("text after the end line; the response methods must end the file");
        if (!f[0].key.empty() || f[0].quoted) st.fail("a statement must start with table, location or end");
        const std::string &word = f[0].value;
        if (word == "end") {
            if (f.size() > 1) st.fail("the end line holds more than \"end\"");
            ended = true;
        } else if (word == "table") {
            const auto k = keyedFields(st, 1, {"name", "months", "after"});
            SectionTable t;
            t.line = st.number();
            t.name = required(st, k[0], "name").value;
            if (t.name.empty()) st.fail("a table needs a name");
            if (section.table(t.name)) st.fail("table \"" + t.name + "\" is given twice");
            const long long months = wholeValue(st, required(st, k[1], "months"), 0, kMostMonths);
            if (k[2]) {
                if (k[2]->value == "one")
                    t.afterOne = true;
                else if (k[2]->value != "hold")
                    st.fail("after is \"" + k[2]->value + "\"; it must be hold or one");
            }
            // The shares follow, any number of them a line.
            t.shares.reserve(static_cast<std::size_t>(months));
            while (static_cast<long long>(t.shares.size()) < months) {
                if (++i >= lines.size())
                    st.fail("table \"" + t.name + "\" ends after " + std::to_string(t.shares.size()) + " of its " +
                            std::to_string(months) + " shares");
                const Statement values(lines[i], firstLine + static_cast<long long>(i));
                for (const Field &v : values.fields()) {
                    if (!v.key.empty()) values.fail("a share must be a plain number, not " + v.key + "=" + v.value);
                    if (static_cast<long long>(t.shares.size()) == months)
                        values.fail("table \"" + t.name + "\" has more than its " + std::to_string(months) + " shares");
                    t.shares.push_back(realValue(values, v));
                }
            }
            section.tables.push_back(std::move(t));
        } else if (word == "location") {
            if (f.size() < 3) st.fail("a location line needs its number and its method");
            SectionLocation loc;
            loc.line = st.number();
            if (!f[1].key.empty()) st.fail("the location number must follow \"location\"");
            loc.location = wholeValue(st, f[1], 1, 2147483647LL);
            for (const auto &other : section.locations)
                if (other.location == loc.location)
                    st.fail("location " + std::to_string(loc.location) + " is given twice");
            if (!f[2].key.empty() || !methodFromKeyword(f[2].value, loc.method))
                st.fail("unknown method \"" + f[2].value + "\" (infinite, alluvial, hunt or table)");
            switch (loc.method) {
            case ResponseMethod::InfiniteAquifer:
                keyedFields(st, 3, {});
                break;
            case ResponseMethod::AlluvialAquifer:
                loc.aOverW = realValue(st, required(st, keyedFields(st, 3, {"a/W"})[0], "a/W"));
                break;
            case ResponseMethod::StreambedResistance:
                loc.lambda = realValue(st, required(st, keyedFields(st, 3, {"lambda"})[0], "lambda"));
                break;
            case ResponseMethod::ResponseTable:
                loc.table = required(st, keyedFields(st, 3, {"name"})[0], "name").value;
                break;
            }
            section.locations.push_back(std::move(loc));
        } else {
            st.fail("unknown statement \"" + word + "\" (table, location or end)");
        }
    }
    if (!ended)
        throw ResponseSectionError("the response methods starting on line " + std::to_string(firstLine) +
                                       " have no end line (the file is cut short)",
                                   firstLine + static_cast<long long>(lines.size()) - 1);
    return section;
}

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

// A section's first line. Cheap test first: almost every line starts with a
// digit or a letter other than R.
bool startsSection(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && isBlank(line[i]))
        ++i;
    return i < line.size() && line[i] == 'R' && isResponseSectionStart(line);
}

// True when the line starts with a number (after blanks): a year row, a
// location record or a pumping record's flags.
bool startsWithNumber(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && isBlank(line[i]))
        ++i;
    if (i < line.size() && (line[i] == '-' || line[i] == '+' || line[i] == '.')) ++i;
    return i < line.size() && line[i] >= '0' && line[i] <= '9';
}

// The section parsed from `text`, which starts with its first line, line
// `firstLine` of the file. A section's first line is followed by a statement,
// never by a number; a line that reads like it and is followed by one is the
// name of a location (in its group or its pumping record) of a file written
// before sections existed, and such a file has no section.
ResponseSection sectionFrom(std::string_view text, long long firstLine) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        lines.push_back(text.substr(0, nl));
        if (nl == std::string_view::npos) break;
        text.remove_prefix(nl + 1);
    }
    if (lines.size() > 1 && startsWithNumber(lines[1])) return ResponseSection{};
    return parseResponseSection(lines, firstLine);
}

} // namespace

ResponseSection findResponseSection(std::string_view text) {
    long long lineNumber = 0, startLine = 0;
    std::size_t startOffset = std::string_view::npos;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t nl = text.find('\n', pos);
        ++lineNumber;
        if (startsSection(text.substr(pos, nl == std::string_view::npos ? nl : nl - pos))) {
            startLine = lineNumber;
            startOffset = pos;
        }
        if (nl == std::string_view::npos) break;
        pos = nl + 1;
    }
    if (startOffset == std::string_view::npos) return ResponseSection{};
    return sectionFrom(text.substr(startOffset), startLine);
}

ResponseSection readResponseSection(const std::string &path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        throw std::runtime_error("cannot open input file \"" + path + "\": " + std::generic_category().message(errno));
    // First pass: where the last first line of a section starts.
    std::vector<char> buffer(1 << 16);
    std::string carry;
    long long lineNumber = 0, offset = 0, lineStart = 0;
    long long startLine = 0, startOffset = -1;
    auto consider = [&](std::string_view line) {
        ++lineNumber;
        if (startsSection(line)) {
            startLine = lineNumber;
            startOffset = lineStart;
        }
    };
    while (true) {
        const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), file.get());
        if (n == 0) {
            if (std::ferror(file.get()))
                throw std::runtime_error("cannot read input file \"" + path +
                                         "\": " + std::generic_category().message(errno));
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
                consider(chunk.substr(0, nl));
            } else {
                carry.append(chunk.substr(0, nl));
                consider(carry);
                carry.clear();
            }
            offset += static_cast<long long>(nl) + 1;
            lineStart = offset;
            chunk.remove_prefix(nl + 1);
        }
    }
    if (!carry.empty()) consider(carry);
    ResponseSection none;
    if (startOffset < 0) return none;

    // Second pass: the section's lines.
    if (!seekTo(file.get(), startOffset))
        throw std::runtime_error("cannot read input file \"" + path + "\": " + std::generic_category().message(errno));
    std::string text;
    while (true) {
        const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), file.get());
        text.append(buffer.data(), n);
        if (n == 0) {
            if (std::ferror(file.get()))
                throw std::runtime_error("cannot read input file \"" + path +
                                         "\": " + std::generic_category().message(errno));
            break;
        }
    }
    return sectionFrom(text, startLine);
}

std::string quoteSectionText(std::string_view text) {
    std::string q = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') q += '\\';
        q += c == '\n' || c == '\r' ? ' ' : c;
    }
    return q + "\"";
}

std::string sectionNumber(Real value) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, r.ptr);
}

} // namespace vek::engine
