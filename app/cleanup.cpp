// Stub until filled in.
#include "app/cleanup.h"
#include "platform/exceptions.h"
void CleanupItems(TAppData&, TEditor&, TStrings&, const std::string&, std::time_t) {
    throw Exception("not yet");
}
std::string ArchiveFilePath() {
    return {};
}
