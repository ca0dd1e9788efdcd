// The settings file (feedloom.ini): the style sheets, the output file, the time zone and
// the site description, read and written key by key through TIniFile.
#pragma once

#include <string>

#include "app/app_data.h"

// LoadSettings: without the file FTimeZone becomes "+09:00" and nothing else changes;
// otherwise the eight keys are read in their order ("Style" cssflg, csspath, xslflg,
// xslpath; "SVFile" flg, path; "Time" area; "USER" description). The window then sets
// the check marks of F1, X1 and S2 from F1Checked, FXslFlag and FCssFlag.
void LoadSettings(const std::string& FileName, TSettings& Settings);
// SaveSettings: the eight keys in their order (Booleans as "0" and "1"), set in one
// replacement of the file; other sections and keys of the file stay. A file that cannot
// be written raises EIniFileException "%s に書き込めません" and is left as it was, all
// eight keys old; the settings in memory are untouched.
void SaveSettings(const std::string& FileName, const TSettings& Settings);

// The settings file of the program: the executable's path with ".ini", or feedloom.ini
// in the config folder when installed (platform/locations.h).
std::string SettingsFilePath();
