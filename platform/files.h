// File helpers: atomic replacement, existence and kind, path pieces, the executable's own
// path.
//
// File names are the system's bytes, as the command line, the environment, the file dialogs
// and the kernel give them; they are converted only to be shown (DisplayPath). Where a name
// must be kept as CP932 text (the settings file), Cp932PathOf refuses one that CP932 cannot
// hold, and SystemPathOf turns the text back into the system's name.
#pragma once

#include <string>
#include <string_view>

// Writes Bytes to FileName. A regular file (a symbolic link is followed: the file it names)
// or a new name is replaced in one rename (TAtomicFileStream). A device, FIFO or socket is
// written directly and never replaced; a FIFO without a reader is an error, not a wait. On
// any failure raises EFCreateError "ファイル "%s" を作成できません。%s" (a folder among them)
// and leaves a regular file as it was, with no temporary file behind.
void AtomicWriteFile(const std::string& FileName, std::string_view Bytes);

// True when FileName names an existing file that is not a folder.
bool FileExists(const std::string& FileName);

// What a name stands for, links followed.
enum class TFileKind { Missing, Regular, Directory, Other };
// The kind of FileName; a name that cannot be looked at (a folder on the way without
// permission) counts as Other, so that opening it reports the reason.
TFileKind FileKindOf(const std::string& FileName);
// True when both names stand for one file (the same device and inode, links followed).
bool SameFile(const std::string& A, const std::string& B);
// Raises EFOpenError "ファイル "%s" を開けません。%s" when FileName cannot be opened for
// reading as a regular file; never waits on a FIFO or device.
void CheckReadable(const std::string& FileName);

// A system file name as CP932 text to be shown: what CP932 cannot hold becomes '?'.
std::string DisplayPath(const std::string& FileName);
// The CP932 text of a system file name, or false when CP932 cannot hold it exactly (the
// text would name another file).
bool Cp932PathOf(const std::string& FileName, std::string& Cp932);
// The system file name of a name kept as CP932 text.
std::string SystemPathOf(const std::string& Cp932);
// A file:// URL of a system file name (its bytes percent-encoded).
std::string FileUrl(const std::string& FileName);

// The folder part of FileName including its final '/', or "" when there is none.
std::string ExtractFilePath(const std::string& FileName);
// The part after the last '/'.
std::string ExtractFileName(const std::string& FileName);
// FileName with its extension (from the last '.' of its last part) replaced by
// Extension (which carries its own '.'); appended when there is none.
std::string ChangeFileExt(const std::string& FileName, const std::string& Extension);

// The full path of the running executable as the system names it; "" when the system does
// not tell.
std::string ExeFileName();
// The executable's full path with its extension replaced: ExeSiblingPath(".ini").
std::string ExeSiblingPath(const std::string& Extension);
// "help.chm" in the executable's folder.
std::string HelpFilePath();
