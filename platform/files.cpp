// File helpers: atomic replacement, existence, path pieces, the executable's own path.
#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/cp932.h"
#include "platform/streams.h"

namespace {

// Writes to a device, FIFO or socket in place. O_NONBLOCK keeps the open from waiting for
// a FIFO's reader; the writes then block as usual.
void WriteInPlace(const std::string& FileName, std::string_view Bytes) {
    const int Fd = open(FileName.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (Fd < 0) throw EFCreateError(FileCreateErrorMessage(FileName, errno));
    fcntl(Fd, F_SETFL, fcntl(Fd, F_GETFL) & ~O_NONBLOCK);
    THandleStream Stream(Fd);
    errno = 0;
    if (Stream.Write(Bytes.data(), static_cast<int64_t>(Bytes.size())) != static_cast<int64_t>(Bytes.size()))
        throw EFCreateError(FileCreateErrorMessage(FileName, errno != 0 ? errno : EIO));
}

} // namespace

void AtomicWriteFile(const std::string& FileName, std::string_view Bytes) {
    if (FileKindOf(FileName) == TFileKind::Other) {
        struct stat St;
        if (stat(FileName.c_str(), &St) == 0) return WriteInPlace(FileName, Bytes);
    }
    TAtomicFileStream Stream(FileName);
    Stream.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    Stream.Commit();
}

bool FileExists(const std::string& FileName) {
    struct stat St;
    return !FileName.empty() && stat(FileName.c_str(), &St) == 0 && !S_ISDIR(St.st_mode);
}

TFileKind FileKindOf(const std::string& FileName) {
    struct stat St;
    if (FileName.empty()) return TFileKind::Missing;
    if (stat(FileName.c_str(), &St) != 0) {
        // A dangling link is a missing file.
        return errno == ENOENT || errno == ENOTDIR ? TFileKind::Missing : TFileKind::Other;
    }
    if (S_ISREG(St.st_mode)) return TFileKind::Regular;
    return S_ISDIR(St.st_mode) ? TFileKind::Directory : TFileKind::Other;
}

bool SameFile(const std::string& A, const std::string& B) {
    struct stat SA, SB;
    return !A.empty() && !B.empty() && stat(A.c_str(), &SA) == 0 && stat(B.c_str(), &SB) == 0 &&
           SA.st_dev == SB.st_dev && SA.st_ino == SB.st_ino;
}

void CheckReadable(const std::string& FileName) {
    TFileStream Stream(FileName, fmOpenRead);
}

std::string DisplayPath(const std::string& FileName) {
    return cp932::FromUtf8(FileName);
}

bool Cp932PathOf(const std::string& FileName, std::string& Cp932) {
    std::string Text = cp932::FromUtf8(FileName);
    if (cp932::ToUtf8(Text) != FileName) return false;
    Cp932 = std::move(Text);
    return true;
}

std::string SystemPathOf(const std::string& Cp932) {
    return cp932::ToUtf8(Cp932);
}

std::string FileUrl(const std::string& FileName) {
    static const char Hex[] = "0123456789ABCDEF";
    std::string Url = "file://";
    for (const char C : FileName) {
        const auto B = static_cast<unsigned char>(C);
        if ((B >= 'A' && B <= 'Z') || (B >= 'a' && B <= 'z') || (B >= '0' && B <= '9') ||
            std::string_view("/-._~").find(C) != std::string_view::npos) {
            Url += C;
        } else {
            Url += '%';
            Url += Hex[B >> 4];
            Url += Hex[B & 15];
        }
    }
    return Url;
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
        if (static_cast<size_t>(N) < Buffer.size()) return std::string(Buffer.data(), static_cast<size_t>(N));
        Buffer.resize(Buffer.size() * 2);
    }
}

std::string ExeSiblingPath(const std::string& Extension) {
    return ChangeFileExt(ExeFileName(), Extension);
}

std::string HelpFilePath() {
    return ExtractFilePath(ExeFileName()) + "help.chm";
}
