// The safe save: a file is written beside its target and takes its place
// only when complete, so a failed save never destroys the old file.
//
// Names are UTF-8. The POSIX implementation writes with mkstemp, fsync and
// rename; the Windows one with CreateFileW, FlushFileBuffers and
// MoveFileExW(REPLACE_EXISTING | WRITE_THROUGH).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vek {

class SafeSave {
  public:
    SafeSave() = default;
    ~SafeSave() { abandon(); }
    SafeSave(const SafeSave &) = delete;
    SafeSave &operator=(const SafeSave &) = delete;

    // Prepares the save of `target`. Through a symbolic link the file it
    // names is replaced, not the link. A regular target marked read-only is
    // refused (the user protected it; a rename must not bypass that). A
    // target that exists and is not a regular file (a FIFO, a device) is
    // written directly and never replaced. False when the save cannot start;
    // nothing has changed then.
    bool open(const std::string &target);

    // Appends bytes. False when the system refused them; the save must then
    // be abandoned.
    bool write(std::string_view bytes);

    // Flushes the file to the disk and puts it in the target's place. False
    // on failure; the temporary file is gone and the target unchanged then.
    bool commit();

    // Drops the temporary file, if any. A direct write (non-regular target)
    // cannot be taken back.
    void abandon();

    // The temporary file's name while a replacing save is open (empty
    // otherwise); for tests.
    const std::string &temporaryName() const { return tmp_; }
    bool writesDirectly() const { return direct_; }

  private:
    bool flushBuffer();
    // Drops any save under way and aims the next one at requested.
    void restart(const std::string &requested);

    std::string target_, tmp_;
    std::string buffer_;
    bool direct_ = false;
    bool failed_ = false;
#ifdef _WIN32
    void *handle_ = nullptr; // HANDLE
#else
    int fd_ = -1;
#endif
};

} // namespace vek
