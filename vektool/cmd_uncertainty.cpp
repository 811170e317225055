// vektool uncertainty: sampled runs of a model with the uncertainty ranges
// its file holds; the bands of every location and summary, and the tornado.
#include "common/numbers.h"
#include "common/safe_save.h"
#include "common/utf8_path.h"
#include "engine/ranges_section.h"
#include "engine/uncertainty.h"
#include "model/model_validation.h"
#include "results/uncertainty_export.h"
#include "results/xlsx_export.h"
#include "vektool/command.h"
#include "vektool/messages.h"
#include "vektool/usage_errors.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

const char *kUsage = "usage: vektool uncertainty MODEL.vek --samples N [--seed S] [--design mc|lhs]\n"
                     "                           [--quantiles 5,50,95] [--csv FILE] [--xlsx FILE]\n"
                     "                           [--tornado FILE] [--result WHICH] [--threads N]\n\n"
                     "Runs MODEL.vek N times with the values its uncertainty ranges give (see the\n"
                     "file formats), on all processors, and prints the average annual depletion of\n"
                     "the summaries and stream reaches: the run without ranges and the chosen\n"
                     "quantiles of the samples.\n"
                     "The same seed gives the same samples, bit for bit, on every machine and with\n"
                     "any number of threads. A progress bar is shown when standard error is a\n"
                     "terminal.\n\n"
                     "options:\n"
                     "  --samples N       how many samples (1 or more)\n"
                     "  --seed S          the draws' seed, a whole number 0 or more (default 0)\n"
                     "  --design mc|lhs   Monte Carlo (default) or Latin hypercube sampling\n"
                     "  --quantiles LIST  percents, 0 to 100, separated by commas (default 5,50,95);\n"
                     "                    quantiles are type 7 (linear between order statistics)\n"
                     "  --csv FILE        every location's, summary's and stream reach's months,\n"
                     "                    years and average year: the run without ranges and the\n"
                     "                    quantiles, in acre-feet (- for standard output)\n"
                     "  --xlsx FILE       the same rows as an Excel workbook\n"
                     "  --tornado FILE    each range at its 5th and 95th percentile alone, ranked by\n"
                     "                    its swing of the average annual depletion, as CSV, with\n"
                     "                    its first-order Sobol' index from the samples (binned\n"
                     "                    estimate; from 100 samples on)\n"
                     "  --result WHICH    the tornado's result: all (default), wells, recharge, a\n"
                     "                    location's place in the file, or reachN (N from 1)\n"
                     "  --threads N       samples run at once (default: one per processor)\n\n"
                     "Exit status: 0 done, 1 the model or its ranges were refused or a file could\n"
                     "not be written, 2 bad arguments.\n";

struct Options {
    std::string path, csvPath, xlsxPath, tornadoPath, result = "all";
    std::vector<double> percents{5, 50, 95};
    vek::engine::UncertaintyOptions run;
    bool samplesGiven = false;
};

template <typename T> bool whole(const std::string &text, T &out) {
    const auto r = std::from_chars(text.data(), text.data() + text.size(), out);
    return !text.empty() && r.ec == std::errc() && r.ptr == text.data() + text.size();
}

std::string parse(const vektool::Args &args, Options &o) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        std::string v;
        const bool hasValue = i + 1 < args.size() && !args[i + 1].empty();
        if (hasValue) v = args[i + 1];
        if (a == "--csv" || a == "--xlsx" || a == "--tornado" || a == "--result") {
            if (!hasValue) return a + " needs a value";
            (a == "--csv" ? o.csvPath : a == "--xlsx" ? o.xlsxPath : a == "--tornado" ? o.tornadoPath : o.result) = v;
        } else if (a == "--samples") {
            if (!whole(v, o.run.samples) || o.run.samples < 1) return "--samples takes a whole number, 1 or more";
            o.samplesGiven = true;
        } else if (a == "--seed") {
            if (!whole(v, o.run.seed)) return "--seed takes a whole number, 0 or more";
        } else if (a == "--threads") {
            if (!whole(v, o.run.engine.threads) || o.run.engine.threads < 1)
                return "--threads takes a whole number, 1 or more";
        } else if (a == "--design") {
            if (v != "mc" && v != "lhs") return "--design takes mc or lhs";
            o.run.design = v == "lhs" ? vek::engine::Design::LatinHypercube : vek::engine::Design::MonteCarlo;
        } else if (a == "--quantiles") {
            if (!vek::parsePercents(v, o.percents)) return "--quantiles takes percents from 0 to 100, as 5,50,95";
        } else if (a.size() > 1 && a[0] == '-') {
            return "unknown option " + a;
        } else if (o.path.empty()) {
            o.path = a;
            continue;
        } else {
            return "only one model can be run";
        }
        ++i;
    }
    if (o.path.empty()) return "no model named";
    if (!o.samplesGiven) return "--samples is needed";
    if (o.csvPath == "-" && o.tornadoPath == "-") return "--csv and --tornado cannot both go to standard output";
    return "";
}

bool stderrIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

// A progress bar on standard error: percentage, samples a second, time left.
std::function<bool(std::size_t)> progressBar(std::size_t samples) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    auto shown = std::make_shared<Clock::time_point>(start);
    return [=](std::size_t done) {
        const Clock::time_point now = Clock::now();
        if (done < samples && now - *shown < std::chrono::milliseconds(200)) return true;
        *shown = now;
        const double seconds = std::chrono::duration<double>(now - start).count();
        const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0.0;
        const double left = rate > 0 ? static_cast<double>(samples - done) / rate : 0.0;
        std::fprintf(stderr, "\r%3d%%  %.1f samples/s  %d:%02d left ",
                     static_cast<int>(100.0 * static_cast<double>(done) / static_cast<double>(samples)), rate,
                     static_cast<int>(left) / 60, static_cast<int>(left) % 60);
        if (done == samples) std::fprintf(stderr, "\n");
        std::fflush(stderr);
        return true;
    };
}

