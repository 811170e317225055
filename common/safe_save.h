// The safe save: every file the programs write goes through here. A regular
// file is written beside its target and takes its place only when complete,
// so a failed save never destroys the old file; a FIFO or a device is written
// directly; through a symbolic link the file it names is saved, and the link
// stays. Every failure is kept as one sentence naming the file and the
// system's reason.
//
// Names are UTF-8. The POSIX implementation writes with open(O_EXCL), fsync
// and rename; the Windows one with CreateFileW, FlushFileBuffers and
// MoveFileExW(REPLACE_EXISTING | WRITE_THROUGH). Two threads may save at
// once, each with its own SafeSave. Nothing here changes the process's
// signal handling; a program that wants the temporary files of the saves
// under way removed when a signal ends it installs, from its main, handlers
// that call removeListedTemporaryFiles (programs/ending_signals.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vek {

class SafeSave {
  public:
    enum class Replace {
        Allowed, // an existing file is replaced
        Never,   // the save only ever makes a new file; an existing one is refused
    };

    SafeSave() = default;
    ~SafeSave() { abandon(); }
    SafeSave(const SafeSave &) = delete;
    SafeSave &operator=(const SafeSave &) = delete;

    // Prepares the save of `target`. Through a symbolic link the file it
    // names is replaced, not the link. A regular target marked read-only is
    // refused (the user protected it; a rename must not bypass that), and so
    // is a folder. A target that exists and is not a regular file (a FIFO, a
    // device) is written directly and never replaced; a FIFO that no program
    // reads is refused rather than waited on. False when the save cannot
    // start (see error()); nothing has changed then.
    bool open(const std::string &target, Replace replace = Replace::Allowed);

    // Appends bytes. False when the system refused them (see error()); the
    // save must then be abandoned.
    bool write(std::string_view bytes);

    // Flushes the file to the disk and puts it in the target's place. False
    // on failure (see error()); the temporary file is gone and the target
    // unchanged then.
    bool commit();

    // Drops the temporary file, if any. A direct write (non-regular target)
    // cannot be taken back.
    void abandon();

    // Why the last open, write or commit failed, as one sentence that names
    // the file as it was asked for: "Unable to write out.csv: No space left
    // on device."  Empty while nothing failed.
    const std::string &error() const { return error_; }

    // The temporary file's name while a replacing save is open (empty
    // otherwise); for tests.
    const std::string &temporaryName() const { return tmp_; }
    bool writesDirectly() const { return direct_; }

  private:
    bool writeAll(const char *data, std::size_t size);
    bool flushBuffer();
    bool fail(const std::string &reason);
    bool failSystem(unsigned long code);
    // Drops any save under way and aims the next one at requested.
    void restart(const std::string &requested, Replace replace);
    bool putInPlace();

    std::string requested_, target_, tmp_;
    std::string buffer_;
    std::string error_;
    Replace replace_ = Replace::Allowed;
    bool direct_ = false;
    bool failed_ = false;
    int slot_ = -1; // where a signal finds the temporary file's name
#ifdef _WIN32
    void *handle_ = nullptr; // HANDLE
#else
    int fd_ = -1;
#endif
};

// Writes `bytes` as the whole of `path` through a SafeSave. False with the
// reason in *error.
bool saveFile(const std::string &path, std::string_view bytes, std::string *error = nullptr,
              SafeSave::Replace replace = SafeSave::Replace::Allowed);

// For a program's signal handler (async-signal-safe): removes the temporary
// files of the saves under way (and the scratch files below). The saves stay
// open; the handler is expected to end the program. Without it an ending
// signal leaves a save's temporary file behind (a hidden name beside its
// target; the target itself is never harmed). Does nothing on Windows.
void removeListedTemporaryFiles();

// A private file for a library that writes only to a file name of its own
// choosing (the workbook writer): made empty in the system's temporary
// folder (TMPDIR, as std::filesystem::temp_directory_path finds it), removed
// when dropped (and by an ending signal, as a save's temporary file is, in a
// program that asked for that). Its bytes then reach the target through a
// SafeSave.
class ScratchFile {
  public:
    ScratchFile() = default;
    ~ScratchFile();
    ScratchFile(const ScratchFile &) = delete;
    ScratchFile &operator=(const ScratchFile &) = delete;

    // False with the reason in *error.
    bool create(const std::string &stem, std::string *error);
    const std::string &path() const { return path_; }
    // Appends the scratch file's bytes to save; false (with save's error, or
    // the reading failure in *error) when that fails.
    bool copyInto(SafeSave &save, std::string *error) const;

  private:
    std::string path_;
    int slot_ = -1;
};

// True when a and b are the same existing file (the same device and inode,
// or the same file on Windows), whatever the spelling and through links.
bool sameFile(const std::string &a, const std::string &b);

} // namespace vek
