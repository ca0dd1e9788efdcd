// File helpers: atomic replacement, existence, path pieces, the executable's own path.
#include "platform/files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "platform/cp932.h"
#include "platform/streams.h"

void AtomicWriteFile(const std::string& FileName, std::string_view Bytes) {
    TAtomicFileStream Stream(FileName);
    Stream.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    Stream.Commit();
}

bool FileExists(const std::string& FileName) {
    struct stat St;
    return !FileName.empty() && stat(cp932::ToUtf8(FileName).c_str(), &St) == 0 && !S_ISDIR(St.st_mode);
}

// '/' and '.' never occur as the trail byte of a CP932 pair (trail bytes are >= 0x40),
// so plain byte searches find them.
std::string ExtractFilePath(const std::string& FileName) {
    size_t Slash = FileName.rfind('/');
    return Slash == std::string::npos ? std::string() : FileName.substr(0, Slash + 1);
}

std::string ExtractFileName(const std::string& FileName) {
    size_t Slash = FileName.rfind('/');
    return Slash == std::string::npos ? FileName : FileName.substr(Slash + 1);
}

std::string ChangeFileExt(const std::string& FileName, const std::string& Extension) {
    size_t Dot = FileName.rfind('.');
    size_t Slash = FileName.rfind('/');
    if (Dot == std::string::npos || (Slash != std::string::npos && Dot < Slash)) return FileName + Extension;
    return FileName.substr(0, Dot) + Extension;
}

std::string ExeFileName() {
    std::vector<char> Buffer(256);
    for (;;) {
        ssize_t N = readlink("/proc/self/exe", Buffer.data(), Buffer.size());
        if (N < 0) return std::string();
        if (static_cast<size_t>(N) < Buffer.size())
            return cp932::FromUtf8(std::string_view(Buffer.data(), N));
        Buffer.resize(Buffer.size() * 2);
    }
}

std::string ExeSiblingPath(const std::string& Extension) {
    return ChangeFileExt(ExeFileName(), Extension);
}

std::string HelpFilePath() {
    return ExtractFilePath(ExeFileName()) + "help.chm";
}
