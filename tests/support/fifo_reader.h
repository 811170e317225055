// A FIFO in a scratch folder with a reader attached before anything writes to
// it (a save refuses a FIFO that nobody reads). POSIX only.
#pragma once

#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vek::test {

class FifoReader {
  public:
    // Makes the FIFO at path and starts reading it.
    explicit FifoReader(const std::string &path) {
        ok_ = ::mkfifo(path.c_str(), 0600) == 0;
        read_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
        // A writer of our own keeps the reader from seeing the end before the
        // save has opened the FIFO.
        hold_ = ::open(path.c_str(), O_WRONLY);
        ok_ = ok_ && read_ >= 0 && hold_ >= 0 && ::fcntl(read_, F_SETFL, 0) == 0;
        if (ok_)
            thread_ = std::thread([this] {
                char buf[65536];
                for (ssize_t n; (n = ::read(read_, buf, sizeof buf)) > 0;)
                    received_.append(buf, static_cast<std::size_t>(n));
            });
    }
    ~FifoReader() {
        take();
        if (read_ >= 0) ::close(read_);
    }
    FifoReader(const FifoReader &) = delete;
    FifoReader &operator=(const FifoReader &) = delete;

    bool ok() const { return ok_; }
    // Everything written, once the writers are done.
    std::string take() {
        if (hold_ >= 0) ::close(hold_);
        hold_ = -1;
        if (thread_.joinable()) thread_.join();
        return received_;
    }

  private:
    bool ok_ = false;
    int read_ = -1, hold_ = -1;
    std::thread thread_;
    std::string received_;
};

} // namespace vek::test
