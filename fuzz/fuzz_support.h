// Shared pieces of the reader fuzz targets: a scratch file the readers that
// want a path can open.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vek::fuzz {

// Path of a file private to this process (created once, removed at exit).
// `tag` tells the files of one target apart ("in", "out").
std::string scratchPath(const char *tag);

// Replaces the scratch file's contents with the input bytes; returns its path.
std::string writeScratch(const char *tag, const std::uint8_t *data, std::size_t size);

} // namespace vek::fuzz

// The entry point libFuzzer calls, and the replay driver too.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);
