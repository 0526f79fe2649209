// Captures what the code under test writes to the standard error stream, by
// pointing file descriptor 2 at a temporary file for the capture's lifetime.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

class StderrCapture {
public:
    StderrCapture() {
        fflush(stderr);
        file_ = tmpfile();
        saved_fd_ = dup(2);
        if (file_ && saved_fd_ >= 0) dup2(fileno(file_), 2);
    }
    ~StderrCapture() { text(); }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // Ends the capture (once) and returns everything written meanwhile.
    std::string text() {
        if (saved_fd_ >= 0) {
            fflush(stderr);
            dup2(saved_fd_, 2);
            close(saved_fd_);
            saved_fd_ = -1;
        }
        if (file_) {
            rewind(file_);
            char buffer[4096];
            size_t n;
            while ((n = fread(buffer, 1, sizeof buffer, file_)) > 0) captured_.append(buffer, n);
            fclose(file_);
            file_ = nullptr;
        }
        return captured_;
    }

private:
    FILE* file_ = nullptr;
    int saved_fd_ = -1;
    std::string captured_;
};

// What `call` writes to the standard error stream.
inline std::string stderr_of(const std::function<void()>& call) {
    StderrCapture log;
    call();
    return log.text();
}
