// vektool response: the share of a unit step of pumping that the stream feels
// after given numbers of days, by one response method, as CSV. For checking a
// parameter set before it goes into a model.
#include "engine/response_methods.h"
#include "model/response_table_import.h"
#include "vektool/command.h"
#include "vektool/usage_errors.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

const char *kUsage = "usage: vektool response --method infinite|alluvial|hunt|table --days T1,T2,... [options]\n\n"
                     "Prints the stream's response to a unit step of pumping, the fraction of the\n"
                     "pumping rate it feels T days after the step, as CSV with the header\n"
                     "days,fraction and one line per requested day, each computed in double\n"
                     "precision and printed with 12 significant digits. A table's shares are the\n"
                     "single-precision values a model holds.\n\n"
                     "  --method infinite     infinite aquifer: erfc(sqrt(sdf / 4t))\n"
                     "  --method alluvial     alluvial aquifer bounded by an impermeable wall (Glover)\n"
                     "  --method hunt         streambed resistance (Hunt 1999)\n"
                     "  --method table        unit response table (monthly shares)\n"
                     "  --sdf DAYS            stream depletion factor a^2 S / T (infinite, alluvial, hunt)\n"
                     "  --a-over-w R          alluvial: distance to the stream over distance to the\n"
                     "                        boundary, 0 <= R < 1\n"
                     "  --lambda L            hunt: lambda' = lambda a / T, greater than 0\n"
                     "  --table FILE          table: CSV or tab-separated file of monthly shares\n"
                     "  --table-name NAME     table: the column of FILE to use (when it holds several)\n"
                     "  --after hold|one      table: after its last month hold the cumulative share\n"
                     "                        (default) or take the whole step\n"
                     "  --days T1,T2,...      days after the step (0 and earlier give 0)\n\n"
                     "Exit status: 0 printed, 1 the table could not be read or output not written,\n"
                     "2 bad options.\n";

int usageError(const std::string &what) { return vektool::usageError("response", what, kUsage); }

// A finite double, locale-free.
std::optional<double> number(const std::string &text) {
    double v = 0.0;
    const char *first = text.data();
    const char *last = text.data() + text.size();
    if (!text.empty() && text[0] == '+') ++first;
    const auto r = std::from_chars(first, last, v);
    if (text.empty() || r.ec != std::errc() || r.ptr != last || !std::isfinite(v)) return std::nullopt;
    return v;
}

// 12 significant digits, trailing zeros kept (like printf's "%#.12g"), the
// same in every locale.
std::string twelveDigits(double v) {
    char buf[48];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 12);
    std::string s(buf, r.ptr);
    const std::size_t e = s.find('e');
    std::string mantissa = s.substr(0, e), exponent = e == std::string::npos ? "" : s.substr(e);
    std::size_t digits = 0;
    bool leading = true;
    for (char c : mantissa) {
        if (c < '0' || c > '9') continue;
        if (c != '0') leading = false;
        if (!leading) ++digits;
    }
    if (v == 0.0) digits = 1;
    if (mantissa.find('.') == std::string::npos) mantissa += '.';
    mantissa.append(digits < 12 ? 12 - digits : 0, '0');
    return mantissa + exponent;
}

