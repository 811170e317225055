// Forward-only reader of the model input file.
#include "engine/deck_reader.h"

#include "facts/message_text.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <system_error>
#include <utility>

namespace vek::engine {

namespace {

constexpr std::size_t kBufferSize = 1 << 16;

// The characters between values, looked up rather than compared one by one:
// the reader meets every byte of the deck here.
constexpr std::array<bool, 256> kSeparators = [] {
    std::array<bool, 256> t{};
    for (const unsigned char c : {' ', '\t', ',', '\r', '\v', '\f'})
        t[c] = true;
    return t;
}();

bool isSeparator(char c) { return kSeparators[static_cast<unsigned char>(c)]; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A short decimal read in one pass: an optional sign, digits with at most one
// point, at most 7 significant digits and 10 decimals, no exponent. Such a
// mantissa fits a float exactly, as do the powers of ten up to 1e10, so one
// correctly rounded division gives the correctly rounded value. `p` is a
// token's first character (no separator); returns the token's end (a
// separator or `end`) with its value, or null when the token is of another
// form (the full reading then judges it, so refusing more here changes no
// value). The significant digits are those of the mantissa; at most 18 digits
// in all keep it from overflowing.
const char *shortDecimal(const char *p, const char *end, Real &value) {
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    std::uint64_t mantissa = 0;
    const char *const digits = p;
    while (p < end && isDigit(*p))
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p++ - '0');
    std::ptrdiff_t count = p - digits, decimals = 0;
    if (p < end && *p == '.') {
        const char *const fraction = ++p;
        while (p < end && isDigit(*p))
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p++ - '0');
        decimals = p - fraction;
        count += decimals;
    }
    if (count == 0 || count > 18 || decimals > 10 || mantissa >= 10000000u) return nullptr;
    if (p < end && !isSeparator(*p)) return nullptr;
    static constexpr float kPow10[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    const Real v = static_cast<Real>(mantissa) / kPow10[decimals];
    value = negative ? -v : v;
    return p;
}

// The first character of `rest` that is no separator, or its end.
const char *skipSeparators(std::string_view rest) {
    const char *p = rest.data(), *end = p + rest.size();
    while (p < end && isSeparator(*p))
        ++p;
    return p;
}

std::string quoted(std::string_view s) { return "\"" + messageText(s) + "\""; }

// Ordinary decimal notation: optional sign, digits with an optional point
// (at least one digit), optional exponent with E or D.
bool isDecimal(std::string_view t, bool integerOnly) {
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < t.size() && isDigit(t[i]))
        ++i, ++digits;
    if (integerOnly) return digits > 0 && i == t.size();
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && isDigit(t[i]))
            ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E' || t[i] == 'd' || t[i] == 'D')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        std::size_t expDigits = 0;
        while (i < t.size() && isDigit(t[i]))
            ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    return i == t.size();
}

} // namespace

DeckReader::DeckReader(const std::string &path) : DeckReader(DeckSource{path, std::nullopt}) {}

DeckReader::DeckReader(DeckSource source) : path_(std::move(source.path)) {
    if (!source.text) {
        buffer_.resize(kBufferSize);
        base_ = buffer_.data();
        file_ = std::fopen(path_.c_str(), "rb");
        if (!file_)
            throw DeckError("cannot open input file \"" + path_ + "\": " + std::generic_category().message(errno));
        return;
    }
    // The whole deck is one block that is never refilled.
    buffer_ = std::move(*source.text);
    base_ = buffer_.data();
    end_ = buffer_.size();
    eof_ = true;
    inMemory_ = true;
}

DeckReader::DeckReader(std::string_view text, std::string path) : path_(std::move(path)) {
    base_ = text.data();
    end_ = text.size();
    eof_ = true;
    inMemory_ = true;
}

DeckReader::~DeckReader() { close(); }

void DeckReader::close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

