// The item cleanup's data part: all items archived beside the executable, then trimmed.
#pragma once

#include <ctime>
#include <string>

#include "app/app_data.h"

class TEditor;
class TStrings;

// After the user said Yes: BuildFeed(True) written to ArchiveFile (replaced atomically),
// Editor1 and FOutput emptied, then TrimItems(Data.SpinEdit1). When the archive cannot
// be written, EFCreateError "ファイル "%s" を作成できません。%s" propagates and no item is
// deleted. The window then runs ResetSelection; no message follows.
void CleanupItems(TAppData& Data, TEditor& Editor1, TStrings& FOutput, const std::string& ArchiveFile,
                  std::time_t Now = std::time(nullptr));

// The archive file of the program: the executable's path with ".rdf", or feedloom.rdf in
// the data folder when installed (platform/locations.h).
std::string ArchiveFilePath();
