// Shared pieces of the reader fuzz targets: a prompter that answers without
// asking, and a scratch file the readers that want a path can open.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/prompter.h"

namespace vek::fuzz {

// Swallows messages; every question gets a fixed answer. `soilMoisture`
// is what the well output import is told (1 or 2).
class QuietPrompter : public Prompter {
  public:
    int soilMoisture = 1;
    std::size_t messages = 0;

    void message(const std::string &) override { ++messages; }
    bool askYesNo(const std::string &) override { return false; }
    Answer askYesNoCancel(const std::string &) override { return Answer::Cancel; }
    bool askOkCancel(const std::string &) override { return false; }
    std::optional<int> chooseSynthesisMethod() override { return std::nullopt; }
    std::optional<std::vector<int>> selectYearsToAverage(int, int) override { return std::nullopt; }
    std::optional<int> chooseGivenYear(int, int) override { return std::nullopt; }
    std::optional<std::pair<int, int>> chooseCycle(int, int) override { return std::nullopt; }
    std::optional<std::vector<int>> chooseItemsToDelete(const std::vector<std::string> &) override {
        return std::nullopt;
    }
    std::optional<std::pair<int, int>> chooseImportOptions() override { return std::nullopt; }
    int chooseSoilMoisture() override { return soilMoisture; }
};

// Path of a file private to this process (created once, removed at exit).
// `tag` tells the files of one target apart ("in", "out").
std::string scratchPath(const char *tag);

// Replaces the scratch file's contents with the input bytes; returns its path.
std::string writeScratch(const char *tag, const std::uint8_t *data, std::size_t size);

} // namespace vek::fuzz

// The entry point libFuzzer calls, and the replay driver too.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);