bool readText(const std::string &path, std::string &text) {
    std::ifstream in(vek::pathFromUtf8(path), std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return static_cast<bool>(in);
}

// The series index of --result, or false.
bool resultIndex(const std::string &which, const vek::engine::UncertaintyResults &r, std::size_t &index) {
    const std::size_t locations = r.locations;
    if (which.rfind("reach", 0) == 0) {
        long long reach = 0;
        if (!whole(which.substr(5), reach)) return false;
        for (std::size_t s = locations; s < r.series.size(); ++s)
            if (r.series[s].reach == reach) {
                index = s;
                return true;
            }
        return false;
    }
    if (which == "recharge" || which == "wells" || which == "all") {
        index = locations + (which == "recharge" ? 0 : which == "wells" ? 1 : 2);
        return true;
    }
    long long position = 0;
    if (!whole(which, position)) return false;
    for (std::size_t s = 0; s < locations; ++s)
        if (r.series[s].location == position) {
            index = s;
            return true;
        }
    return false;
}

// Runs the samples and writes what was asked for; the exit status.
int runSamples(const Options &o, const vek::engine::PreparedModel &model, const vek::engine::Ranges &ranges) {
    const vek::engine::UncertaintyResults results = vek::engine::runUncertainty(model, ranges, o.run);
    std::size_t which = 0;
    if (!resultIndex(o.result, results, which)) {
        vektool::say("vektool uncertainty: --result " + o.result + " names no location of the run");
        return 1;
    }
    bool ok = true;
    std::string error;
    auto put = [&](const std::string &path, const std::string &text) {
        if (path == "-")
            vektool::writeStandardOutput(text);
        else if (!vek::saveFile(path, text, &error))
            vektool::say("vektool uncertainty: " + error), ok = false;
    };
    if (!o.csvPath.empty()) put(o.csvPath, vek::bandsCsv(results, o.percents));
    if (!o.xlsxPath.empty() && !vek::writeBandsWorkbook(o.xlsxPath, results, o.percents, &error))
        vektool::say("vektool uncertainty: " + error), ok = false;
    if (!o.tornadoPath.empty())
        put(o.tornadoPath, vek::tornadoCsv(vek::engine::sensitivity(model, ranges, which, o.run.engine, results),
                                           results.series[which].name));
    if (o.csvPath != "-" && o.tornadoPath != "-") {
        std::string out = "average annual depletion (acre-feet) of " + std::to_string(results.samples) + " samples\n";
        out += "result,deterministic";
        for (double p : o.percents)
            out += ",P" + vek::formatG(p, 9);
        out += "\n";
        for (std::size_t s = results.locations; s < results.series.size(); ++s) {
            const auto &series = results.series[s];
            out += series.name + "," + vek::formatG(series.baseAverage[12], 9);
            std::vector<double> probabilities;
            for (double p : o.percents)
                probabilities.push_back(p / 100.0);
            for (double q :
                 vek::engine::quantilesOf(series.average.data() + 12 * results.samples, results.samples, probabilities))
                out += "," + vek::formatG(q, 9);
            out += "\n";
        }
        vektool::writeStandardOutput(out);
    }
    return ok ? 0 : 1;
}

int runUncertaintyCommand(const vektool::Args &args) {
    Options o;
    if (std::string err = parse(args, o); !err.empty()) return vektool::usageError("uncertainty", err, kUsage);
    if (!vektool::canOpen("uncertainty", o.path)) return 1;
    const vek::ModelFileCheck check = vek::checkModelFile(o.path);
    vektool::report(check.read);
    if (!vektool::reportProblems(o.path, check.validation)) return 1;
    std::string text;
    if (!readText(o.path, text)) {
        vektool::say("vektool uncertainty: cannot read " + o.path);
        return 1;
    }
    vek::engine::RangesSection section;
    try {
        section = vek::engine::findRangesSection(text);
    } catch (const vek::engine::RangesSectionError &e) {
        vektool::say(o.path + ": the uncertainty ranges at line " + std::to_string(e.line()) + ": " + e.what());
        return 1;
    }
    if (section.ranges.entries.empty()) {
        vektool::say(o.path + ": the model has no uncertainty ranges");
        return 1;
    }
    vek::engine::PreparedModel model;
    std::ostringstream console, errors;
    if (vek::engine::prepareModel({o.path, std::move(text)}, model, console, errors) != vek::engine::kExitNormal) {
        vektool::say("Error running the engine on " + o.path + ":\n" + console.str() + errors.str());
        return 1;
    }
    if (std::string problem = vek::engine::rangesProblem(model, section.ranges); !problem.empty()) {
        vektool::say(o.path + ": " + problem);
        return 1;
    }
    if (stderrIsTerminal()) o.run.progress = progressBar(o.run.samples);
    try {
        return runSamples(o, model, section.ranges);
    } catch (const std::exception &e) {
        vektool::say("vektool uncertainty: " + std::string(e.what()));
        return 1;
    }
}

} // namespace

VEKTOOL_COMMAND("uncertainty", "sampled runs of a model's uncertainty ranges: bands and tornado", kUsage,
                runUncertaintyCommand);
