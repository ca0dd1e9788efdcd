// Where a program keeps its files: beside itself when it runs from its build folder or
// was copied alone (portable), in the user's XDG folders when it is installed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The folders and files that depend on how the program was laid out. Folders end in '/'.
struct TFileLocations {
    // Installed: "../share/feedloom/" exists beside the executable's folder.
    bool Installed = false;
    // feedloom.dat and feedloom.rdf: the executable's folder, or $XDG_DATA_HOME/feedloom/
    // (default ~/.local/share/feedloom/).
    std::string DataFolder;
    // feedloom.ini: the executable's folder, or $XDG_CONFIG_HOME/feedloom/
    // (default ~/.config/feedloom/).
    std::string ConfigFolder;
    // The HTML user guide: beside the executable, or in ../share/feedloom/.
    std::string GuideFile;
};

// The name of the user guide, beside the executable and in the installed share folder.
inline constexpr const char* GuideFileName = "feedloom-guide.html";

// The rule for an executable at ExePath (a full path in the system's bytes, as every file
// name the program holds), reading environment variables through GetEnv (nullptr when unset). An XDG
// variable that is empty or not an absolute path is ignored, as the XDG base directory
// rules say; without HOME the home folder comes from the password database.
TFileLocations LocateFiles(const std::string& ExePath, const std::function<const char*(const char*)>& GetEnv);

// The rule for this process, worked out once.
const TFileLocations& ProgramFileLocations();

// Which of the two folders a file of the program belongs in.
enum TFileFolder : uint8_t { ffData, ffConfig };
// The window program's file with Extension (".dat", ".ini", ".rdf"): the executable's
// path with that extension when portable, "feedloom" + Extension in the data or config
// folder when installed.
std::string ProgramFilePath(TFileFolder Folder, const std::string& Extension);

// Creates Folder and any missing parents (new folders are private to the user, 0700).
// True when Folder exists as a folder afterwards.
bool ForceDirectories(const std::string& Folder);
