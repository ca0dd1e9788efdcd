// Stub until filled in.
#include "app/state_file.h"
#include "platform/exceptions.h"
void WriteStateImages(TStream&, const TAppData&) {
    throw Exception("not yet");
}
void ReadStateImages(TStream&, TAppData&) {
    throw Exception("not yet");
}
bool TStateFile::LoadState(TAppData&) {
    throw Exception("not yet");
}
void TStateFile::SaveState(const TAppData&) {
    throw Exception("not yet");
}
std::string StateFilePath() {
    return {};
}
