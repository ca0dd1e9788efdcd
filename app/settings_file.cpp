// Stub until filled in.
#include "app/settings_file.h"
#include "platform/exceptions.h"
void LoadSettings(const std::string&, TSettings&) {
    throw Exception("not yet");
}
void SaveSettings(const std::string&, const TSettings&) {
    throw Exception("not yet");
}
std::string SettingsFilePath() {
    return {};
}
