// Parsing the response-method section.
#include "engine/response_section.h"

#include "facts/message_text.h"

#include <charconv>

namespace vek::engine {

const SectionTable *ResponseSection::table(const std::string &name) const {
    for (const auto &t : tables)
        if (t.name == name) return &t;
    return nullptr;
}

namespace {

// "TITLE LAYOUT" with a whole number for the layout.
bool isSectionStart(std::string_view line, std::string_view title, int *layout) {
    line = trimmedSectionText(line);
    if (line.substr(0, title.size()) != title) return false;
    line.remove_prefix(title.size());
    if (line.empty() || !isSectionBlank(line.front())) return false;
    line = trimmedSectionText(line);
    int n = 0;
    const auto r = std::from_chars(line.data(), line.data() + line.size(), n);
    if (line.empty() || r.ec != std::errc() || r.ptr != line.data() + line.size()) return false;
    if (layout) *layout = n;
    return true;
}

bool isOtherSectionStart(std::string_view line) {
    for (std::string_view title : kOtherSectionTitles)
        if (isSectionStart(line, title, nullptr)) return true;
    return false;
}

} // namespace

bool isResponseSectionStart(std::string_view line, int *layout) {
    return isSectionStart(line, kResponseSectionTitle, layout);
}

namespace {

// A location statement: the location's number, its method and the
// method's one parameter.
SectionLocation locationStatement(const SectionStatement &st, const ResponseSection &section) {
    const auto &f = st.fields();
    if (f.size() < 3) st.fail("a location line needs its number and its method");
    SectionLocation loc;
    loc.line = st.number();
    if (!f[1].key.empty()) st.fail("the location number must follow \"location\"");
    loc.location = st.whole(f[1], 1, 2147483647LL);
    for (const auto &other : section.locations)
        if (other.location == loc.location) st.fail("location " + std::to_string(loc.location) + " is given twice");
    if (!f[2].key.empty() || !methodFromKeyword(f[2].value, loc.method))
        st.fail("unknown method \"" + messageText(f[2].value) + "\" (infinite, alluvial, hunt or table)");
    switch (loc.method) {
    case ResponseMethod::InfiniteAquifer:
        st.keyed(3, {});
        break;
    case ResponseMethod::AlluvialAquifer:
        loc.aOverW = st.real(st.required(st.keyed(3, {"a/W"})[0], "a/W"));
        break;
    case ResponseMethod::StreambedResistance:
        loc.lambda = st.real(st.required(st.keyed(3, {"lambda"})[0], "lambda"));
        break;
    case ResponseMethod::ResponseTable:
        loc.table = st.required(st.keyed(3, {"name"})[0], "name").value;
        break;
    }
    return loc;
}

} // namespace

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
        const SectionStatement st(lines[i], firstLine + static_cast<long long>(i));
        const auto &f = st.fields();
        if (f.empty()) continue;
        if (ended) st.fail("text after the end line; the response methods must end the file");
        if (!f[0].key.empty() || f[0].quoted) st.fail("a statement must start with table, location or end");
        const std::string &word = f[0].value;
        if (word == "end") {
            if (f.size() > 1) st.fail("the end line holds more than \"end\"");
            ended = true;
        } else if (word == "table") {
            const auto k = st.keyed(1, {"name", "months", "after"});
            SectionTable t;
            t.line = st.number();
            t.name = st.required(k[0], "name").value;
            if (t.name.empty()) st.fail("a table needs a name");
            if (section.table(t.name)) st.fail("table \"" + messageText(t.name) + "\" is given twice");
            const long long months = st.whole(st.required(k[1], "months"), 0, kMostTableMonths);
            if (k[2]) {
                if (k[2]->value == "one")
                    t.afterOne = true;
                else if (k[2]->value != "hold")
                    st.fail("after is \"" + messageText(k[2]->value) + "\"; it must be hold or one");
            }
            // The shares follow, any number of them a line.
            t.shares.reserve(static_cast<std::size_t>(months));
            while (static_cast<long long>(t.shares.size()) < months) {
                if (++i >= lines.size())
                    st.fail("table \"" + messageText(t.name) + "\" ends after " + std::to_string(t.shares.size()) +
                            " of its " + std::to_string(months) + " shares");
                const SectionStatement values(lines[i], firstLine + static_cast<long long>(i));
                for (const SectionField &v : values.fields()) {
                    if (!v.key.empty())
                        values.fail("a share must be a plain number, not " + messageText(v.key + "=" + v.value));
                    if (static_cast<long long>(t.shares.size()) == months)
                        values.fail("table \"" + messageText(t.name) + "\" has more than its " +
                                    std::to_string(months) + " shares");
                    t.shares.push_back(values.real(v));
                }
            }
            section.tables.push_back(std::move(t));
        } else if (word == "location") {
            section.locations.push_back(locationStatement(st, section));
        } else {
            st.fail("unknown statement \"" + messageText(word) + "\" (table, location or end)");
        }
    }
    if (!ended)
        throw ResponseSectionError("the response methods starting on line " + std::to_string(firstLine) +
                                       " have no end line (the file is cut short)",
                                   firstLine + static_cast<long long>(lines.size()) - 1);
    return section;
}