// The day as given: the shortest form that reads back as the same double.
std::string shortest(double v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::optional<std::vector<double>> numberList(const std::string &text) {
    std::vector<double> out;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const auto v = number(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (!v) return std::nullopt;
        out.push_back(*v);
        if (comma == std::string::npos) return out;
        start = comma + 1;
    }
}

struct Options {
    std::string method;
    std::optional<double> sdf, aOverW, lambda;
    std::string tableFile, tableName, after = "hold";
    std::vector<double> days;
};

// Fills `o`; an error text when an option is unusable.
std::string parse(const vektool::Args &args, Options &o) {
    bool haveDays = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (i + 1 >= args.size()) return a.rfind("--", 0) == 0 ? a + " needs a value" : "unexpected " + a;
        const std::string &v = args[++i];
        auto real = [&](std::optional<double> &slot) -> std::string {
            slot = number(v);
            return slot ? std::string() : a + " takes a number, not '" + v + "'";
        };
        std::string err;
        if (a == "--method")
            o.method = v;
        else if (a == "--sdf")
            err = real(o.sdf);
        else if (a == "--a-over-w")
            err = real(o.aOverW);
        else if (a == "--lambda")
            err = real(o.lambda);
        else if (a == "--table")
            o.tableFile = v;
        else if (a == "--table-name")
            o.tableName = v;
        else if (a == "--after")
            o.after = v;
        else if (a == "--days") {
            const auto list = numberList(v);
            if (!list) return "--days takes numbers separated by commas, not '" + v + "'";
            o.days = *list;
            haveDays = true;
        } else
            return "unknown option " + a;
        if (!err.empty()) return err;
    }
    vek::engine::ResponseMethod m{};
    if (!vek::engine::methodFromKeyword(o.method, m))
        return o.method.empty() ? "--method is missing" : "--method takes infinite, alluvial, hunt or table";
    if (!haveDays) return "--days is missing";
    const bool table = m == vek::engine::ResponseMethod::ResponseTable;
    if (!table && !o.sdf) return "--method " + o.method + " needs --sdf";
    if (o.sdf && !(*o.sdf >= 0.0)) return "--sdf must be 0 or more";
    if (m == vek::engine::ResponseMethod::AlluvialAquifer) {
        if (!o.aOverW) return "--method alluvial needs --a-over-w";
        if (auto p = vek::engine::alluvialProblem(*o.aOverW); !p.empty()) return "--a-over-w: " + p;
    }
    if (m == vek::engine::ResponseMethod::StreambedResistance) {
        if (!o.lambda) return "--method hunt needs --lambda";
        if (auto p = vek::engine::streambedProblem(*o.lambda); !p.empty()) return "--lambda: " + p;
    }
    if (table && o.tableFile.empty()) return "--method table needs --table FILE";
    if (o.after != "hold" && o.after != "one") return "--after takes hold or one";
    const bool given[] = {o.aOverW.has_value(), o.lambda.has_value(), !o.tableFile.empty()};
    const vek::engine::ResponseMethod owners[] = {vek::engine::ResponseMethod::AlluvialAquifer,
                                                  vek::engine::ResponseMethod::StreambedResistance,
                                                  vek::engine::ResponseMethod::ResponseTable};
    const char *names[] = {"--a-over-w", "--lambda", "--table"};
    for (int k = 0; k < 3; ++k)
        if (given[k] && owners[k] != m) return std::string(names[k]) + " does not apply to --method " + o.method;
    return {};
}

int runResponse(const vektool::Args &args) {
    Options o;
    if (std::string err = parse(args, o); !err.empty()) return usageError(err);
    vek::engine::ResponseMethod m{};
    vek::engine::methodFromKeyword(o.method, m);
    std::optional<vek::engine::StepResponse> response;
    switch (m) {
    case vek::engine::ResponseMethod::InfiniteAquifer:
        response = vek::engine::StepResponse::infiniteAquifer(*o.sdf);
        break;
    case vek::engine::ResponseMethod::AlluvialAquifer:
        response = vek::engine::StepResponse::alluvialAquifer(*o.sdf, *o.aOverW);
        break;
    case vek::engine::ResponseMethod::StreambedResistance:
        response = vek::engine::StepResponse::streambedResistance(*o.sdf, *o.lambda);
        break;
    case vek::engine::ResponseMethod::ResponseTable: {
        const vek::ResponseTableImport imported = vek::importResponseTables(o.tableFile);
        if (!imported.error.empty()) {
            std::fprintf(stderr, "vektool response: %s: %s\n", o.tableFile.c_str(), imported.error.c_str());
            return 1;
        }
        const vek::UnitResponseTable *chosen = nullptr;
        for (const auto &t : imported.tables)
            if (o.tableName.empty() ? imported.tables.size() == 1 : t.name == o.tableName) chosen = &t;
        if (!chosen) {
            std::string names;
            for (const auto &t : imported.tables)
                names += (names.empty() ? "" : ", ") + ("\"" + t.name + "\"");
            std::fprintf(stderr, "vektool response: %s holds the tables %s; choose one with --table-name\n",
                         o.tableFile.c_str(), names.c_str());
            return 1;
        }
        if (std::string p = vek::engine::tableProblem(chosen->shares); !p.empty()) {
            std::fprintf(stderr, "vektool response: table \"%s\": %s\n", chosen->name.c_str(), p.c_str());
            return 1;
        }
        response = vek::engine::StepResponse::responseTable(chosen->shares, o.after == "one");
        break;
    }
    }
    std::string out = "days,fraction\n";
    for (double t : o.days)
        out += shortest(t) + "," + twelveDigits((*response)(t)) + "\n";
    const bool written = std::fwrite(out.data(), 1, out.size(), stdout) == out.size();
    if (!written || std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "vektool response: cannot write standard output\n");
        return 1;
    }
    return 0;
}

} // namespace

VEKTOOL_COMMAND("response", "print a response method's step response at given days as CSV", kUsage, runResponse);
