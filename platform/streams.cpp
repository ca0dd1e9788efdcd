// Byte streams: the abstract stream, file streams over POSIX descriptors, memory streams.
#include "platform/streams.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "platform/cp932.h"
#include "platform/sys_error.h"

namespace {

// One read or write call moves at most this much.
constexpr int64_t kMaxChunk = int64_t{1} << 30;

const std::string& ReadErrorText() {
    static const std::string S = cp932::Literal("ストリームからの読み込みエラー");
    return S;
}
const std::string& WriteErrorText() {
    static const std::string S = cp932::Literal("ストリームの書き込みエラー");
    return S;
}

std::string FileMessage(const char* Utf8Before, const std::string& FileName, const char* Utf8After,
                        int ErrorCode) {
    // The name is the system's; it is converted only to be shown.
    const std::string Reason = ErrorCode == ENOTREGULAR ? cp932::Literal("通常のファイルではありません。")
                                                        : SysErrorMessage(ErrorCode);
    return cp932::Literal(Utf8Before) + cp932::FromUtf8(FileName) + cp932::Literal(Utf8After) + Reason;
}

} // namespace

std::string FileCreateErrorMessage(const std::string& FileName, int ErrorCode) {
    return FileMessage("ファイル \"", FileName, "\" を作成できません。", ErrorCode);
}

std::string FileOpenErrorMessage(const std::string& FileName, int ErrorCode) {
    return FileMessage("ファイル \"", FileName, "\" を開けません。", ErrorCode);
}

// --- TStream ---

int64_t TStream::GetSize() {
    int64_t Pos = Seek(0, soCurrent);
    int64_t Size = Seek(0, soEnd);
    Seek(Pos, soBeginning);
    return Size;
}

void TStream::ReadBuffer(void* Buffer, int64_t Count) {
    if (Count > 0 && Read(Buffer, Count) != Count) throw EReadError(ReadErrorText());
}

void TStream::WriteBuffer(const void* Buffer, int64_t Count) {
    if (Count > 0 && Write(Buffer, Count) != Count) throw EWriteError(WriteErrorText());
}

int64_t TStream::CopyFrom(TStream& Source, int64_t Count) {
    if (Count == 0) {
        Source.SetPosition(0);
        Count = Source.GetSize();
    }
    const int64_t Total = Count;
    std::vector<unsigned char> Buffer(
        static_cast<size_t>(std::min<int64_t>(std::max<int64_t>(Count, 1), 65536)));
    while (Count > 0) {
        int64_t N = std::min<int64_t>(Count, static_cast<int64_t>(Buffer.size()));
        Source.ReadBuffer(Buffer.data(), N);
        WriteBuffer(Buffer.data(), N);
        Count -= N;
    }
    return Total;
}

// --- THandleStream ---

THandleStream::~THandleStream() {
    if (FHandle >= 0) close(FHandle);
}

int64_t THandleStream::Read(void* Buffer, int64_t Count) {
    int64_t Done = 0;
    auto* P = static_cast<unsigned char*>(Buffer);
    while (Done < Count) {
        ssize_t N = read(FHandle, P + Done, static_cast<size_t>(std::min(Count - Done, kMaxChunk)));
        if (N < 0 && errno == EINTR) continue;
        if (N <= 0) break;
        Done += N;
    }
    return Done;
}

int64_t THandleStream::Write(const void* Buffer, int64_t Count) {
    int64_t Done = 0;
    const auto* P = static_cast<const unsigned char*>(Buffer);
    while (Done < Count) {
        ssize_t N = write(FHandle, P + Done, static_cast<size_t>(std::min(Count - Done, kMaxChunk)));
        if (N < 0 && errno == EINTR) continue;
        if (N <= 0) break;
        Done += N;
    }
    return Done;
}

int64_t THandleStream::Seek(int64_t Offset, TSeekOrigin Origin) {
    int Whence = Origin == soBeginning ? SEEK_SET : Origin == soCurrent ? SEEK_CUR : SEEK_END;
    off_t R = lseek(FHandle, static_cast<off_t>(Offset), Whence);
    return R < 0 ? -1 : static_cast<int64_t>(R);
}

void THandleStream::SetSize(int64_t NewSize) {
    int64_t Pos = GetPosition();
    if (NewSize < 0 || ftruncate(FHandle, static_cast<off_t>(NewSize)) != 0)
        throw EWriteError(WriteErrorText());
    if (Pos > NewSize) Seek(0, soEnd);
}

