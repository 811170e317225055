// Scratch files of the fuzz targets: one per tag and process, under TMPDIR.
#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <unistd.h>

namespace vek::fuzz {

namespace {

struct ScratchFiles {
    std::map<std::string, std::string> paths;
    ~ScratchFiles() {
        for (auto &[tag, path] : paths)
            std::remove(path.c_str());
    }
};

ScratchFiles &scratch() {
    static ScratchFiles files;
    return files;
}

} // namespace

std::string scratchPath(const char *tag) {
    auto &paths = scratch().paths;
    auto it = paths.find(tag);
    if (it != paths.end()) return it->second;
    const char *dir = std::getenv("TMPDIR");
    std::string templ = std::string(dir && *dir ? dir : "/tmp") + "/vek-fuzz-" + tag + "-XXXXXX";
    int fd = mkstemp(templ.data());
    if (fd < 0) throw std::runtime_error("cannot create a scratch file in " + templ);
    close(fd);
    paths.emplace(tag, templ);
    return templ;
}

std::string writeScratch(const char *tag, const std::uint8_t *data, std::size_t size) {
    const std::string path = scratchPath(tag);
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write " + path);
    if (size > 0 && std::fwrite(data, 1, size, f) != size) {
        std::fclose(f);
        throw std::runtime_error("cannot write " + path);
    }
    std::fclose(f);
    return path;
}

} // namespace vek::fuzz
