// The item cleanup: archive every item, then trim the store to "Max RSS Item".
#include "app/cleanup.h"

#include "app/feed_builder.h"
#include "platform/files.h"
#include "platform/locations.h"

void CleanupItems(TAppData& Data, TEditor& Editor1, TStrings& FOutput, const std::string& ArchiveFile,
                  std::time_t Now) {
    // A failed archive raises before anything is trimmed.
    WriteFeed(ArchiveFile, true, Data, Editor1, FOutput, Now);
    Data.Items.TrimItems(Data.SpinEdit1);
}

std::string ArchiveFilePath() {
    return ProgramFilePath(ffData, ".rdf");
}
