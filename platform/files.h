// File helpers: atomic replacement, existence, path pieces, the executable's own path.
#pragma once

#include <string>
#include <string_view>

// Replaces (or creates) FileName with Bytes in one rename (TAtomicFileStream); on any
// failure raises EFCreateError "ファイル "%s" を作成できません。%s" and leaves the old
// file as it was, with no temporary file behind.
void AtomicWriteFile(const std::string& FileName, std::string_view Bytes);

// True when FileName names an existing file that is not a folder.
bool FileExists(const std::string& FileName);

// The folder part of FileName including its final '/', or "" when there is none.
std::string ExtractFilePath(const std::string& FileName);
// The part after the last '/'.
std::string ExtractFileName(const std::string& FileName);
// FileName with its extension (from the last '.' of its last part) replaced by
// Extension (which carries its own '.'); appended when there is none.
std::string ChangeFileExt(const std::string& FileName, const std::string& Extension);

// The full path of the running executable as CP932 (characters without a CP932 form
// become '?'); "" when the system does not tell.
std::string ExeFileName();
// The executable's full path with its extension replaced: ExeSiblingPath(".ini").
std::string ExeSiblingPath(const std::string& Extension);
// "help.chm" in the executable's folder.
std::string HelpFilePath();
