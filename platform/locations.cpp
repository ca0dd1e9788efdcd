// Where a program keeps its files: portable beside itself, or installed in the XDG folders.
#include "platform/locations.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/files.h"

namespace {

bool IsFolder(const std::string& Path) {
    struct stat St;
    return stat(Path.c_str(), &St) == 0 && S_ISDIR(St.st_mode);
}

// An environment value as a path the program holds, or "" when unset or not absolute.
std::string AbsoluteFromEnv(const std::function<const char*(const char*)>& GetEnv, const char* Name) {
    const char* V = GetEnv(Name);
    if (!V || V[0] != '/') return std::string();
    return V;
}

std::string WithSlash(std::string Folder) {
    if (Folder.empty() || Folder.back() != '/') Folder += '/';
    return Folder;
}

std::string HomeFolder(const std::function<const char*(const char*)>& GetEnv) {
    std::string Home = AbsoluteFromEnv(GetEnv, "HOME");
    if (!Home.empty()) return Home;
    if (const passwd* Pw = getpwuid(getuid()); Pw && Pw->pw_dir && Pw->pw_dir[0] == '/')
        return Pw->pw_dir;
    return "/";
}

// $Variable, or else Fallback under the home folder; then the program's own subfolder.
std::string XdgFolder(const std::function<const char*(const char*)>& GetEnv, const char* Variable,
                      const char* Fallback) {
    std::string Base = AbsoluteFromEnv(GetEnv, Variable);
    if (Base.empty()) Base = WithSlash(HomeFolder(GetEnv)) + Fallback;
    return WithSlash(Base) + "feedloom/";
}

} // namespace

TFileLocations LocateFiles(const std::string& ExePath, const std::function<const char*(const char*)>& GetEnv) {
    TFileLocations L;
    const std::string ExeFolder = ExtractFilePath(ExePath);
    const std::string Share = ExeFolder + "../share/feedloom/";
    L.Installed = !ExeFolder.empty() && IsFolder(Share);
    if (!L.Installed) {
        L.DataFolder = L.ConfigFolder = ExeFolder;
        L.GuideFile = ExeFolder + GuideFileName;
        return L;
    }
    L.DataFolder = XdgFolder(GetEnv, "XDG_DATA_HOME", ".local/share");
    L.ConfigFolder = XdgFolder(GetEnv, "XDG_CONFIG_HOME", ".config");
    L.GuideFile = Share + GuideFileName;
    return L;
}

const TFileLocations& ProgramFileLocations() {
    static const TFileLocations L = LocateFiles(ExeFileName(), [](const char* N) { return getenv(N); });
    return L;
}

std::string ProgramFilePath(TFileFolder Folder, const std::string& Extension) {
    const TFileLocations& L = ProgramFileLocations();
    if (!L.Installed) return ExeSiblingPath(Extension);
    return (Folder == ffData ? L.DataFolder : L.ConfigFolder) + "feedloom" + Extension;
}

bool ForceDirectories(const std::string& Folder) {
    const std::string& Path = Folder;
    // Every prefix that ends before a '/', then the whole path.
    for (size_t Slash = Path.find('/', 1);; Slash = Path.find('/', Slash + 1)) {
        const std::string Part = Path.substr(0, Slash);
        if (!Part.empty() && mkdir(Part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (Slash == std::string::npos) break;
    }
    return IsFolder(Folder);
}