namespace {

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char &c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool isEndLine(std::string_view t) { return t.substr(0, 3) == "end" && trimmedSectionText(t.substr(3)).empty(); }

} // namespace

bool isModelSectionStart(std::string_view line) { return isResponseSectionStart(line) || isOtherSectionStart(line); }

bool looksLikeSectionTitle(std::string_view line) {
    const std::string t = lowerAscii(trimmedSectionText(line));
    static constexpr std::string_view kTitle = "response methods";
    if (t.rfind("response", 0) == 0) return true;
    return t.size() >= 4 && kTitle.substr(0, t.size()) == t;
}

FileTail readFileTail(const std::vector<std::string_view> &lines, long long firstLine) {
    FileTail tail;
    std::size_t first = 0;
    // Blank lines and the other sections (each to its end line) come first.
    for (;;) {
        while (first < lines.size() && trimmedSectionText(lines[first]).empty())
            ++first;
        if (first == lines.size() || !isOtherSectionStart(lines[first])) break;
        while (++first < lines.size())
            if (isEndLine(trimmedSectionText(lines[first]))) break;
        if (first < lines.size()) ++first;
    }
    if (first == lines.size()) return tail;
    const long long firstNumber = firstLine + static_cast<long long>(first);
    if (isResponseSectionStart(lines[first])) {
        // One section, and nothing after its end line: a second title there
        // is named as what it is.
        bool ended = false;
        for (std::size_t i = first + 1; i < lines.size(); ++i) {
            const std::string_view t = trimmedSectionText(lines[i]);
            if (ended && looksLikeSectionTitle(t))
                throw ResponseSectionError("a second response-methods section; a file holds one, at its end",
                                           firstLine + static_cast<long long>(i));
            if (!ended && isEndLine(t)) ended = true;
        }
        tail.section = parseResponseSection(
            std::vector<std::string_view>(lines.begin() + static_cast<long>(first), lines.end()), firstNumber);
        return tail;
    }
    if (looksLikeSectionTitle(lines[first]))
        throw ResponseSectionError("the response methods' first line \"" +
                                       messageText(trimmedSectionText(lines[first])) +
                                       "\" is damaged; it must read \"" + std::string(kResponseSectionTitle) + " " +
                                       std::to_string(kResponseSectionLayout) + "\"",
                                   firstNumber);
    // Text an older program or a person left after the pumping records: not
    // read, but said. Response methods after it would go unnoticed.
    for (std::size_t i = first + 1; i < lines.size(); ++i)
        if (looksLikeSectionTitle(lines[i]))
            throw ResponseSectionError("response methods after other text (line " + std::to_string(firstNumber) +
                                           "); they must follow the pumping records",
                                       firstLine + static_cast<long long>(i));
    tail.otherText = firstNumber;
    return tail;
}

} // namespace vek::engine
