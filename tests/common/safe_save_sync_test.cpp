// The safe save puts a file in its target's place only once the system has
// it on the disk: the temporary file's fsync comes before its rename. This
// program puts its own fsync and rename in front of the C library's and
// records every call with the file concerned.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/safe_save.h"
#include "support/test_files.h"

namespace {

std::vector<std::string> &calls() {
    static std::vector<std::string> c;
    return c;
}

std::string fileNameOf(const std::string &path) { return std::filesystem::path(path).filename().string(); }

std::string fileNameOf(int fd) {
    char target[4096];
    const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), target, sizeof target);
    return n > 0 ? fileNameOf(std::string(target, static_cast<std::size_t>(n))) : "?";
}

template <class F> F next(const char *name) { return reinterpret_cast<F>(dlsym(RTLD_NEXT, name)); }

} // namespace

extern "C" int fsync(int fd) {
    calls().push_back("fsync " + fileNameOf(fd));
    static const auto real = next<int (*)(int)>("fsync");
    return real(fd);
}

extern "C" int rename(const char *from, const char *to) {
    calls().push_back("rename " + fileNameOf(from) + " " + fileNameOf(to));
    static const auto real = next<int (*)(const char *, const char *)>("rename");
    return real(from, to);
}

namespace {

TEST(SafeSaveSync, TheFileIsOnTheDiskBeforeItTakesTheTargetsPlace) {
    const std::string dir = vek::test::freshDir("safe_save_sync");
    vek::test::writeFile(dir + "/old.txt", "old");
    for (const std::string name : {"new.txt", "old.txt"}) {
        SCOPED_TRACE(name);
        calls().clear();
        vek::SafeSave save;
        ASSERT_TRUE(save.open(dir + "/" + name));
        const std::string temporary = fileNameOf(save.temporaryName());
        ASSERT_TRUE(save.write("new"));
        ASSERT_TRUE(save.commit()) << save.error();
        EXPECT_EQ(calls(), (std::vector<std::string>{"fsync " + temporary, "rename " + temporary + " " + name}));
        EXPECT_EQ(vek::test::readFile(dir + "/" + name), "new");
    }
}

} // namespace
