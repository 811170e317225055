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

#include "engine/fixed_fields.h"
#include "engine/location_computation.h"
#include "engine/location_pipeline.h"
#include "engine/model_deck.h"
#include "engine/report_writer.h"

namespace vek::engine {

std::string yearLimitLine() {
    std::string s = " ERROR: input contains more than ";
    appendInt(s, kMaxRunYears, 12);
    s += " years of data.";
    return s;
}

namespace {

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

// One run read strictly forward: each location is read, computed on a
// worker, added to the summaries and written (or kept) in input order before
// its memory is reused.
class EngineRun {
  public:
    EngineRun(const std::string &inputPath, const std::string &outputPath, const EngineOptions &options,
              std::ostream &console)
        : options_(options), console_(console), deck_(DeckSource{inputPath, std::nullopt}) {
        report_.emplace(notTheInput(inputPath, outputPath), options_.openReport);
    }
    // Keeps the tables in `tables` instead of writing a report.
    EngineRun(DeckSource input, RunTables &tables, const EngineOptions &options, std::ostream &console)
        : options_(options), console_(console), deck_(std::move(input)), kept_(&tables) {}

    int run();

  private:
    void readLocations(LocationPipeline &pipeline);
    void compute(LocationJob &job, unsigned worker);
    void finish(LocationJob &job);
    void addReachBatch();

    EngineOptions options_;
    std::ostream &console_;
    void write(std::string_view text) {
        if (report_) report_->write(text);
    }

    ModelDeck deck_;
    std::optional<ReportFile> report_; // absent when the tables are kept instead
    RunTables *kept_ = nullptr;        // receives the tables when no report is written
    bool byLocation_ = false;
    std::unique_ptr<LocationComputation> computation_;
    std::unique_ptr<SummaryTables> summaries_;
    std::string pendingBlock_;               // block of the location being read, until it is handed on
    std::vector<ReportedResponse> reported_; // used locations on another method, for the report's list
    long long longRowLocations_ = 0;         // locations with a year row of more than 12 values

