// The settings file: defaults, the eight keys in order, values kept as found, hand-made
// sections and keys surviving a save.
#include "app/settings_file.h"

#include <gtest/gtest.h>

#include "app_data_support.h"
#include "platform/cp932.h"

TEST(SettingsFile, FirstCloseWritesTheEightKeysInOrder) {
    TTempDir Dir;
    const std::string Ini = Dir.File("feedloom.ini");
    TSettings S;
    S.FCssPath = "old";
    LoadSettings(Ini, S);
    EXPECT_EQ(S.FTimeZone, "+09:00");
    EXPECT_EQ(S.FCssPath, "old"); // without a file nothing else changes
    EXPECT_FALSE(S.FCssFlag || S.FXslFlag || S.F1Checked);

    S.FCssPath.clear();
    SaveSettings(Ini, S);
    EXPECT_EQ(ReadFileBytes(Ini),
              "[Style]\r\ncssflg=0\r\ncsspath=\r\nxslflg=0\r\nxslpath=\r\n"
              "[SVFile]\r\nflg=0\r\npath=\r\n[Time]\r\narea=+09:00\r\n[USER]\r\ndescription=\r\n");
}

TEST(SettingsFile, ValuesReadByTheProfileRulesAndWrittenBackKeyByKey) {
    TTempDir Dir;
    const std::string Ini = Dir.File("feedloom.ini");
    const std::string Long(3000, 'd');
    WriteFileBytes(
        Ini, "; by hand\n[Mine]\nkeep=me\n[Style]\ncssflg=1\nxslflg=0x1\nextra=yes\ncsspath= \"a b.css\" \n"
             "[SVFile]\nflg=yes\npath=/tmp/" +
                 cp932::Literal("フィード") +
                 ".rdf\n[Time]\narea=-05:00\n"
                 "[USER]\ndescription=" +
                 Long + "\n");
    TSettings S;
    LoadSettings(Ini, S);
    EXPECT_TRUE(S.FCssFlag);
    EXPECT_TRUE(S.FXslFlag); // both on by hand: both stay on
    EXPECT_EQ(S.FCssPath, "a b.css");
    EXPECT_EQ(S.FXslPath, "");
    EXPECT_FALSE(S.F1Checked); // not an integer: the default
    EXPECT_EQ(S.FSavePath, "/tmp/" + cp932::Literal("フィード") + ".rdf");
    EXPECT_EQ(S.FTimeZone, "-05:00");
    EXPECT_EQ(S.FSiteDescription, std::string(2047, 'd'));

    S.FXslFlag = false;
    S.F1Checked = true;
    SaveSettings(Ini, S);
    EXPECT_EQ(ReadFileBytes(Ini),
              "; by hand\n[Mine]\nkeep=me\n[Style]\ncssflg=1\nxslflg=0\nextra=yes\n"
              "csspath=a b.css\nxslpath=\n[SVFile]\nflg=1\npath=/tmp/" +
                  cp932::Literal("フィード") +
                  ".rdf\n[Time]\narea=-05:00\n[USER]\ndescription=" + std::string(2047, 'd') + "\n");
    TSettings Back;
    LoadSettings(Ini, Back);
    EXPECT_EQ(Back.FTimeZone, "-05:00");
    EXPECT_TRUE(Back.F1Checked);
    EXPECT_FALSE(Back.FXslFlag);
}
