// The settings file: eight keys in four sections, read and written through TIniFile.
#include "app/settings_file.h"

#include "platform/files.h"
#include "platform/locations.h"
#include "platform/profile.h"

namespace {

constexpr const char* kDefaultTimeZone = "+09:00";

} // namespace

void LoadSettings(const std::string& FileName, TSettings& Settings) {
    if (!FileExists(FileName)) {
        Settings.FTimeZone = kDefaultTimeZone;
        return;
    }
    const TIniFile Ini(FileName);
    Settings.FCssFlag = Ini.ReadBool("Style", "cssflg", false);
    Settings.FCssPath = Ini.ReadString("Style", "csspath", "");
    Settings.FXslFlag = Ini.ReadBool("Style", "xslflg", false);
    Settings.FXslPath = Ini.ReadString("Style", "xslpath", "");
    Settings.F1Checked = Ini.ReadBool("SVFile", "flg", false);
    Settings.FSavePath = Ini.ReadString("SVFile", "path", "");
    Settings.FTimeZone = Ini.ReadString("Time", "area", kDefaultTimeZone);
    Settings.FSiteDescription = Ini.ReadString("USER", "description", "");
}

// One replacement of the file for all eight keys: a failure or a kill on the way never
// leaves some keys new and others old (a CSS flag set beside the XSL flag it cleared).
void SaveSettings(const std::string& FileName, const TSettings& Settings) {
    auto Bool = [](bool B) { return std::string(B ? "1" : "0"); };
    TIniFile(FileName).WriteStrings({
        {"Style", "cssflg", Bool(Settings.FCssFlag)},
        {"Style", "csspath", Settings.FCssPath},
        {"Style", "xslflg", Bool(Settings.FXslFlag)},
        {"Style", "xslpath", Settings.FXslPath},
        {"SVFile", "flg", Bool(Settings.F1Checked)},
        {"SVFile", "path", Settings.FSavePath},
        {"Time", "area", Settings.FTimeZone},
        {"USER", "description", Settings.FSiteDescription},
    });
}

std::string SettingsFilePath() {
    return ProgramFilePath(ffConfig, ".ini");
}