// The next record, line end removed. kTooLong for a record over
// kMaxLineBytes: a file without line ends (/dev/zero) must not fill the
// memory.
DeckReader::Next DeckReader::takeLine(std::string_view &line) {
    carry_.clear();
    while (true) {
        const char *start = base_ + begin_;
        const void *nl = begin_ < end_ ? std::memchr(start, '\n', end_ - begin_) : nullptr;
        if (nl) {
            const auto len = static_cast<std::size_t>(static_cast<const char *>(nl) - start);
            if (carry_.size() + len > kMaxLineBytes + 1) return tooLong(); // a CR may end it
            if (carry_.empty()) {
                line = std::string_view(start, len);
            } else {
                carry_.append(start, len);
                line = carry_;
            }
            begin_ += len + 1;
            break;
        }
        carry_.append(start, end_ - begin_);
        begin_ = end_ = 0;
        if (carry_.size() > kMaxLineBytes + 1) return tooLong();
        if (eof_ || !file_) {
            if (carry_.empty()) return Next::End;
            line = carry_; // last record without a line end
            break;
        }
        end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
        if (end_ == 0) {
            if (std::ferror(file_))
                throw DeckError("cannot read input file \"" + path_ + "\": " + std::generic_category().message(errno));
            eof_ = true;
        }
    }
    // A carriage return before the line feed is part of the line end.
    while (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.size() > kMaxLineBytes) return tooLong();
    ++record_;
    last_ = line;
    return Next::Line;
}

bool DeckReader::nextLine(std::string_view &line, const DeckItem &item) {
    switch (takeLine(line)) {
    case Next::Line:
        return true;
    case Next::End:
        return false;
    case Next::TooLong:
        break;
    }
    fail(std::string("a line longer than ") + kMaxLineText, item);
}

bool DeckReader::tryLine(std::string_view &line) { return takeLine(line) == Next::Line; }

bool DeckReader::skipRecord() {
    std::string_view line;
    return tryLine(line);
}

void DeckReader::fail(const std::string &problem, const DeckItem &item) const {
    std::string where = " in input file \"" + path_ + "\", record " + std::to_string(record_);
    std::string what = std::string(" (") + item.what;
    if (item.row > 0) what += " " + std::to_string(item.row);
    if (item.location > 0) what += " of location " + std::to_string(item.location);
    what += ")";
    throw DeckError(problem + where + what);
}

void DeckReader::needLine(std::string_view &line, const DeckItem &item) {
    if (!nextLine(line, item)) {
        // Name the record that should have been there.
        record_ += 1;
        fail("end of file", item);
    }
}

void DeckReader::skipRecords(long long count, const DeckItem &item) {
    std::string_view line;
    DeckItem it = item;
    for (long long i = 0; i < count; ++i) {
        if (item.row > 0) it.row = item.row + i;
        needLine(line, it);
    }
}

namespace {
// The first token of `rest`, which then starts after it; false when `rest`
// holds only separators.
bool splitToken(std::string_view &rest, std::string_view &token) {
    const char *p = skipSeparators(rest), *end = rest.data() + rest.size();
    if (p == end) return false;
    const char *q = p;
    while (q < end && !isSeparator(*q))
        ++q;
    token = std::string_view(p, static_cast<std::size_t>(q - p));
    rest = std::string_view(q, static_cast<std::size_t>(end - q));
    return true;
}
} // namespace

std::string_view DeckReader::nextToken(const DeckItem &item) {
    std::string_view token;
    // When the record runs out, the statement continues on the next one.
    while (!splitToken(current_, token))
        needLine(current_, item);
    return token;
}

bool DeckReader::tryToken(std::string_view &token) {
    while (!splitToken(current_, token))
        if (!tryLine(current_)) return false;
    return true;
}

int DeckReader::parseInt(std::string_view t, const DeckItem &item) const {
    if (!isDecimal(t, true)) fail("unreadable integer " + quoted(t), item);
    if (t.front() == '+') t.remove_prefix(1);
    int v = 0;
    auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || ptr != t.data() + t.size()) fail("integer out of range " + quoted(t), item);
    return v;
}

