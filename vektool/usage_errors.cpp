// One-line usage errors with suggestions.
#include "vektool/usage_errors.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace vektool {

namespace {

// Edits (insert, delete, change, swap two neighbours) from a to b.
std::size_t editDistance(const std::string &a, const std::string &b) {
    const std::size_t n = a.size(), m = b.size();
    std::vector<std::vector<std::size_t>> d(n + 1, std::vector<std::size_t>(m + 1));
    for (std::size_t i = 0; i <= n; ++i)
        d[i][0] = i;
    for (std::size_t j = 0; j <= m; ++j)
        d[0][j] = j;
    for (std::size_t i = 1; i <= n; ++i)
        for (std::size_t j = 1; j <= m; ++j) {
            const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[n][m];
}

// The options a usage text names: every word that starts with "--" (up to
// a character that cannot be part of one), and "-o"-like short ones.
std::vector<std::string> optionsOf(const std::string &usage) {
    std::vector<std::string> out;
    for (std::size_t at = usage.find("--"); at != std::string::npos; at = usage.find("--", at + 2)) {
        if (at > 0 && usage[at - 1] != ' ' && usage[at - 1] != '\n' && usage[at - 1] != '[' && usage[at - 1] != '(')
            continue;
        std::size_t end = at + 2;
        while (end < usage.size() && (std::isalnum(static_cast<unsigned char>(usage[end])) || usage[end] == '-'))
            ++end;
        if (end > at + 2) out.push_back(usage.substr(at, end - at));
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

} // namespace

std::string nearestWord(const std::string &word, const std::vector<std::string> &words) {
    std::string best;
    std::size_t bestDistance = 0;
    for (const std::string &w : words) {
        const std::size_t d = editDistance(word, w);
        if (best.empty() || d < bestDistance) {
            best = w;
            bestDistance = d;
        }
    }
    // Near enough: a slip of a key or two, never half the word.
    const std::size_t allowed = std::max<std::size_t>(1, std::min<std::size_t>(3, word.size() / 3));
    return !best.empty() && bestDistance <= allowed ? best : std::string();
}

std::string nearestOption(const std::string &option, const std::string &usage) {
    const std::string name = option.substr(0, option.find('='));
    return nearestWord(name, optionsOf(usage));
}

int usageError(const std::string &command, const std::string &what, const std::string &usage) {
    std::string line = what;
    const std::string unknown = "unknown option ";
    if (what.rfind(unknown, 0) == 0) {
        const std::string suggestion = nearestOption(what.substr(unknown.size()), usage);
        if (!suggestion.empty()) line += "; did you mean " + suggestion + "?";
        line += " (vektool " + command + " --help)";
    }
    std::fprintf(stderr, "vektool %s: %s\n", command.c_str(), line.c_str());
    return 2;
}

} // namespace vektool
