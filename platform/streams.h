// Byte streams: the abstract stream, file streams over POSIX descriptors, memory streams.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/exceptions.h"
#include "platform/object.h"

enum TSeekOrigin : uint8_t { soBeginning, soCurrent, soEnd };

// File stream modes: one access mode, optionally or-ed with a share mode. Share modes
// are accepted for the callers' sake and have no effect on this platform.
enum : uint16_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareCompat = 0x0000,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
    fmCreate = 0xFF00, // create or truncate, then read and write
};

// A sequence of bytes with a position. Read and Write transfer what they can and
// return the count; ReadBuffer and WriteBuffer insist on the whole count.
class TStream : public TObject {
public:
    virtual int64_t Read(void* Buffer, int64_t Count) = 0;
    virtual int64_t Write(const void* Buffer, int64_t Count) = 0;
    // The new position, or -1 when the position would be invalid (it is then unchanged).
    virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;
    virtual void SetSize(int64_t NewSize) = 0;
    virtual int64_t GetSize();

    int64_t GetPosition() { return Seek(0, soCurrent); }
    void SetPosition(int64_t Pos) { Seek(Pos, soBeginning); }

    // EReadError "ストリームからの読み込みエラー" when fewer than Count bytes come.
    void ReadBuffer(void* Buffer, int64_t Count);
    // EWriteError "ストリームの書き込みエラー" when fewer than Count bytes go.
    void WriteBuffer(const void* Buffer, int64_t Count);
    // Copies Count bytes from Source's position; Count 0 copies all of Source from its
    // start. Returns the count copied; a short source raises EReadError.
    int64_t CopyFrom(TStream& Source, int64_t Count);
};

// A stream over an open descriptor, which it closes.
class THandleStream : public TStream {
public:
    explicit THandleStream(int Handle) : FHandle(Handle) {}
    ~THandleStream() override;
    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Write(const void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    // EWriteError when the file cannot be resized.
    void SetSize(int64_t NewSize) override;
    int GetHandle() const { return FHandle; }

protected:
    int FHandle;
};

// A file opened by its system name. fmCreate failures raise EFCreateError
// "ファイル "%s" を作成できません。%s", open failures EFOpenError
// "ファイル "%s" を開けません。%s" (the file name and the system's reason). Other modes open
// only a regular file, never waiting on a FIFO or device: anything else is an open failure.
class TFileStream : public THandleStream {
public:
    TFileStream(const std::string& FileName, uint16_t Mode);
    const std::string& GetFileName() const { return FFileName; }

private:
    std::string FFileName;
};

// A growable stream in memory. Writing past the end extends it; the gap after a
// seek beyond the end reads as zeros.
class TMemoryStream : public TStream {
public:
    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Write(const void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    void SetSize(int64_t NewSize) override;
    int64_t GetSize() override { return static_cast<int64_t>(FData.size()); }

    void* Memory() { return FData.data(); }
    const void* Memory() const { return FData.data(); }
    void Clear();
    // Replaces the contents by all of Stream (from its start), position 0.
    void LoadFromStream(TStream& Stream);
    void SaveToStream(TStream& Stream) const;
    // EFOpenError when the file cannot be opened, EReadError when it cannot be read.
    void LoadFromFile(const std::string& FileName);
    // Replaces the file atomically (platform/files.h); EFCreateError on failure, and
    // then the old file is left as it was.
    void SaveToFile(const std::string& FileName) const;

private:
    std::vector<unsigned char> FData;
    int64_t FPosition = 0;
};

// A new version of a file, written beside it under a temporary name and put in
// its place by Commit in one rename: readers see the old file or the new one, never
// a part. Without Commit (a failure on the way) the temporary file is removed and
// the old file stays as it was. Failures to create, write or commit raise
// EFCreateError "ファイル "%s" を作成できません。%s" with the system's reason. An
// existing read-only file is not replaced; a symbolic link is followed and the file
// it names is replaced. The new file keeps the permission bits of the old one.
// Temporary files of the same target left by a process that was killed on the way
// (and no longer runs) are removed when the next one is made.
class TAtomicFileStream : public THandleStream {
public:
    explicit TAtomicFileStream(const std::string& FileName);
    ~TAtomicFileStream() override;
    int64_t Write(const void* Buffer, int64_t Count) override;
    // Flushes the data to the disk and replaces the file.
    void Commit();
    const std::string& GetFileName() const { return FFileName; }

private:
    [[noreturn]] void Fail(int ErrorCode);
    std::string FFileName;   // as given
    std::string FTargetPath; // the file to replace, as the system names it
    std::string FTempPath;
    bool FHadTarget = false;
    unsigned FTargetMode = 0;
};

// The error code of a file that is not a regular file (a FIFO, device or socket), for the
// messages below.
constexpr int ENOTREGULAR = -1;

// The message texts of the stream errors; FileName is the system's name.
std::string FileCreateErrorMessage(const std::string& FileName, int ErrorCode);
std::string FileOpenErrorMessage(const std::string& FileName, int ErrorCode);