// --- TFileStream ---

namespace {

int OpenFile(const std::string& FileName, uint16_t Mode) {
    const std::string& Path = FileName;
    if ((Mode & 0xFF00) == fmCreate) {
        int Fd = open(Path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (Fd < 0) throw EFCreateError(FileCreateErrorMessage(FileName, errno));
        return Fd;
    }
    int Access = (Mode & 3) == fmOpenWrite ? O_WRONLY : (Mode & 3) == fmOpenReadWrite ? O_RDWR : O_RDONLY;
    // Only regular files are opened: O_NONBLOCK keeps the open of a FIFO or a device from
    // waiting, and anything that is not a regular file is refused before it is read.
    int Fd = open(Path.c_str(), Access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (Fd < 0) throw EFOpenError(FileOpenErrorMessage(FileName, errno));
    struct stat St;
    if (fstat(Fd, &St) != 0 || !S_ISREG(St.st_mode)) {
        const int Reason = S_ISDIR(St.st_mode) ? EISDIR : ENOTREGULAR;
        close(Fd);
        throw EFOpenError(FileOpenErrorMessage(FileName, Reason));
    }
    fcntl(Fd, F_SETFL, fcntl(Fd, F_GETFL) & ~O_NONBLOCK);
    return Fd;
}

} // namespace

TFileStream::TFileStream(const std::string& FileName, uint16_t Mode)
    : THandleStream(OpenFile(FileName, Mode)), FFileName(FileName) {}

// --- TMemoryStream ---

int64_t TMemoryStream::Read(void* Buffer, int64_t Count) {
    const auto Size = static_cast<int64_t>(FData.size());
    if (Count <= 0 || FPosition >= Size) return 0;
    int64_t N = std::min(Count, Size - FPosition);
    std::memcpy(Buffer, FData.data() + FPosition, static_cast<size_t>(N));
    FPosition += N;
    return N;
}

int64_t TMemoryStream::Write(const void* Buffer, int64_t Count) {
    if (Count <= 0) return 0;
    if (FPosition + Count > static_cast<int64_t>(FData.size()))
        FData.resize(static_cast<size_t>(FPosition + Count));
    std::memcpy(FData.data() + FPosition, Buffer, static_cast<size_t>(Count));
    FPosition += Count;
    return Count;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
    int64_t Base = Origin == soBeginning ? 0
                   : Origin == soCurrent ? FPosition
                                         : static_cast<int64_t>(FData.size());
    if (Offset < -Base) return -1;
    FPosition = Base + Offset;
    return FPosition;
}

void TMemoryStream::SetSize(int64_t NewSize) {
    if (NewSize < 0) throw EWriteError(WriteErrorText());
    FData.resize(static_cast<size_t>(NewSize));
    if (FPosition > NewSize) FPosition = NewSize;
}

void TMemoryStream::Clear() {
    FData.clear();
    FData.shrink_to_fit();
    FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& Stream) {
    Stream.SetPosition(0);
    int64_t Count = Stream.GetSize();
    std::vector<unsigned char> Data(static_cast<size_t>(std::max<int64_t>(Count, 0)));
    Stream.ReadBuffer(Data.data(), Count);
    FData.swap(Data);
    FPosition = 0;
}

void TMemoryStream::SaveToStream(TStream& Stream) const {
    Stream.WriteBuffer(FData.data(), static_cast<int64_t>(FData.size()));
}

void TMemoryStream::LoadFromFile(const std::string& FileName) {
    TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(Stream);
}

void TMemoryStream::SaveToFile(const std::string& FileName) const {
    TAtomicFileStream Stream(FileName);
    SaveToStream(Stream);
    Stream.Commit();
}

// --- TAtomicFileStream ---

namespace {

std::string FolderOf(const std::string& Path) {
    size_t Slash = Path.rfind('/');
    if (Slash == std::string::npos) return ".";
    return Slash == 0 ? "/" : Path.substr(0, Slash);
}

// Removes the temporary files of earlier writes of Target whose process no longer runs
// (killed between creating and renaming them): "<target>.tmp<pid>-<n>". Those of a
// running process, this one's included, are left to it.
void RemoveStaleTemporaries(const std::string& Target) {
    const std::string Folder = FolderOf(Target);
    const size_t Slash = Target.rfind('/');
    const std::string Prefix = (Slash == std::string::npos ? Target : Target.substr(Slash + 1)) + ".tmp";
    DIR* D = opendir(Folder.c_str());
    if (!D) return;
    while (const dirent* E = readdir(D)) {
        const std::string_view Name = E->d_name;
        if (Name.size() <= Prefix.size() || Name.substr(0, Prefix.size()) != Prefix) continue;
        const std::string_view Rest = Name.substr(Prefix.size());
        const size_t Dash = Rest.find('-');
        if (Dash == 0 || Dash == std::string_view::npos || Dash + 1 == Rest.size()) continue;
        auto Digits = [](std::string_view S) {
            return std::all_of(S.begin(), S.end(), [](char C) { return C >= '0' && C <= '9'; });
        };
        if (!Digits(Rest.substr(0, Dash)) || !Digits(Rest.substr(Dash + 1)) || Dash > 9) continue;
        const pid_t Pid = static_cast<pid_t>(std::stol(std::string(Rest.substr(0, Dash))));
        if (Pid <= 0 || kill(Pid, 0) == 0 || errno != ESRCH) continue;
        unlinkat(dirfd(D), E->d_name, 0);
    }
    closedir(D);
}

} // namespace

TAtomicFileStream::TAtomicFileStream(const std::string& FileName)
    : THandleStream(-1), FFileName(FileName), FTargetPath(FileName) {
    if (FTargetPath.empty()) Fail(ENOENT);
    struct stat St;
    if (lstat(FTargetPath.c_str(), &St) == 0 && S_ISLNK(St.st_mode)) {
        // Replace the file the link names, not the link.
        if (char* Real = realpath(FTargetPath.c_str(), nullptr)) {
            FTargetPath = Real;
            free(Real);
        }
    }
    if (stat(FTargetPath.c_str(), &St) == 0) {
        if (S_ISDIR(St.st_mode)) Fail(EISDIR);
        if (access(FTargetPath.c_str(), W_OK) != 0) Fail(errno);
        FHadTarget = true;
        FTargetMode = St.st_mode & 07777;
    }
    RemoveStaleTemporaries(FTargetPath);
    // The temporary file lies in the target's folder so that rename stays on one file system.
    static std::atomic<unsigned> Counter{0};
    for (int Attempt = 0; Attempt < 100; ++Attempt) {
        std::string Temp = FTargetPath + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(Counter++);
        FHandle = open(Temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (FHandle >= 0) {
            FTempPath = Temp;
            return;
        }
        if (errno != EEXIST) break;
    }
    Fail(errno);
}

TAtomicFileStream::~TAtomicFileStream() {
    if (FHandle >= 0) {
        close(FHandle);
        FHandle = -1;
    }
    if (!FTempPath.empty()) unlink(FTempPath.c_str());
}

void TAtomicFileStream::Fail(int ErrorCode) {
    if (FHandle >= 0) {
        close(FHandle);
        FHandle = -1;
    }
    if (!FTempPath.empty()) {
        unlink(FTempPath.c_str());
        FTempPath.clear();
    }
    throw EFCreateError(FileCreateErrorMessage(FFileName, ErrorCode));
}

int64_t TAtomicFileStream::Write(const void* Buffer, int64_t Count) {
    if (FHandle < 0) Fail(EBADF);
    errno = 0;
    int64_t Done = THandleStream::Write(Buffer, Count);
    if (Done < Count) Fail(errno != 0 ? errno : EIO);
    return Done;
}

void TAtomicFileStream::Commit() {
    if (FHandle < 0 || FTempPath.empty()) Fail(EBADF);
    if (fsync(FHandle) != 0) Fail(errno);
    if (FHadTarget) fchmod(FHandle, static_cast<mode_t>(FTargetMode));
    int Fd = FHandle;
    FHandle = -1;
    if (close(Fd) != 0) Fail(errno);
    if (rename(FTempPath.c_str(), FTargetPath.c_str()) != 0) Fail(errno);
    FTempPath.clear();
    // Make the rename itself durable; the new file is in place whatever this gives.
    int Dir = open(FolderOf(FTargetPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (Dir >= 0) {
        fsync(Dir);
        close(Dir);
    }
}