    void noteLongRows(const DeckLocation &l);
    ReachResults reaches_; // the reaches' sums, added in input order
    // The locations' parts of them not yet added, and the pipeline whose
    // workers help add them (while it runs).
    std::unique_ptr<ReachBatch> reachBatch_;
    LocationPipeline *pipeline_ = nullptr;
};

// Console notes of year rows with more than 12 values, one per location up
// to this many; the rest are counted in one last note.
constexpr long long kMostLongRowNotes = 20;

int EngineRun::run() {
    if (!deck_.readParameters()) {
        console_ << yearLimitLine() << '\n';
        return kExitYearLimit;
    }
    deck_.readResponseMethods();
    if (deck_.unreadTextLine() > 0)
        console_ << " WARNING: the input file goes on after its pumping records at record " << deck_.unreadTextLine()
                 << " with text that is no response-method section; it is not read, and every location uses the "
                    "infinite aquifer."
                 << '\n';
    reaches_ = deck_.reaches();
    const RunParameters &p = deck_.parameters();
    byLocation_ = layoutFor(p.outputFormat) == ReportLayout::ByLocation;

    std::string text;
    if (report_) report::appendHeading(text, p);
    write(text);
    if (kept_) {
        kept_->parameters = p;
        kept_->counts = deck_.counts();
    }

    summaries_ = std::make_unique<SummaryTables>();
    const unsigned workers = options_.reference ? 0 : computingThreads(options_.threads);
    computation_ = std::make_unique<LocationComputation>(p, deck_.months(), deck_.tables(), options_, workers);
    if (reaches_.present()) reachBatch_ = std::make_unique<ReachBatch>(reaches_, deck_.months(), workers + 1);
    {
        LocationPipeline pipeline(
            workers, [this](LocationJob &job, unsigned w) { compute(job, w); },
            [this](LocationJob &job) { finish(job); });
        pipeline_ = &pipeline;
        try {
            readLocations(pipeline);
        } catch (...) {
            // Keep the report as it would be had every location before the
            // failure been written the moment it was read.
            pipeline.drain();
            pipeline_ = nullptr;
            write(pendingBlock_);
            throw;
        }
        pipeline.drain();
        addReachBatch();
        pipeline_ = nullptr;
    }
    reaches_.shares = deck_.reaches().shares;

    text.clear();
    if (report_) {
        report::appendSummaries(text, *summaries_, p, deck_.counts());
        report::appendResponseMethods(text, reported_, deck_.section().tables, deck_.unreadTextLine());
        report::appendReaches(text, reaches_, p, deck_.counts());
    }
    write(text);
    if (longRowLocations_ > kMostLongRowNotes)
        console_ << " NOTE: " << longRowLocations_ - kMostLongRowNotes
                 << " more locations hold year rows of more than 12 values." << '\n';
    deck_.close();
    if (report_) report_->close();
    if (kept_) {
        kept_->summaries = std::move(*summaries_);
        kept_->responses = reported_;
        kept_->responseTables = deck_.section().tables;
        kept_->unreadTextLine = deck_.unreadTextLine();
        kept_->reaches = std::move(reaches_);
    }
    console_ << " Stop - Program terminated." << '\n';
    return kExitNormal;
}

void EngineRun::readLocations(LocationPipeline &pipeline) {
    for (long long n = 1; n <= deck_.parameters().nwells; ++n) {
        LocationJob &job = pipeline.acquire();
        if (!deck_.readHeader(n, job.location)) {
            pipeline.release(job);
            continue;
        }
        const DeckLocation &l = job.location;
        if (!l.response.isInfiniteAquifer()) reported_.push_back({n, l.name, l.response});
        job.block.clear();
        if (byLocation_ && report_) report::appendLocationBlock(job.block, l.name, l.response.factor, l.locationType);
        pendingBlock_ = job.block;
        try {
            deck_.readRates(n, job.location);
            if (job.location.longRows > 0) noteLongRows(job.location);
        } catch (...) {
            pipeline.release(job);
            throw;
        }
        pendingBlock_.clear();
        pipeline.submit(job);
    }
}

// A row of more than 12 values is read by the rules (its first 12), but a
// decimal comma ("1,5" reads as two values) shifts every later month, so the
// console says where. No name in the note: a caller judges the console by
// "rror", which a name may hold.
void EngineRun::noteLongRows(const DeckLocation &l) {
    if (++longRowLocations_ > kMostLongRowNotes) return;
    console_ << " NOTE: location " << l.position << ", year " << deck_.parameters().inputStartYear + l.firstLongRow
             << " (record " << l.firstLongRecord << " of the input file) holds more than 12 values; only the first "
             << "12 are read";
    if (l.longRows > 1) console_ << " (" << l.longRows << " such rows in this location)";
    console_ << ". Values are separated by blanks or commas: a decimal comma splits a number in two." << '\n';
}

void EngineRun::compute(LocationJob &job, unsigned worker) {
    const DeckLocation &l = job.location;
    computation_->compute(l.response, l.locationType, l.rates.data(), job.e.data(), job.diversion.data(),
                          job.effect.data(), worker, console_);
    if (reaches_.depletion == ReachDepletion::ByDistance && !l.shares.empty())
        computation_->computeByDistance(l.response, l.locationType, l.rates.data(), l.shares, job.e.data(),
                                        job.reachEffect, worker, console_);
    job.tables.clear();
    if (byLocation_ && report_)
        report::appendLocationTables(job.tables, l.locationType, job.diversion.data(), job.effect.data(),
                                     deck_.parameters(), deck_.counts());
}

void EngineRun::finish(LocationJob &job) {
    const DeckLocation &l = job.location;
    summaries_->add(l.locationType, job.diversion.data(), job.effect.data(), deck_.months());
    if (reachBatch_ && reachBatch_->keep(l.shares, job.effect.data(), job.reachEffect)) addReachBatch();
    write(job.block);
    write(job.tables);
    if (kept_ && byLocation_) {
        const auto end = static_cast<std::ptrdiff_t>(deck_.months()) + 1;
        kept_->locations.push_back({l.name, l.response.factor, l.locationType,
                                    std::vector<Real>(job.diversion.begin(), job.diversion.begin() + end),
                                    std::vector<Real>(job.effect.begin(), job.effect.begin() + end), l.position,
                                    l.response});
    }
}

// The kept locations' parts of the reaches' sums, added by the workers and
// this thread together, a range of months apiece.
void EngineRun::addReachBatch() {
    if (!reachBatch_ || reachBatch_->empty()) return;
    pipeline_->runParts(reachBatch_->parts(), [this](std::size_t part) { reachBatch_->addPart(part); });
    reachBatch_->clear();
}

} // namespace

unsigned computingThreads(unsigned requested) {
    const unsigned hardware = std::max(1u, std::thread::hardware_concurrency());
    return requested == 0 ? hardware : std::min(requested, hardware);
}

int runEngine(const std::string &inputPath, const std::string &outputPath, const EngineOptions &options,
              std::ostream &console, std::ostream &errors) {
    return guardedEngineCall(errors, [&] { return EngineRun(inputPath, outputPath, options, console).run(); });
}

int runEngine(DeckSource input, RunTables &tables, const EngineOptions &options, std::ostream &console,
              std::ostream &errors) {
    return guardedEngineCall(errors, [&] { return EngineRun(std::move(input), tables, options, console).run(); });
}

} // namespace vek::engine
