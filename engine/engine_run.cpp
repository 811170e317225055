// The engine's driver: file names are already known; this opens the files,
// reads the deck strictly forward and has each used location computed and
// written in input order.
#include "engine/engine_run.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>

#include "engine/day_calendar.h"
#include "engine/deck_reader.h"
#include "engine/fixed_fields.h"
#include "engine/location_pipeline.h"
#include "engine/model_sections.h"
#include "engine/reach_report.h"
#include "engine/report_writer.h"
#include "engine/response_kernels.h"
#include "engine/response_report.h"
#include "engine/response_section.h"
#include "engine/response_table.h"
#include "engine/run_parameters.h"
#include "engine/superposition.h"

namespace vek::engine {

namespace {

class RunError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Creating the report empties its file: when that file is the model being
// read (the same name twice, another spelling of it, a link) the model would
// be lost before it is read.
std::string notTheInput(const std::string &inputPath, const std::string &outputPath) {
    std::error_code ec;
    if (std::filesystem::equivalent(std::filesystem::path(std::u8string(inputPath.begin(), inputPath.end())),
                                    std::filesystem::path(std::u8string(outputPath.begin(), outputPath.end())), ec) &&
        !ec)
        throw ReportError("output file \"" + outputPath + "\" is the input file \"" + inputPath +
                          "\"; give the report another name");
    return outputPath;
}

// Per-thread scratch of the straightforward computation.
struct ReferenceScratch {
    ResponseTable table;
};

class EngineRun {
  public:
    EngineRun(const std::string &inputPath, const std::string &outputPath, const EngineOptions &options,
              std::ostream &console)
        : options_(options), console_(console), deck_(inputPath) {
        report_.emplace(notTheInput(inputPath, outputPath));
    }
    // Keeps the tables in `tables` instead of writing a report.
    EngineRun(DeckSource input, RunTables &tables, const EngineOptions &options, std::ostream &console)
        : options_(options), console_(console), deck_(std::move(input)), kept_(&tables) {}

    int run();

  private:
    void readParameters();
    void readResponseMethods();
    void readReaches(ReachSection section);
    LocationResponse responseOf(long long location, Real factor);
    void sharesOf(LocationJob &job, long long location);
    void superpose(const LocationJob &job, const LocationResponse &response, Real *e, unsigned worker);
    Real daysOf(int month) const;
    void volumes(const Real *e, Real sigma, Real *out) const;
    void computeReachEffects(LocationJob &job, unsigned worker);
    void readLocations(LocationPipeline &pipeline);
    void readRates(LocationJob &job, long long location);
    void compute(LocationJob &job, unsigned worker);
    void finish(LocationJob &job);
    void write(std::string_view text) {
        if (report_) report_->write(text);
    }

    EngineOptions options_;
    std::ostream &console_;
    DeckReader deck_;
    std::optional<ReportFile> report_; // absent when the tables are kept instead
    RunTables *kept_ = nullptr;        // receives the tables when no report is written
    RunParameters p_;
    RunCounts c_;
    int months_ = 0;
    std::unique_ptr<DayCalendar> calendar_;
    std::unique_ptr<SummaryTables> summaries_;
    std::unique_ptr<KernelLayout> layout_;
    std::unique_ptr<KernelCache> kernels_;
    std::vector<ReferenceScratch> scratch_;
    std::string pendingBlock_; // block of the location being read, until it is handed on

    // Locations that respond by another method than the infinite aquifer,
    // ordered by their position in the file, and the tables they share.
    ResponseSection section_;
    std::vector<SectionLocation> methods_;
    std::size_t nextMethod_ = 0;
    std::vector<StepResponse> tables_;
    std::vector<ReportedResponse> reported_; // used locations among them, for the report's list