Real DeckReader::parseReal(std::string_view t, const DeckItem &item) const {
    if (!t.empty()) {
        Real v = 0.0f;
        if (shortDecimal(t.data(), t.data() + t.size(), v) == t.data() + t.size()) return v;
    }
    if (!isDecimal(t, false)) fail("unreadable number " + quoted(t), item);
    // from_chars wants no plus sign and an E exponent.
    std::string spelled;
    if (t.front() == '+' || t.find_first_of("dD") != std::string_view::npos) {
        spelled.assign(t.front() == '+' ? t.substr(1) : t);
        for (char &c : spelled)
            if (c == 'd' || c == 'D') c = 'e';
        t = spelled;
    }
    Real v = 0.0f;
    auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec == std::errc::result_out_of_range) {
        // Underflow reads as the nearest float (0 or subnormal); overflow fails.
        std::string s(t);
        v = std::strtof(s.c_str(), nullptr);
        if (std::isinf(v)) fail("number out of range " + quoted(t), item);
    } else if (ec != std::errc() || ptr != t.data() + t.size()) {
        fail("unreadable number " + quoted(t), item);
    }
    return v;
}

void DeckReader::readInts(int *values, int count, const DeckItem &item) {
    needLine(current_, item);
    for (int n = 0; n < count; ++n)
        values[n] = parseInt(nextToken(item), item);
    current_ = {};
}

bool DeckReader::takeShortDecimal(Real &value) {
    const char *p = skipSeparators(current_), *end = current_.data() + current_.size();
    const char *next = p < end ? shortDecimal(p, end, value) : nullptr;
    if (next) current_ = std::string_view(next, static_cast<std::size_t>(end - next));
    return next != nullptr;
}

Real DeckReader::nextReal(const DeckItem &item) {
    Real v = 0.0f;
    return takeShortDecimal(v) ? v : parseReal(nextToken(item), item);
}

bool DeckReader::readReals(Real *values, int count, const DeckItem &item) {
    needLine(current_, item);
    for (int n = 0; n < count; ++n)
        values[n] = nextReal(item);
    std::string_view more;
    const bool extra = splitToken(current_, more) && isDecimal(more, false);
    current_ = {};
    return extra;
}

bool DeckReader::skipValues(int count) {
    if (!tryLine(current_)) return false;
    std::string_view token;
    for (int n = 0; n < count; ++n) {
        Real unused = 0.0f;
        if (takeShortDecimal(unused)) continue;
        if (!tryToken(token) || !isDecimal(token, false)) return false;
    }
    current_ = {};
    return true;
}

bool DeckReader::readIntPair(int &a, int &b) {
    std::string_view line, first, second;
    if (!tryLine(line) || !splitToken(line, first) || !splitToken(line, second)) return false;
    for (auto [token, out] : {std::pair{first, &a}, std::pair{second, &b}}) {
        if (!isDecimal(token, true)) return false;
        if (token.front() == '+') token.remove_prefix(1);
        const auto r = std::from_chars(token.data(), token.data() + token.size(), *out);
        if (r.ec != std::errc() || r.ptr != token.data() + token.size()) return false;
    }
    return true;
}

std::optional<std::vector<std::string>> DeckReader::remainingRecords() {
    std::vector<std::string> records;
    std::string_view line;
    while (true) {
        switch (takeLine(line)) {
        case Next::Line:
            records.emplace_back(line);
            continue;
        case Next::End:
            return records;
        case Next::TooLong:
            return std::nullopt;
        }
    }
}

void DeckReader::readRealIntInt(Real &real, int &a, int &b, const DeckItem &item) {
    needLine(current_, item);
    real = parseReal(nextToken(item), item);
    a = parseInt(nextToken(item), item);
    b = parseInt(nextToken(item), item);
    current_ = {};
}

std::string DeckReader::readText(std::size_t width, const DeckItem &item) {
    std::string_view line;
    needLine(line, item);
    std::string text(line.substr(0, width));
    text.resize(width, ' ');
    return text;
}

} // namespace vek::engine
