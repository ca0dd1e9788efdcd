// A file of the fuzz targets that read their input from disk: one per process, created
// under $TMPDIR (or /tmp) and removed at exit.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

class TScratchFile {
public:
    explicit TScratchFile(const char* Prefix) {
        const char* Base = getenv("TMPDIR");
        FPath = std::string(Base && *Base ? Base : "/tmp") + "/" + Prefix + "-XXXXXX";
        const int Fd = mkstemp(FPath.data());
        if (Fd < 0) std::abort();
        close(Fd);
    }
    ~TScratchFile() { std::remove(FPath.c_str()); }
    TScratchFile(const TScratchFile&) = delete;
    TScratchFile& operator=(const TScratchFile&) = delete;
    const std::string& Path() const { return FPath; }

private:
    std::string FPath;
};