    // The stream reaches: every share, ordered by location, each location's
    // rule named for the list, and the reaches' monthly sums.
    std::vector<SectionShare> shares_;
    std::size_t nextShare_ = 0;
    std::vector<std::pair<long long, std::string>> ruleNames_; // location, its own rule; ordered
    std::string modelRule_;
    ReachResults reaches_;
};

void EngineRun::readParameters() {
    deck_.skipRecords(1, {"version line"});
    int v[13];
    deck_.readInts(v, 13, {"run parameters"});
    p_ = RunParameters{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11], v[12]};
}

int EngineRun::run() {
    readParameters();
    c_ = deriveCounts(p_);
    if (c_.runYears > kMaxRunYears) {
        std::string s = " ERROR: input contains more than ";
        appendInt(s, kMaxRunYears, 12);
        s += " years of data.";
        console_ << s << '\n';
        return kExitYearLimit;
    }
    if (c_.runYears < 1) {
        // Nothing to tabulate; averages would divide by zero.
        throw RunError("the run has no years: outputEndYear " + std::to_string(p_.outputEndYear) +
                       " is before outputStartYear " + std::to_string(p_.outputStartYear) + " in input file \"" +
                       deck_.path() + "\", record 2");
    }
    months_ = static_cast<int>(c_.runMonths);
    readResponseMethods();

    std::string text;
    if (report_) report::appendHeading(text, p_);
    write(text);
    if (kept_) {
        kept_->parameters = p_;
        kept_->counts = c_;
    }

    calendar_ = std::make_unique<DayCalendar>(p_.outputStartYear);
    summaries_ = std::make_unique<SummaryTables>();

    unsigned workers = 0;
    if (!options_.reference) {
        workers = options_.threads != 0 ? options_.threads : std::max(1u, std::thread::hardware_concurrency());
        layout_ = std::make_unique<KernelLayout>(*calendar_, months_);
        // Room for the factors of every worker's job plus a few recent ones.
        kernels_ = std::make_unique<KernelCache>(*layout_, 2 * static_cast<std::size_t>(workers) + 8);
    } else {
        scratch_.resize(1);
    }
    {
        LocationPipeline pipeline(
            workers, [this](LocationJob &job, unsigned w) { compute(job, w); },
            [this](LocationJob &job) { finish(job); });
        try {
            readLocations(pipeline);
        } catch (...) {
            // Keep the report as it would be had every location before the
            // failure been written the moment it was read.
            pipeline.drain();
            write(pendingBlock_);
            throw;
        }
        pipeline.drain();
    }

    text.clear();
    if (report_) {
        report::appendSummaries(text, *summaries_, p_, c_);
        report::appendResponseMethods(text, reported_, section_.tables);
        report::appendReaches(text, reaches_, p_, c_);
    }
    write(text);
    deck_.close();
    if (report_) report_->close();
    if (kept_) {
        kept_->summaries = std::move(*summaries_);
        kept_->responses = reported_;
        kept_->responseTables = section_.tables;
        kept_->reaches = std::move(reaches_);
    }
    console_ << " Stop - Program terminated." << '\n';
    return kExitNormal;
}

// The response-method section, found by a scan of its own before any
// location is read; every entry is checked now, so that a run never stops
// half-way for a parameter it cannot use.
void EngineRun::readResponseMethods() {
    ModelSections sections;
    try {
        const auto text = deck_.textInMemory();
        sections = text ? findModelSections(*text) : readModelSections(deck_.path());
    } catch (const SectionError &e) {
        throw RunError(std::string(e.what()) + " in input file \"" + deck_.path() + "\", record " +
                       std::to_string(e.line()) + " (" + e.part() + ")");
    }
    readReaches(std::move(sections.reaches));
    section_ = std::move(sections.response);
    if (!section_.present) return;
    auto refuse = [&](long long line, const std::string &problem) {
        throw RunError(problem + " in input file \"" + deck_.path() + "\", record " + std::to_string(line) +
                       " (response methods)");
    };
    for (const auto &t : section_.tables) {
        if (std::string p = tableProblem(t.shares); !p.empty()) refuse(t.line, "table \"" + t.name + "\": " + p);
        tables_.push_back(StepResponse::responseTable(t.shares, t.afterOne));
    }
    methods_ = section_.locations;
    for (const auto &m : methods_) {
        if (m.location > p_.nwells)
            refuse(m.line, "location " + std::to_string(m.location) + " does not exist (the file has " +
                               std::to_string(p_.nwells) + ")");
        std::string p;
        if (m.method == ResponseMethod::AlluvialAquifer) p = alluvialProblem(static_cast<double>(m.aOverW));
        if (m.method == ResponseMethod::StreambedResistance) p = streambedProblem(static_cast<double>(m.lambda));
        if (m.method == ResponseMethod::ResponseTable && !section_.table(m.table))
            p = "there is no table \"" + m.table + "\"";
        if (!p.empty()) refuse(m.line, "location " + std::to_string(m.location) + ": " + p);
    }
    std::sort(methods_.begin(), methods_.end(),
              [](const SectionLocation &a, const SectionLocation &b) { return a.location < b.location; });
}

// Locations are read in file order, so the sorted entries are met in turn.
LocationResponse EngineRun::responseOf(long long location, Real factor) {
    while (nextMethod_ < methods_.size() && methods_[nextMethod_].location < location)
        ++nextMethod_;
    LocationResponse r = LocationResponse::infiniteAquifer(factor);
    if (nextMethod_ == methods_.size() || methods_[nextMethod_].location != location) return r;
    const SectionLocation &m = methods_[nextMethod_];
    r.method = m.method;
    if (m.method == ResponseMethod::AlluvialAquifer) r.parameter = m.aOverW;
    if (m.method == ResponseMethod::StreambedResistance) r.parameter = m.lambda;
    if (m.method == ResponseMethod::ResponseTable) {
        for (std::size_t t = 0; t < section_.tables.size(); ++t)
            if (section_.tables[t].name == m.table) r.table = static_cast<int>(t);
    }
    return r;
}

// The stream reaches: their shares are checked now, like the response
// methods, so that a run never stops half-way for one it cannot use.
void EngineRun::readReaches(ReachSection section) {
    if (!section.present || section.reaches.empty()) return;
    auto refuse = [&](long long line, const std::string &problem) {
        throw RunError(problem + " in input file \"" + deck_.path() + "\", record " + std::to_string(line) +
                       " (stream reaches)");
    };
    long long line = section.line;
    if (std::string p = reachSharesProblem(section, &line); !p.empty()) refuse(line, p);
    for (const auto &sh : section.shares)
        if (sh.location > p_.nwells)
            refuse(sh.line, "location " + std::to_string(sh.location) + " does not exist (the file has " +
                                std::to_string(p_.nwells) + ")");
    shares_ = std::move(section.shares);
    std::stable_sort(shares_.begin(), shares_.end(),
                     [](const SectionShare &a, const SectionShare &b) { return a.location < b.location; });
    modelRule_ = apportionmentName(section.rule);
    for (const auto &place : section.places)
        if (place.ownRule) ruleNames_.emplace_back(place.location, apportionmentName(place.rule));
    std::sort(ruleNames_.begin(), ruleNames_.end());
    reaches_.depletion = section.depletion;
    reaches_.metres = section.metres;
    for (auto &r : section.reaches)
        reaches_.reaches.push_back({std::move(r.name), std::vector<Real>(static_cast<std::size_t>(months_) + 1, 0.0f)});
}

// A used location's shares, met in file order like the response methods.
void EngineRun::sharesOf(LocationJob &job, long long location) {
    job.shares.clear();
    if (!reaches_.present()) return;
    while (nextShare_ < shares_.size() && shares_[nextShare_].location < location)
        ++nextShare_;
    std::string rule = modelRule_;
    const auto own = std::lower_bound(ruleNames_.begin(), ruleNames_.end(), std::make_pair(location, std::string()));
    if (own != ruleNames_.end() && own->first == location) rule = own->second;
    for (; nextShare_ < shares_.size() && shares_[nextShare_].location == location; ++nextShare_) {
        const SectionShare &sh = shares_[nextShare_];
        job.shares.push_back({static_cast<std::size_t>(sh.reach - 1), static_cast<Real>(sh.fraction), sh.factor});
        reaches_.shares.push_back(
            {location, job.name, sh.reach, sh.fraction, sh.distance, sh.hasFactor, sh.factor, rule});
    }
    if (job.shares.empty())
        throw RunError("location " + std::to_string(location) + " has no share of the stream reaches in input file \"" +
                       deck_.path() + "\" (stream reaches); the program that saves the model apportions it");
}

void EngineRun::readLocations(LocationPipeline &pipeline) {
    const bool byLocation = report_ && layoutFor(p_.outputFormat) == ReportLayout::ByLocation;
    for (long long n = 1; n <= p_.nwells; ++n) {
        Real factor = 0.0f;
        int type = 0, use = 0;
        deck_.readRealIntInt(factor, type, use, {"depletion factor, location type and use flag", n});
        if (use == 0) {
            // Consumed whole so that the next group starts at its own record.
            deck_.skipRecords(1, {"name", n});
            deck_.skipRecords(c_.rowsBefore + c_.rowsRead + c_.rowsAfter, {"year row", n, 1});
            continue;
        }
        if (!(factor >= 0.0f)) {
            throw RunError("negative depletion factor in input file \"" + deck_.path() + "\", record " +
                           std::to_string(deck_.recordNumber()) + " (location " + std::to_string(n) + ")");
        }
        const std::string name = deck_.readText(kEngineLocationNameLength, {"name", n});
        LocationJob &job = pipeline.acquire();
        job.factor = factor;
        job.response = responseOf(n, factor);
        if (!job.response.isInfiniteAquifer()) reported_.push_back({n, name, job.response});
        job.locationType = type;
        job.name = name;
        sharesOf(job, n);
        job.block.clear();
        if (byLocation) report::appendLocationBlock(job.block, name, factor, type);
        pendingBlock_ = job.block;
        try {
            readRates(job, n);
        } catch (...) {
            pipeline.release(job);
            throw;
        }
        pendingBlock_.clear();
        pipeline.submit(job);
    }
}

void EngineRun::readRates(LocationJob &job, long long location) {
    Real *q = job.q.data();
    std::fill(q, q + months_ + 1, 0.0f);
    deck_.skipRecords(c_.rowsBefore, {"year row", location, 1});
    const bool convert = p_.unitMode != 0 && (p_.useAvgDaysPerMonth == 0 || p_.useAvgDaysPerMonth == 1);
    for (long long r = 0; r < c_.rowsRead; ++r) {
        Real *row = q + 1 + 12 * r;
        deck_.readReals(row, 12, {"year row", location, c_.rowsBefore + r + 1});
        if (!convert) continue;
        for (int j = 0; j < 12; ++j) {
            const int m = static_cast<int>(12 * r) + j + 1;
            const Real days =
                p_.useAvgDaysPerMonth == 1 ? kAverageDaysPerMonth : static_cast<Real>(calendar_->daysInMonth(m));
            row[j] = row[j] / days;
        }
    }
    deck_.skipRecords(c_.rowsAfter, {"year row", location, c_.rowsBefore + c_.rowsRead + 1});
}

void EngineRun::superpose(const LocationJob &job, const LocationResponse &response, Real *e, unsigned worker) {
    const int m = months_;
    std::fill(e, e + m + 1, 0.0f);
    if (options_.reference) {
        ResponseTable &table = scratch_[worker].table;
        if (response.isInfiniteAquifer())
            table.build(response.factor, (*calendar_)[m]);
        else
            table.build(stepResponseFor(response, tables_), (*calendar_)[m]);
        superposeReference(job.q.data(), e, m, *calendar_, table.data(), console_);
    } else {
        superposeKernels(job.q.data(), e, m, *kernels_->get(response, tables_));
    }
}

Real EngineRun::daysOf(int month) const {
    if (p_.useAvgDaysPerMonth == 1) return kAverageDaysPerMonth;
    if (p_.useAvgDaysPerMonth == 0) return static_cast<Real>(calendar_->daysInMonth(month));
    return kFallbackDaysPerMonth;
}

// Monthly volumes of effect rates; wells carry the sign of their type.
void EngineRun::volumes(const Real *e, Real sigma, Real *out) const {
    for (int i = 1; i <= months_; ++i)
        out[i] = e[i] * daysOf(i) * sigma;
}

void EngineRun::compute(LocationJob &job, unsigned worker) {
    const int m = months_;
    Real *e = job.e.data();
    superpose(job, job.response, e, worker);
    const Real sigma = static_cast<Real>(job.locationType);
    volumes(e, sigma, job.effect.data());
    for (int i = 1; i <= m; ++i)
        job.diversion[static_cast<std::size_t>(i)] = job.q[static_cast<std::size_t>(i)] * daysOf(i) * sigma;
    computeReachEffects(job, worker);
    job.tables.clear();
    if (report_ && layoutFor(p_.outputFormat) == ReportLayout::ByLocation)
        report::appendLocationTables(job.tables, job.locationType, job.diversion.data(), job.effect.data(), p_, c_);
}

// With the depletion by reach distance, each reach's effect of the location
// comes from a response of its own: the location's method with the reach's
// factor.
void EngineRun::computeReachEffects(LocationJob &job, unsigned worker) {
    if (reaches_.depletion != ReachDepletion::ByDistance || job.shares.empty()) return;
    const std::size_t stride = static_cast<std::size_t>(months_) + 1;
    job.reachEffect.resize(job.shares.size() * stride);
    const Real sigma = static_cast<Real>(job.locationType);
    for (std::size_t k = 0; k < job.shares.size(); ++k) {
        LocationResponse response = job.response;
        response.factor = job.shares[k].factor;
        superpose(job, response, job.e.data(), worker);
        volumes(job.e.data(), sigma, job.reachEffect.data() + k * stride);
    }
}

void EngineRun::finish(LocationJob &job) {
    summaries_->add(job.locationType, job.diversion.data(), job.effect.data(), months_);
    // Each reach's share of the location, added in input order.
    const std::size_t stride = static_cast<std::size_t>(months_) + 1;
    for (std::size_t k = 0; k < job.shares.size(); ++k) {
        const JobShare &share = job.shares[k];
        const Real *effect =
            reaches_.depletion == ReachDepletion::ByDistance ? job.reachEffect.data() + k * stride : job.effect.data();
        Real *sum = reaches_.reaches[share.reach].effect.data();
        for (int i = 1; i <= months_; ++i) {
            const Real part = effect[i] * share.fraction;
            sum[i] = sum[i] + part;
        }
    }
    write(job.block);
    write(job.tables);
    if (kept_ && layoutFor(p_.outputFormat) == ReportLayout::ByLocation) {
        const auto end = static_cast<std::ptrdiff_t>(months_) + 1;
        kept_->locations.push_back({job.name, job.factor, job.locationType,
                                    std::vector<Real>(job.diversion.begin(), job.diversion.begin() + end),
                                    std::vector<Real>(job.effect.begin(), job.effect.begin() + end)});
    }
}

} // namespace

namespace {
// One run, its failures turned into the console line and status of vek.
template <typename Start> int guardedRun(std::ostream &errors, Start start) {
    try {
        std::unique_ptr<EngineRun> run = start();
        return run->run();
    } catch (const std::bad_alloc &) {
        errors << " run-time error: out of memory" << '\n';
    } catch (const std::exception &e) {
        errors << " run-time error: " << e.what() << '\n';
    }
    return kExitRuntimeError;
}
} // namespace

int runEngine(const std::string &inputPath, const std::string &outputPath, const EngineOptions &options,
              std::ostream &console, std::ostream &errors) {
    return guardedRun(errors, [&] { return std::make_unique<EngineRun>(inputPath, outputPath, options, console); });
}

int runEngine(DeckSource input, RunTables &tables, const EngineOptions &options, std::ostream &console,
              std::ostream &errors) {
    return guardedRun(errors, [&] { return std::make_unique<EngineRun>(std::move(input), tables, options, console); });
}

} // namespace vek::engine
