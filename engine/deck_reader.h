// Reads the model input file strictly forward, record by record: free-form
// numeric records (blanks, tabs or commas between values, a short record
// continued on the next one, text after the last value ignored) and fixed-width
// text records. Every failure is a DeckError that says what was being read and
// where (file and record number). No record may be longer than kMaxLineBytes.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/real.h"

namespace vek::engine {

class DeckError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// What a read statement is for, kept cheap: the text is only built on failure.
struct DeckItem {
    const char *what = "";  // e.g. "year row"
    long long location = 0; // 1-based location group, 0 when not in one
    long long row = 0;      // 1-based row within the group, 0 when not a row
};

// Where a deck comes from: the file at `path`, or `text` already in memory
// (a model the model core has just written), `path` then naming it in
// messages.
struct DeckSource {
    std::string path;
    std::optional<std::string> text;
};

class DeckReader {
  public:
    // Opens the file; throws DeckError when it cannot be opened.
    explicit DeckReader(const std::string &path);
    explicit DeckReader(DeckSource source);
    // Reads `text`, which must outlive the reader, without a copy of it.
    DeckReader(std::string_view text, std::string path);
    ~DeckReader();
    DeckReader(const DeckReader &) = delete;
    DeckReader &operator=(const DeckReader &) = delete;

    void skipRecords(long long count, const DeckItem &item);
    void readInts(int *values, int count, const DeckItem &item);
    // True when the last record read holds a further number after the
    // `count` values (a row of more values than asked: the rest is not read).
    bool readReals(Real *values, int count, const DeckItem &item);
    // Passes over `count` values as readReals would read them; false (nothing
    // thrown) when the deck ends first or one is no number.
    bool skipValues(int count);
    // Two integers at the start of the next record; false when it has none.
    bool readIntPair(int &a, int &b);
    // Passes over the next record; false at the end of the deck.
    bool skipRecord();
    // The last record taken, valid until the next read.
    std::string_view lastRecord() const { return last_; }
    // True once a record longer than kMaxLineBytes was met.
    bool metOverlongRecord() const { return overlong_; }
    // A location's header statement: one real followed by two integers.
    void readRealIntInt(Real &real, int &a, int &b, const DeckItem &item);
    // The first `width` characters of the next record, padded with blanks.
    std::string readText(std::size_t width, const DeckItem &item);

    // The whole deck when it was given in memory; nothing for a file.
    std::optional<std::string_view> textInMemory() const {
        if (file_ || !inMemory_) return std::nullopt;
        return std::string_view(base_, end_);
    }

    // The records after the last one taken, up to the end of the deck, each
    // without its line end, the first of them record recordNumber() + 1.
    // Null when one is longer than kMaxLineBytes.
    std::optional<std::vector<std::string>> remainingRecords();

    // Record number of the last record taken (1-based).
    long long recordNumber() const { return record_; }
    const std::string &path() const { return path_; }

    void close();

  private:
    enum class Next { Line, End, TooLong };
    Next takeLine(std::string_view &line);
    Next tooLong() {
        ++record_;
        overlong_ = true;
        return Next::TooLong;
    }
    bool nextLine(std::string_view &line, const DeckItem &item);
    // The next record without failing: false at the end of the deck or on a
    // record longer than kMaxLineBytes.
    bool tryLine(std::string_view &line);
    // The next token of the current statement without failing.
    bool tryToken(std::string_view &token);
    void needLine(std::string_view &line, const DeckItem &item);
    // Next value token of the current statement, reading further records when
    // the current one is used up.
    std::string_view nextToken(const DeckItem &item);
    int parseInt(std::string_view token, const DeckItem &item) const;
    Real parseReal(std::string_view token, const DeckItem &item) const;
    // The next value of the current statement, read in place when it is a
    // short decimal.
    Real nextReal(const DeckItem &item);
    // Takes the next value of the current statement when it is a short
    // decimal; false, taking nothing, when it is of another form or missing.
    bool takeShortDecimal(Real &value);
    [[noreturn]] void fail(const std::string &problem, const DeckItem &item) const;

    std::string path_;
    std::FILE *file_ = nullptr;
    std::string buffer_;         // the next block of the file, or the whole deck in memory
    const char *base_ = nullptr; // start of the block (buffer_, or text read in place)
    std::size_t begin_ = 0, end_ = 0;
    bool eof_ = false;
    std::string carry_;        // a line that spans buffer refills
    std::string_view current_; // rest of the record being scanned
    std::string_view last_;    // the last record taken
    bool overlong_ = false;
    long long record_ = 0;
    bool inMemory_ = false;
};

} // namespace vek::engine
