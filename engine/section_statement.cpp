// Splitting and checking the statements of the model file's sections.
#include "engine/section_statement.h"

#include "facts/message_text.h"

#include <charconv>
#include <cmath>

namespace vek::engine {

bool isSectionBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view trimmedSectionText(std::string_view s) {
    while (!s.empty() && isSectionBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSectionBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

SectionStatement::SectionStatement(std::string_view line, long long number) : number_(number) { split(line); }

void SectionStatement::fail(const std::string &problem) const { throw SectionError(problem, number_); }

void SectionStatement::split(std::string_view s) {
    std::size_t i = 0;
    while (true) {
        while (i < s.size() && (isSectionBlank(s[i]) || s[i] == ','))
            ++i;
        if (i >= s.size() || s[i] == '#') return;
        SectionField f;
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
            if (isSectionBlank(c) || c == ',') break;
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

std::string SectionStatement::describe(const SectionField &f) const {
    return f.key.empty() ? "\"" + messageText(f.value) + "\""
                         : messageText(f.key) + " \"" + messageText(f.value) + "\"";
}

Real SectionStatement::real(const SectionField &f) const {
    const std::string &v = f.value;
    float x = 0.0f;
    const auto r = std::from_chars(v.data(), v.data() + v.size(), x);
    if (f.quoted || v.empty() || r.ec != std::errc() || r.ptr != v.data() + v.size() || !std::isfinite(x))
        fail(describe(f) + " is not a number");
    return x;
}

double SectionStatement::wide(const SectionField &f) const {
    const std::string &v = f.value;
    double x = 0.0;
    const auto r = std::from_chars(v.data(), v.data() + v.size(), x);
    if (f.quoted || v.empty() || r.ec != std::errc() || r.ptr != v.data() + v.size() || !std::isfinite(x))
        fail(describe(f) + " is not a number");
    return x;
}

long long SectionStatement::whole(const SectionField &f, long long lo, long long hi) const {
    const std::string &v = f.value;
    long long x = 0;
    const auto r = std::from_chars(v.data(), v.data() + v.size(), x);
    if (f.quoted || v.empty() || r.ec != std::errc() || r.ptr != v.data() + v.size() || x < lo || x > hi)
        fail(describe(f) + " is not a whole number from " + std::to_string(lo) + " to " + std::to_string(hi));
    return x;
}

std::vector<const SectionField *> SectionStatement::keyed(std::size_t from,
                                                          std::initializer_list<std::string_view> allowed) const {
    std::vector<const SectionField *> out(allowed.size(), nullptr);
    for (std::size_t i = from; i < fields_.size(); ++i) {
        const SectionField &f = fields_[i];
        if (f.key.empty()) fail("\"" + messageText(f.value) + "\" is not a key=value field");
        std::size_t k = 0;
        for (auto a : allowed) {
            if (f.key == a) break;
            ++k;
        }
        if (k == allowed.size()) fail("unknown field " + messageText(f.key));
        if (out[k]) fail("field " + messageText(f.key) + " is given twice");
        out[k] = &f;
    }
    return out;
}

const SectionField &SectionStatement::required(const SectionField *f, std::string_view key) const {
    if (!f) fail("field " + std::string(key) + " is missing");
    return *f;
}

std::vector<std::string_view> sectionLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        lines.push_back(text.substr(0, nl));
        if (nl == std::string_view::npos) break;
        text.remove_prefix(nl + 1);
    }
    return lines;
}

bool startsWithNumber(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && isSectionBlank(line[i]))
        ++i;
    if (i < line.size() && (line[i] == '-' || line[i] == '+' || line[i] == '.')) ++i;
    return i < line.size() && line[i] >= '0' && line[i] <= '9';
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

std::string sectionNumber(double value) {
    // Plain digits for the magnitudes of coordinates, distances and
    // fractions (a coordinate 500000, not 5e+05); the exponent form beyond.
    char buf[400];
    const double size = std::fabs(value);
    const bool plain = value == 0.0 || (size >= 1e-5 && size < 1e15);
    const auto r = plain ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed)
                         : std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, r.ptr);
}

std::string messageNumber(double value) {
    char buf[48];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 7);
    return std::string(buf, r.ptr);
}

} // namespace vek::engine
