// POSIX ProcessPipe: posix_spawn with the pipe ends as the child's standard
// handles. Our own ends are close-on-exec so no other child inherits them and
// the output pipe ends exactly when this child (and whatever it started) has
// closed its standard output.
#include "model/process_pipe.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace vek {

namespace {
void closeFd(int &fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}
} // namespace

ProcessPipe::ProcessPipe(const std::vector<std::string> &argv, int /*showMode*/) {
    if (argv.empty()) return;
    int out[2] = {-1, -1}, in[2] = {-1, -1};
    if (pipe2(out, O_CLOEXEC) != 0) return;
    if (pipe2(in, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return;
    }
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, in[0], 0);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_adddup2(&fa, out[1], 2);

    std::vector<char *> args;
    for (const auto &a : argv)
        args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    int rc = posix_spawn(&pid, args[0], &fa, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&fa);

    // Our copies of the child's ends go, so the output pipe ends with the
    // child.
    ::close(out[1]);
    ::close(in[0]);
    outRead_ = out[0];
    inWrite_ = in[1];
    if (rc != 0) {
        closeFd(outRead_);
        closeFd(inWrite_);
        return;
    }
    pid_ = pid;
    // Nothing is ever written to the child. Ending its input now means a
    // child that asks a question reads end-of-file instead of waiting for
    // ever on an answer that cannot come.
    closeFd(inWrite_);
}

ProcessPipe::~ProcessPipe() { close(); }

int ProcessPipe::fill() {
    if (outRead_ < 0) return 0;
    ssize_t n;
    do {
        n = ::read(outRead_, buf_, sizeof buf_);
    } while (n < 0 && errno == EINTR);
    bufPos_ = 0;
    bufLen_ = n > 0 ? static_cast<size_t>(n) : 0;
    return static_cast<int>(bufLen_);
}

bool ProcessPipe::readLine(std::string &text) {
    text.clear();
    // Byte by byte from a small buffer: the same lines as reading one byte
    // per call, without a system call per byte.
    while (true) {
        if (bufPos_ >= bufLen_ && fill() <= 0) return false;
        char c = buf_[bufPos_++];
        if (c == '\n') return true;
        text += c;
    }
}

int ProcessPipe::close() {
    if (closed_) return status_;
    closed_ = true;
    // Our read end goes first: a child still writing to a caller that
    // stopped reading then gets a broken pipe instead of blocking the wait.
    closeFd(outRead_);
    if (pid_ > 0) {
        int st = 0;
        pid_t r;
        do {
            r = waitpid(pid_, &st, 0);
        } while (r < 0 && errno == EINTR);
        status_ = (r == pid_ && WIFEXITED(st)) ? WEXITSTATUS(st) : -1;
    }
    closeFd(outRead_);
    closeFd(inWrite_);
    return status_;
}

} // namespace vek
