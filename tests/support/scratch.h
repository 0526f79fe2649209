// Test scaffolding: a scratch directory to work in, and the log (fd 2)
// caught into a file around a call.
#pragma once

#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

// A fresh directory under $TMPDIR (or /tmp), made current while it lives.
class ScratchDir {
  public:
    ScratchDir() {
        const char* base = getenv("TMPDIR");
        std::string templ = std::string(base && *base ? base : "/tmp") + "/tidewrack.XXXXXX";
        path_ = mkdtemp(&templ[0]) ? templ : std::string();
        char cwd[PATH_MAX];
        old_cwd_ = getcwd(cwd, sizeof cwd) ? cwd : ".";
        if (!path_.empty() && chdir(path_.c_str()) != 0) path_.clear();
    }
    ~ScratchDir() {
        if (chdir(old_cwd_.c_str()) != 0) {}
        if (!path_.empty()) system(("rm -rf '" + path_ + "'").c_str());
    }
    const std::string& path() const { return path_; }
    bool ok() const { return !path_.empty(); }
    // A client's link file: the logical name's file names the physical file.
    void link(const std::string& logical, const std::string& physical) const {
        std::ofstream(logical) << "<soft_link>" << physical << "</soft_link>\n";
    }
  private:
    std::string path_, old_cwd_;
};

// Everything written to fd 2 between construction and text().
class StderrCapture {
  public:
    StderrCapture() {
        fflush(stderr);
        char name[] = "/tmp/tidewrack-stderr.XXXXXX";
        fd_ = mkstemp(name);
        name_ = name;
        saved_ = dup(2);
        dup2(fd_, 2);
    }
    std::string text() {
        if (saved_ >= 0) {
            fflush(stderr);
            dup2(saved_, 2);
            close(saved_);
            saved_ = -1;
            std::ifstream in(name_);
            std::stringstream ss;
            ss << in.rdbuf();
            text_ = ss.str();
        }
        return text_;
    }
    ~StderrCapture() {
        text();
        close(fd_);
        unlink(name_.c_str());
    }
  private:
    int fd_ = -1, saved_ = -1;
    std::string name_, text_;
};

inline int count_occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) n++;
    return n;
}
