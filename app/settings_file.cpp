// The settings file: eight keys in four sections, read and written through TIniFile.
#include "app/settings_file.h"

#include "platform/files.h"
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

void SaveSettings(const std::string& FileName, const TSettings& Settings) {
    TIniFile Ini(FileName);
    Ini.WriteBool("Style", "cssflg", Settings.FCssFlag);
    Ini.WriteString("Style", "csspath", Settings.FCssPath);
    Ini.WriteBool("Style", "xslflg", Settings.FXslFlag);
    Ini.WriteString("Style", "xslpath", Settings.FXslPath);
    Ini.WriteBool("SVFile", "flg", Settings.F1Checked);
    Ini.WriteString("SVFile", "path", Settings.FSavePath);
    Ini.WriteString("Time", "area", Settings.FTimeZone);
    Ini.WriteString("USER", "description", Settings.FSiteDescription);
}

std::string SettingsFilePath() {
    return ExeSiblingPath(".ini");
}
