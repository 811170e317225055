// Writing the response-method section and taking a parsed one into a model.
#include "model/response_file.h"

namespace vek {

namespace {

// Shares written twelve to a line, like the year rows.
constexpr std::size_t kSharesPerLine = 12;

} // namespace

bool needsResponseSection(const ModelInput &model) {
    if (!model.responseTables.empty()) return true;
    for (const auto &loc : model.locations)
        if (!loc.response.isInfiniteAquifer()) return true;
    return false;
}

std::vector<std::string> responseSectionLines(const ModelInput &model) {
    using engine::quoteSectionText;
    using engine::sectionNumber;
    std::vector<std::string> lines;
    lines.push_back(std::string(engine::kResponseSectionTitle) + " " + std::to_string(engine::kResponseSectionLayout));
    for (const auto &t : model.responseTables) {
        lines.push_back("table name=" + quoteSectionText(t.name) + " months=" + std::to_string(t.shares.size()) +
                        " after=" + (t.afterTableOne ? "one" : "hold"));
        std::string row;
        for (std::size_t i = 0; i < t.shares.size(); ++i) {
            if (!row.empty()) row += ' ';
            row += sectionNumber(t.shares[i]);
            if ((i + 1) % kSharesPerLine == 0 || i + 1 == t.shares.size()) {
                lines.push_back(row);
                row.clear();
            }
        }
    }
    for (std::size_t i = 0; i < model.locations.size(); ++i) {
        const ResponseSettings &r = model.locations[i].response;
        if (r.isInfiniteAquifer()) continue;
        std::string s = "location " + std::to_string(i + 1) + " " + engine::methodKeyword(r.method);
        switch (r.method) {
        case ResponseMethod::AlluvialAquifer:
            s += " a/W=" + sectionNumber(r.aOverW);
            break;
        case ResponseMethod::StreambedResistance:
            s += " lambda=" + sectionNumber(r.lambda);
            break;
        case ResponseMethod::ResponseTable:
            s += " name=" + quoteSectionText(r.table);
            break;
        case ResponseMethod::InfiniteAquifer:
            break;
        }
        lines.push_back(s);
    }
    lines.emplace_back("end");
    return lines;
}

std::string applyResponseSection(const engine::ResponseSection &section, ModelInput &model) {
    for (const auto &t : section.tables)
        model.responseTables.push_back({t.name, t.shares, t.afterOne});
    for (const auto &entry : section.locations) {
        if (entry.location > static_cast<long long>(model.locations.size()))
            return "location " + std::to_string(entry.location) + " does not exist (the file has " +
                   std::to_string(model.locations.size()) + ")";
        ResponseSettings &r = model.locations[static_cast<std::size_t>(entry.location - 1)].response;
        r.method = entry.method;
        r.aOverW = entry.aOverW;
        r.lambda = entry.lambda;
        r.table = entry.table;
    }
    return {};
}

} // namespace vek
