// A scratch directory to work in.
#pragma once

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
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
