// Tests of the profile file rules: reading one key, writing one key.
#include "platform/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/cp932.h"
#include "platform/exceptions.h"
#include "platform_test_support.h"

namespace {

class Profile : public ::testing::Test {
protected:
    std::string Name() const { return Dir / "feedloom.ini"; }
    TTempDir Dir;
};

TEST_F(Profile, ReadsStringsByTheProfileRules) {
    WriteAll(Name(), "top=outside any section\r\n"
                     "[Style]\r\n"
                     "plain=value\r\n"
                     "blanks=  \t spaced value \t \r\n"
                     "quoted=\"  inner  blanks \"\r\n"
                     "single=  'q'  \r\n"
                     "onequote=\"open\r\n"
                     "twopairs=\"\"x\"\"\r\n"
                     "mixed='a\"\r\n"
                     "empty=\r\n"
                     "  Indented Key  =  k\r\n"
                     "eq=a=b\r\n"
                     "twice=first\r\n"
                     "twice=second\r\n"
                     ";comment=hidden\r\n"
                     "novalue\r\n"
                     "[ other ]\n"
                     "plain=other section\n"
                     "[style]\n"
                     "late=from the second [Style]\n");
    TIniFile Ini(Name());
    struct Case {
        const char* Section;
        const char* Ident;
        std::string Want;
    } Cases[] = {
        {"Style", "plain", "value"},
        {"STYLE", "PLAIN", "value"}, // names without regard to case
        {"Style", "blanks", "spaced value"},
        {"Style", "quoted", "  inner  blanks "},
        {"Style", "single", "q"},
        {"Style", "onequote", "\"open"},
        {"Style", "twopairs", "\"x\""}, // one pair only
        {"Style", "mixed", "'a\""},
        {"Style", "empty", ""},
        {"Style", "indented key", "k"},
        {"Style", "eq", "a=b"},
        {"Style", "twice", "first"},
        {"Style", "late", "from the second [Style]"},
        {"Other", "plain", "other section"},
        {"Style", ";comment", "DEF"},
        {"Style", "novalue", "DEF"},
        {"Style", "top", "DEF"},
        {"Style", "missing", "DEF"},
        {"Missing", "plain", "DEF"},
    };
    for (const auto& C : Cases) EXPECT_EQ(Ini.ReadString(C.Section, C.Ident, "DEF"), C.Want) << C.Ident;
    EXPECT_EQ(TIniFile(Dir / "absent.ini").ReadString("Style", "plain", "DEF"), "DEF");
}

TEST_F(Profile, LongValueIsCutWithoutSplittingACharacter) {
    const std::string Kana = cp932::Literal("あ"); // two bytes
    struct Case {
        std::string Value;
        size_t Want;
    } Cases[] = {
        {std::string(2047, 'a') + "bc", 2047},
        {std::string(2046, 'a') + Kana, 2046}, // the pair would end at byte 2048
        {std::string(2045, 'a') + Kana + "z", 2047},
        {std::string(2045, 'a') + Kana, 2047},
        {"\"" + std::string(2046, 'a') + Kana + "\"", 2046}, // quotes go before the cut
    };
    for (const auto& C : Cases) {
        WriteAll(Name(), "[USER]\r\ndescription=" + C.Value + "\r\n");
        std::string Got = TIniFile(Name()).ReadString("USER", "description", "");
        EXPECT_EQ(Got.size(), C.Want);
        std::string Raw = C.Value[0] == '"' ? C.Value.substr(1) : C.Value;
        EXPECT_EQ(Got, Raw.substr(0, C.Want));
    }
}

TEST_F(Profile, ReadsIntegersAndBooleans) {
    struct Case {
        const char* Text;
        int32_t Want; // -999: the default
    } Cases[] = {
        {"12", 12},
        {"-5", -5},
        {"+7", 7},
        {"  42  ", 42},
        {"\"8\"", 8},
        {"0x1F", 31},
        {"0X1F", 31},
        {"0x1f", 31},
        {"0x", -999},
        {"0X", -999},
        {"0xG", -999},
        {"12abc", -999},
        {"", -999},
        {"abc", -999},
        {"1 2", -999},
        {"-", -999},
        {"0xFFFFFFFF", -1},
        {"0x100000000", -999},
        {"2147483647", 2147483647},
        {"2147483648", -999},
        {"-2147483648", INT32_MIN},
        {"$1F", -999},
        {"1.5", -999},
    };
    for (const auto& C : Cases) {
        WriteAll(Name(), std::string("[Style]\nkey=") + C.Text + "\n");
        TIniFile Ini(Name());
        EXPECT_EQ(Ini.ReadInteger("Style", "key", -999), C.Want) << C.Text;
        // Booleans: non-zero true, zero false, not an integer the default.
        EXPECT_EQ(Ini.ReadBool("Style", "key", true), C.Want == -999 ? true : C.Want != 0) << C.Text;
        EXPECT_EQ(Ini.ReadBool("Style", "key", false), C.Want == -999 ? false : C.Want != 0) << C.Text;
    }
    WriteAll(Name(), "[Style]\nzero=0\n");
    EXPECT_FALSE(TIniFile(Name()).ReadBool("Style", "zero", true));
    EXPECT_EQ(TIniFile(Name()).ReadInteger("Style", "none", 77), 77);
}

TEST_F(Profile, NewFileHoldsTheKeysInCrLfLines) {
    TIniFile Ini(Name());
    Ini.WriteBool("Style", "cssflg", false);
    Ini.WriteString("Style", "csspath", "");
    Ini.WriteString("SVFile", "path", cp932::Literal("/home/u/フィード.rdf"));
    Ini.WriteInteger("Time", "n", -12);
    Ini.WriteString("Style", "xslflg", "1");
    EXPECT_EQ(ReadAll(Name()), cp932::Literal("[Style]\r\ncssflg=0\r\ncsspath=\r\nxslflg=1\r\n"
                                              "[SVFile]\r\npath=/home/u/フィード.rdf\r\n"
                                              "[Time]\r\nn=-12\r\n"));
    EXPECT_EQ(Ini.ReadString("SVFile", "path", ""), cp932::Literal("/home/u/フィード.rdf"));
    EXPECT_EQ(Ini.ReadInteger("Time", "n", 0), -12);
    EXPECT_TRUE(Ini.ReadBool("Style", "xslflg", false));
}

// A write changes one line; everything added by hand survives byte for byte.
TEST_F(Profile, WriteKeepsEveryOtherLine) {
    struct Case {
        const char* Name;
        std::string Before;
        const char* Section;
        const char* Ident;
        const char* Value;
        std::string After;
    } Cases[] = {
        {"replace keeps CR LF and key spelling",
         "; mine\r\n[Style]\r\nCssFlg = 1\r\nmine=x\r\n\r\n[USER]\r\n", "style", "cssflg", "0",
         "; mine\r\n[Style]\r\nCssFlg=0\r\nmine=x\r\n\r\n[USER]\r\n"},
        {"replace keeps LF", "[Style]\nmine=1\ncssflg=1\n", "Style", "cssflg", "0",
         "[Style]\nmine=1\ncssflg=0\n"},
        {"mixed line ends kept", "[A]\r\nk=1\nj=2\r\n", "A", "k", "9", "[A]\r\nk=9\nj=2\r\n"},
        {"first of two", "[A]\nk=1\nk=2\n", "A", "k", "3", "[A]\nk=3\nk=2\n"},
        {"added after the last key", "[Time]\r\na=1\r\nb=2\r\n\r\n; note\r\n[USER]\r\nx=y\r\n", "Time",
         "area", "+09:00", "[Time]\r\na=1\r\nb=2\r\narea=+09:00\r\n\r\n; note\r\n[USER]\r\nx=y\r\n"},
        {"added to an empty section", "[Time]\n[USER]\n", "time", "area", "-05:00",
         "[Time]\narea=-05:00\n[USER]\n"},
        {"added to the first occurrence", "[A]\nx=1\n[B]\n[A]\ny=2\n", "A", "z", "3",
         "[A]\nx=1\nz=3\n[B]\n[A]\ny=2\n"},
        {"found in a later occurrence", "[A]\nx=1\n[B]\n[A]\ny=2\n", "A", "y", "3",
         "[A]\nx=1\n[B]\n[A]\ny=3\n"},
        {"section appended with the file's line end", "[A]\nx=1\n", "USER", "description", "d",
         "[A]\nx=1\n[USER]\ndescription=d\n"},
        {"no line end at the end", "[A]\nx=1", "B", "k", "v", "[A]\nx=1\n[B]\nk=v\n"},
        {"key after a last line without end", "[A]\r\nx=1", "A", "k", "v", "[A]\r\nx=1\r\nk=v"},
        {"line break ends the value", "[A]\r\n", "A", "k", "one\r\n[A]\r\nk=two", "[A]\r\nk=one\r\n"},
        {"key outside a section is not the key", "k=top\r\n", "A", "k", "v", "k=top\r\n[A]\r\nk=v\r\n"},
    };
    for (const auto& C : Cases) {
        WriteAll(Name(), C.Before);
        TIniFile(Name()).WriteString(C.Section, C.Ident, C.Value);
        EXPECT_EQ(ReadAll(Name()), C.After) << C.Name;
    }
}

TEST_F(Profile, FailedWriteRaisesAndChangesNothing) {
    const std::string Message = cp932::Literal(" に書き込めません");
    WriteAll(Dir / "afile", "x");
    const std::string Unwritable[] = {Dir / "no-folder/feedloom.ini", Dir / "afile/feedloom.ini"};
    for (const auto& N : Unwritable) {
        try {
            TIniFile(N).WriteString("Style", "cssflg", "1");
            ADD_FAILURE() << N;
        } catch (const EIniFileException& E) {
            EXPECT_EQ(E.Message(), N + Message);
        }
    }
    // Names that would break the file are refused.
    WriteAll(Name(), "[A]\r\nk=1\r\n");
    TIniFile Ini(Name());
    EXPECT_THROW(Ini.WriteString("A]", "k", "v"), EIniFileException);
    EXPECT_THROW(Ini.WriteString("A", "k=j", "v"), EIniFileException);
    EXPECT_THROW(Ini.WriteString("A", "k\nj", "v"), EIniFileException);
    EXPECT_THROW(Ini.WriteString("", "k", "v"), EIniFileException);
    EXPECT_EQ(ReadAll(Name()), "[A]\r\nk=1\r\n");
    // Several keys go in together or not at all: the good keys before a bad one are
    // not written either.
    EXPECT_THROW(Ini.WriteStrings({{"A", "k", "2"}, {"B", "new", "v"}, {"C", "bad=", "v"}}),
                 EIniFileException);
    EXPECT_EQ(ReadAll(Name()), "[A]\r\nk=1\r\n");
    Ini.WriteStrings({{"A", "k", "2"}, {"B", "new", "v"}, {"A", "j", "3"}});
    EXPECT_EQ(ReadAll(Name()), "[A]\r\nk=2\r\nj=3\r\n[B]\r\nnew=v\r\n");
}

TEST_F(Profile, WriteIntoReadOnlyFolderRaises) {
    const std::string Message = cp932::Literal(" に書き込めません");
    const std::string Locked = Dir / "locked";
    mkdir(Locked.c_str(), 0700);
    WriteAll(Locked + "/feedloom.ini", "[A]\r\nk=1\r\n");
    chmod(Locked.c_str(), 0500);
    if (PermissionsAreIgnored(Dir)) GTEST_SKIP() << "running with permission checks off (root)";
    try {
        TIniFile(Locked + "/feedloom.ini").WriteString("A", "k", "2");
        ADD_FAILURE() << "wrote into a read-only folder";
    } catch (const EIniFileException& E) {
        EXPECT_EQ(E.Message(), Locked + "/feedloom.ini" + Message);
    }
    EXPECT_EQ(ReadAll(Locked + "/feedloom.ini"), "[A]\r\nk=1\r\n");
}

} // namespace
