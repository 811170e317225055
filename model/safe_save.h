// The safe save: a file is written beside its target and takes its place
// only when complete.
#pragma once

#include "model/input_file.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vek {

// Writes into a temporary file beside the target and renames it over the
// target only on commit, so a failed save never destroys the old file.
class ReplacingFileSink : public LineSink {
  public:
    explicit ReplacingFileSink(std::function<bool(int)> beforeLine) : beforeLine_(std::move(beforeLine)) {}
    ~ReplacingFileSink() override { abandon(); }

    bool open(const std::string &requested) {
        // Through a symbolic link the file it names is replaced, not the link:
        // renaming over the link would leave the real file unsaved.
        std::string target = requested;
        std::error_code ec;
        if (std::filesystem::is_symlink(requested, ec)) {
            std::filesystem::path real = std::filesystem::weakly_canonical(requested, ec);
            if (!ec) target = real.string();
        }
        target_ = target;
        // A file marked read-only is one the user protected: opening it for
        // writing would fail, so replacing it by a rename must not bypass that.
        struct stat old {};
        if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode) &&
            ((old.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0))
            return false;
        std::filesystem::path t(target);
        std::string dir = t.has_parent_path() ? t.parent_path().string() : std::string(".");
        std::string tmpl = dir + "/." + t.filename().string() + ".XXXXXX";
        std::vector<char> name(tmpl.begin(), tmpl.end());
        name.push_back('\0');
        int fd = mkstemp(name.data());
        if (fd < 0) return false;
        tmp_ = name.data();
        // Keep the old file's permissions, or the usual ones for a new file.
        struct stat st {};
        mode_t mode;
        if (::stat(target.c_str(), &st) == 0) {
            mode = st.st_mode & 07777;
        } else {
            mode_t mask = umask(0);
            umask(mask);
            mode = 0666 & ~mask;
        }
        fchmod(fd, mode);
        file_ = fdopen(fd, "w");
        if (!file_) {
            ::close(fd);
            abandon();
            return false;
        }
        return true;
    }

    bool writeLine(std::string_view line) override {
        ++lines_;
        if (beforeLine_ && !beforeLine_(lines_)) return false;
        if (std::fwrite(line.data(), 1, line.size(), file_) != line.size()) return false;
        // No flush per line: nothing is visible until commit() renames the
        // file, which flushes and syncs first.
        return std::fputc('\n', file_) != EOF;
    }

    bool commit() {
        bool ok = std::fflush(file_) == 0 && fsync(fileno(file_)) == 0;
        ok = (std::fclose(file_) == 0) && ok;
        file_ = nullptr;
        if (ok && std::rename(tmp_.c_str(), target_.c_str()) == 0) {
            tmp_.clear();
            return true;
        }
        abandon();
        return false;
    }

    void abandon() {
        if (file_) std::fclose(file_);
        file_ = nullptr;
        if (!tmp_.empty()) std::remove(tmp_.c_str());
        tmp_.clear();
    }

  private:
    std::function<bool(int)> beforeLine_;
    std::string target_, tmp_;
    std::FILE *file_ = nullptr;
    int lines_ = 0;
};

} // namespace vek
