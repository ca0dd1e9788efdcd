// Test support for the platform tests: a private temporary folder and file helpers.
#pragma once

#include <fcntl.h>
#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it at the end.
class TTempDir {
public:
    TTempDir() {
        const char* Base = getenv("TMPDIR");
        std::string Template = std::string(Base && *Base ? Base : "/tmp") + "/feedloom-test-XXXXXX";
        std::vector<char> Buf(Template.begin(), Template.end());
        Buf.push_back('\0');
        if (mkdtemp(Buf.data())) FPath = Buf.data();
    }
    ~TTempDir() {
        if (FPath.empty()) return;
        chmod(FPath.c_str(), 0700);
        nftw(
            FPath.c_str(),
            [](const char* P, const struct stat*, int Flag, struct FTW*) {
                if (Flag == FTW_DP) chmod(P, 0700);
                return remove(P);
            },
            16, FTW_DEPTH | FTW_PHYS);
    }
    const std::string& Path() const { return FPath; }
    std::string operator/(const std::string& Name) const { return FPath + "/" + Name; }
    // The names in the folder (not "." or "..").
    std::vector<std::string> Names() const;

private:
    std::string FPath;
};

#include <dirent.h>
inline std::vector<std::string> TTempDir::Names() const {
    std::vector<std::string> R;
    if (DIR* D = opendir(FPath.c_str())) {
        while (dirent* E = readdir(D)) {
            std::string N = E->d_name;
            if (N != "." && N != "..") R.push_back(N);
        }
        closedir(D);
    }
    return R;
}

inline std::string ReadAll(const std::string& Path) {
    std::ifstream In(Path, std::ios::binary);
    std::stringstream S;
    S << In.rdbuf();
    return S.str();
}

inline void WriteAll(const std::string& Path, const std::string& Bytes) {
    std::ofstream(Path, std::ios::binary | std::ios::trunc) << Bytes;
}

// True when this process can create files in a folder whose write bits are cleared
// (it runs as root or with CAP_DAC_OVERRIDE): permission tests then prove nothing.
inline bool PermissionsAreIgnored(const TTempDir& Dir) {
    std::string Locked = Dir / "locked-probe";
    mkdir(Locked.c_str(), 0500);
    std::string Probe = Locked + "/x";
    int Fd = open(Probe.c_str(), O_WRONLY | O_CREAT, 0600);
    if (Fd >= 0) {
        close(Fd);
        unlink(Probe.c_str());
    }
    rmdir(Locked.c_str());
    return Fd >= 0;
}
