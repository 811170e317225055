// Parsing the response-method section.
#include "engine/response_section.h"

#include <charconv>

namespace vek::engine {

namespace {

constexpr long long kMostMonths = 100000;

} // namespace

const SectionTable *ResponseSection::table(const std::string &name) const {
    for (const auto &t : tables)
        if (t.name == name) return &t;
    return nullptr;
}

bool isResponseSectionStart(std::string_view line, int *layout) {
    line = trimmedSectionText(line);
    if (line.substr(0, kResponseSectionTitle.size()) != kResponseSectionTitle) return false;
    line.remove_prefix(kResponseSectionTitle.size());
    if (line.empty() || !isSectionBlank(line.front())) return false;
    line = trimmedSectionText(line);
    int n = 0;
    const auto r = std::from_chars(line.data(), line.data() + line.size(), n);
    if (line.empty() || r.ec != std::errc() || r.ptr != line.data() + line.size()) return false;
    if (layout) *layout = n;
    return true;
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
        st.fail("unknown method \"" + f[2].value + "\" (infinite, alluvial, hunt or table)");
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
            if (section.table(t.name)) st.fail("table \"" + t.name + "\" is given twice");
            const long long months = st.whole(st.required(k[1], "months"), 0, kMostMonths);
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
                const SectionStatement values(lines[i], firstLine + static_cast<long long>(i));
                for (const SectionField &v : values.fields()) {
                    if (!v.key.empty()) values.fail("a share must be a plain number, not " + v.key + "=" + v.value);
                    if (static_cast<long long>(t.shares.size()) == months)
                        values.fail("table \"" + t.name + "\" has more than its " + std::to_string(months) + " shares");
                    t.shares.push_back(values.real(v));
                }
            }
            section.tables.push_back(std::move(t));
        } else if (word == "location") {
            section.locations.push_back(locationStatement(st, section));
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

} // namespace vek::engine
