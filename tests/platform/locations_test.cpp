// Tests of where the program keeps its files, portable and installed.
#include "platform/locations.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>

#include "platform_test_support.h"

namespace {

TEST(Locations, PortableBesideTheProgramInstalledInTheXdgFolders) {
    TTempDir Dir;
    const std::string Root = Dir.Path();
    // An installed layout (bin/ beside share/feedloom/) and a build folder beside it
    // whose ../share/feedloom is a plain file.
    for (const char* D : {"/usr", "/usr/bin", "/usr/share", "/usr/share/feedloom", "/build", "/build/share"})
        ASSERT_EQ(mkdir((Root + D).c_str(), 0755), 0);
    WriteAll(Root + "/build/share/feedloom", "not a folder");
    ASSERT_EQ(mkdir((Root + "/build/release").c_str(), 0755), 0);

    const std::string Installed = Root + "/usr/bin/feedloom";
    const std::string Share = Root + "/usr/bin/../share/feedloom/";
    struct Case {
        std::string Exe;
        std::map<std::string, std::string> Env;
        bool Installed;
        std::string Data, Config, Guide;
    } Cases[] = {
        {Installed, {{"XDG_DATA_HOME", "/x/data"}, {"XDG_CONFIG_HOME", "/x/conf/"}, {"HOME", "/h"}}, true,
         "/x/data/feedloom/", "/x/conf/feedloom/", Share + "feedloom-guide.html"},
        {Installed, {{"HOME", "/h"}}, true, "/h/.local/share/feedloom/", "/h/.config/feedloom/",
         Share + "feedloom-guide.html"},
        // Empty and relative values are ignored.
        {Installed, {{"XDG_DATA_HOME", ""}, {"XDG_CONFIG_HOME", "rel/conf"}, {"HOME", "/h/"}}, true,
         "/h/.local/share/feedloom/", "/h/.config/feedloom/", Share + "feedloom-guide.html"},
        // Run from a build folder or copied alone: everything beside the program.
        {Root + "/build/release/feedloom", {{"XDG_DATA_HOME", "/x/data"}, {"HOME", "/h"}}, false,
         Root + "/build/release/", Root + "/build/release/", Root + "/build/release/feedloom-guide.html"},
        {Root + "/build/feedloom", {{"HOME", "/h"}}, false, Root + "/build/", Root + "/build/",
         Root + "/build/feedloom-guide.html"},
    };
    for (const Case& C : Cases) {
        const TFileLocations L = LocateFiles(C.Exe, [&](const char* Name) -> const char* {
            auto It = C.Env.find(Name);
            return It == C.Env.end() ? nullptr : It->second.c_str();
        });
        EXPECT_EQ(L.Installed, C.Installed) << C.Exe;
        EXPECT_EQ(L.DataFolder, C.Data) << C.Exe;
        EXPECT_EQ(L.ConfigFolder, C.Config) << C.Exe;
        EXPECT_EQ(L.GuideFile, C.Guide) << C.Exe;
    }

    // Without HOME the password database names the home folder.
    const TFileLocations NoHome = LocateFiles(Installed, [](const char*) -> const char* { return nullptr; });
    ASSERT_FALSE(NoHome.DataFolder.empty());
    EXPECT_EQ(NoHome.DataFolder[0], '/');
    EXPECT_NE(NoHome.DataFolder.find("/.local/share/feedloom/"), std::string::npos);

    // This test program runs from its build folder: portable, its files beside it.
    EXPECT_FALSE(ProgramFileLocations().Installed);
    EXPECT_EQ(ProgramFilePath(ffData, ".dat"), ProgramFileLocations().DataFolder + "test_platform.dat");
}

TEST(Locations, ForceDirectoriesMakesPrivateFoldersAndReportsFailure) {
    TTempDir Dir;
    const std::string Deep = Dir / "a/b/c/";
    EXPECT_TRUE(ForceDirectories(Deep));
    struct stat St;
    ASSERT_EQ(stat((Dir / "a/b/c").c_str(), &St), 0);
    EXPECT_TRUE(S_ISDIR(St.st_mode));
    EXPECT_EQ(St.st_mode & 0777, 0700u);
    EXPECT_TRUE(ForceDirectories(Dir / "a/b")); // already there
    WriteAll(Dir / "file", "x");
    EXPECT_FALSE(ForceDirectories(Dir / "file"));
    EXPECT_FALSE(ForceDirectories(Dir / "file/sub"));
}

} // namespace
