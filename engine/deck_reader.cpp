// Forward-only reader of the model input file.
#include "engine/deck_reader.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <system_error>
#include <utility>

namespace vek::engine {

namespace {

constexpr std::size_t kBufferSize = 1 << 16;

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\v' || c == '\f'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string quoted(std::string_view s) {
    std::string q = "\"";
    for (char c : s.substr(0, 40))
        q.push_back(static_cast<unsigned char>(c) < 32 ? '?' : c);
    if (s.size() > 40) q += "...";
    return q + "\"";
}

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
        file_ = std::fopen(path_.c_str(), "rb");
        if (!file_)
            throw DeckError("cannot open input file \"" + path_ + "\": " + std::generic_category().message(errno));
        return;
    }
    // The whole deck is one block that is never refilled.
    buffer_ = std::move(*source.text);
    end_ = buffer_.size();
    eof_ = true;
    inMemory_ = true;
}

DeckReader::~DeckReader() { close(); }

void DeckReader::close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

bool DeckReader::nextLine(std::string_view &line) {
    carry_.clear();
    while (true) {
        const char *start = buffer_.data() + begin_;
        const void *nl = begin_ < end_ ? std::memchr(start, '\n', end_ - begin_) : nullptr;
        if (nl) {
            const auto len = static_cast<std::size_t>(static_cast<const char *>(nl) - start);
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
        if (eof_ || !file_) {
            if (carry_.empty()) return false;
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
    ++record_;
    return true;
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
    if (!nextLine(line)) {
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

std::string_view DeckReader::nextToken(const DeckItem &item) {
    while (true) {
        std::size_t i = 0;
        while (i < current_.size() && isSeparator(current_[i]))
            ++i;
        if (i < current_.size()) {
            std::size_t j = i;
            while (j < current_.size() && !isSeparator(current_[j]))
                ++j;
            std::string_view token = current_.substr(i, j - i);
            current_.remove_prefix(j);
            return token;
        }
        // The record ran out: the statement continues on the next one.
        needLine(current_, item);
    }
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
    // Fast path for the usual short decimals: up to 7 digits and no exponent
    // fit a float exactly, as do the powers of ten up to 1e10, so one
    // correctly rounded division gives the correctly rounded value.
    {
        std::size_t i = 0;
        const bool negative = !t.empty() && t[0] == '-';
        if (!t.empty() && (t[0] == '-' || t[0] == '+')) ++i;
        std::uint32_t mantissa = 0;
        int digits = 0, decimals = 0;
        bool point = false, simple = i < t.size();
        for (; i < t.size() && simple; ++i) {
            const char c = t[i];
            if (isDigit(c)) {
                if (digits > 0 || c != '0') ++digits;
                mantissa = mantissa * 10 + static_cast<std::uint32_t>(c - '0');
                if (point) ++decimals;
                simple = digits <= 7 && decimals <= 10;
            } else if (c == '.' && !point) {
                point = true;
            } else {
                simple = false;
            }
        }
        const bool anyDigit = t.find_first_of("0123456789") != std::string_view::npos;
        if (simple && anyDigit) {
            static constexpr float kPow10[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
            Real v = static_cast<Real>(mantissa) / kPow10[decimals];
            return negative ? -v : v;
        }
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

void DeckReader::readReals(Real *values, int count, const DeckItem &item) {
    needLine(current_, item);
    for (int n = 0; n < count; ++n)
        values[n] = parseReal(nextToken(item), item);
    current_ = {};
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
