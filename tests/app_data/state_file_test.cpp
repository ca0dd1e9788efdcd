// The state file: the images byte for byte, every value form on reading, round trips of
// random stores, a file cut at every byte, and keeping a damaged file aside.
#include "app/state_file.h"

#include <gtest/gtest.h>
#include <vector>

#include "app_data_support.h"
#include "platform/cp932.h"
#include "platform/exceptions.h"
#include "platform/filer.h"
#include "platform/streams.h"

namespace {

using namespace std::string_literals;

std::string StateBytes(const TAppData& Data) {
    TMemoryStream S;
    WriteStateImages(S, Data);
    return std::string(static_cast<const char*>(S.Memory()), static_cast<size_t>(S.GetSize()));
}

// Reads Bytes into Data; returns the message of the read error, "" when there was none.
std::string ReadBytes(const std::string& Bytes, TAppData& Data) {
    TMemoryStream S;
    S.Write(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    S.SetPosition(0);
    try {
        ReadStateImages(S, Data);
    } catch (const EReadError& E) {
        return E.Message();
    }
    return "";
}

std::string Hex(std::string_view Spaced) {
    std::string Out;
    for (size_t I = 0; I + 1 < Spaced.size(); I += 3)
        Out += static_cast<char>(std::stoi(std::string(Spaced.substr(I, 2)), nullptr, 16));
    return Out;
}

// clang-format off
// The images of the empty store, written out by hand from the window design, and
// SpinEdit1 with the value 10 as given in the worked example.
const std::string kEmptyStore =
    "TPF0\x0C" "TLabeledEdit\x05SiteE\x04Left\x02\x50\x03Top\x02\x08\x05Width\x03\x81\x01\x06Height\x02\x14"
    "\x0F" "EditLabel.Width\x02\x49\x10" "EditLabel.Height\x02\x0C\x11" "EditLabel.Caption\x06\x0DYour Site URL"
    "\x0DLabelPosition\x07\x06lpLeft\x08TabOrder\x02\x00\x04Text\x06\x07http://\x00\x00"
    "TPF0\x0C" "TLabeledEdit\x05NameE\x04Left\x02\x50\x03Top\x02\x20\x05Width\x03\x80\x01\x06Height\x02\x14"
    "\x0F" "EditLabel.Width\x02\x35\x10" "EditLabel.Height\x02\x0C\x11" "EditLabel.Caption\x06\x09Site Name"
    "\x0DLabelPosition\x07\x06lpLeft\x08TabOrder\x02\x01\x00\x00"s;
const std::string kSpinEdit1 = Hex(
    "54 50 46 30 09 54 53 70 69 6e 45 64 69 74 09 53 70 69 6e 45 64 69 74 31 04 4c 65 66 74 03 a0 01 03 54 6f "
    "70 02 38 05 57 69 64 74 68 02 31 06 48 65 69 67 68 74 02 15 09 49 6e 63 72 65 6d 65 6e 74 02 05 08 4d 61 "
    "78 56 61 6c 75 65 02 64 08 4d 69 6e 56 61 6c 75 65 02 05 08 54 61 62 4f 72 64 65 72 02 02 05 56 61 6c 75 "
    "65 02 0a 00 00 ");
const std::string kLists =
    "TPF0\x08TListBox\x08linkList\x04Left\x02\x50\x03Top\x02\x38\x05Width\x02\x29\x06Height\x02\x11"
    "\x0AItemHeight\x02\x0C\x08TabOrder\x02\x07\x07Visible\x08\x00\x00"
    "TPF0\x08TListBox\x08TimeList\x04Left\x03\x88\x00\x03Top\x02\x38\x05Width\x02\x29\x06Height\x02\x11"
    "\x0AItemHeight\x02\x0C\x08TabOrder\x02\x08\x07Visible\x08\x00\x00"
    "TPF0\x08TListBox\x07" "DesList\x04Left\x03\xB0\x00\x03Top\x02\x38\x05Width\x02\x29\x06Height\x02\x11"
    "\x0AItemHeight\x02\x0C\x08TabOrder\x02\x09\x07Visible\x08\x00\x00"
    "TPF0\x08TListBox\x08ItemList\x04Left\x02\x03\x03Top\x02\x50\x05Width\x03\xCE\x01\x06Height\x02\x61"
    "\x0AItemHeight\x02\x0C\x09PopupMenu\x07\x10" "Form1.PopupMenu1\x08TabOrder\x02\x03\x00\x00"s;
// clang-format on

// Value records for the hand-made files of the reading tests.
// clang-format off
std::string Str(std::string_view S) { return std::string(1, static_cast<char>(S.size())) + std::string(S); }
std::string Le32(uint32_t V) { return {char(V), char(V >> 8), char(V >> 16), char(V >> 24)}; }
std::string Int32(int32_t V) { return "\x04" + Le32(static_cast<uint32_t>(V)); }
std::string Int16(int16_t V) { return "\x03" + Le32(static_cast<uint16_t>(V)).substr(0, 2); }
std::string LStr(std::string_view S) { return "\x0C" + Le32(uint32_t(S.size())) + std::string(S); }
std::string U8Str(std::string_view Utf8) { return "\x14" + Le32(uint32_t(Utf8.size())) + std::string(Utf8); }
std::string WStr(std::u16string_view W) {
    std::string S = "\x12" + Le32(uint32_t(W.size()));
    for (char16_t C : W) S += Le32(C).substr(0, 2);
    return S;
}
std::string Image(std::string_view Class, std::string_view Name, const std::string& Props) {
    return "TPF0" + Str(Class) + Str(Name) + Props + "\x00\x00"s;
}
// clang-format on

std::vector<size_t> ImageStarts(const std::string& File) {
    std::vector<size_t> Starts;
    for (size_t P = File.find("TPF0"); P != std::string::npos; P = File.find("TPF0", P + 1))
        Starts.push_back(P);
    return Starts;
}

void ExpectSameData(const TAppData& A, const TAppData& B) {
    EXPECT_EQ(A.SiteE, B.SiteE);
    EXPECT_EQ(A.NameE, B.NameE);
    EXPECT_EQ(A.SpinEdit1, B.SpinEdit1);
    for (int K = 0; K < ItemListCount; ++K)
        EXPECT_EQ(A.Items.List(TItemListKind(K)), B.Items.List(TItemListKind(K))) << "list " << K;
}

} // namespace

TEST(StateFile, EmptyStoreIsTheFixedSetOfRecords) {
    TAppData Data;
    Data.SpinEdit1 = 10;
    ASSERT_EQ(kSpinEdit1.size(), 110u);
    EXPECT_EQ(StateBytes(Data), kEmptyStore + kSpinEdit1 + kLists);
}

// clang-format off
TEST(StateFile, WorkedExamplesAndTheWritersForms) {
    TAppData Data;
    Data.Items.InsertItem({cp932::Literal("お知らせ"), "", "", ""});
    Data.Items.InsertItem({"abc", "", "", ""});
    EXPECT_NE(StateBytes(Data).find("\x0AItemHeight\x02\x0C" +
                                    Hex("0d 49 74 65 6d 73 2e 53 74 72 69 6e 67 73 01 06 03 61 62 63 14 0c 00 00 00 "
                                        "e3 81 8a e7 9f a5 e3 82 89 e3 81 9b 00 ") + "\x08TabOrder\x02\x07"),
              std::string::npos);

    // Property text: the Text record of NameE, right before the image ends.
    const std::string Ascii300(300, 'a');
    const struct { std::string Text, Record; } TextCases[] = {
        {cp932::Literal("日本語"), Hex("04 54 65 78 74 12 03 00 00 00 e5 65 2c 67 9e 8a ")},
        {cp932::Literal("abc日本"), Hex("04 54 65 78 74 14 09 00 00 00 61 62 63 e6 97 a5 e6 9c ac ")},
        {"http://", "\x04Text\x06\x07http://"},
        {Ascii300, "\x04Text" + LStr(Ascii300)},
        {cp932::Literal("ｶﾅ"), "\x04Text" + WStr(u"ｶﾅ")}, // n = 2, m = 6
        {"", ""},                                          // not written
    };
    for (const auto& C : TextCases) {
        Data.NameE = C.Text;
        EXPECT_NE(StateBytes(Data).find("\x08TabOrder\x02\x01" + C.Record + "\x00\x00TPF0\x09TSpinEdit"s),
                  std::string::npos) << C.Text;
    }

    // List entries: never UTF-16; an empty entry is 06 00.
    const struct { std::string Entry, Value; } EntryCases[] = {
        {cp932::Literal("ｶﾅ"), U8Str("ｶﾅ")}, {Ascii300, LStr(Ascii300)}, {"", "\x06\x00"s}};
    for (const auto& C : EntryCases) {
        TAppData One;
        One.Items.InsertItem({"", "", "", C.Entry});
        EXPECT_NE(StateBytes(One).find("\x0DItems.Strings\x01" + C.Value + "\x00\x09PopupMenu"s), std::string::npos)
            << C.Entry;
    }
}
// clang-format on

TEST(StateFile, RandomStoresComeBackEntryForEntry) {
    TRandomStore Random(3);
    for (int Round = 0; Round < 300; ++Round) {
        TAppData Data;
        Random.Fill(Data, 12);
        TAppData Back;
        ASSERT_EQ(ReadBytes(StateBytes(Data), Back), "");
        // An empty site URL writes no text, so the design's text stays.
        if (Data.SiteE.empty()) Data.SiteE = "http://";
        ExpectSameData(Back, Data);
        if (HasFailure()) return;
    }
}

TEST(StateFile, ReaderAcceptsEveryIntegerAndStringForm) {
    const std::string Geometry =
        Str("Left") + Int32(80) + Str("Top") + Int16(8) + Str("TabOrder") + "\x02\x00"s;
    const auto Spin = [&](const std::string& Props) {
        return Image("TSpinEdit", "SpinEdit1", Geometry + Props);
    };
    const std::string Japanese = cp932::Literal("日本語");
    const std::string Lists =
        Image("TListBox", "linkList",
              Str("Items.Strings") + "\x01" + WStr(u"日本語") + U8Str("お知らせ") + LStr("abc") +
                  "\x06\x00\x00"s + Str("Visible") + "\x08") +
        Image("TListBox", "TimeList",
              Str("Items.Strings") + "\x01" + LStr("t1") + LStr("t2") + LStr("t3") + "\x00"s) +
        Image("TListBox", "DesList",
              Str("Items.Strings") + "\x01" + U8Str("d1|") + U8Str("") + WStr(u"") + "\x00"s) +
        Image("TListBox", "ItemList",
              Str("Items.Strings") + "\x01" + WStr(u"x") + "\x06\x00\x06\x01z\x00"s + Str("PopupMenu") +
                  "\x07" + Str("PopupMenu1"));
    const std::string Edits =
        Image("TLabeledEdit", "SiteE", Geometry + Str("Text") + LStr("http://a.jp/")) +
        Image("TLabeledEdit", "NameE",
              Str("Text") + WStr(u"日本語") + Str("LabelPosition") + "\x07" + Str("lpAbove"));
    const struct {
        std::string SpinProps;
        int32_t Value;
    } Cases[] = {
        {Str("Value") + Int32(40), 40},
        {Str("Value") + Int16(300), 100},                             // clamped into the design's bounds
        {Str("Value") + "\x02\xFD"s, 5},                              // -3
        {Str("MinValue") + Int16(0) + Str("Value") + "\x02\xFD"s, 0}, // bounds as read just before
        {Str("Value") + Int32(7) + Str("MaxValue") + "\x02\x06", 7},
        {"", 5}, // no record: the design value stays
    };
    for (const auto& C : Cases) {
        TAppData Data;
        ASSERT_EQ(ReadBytes(Edits + Spin(C.SpinProps) + Lists, Data), "");
        EXPECT_EQ(Data.SiteE, "http://a.jp/");
        EXPECT_EQ(Data.NameE, Japanese);
        EXPECT_EQ(Data.SpinEdit1, C.Value);
        EXPECT_EQ(Strings(Data.Items.List(ilLink)),
                  (std::vector<std::string>{Japanese, cp932::Literal("お知らせ"), "abc", ""}));
        EXPECT_EQ(Strings(Data.Items.List(ilTime)), (std::vector<std::string>{"t1", "t2", "t3", ""}));
        EXPECT_EQ(Strings(Data.Items.List(ilDes)), (std::vector<std::string>{"d1|", "", "", ""}));
        EXPECT_EQ(Strings(Data.Items.List(ilItem)), (std::vector<std::string>{"x", "", "z", ""}));
    }
}

TEST(StateFile, DamagedFilesStopTheReadingAndKeepWhatWasRead) {
    TAppData Data;
    Data.SiteE = "http://example.jp/";
    Data.NameE = "Example";
    Data.SpinEdit1 = 35;
    for (int I = 0; I < 3; ++I)
        Data.Items.InsertItem({"http://example.jp/" + std::to_string(I),
                               "2008-03-01T09:05:0" + std::to_string(I), "line|" + std::to_string(I) + "|",
                               "item " + std::to_string(I)});
    const std::string File = StateBytes(Data);
    const std::vector<size_t> Starts = ImageStarts(File);
    ASSERT_EQ(Starts.size(), 7u);

    const struct {
        std::string Bytes, Message;
        int Whole; // images read before the error
    } Cases[] = {
        {"TPF1" + File.substr(4), InvalidImageMessage(), 0},
        {File.substr(0, Starts[3]) + "XPF0" + File.substr(Starts[3] + 4), InvalidImageMessage(), 3},
        {File.substr(0, Starts[4] + 3), StreamReadMessage(), 4},
        {File.substr(0, Starts[6]) + Image("TListBox", "ItemList", Str("Colour") + "\x02\x01"),
         cp932::Literal("プロパティ Colour は存在しません"), 6},
        {File.substr(0, Starts[2]) + Image("TSpinEdit", "SpinEdit1", Str("Value") + "\x06\x01x"),
         InvalidValueMessage(), 2},
        // A child component: the controls have none.
        {File.substr(0, Starts[1]) + "TPF0" + Str("TLabeledEdit") + Str("NameE") + "\x00"s + Str("TButton"),
         cp932::Literal("クラス TButton が見つかりません"), 1},
    };
    for (const auto& C : Cases) {
        TAppData Back;
        EXPECT_EQ(ReadBytes(C.Bytes, Back), C.Message);
        EXPECT_EQ(Back.SiteE, C.Whole > 0 ? Data.SiteE : "http://");
        EXPECT_EQ(Back.NameE, C.Whole > 1 ? Data.NameE : "");
        EXPECT_EQ(Back.SpinEdit1, C.Whole > 2 ? Data.SpinEdit1 : 5);
        EXPECT_TRUE(Back.Items.LengthsEqual());
        EXPECT_EQ(Back.Items.Count(), C.Whole > 3 ? 3 : 0);
        if (C.Whole > 3) {
            EXPECT_EQ(Back.Items.List(ilLink), Data.Items.List(ilLink));
        }
    }
}

TEST(StateFile, AFileCutAtEveryByteKeepsWhatWasReadAndLosesNoEntry) {
    TAppData Data;
    Data.SiteE = "http://example.jp/";
    Data.NameE = cp932::Literal("日本語のサイト");
    Data.SpinEdit1 = 20;
    for (int I = 0; I < 3; ++I)
        Data.Items.InsertItem({"link" + std::to_string(I), "time" + std::to_string(I),
                               cp932::Literal("説明|") + std::to_string(I) + "|", std::string(I * 150, 'x')});
    const std::string File = StateBytes(Data);
    std::vector<size_t> Ends = ImageStarts(File);
    ASSERT_EQ(Ends.size(), 7u);
    Ends.erase(Ends.begin());
    Ends.push_back(File.size());

    for (size_t Cut = 0; Cut < File.size(); ++Cut) {
        TAppData Back;
        ASSERT_EQ(ReadBytes(File.substr(0, Cut), Back), StreamReadMessage()) << Cut;
        const auto Whole = [&](int Image) { return Ends[static_cast<size_t>(Image)] <= Cut; };
        // The text and the value are the last records of their images: they are in
        // effect once read, before the two end bytes.
        const auto LastRecordRead = [&](int Image) { return Ends[static_cast<size_t>(Image)] - 2 <= Cut; };
        EXPECT_EQ(Back.SiteE, LastRecordRead(0) ? Data.SiteE : "http://") << Cut;
        EXPECT_EQ(Back.NameE, LastRecordRead(1) ? Data.NameE : "") << Cut;
        EXPECT_EQ(Back.SpinEdit1, LastRecordRead(2) ? Data.SpinEdit1 : 5) << Cut;
        ASSERT_TRUE(Back.Items.LengthsEqual()) << Cut;
        for (int K = 0; K < ItemListCount; ++K) {
            const auto Got = Strings(Back.Items.List(TItemListKind(K)));
            const auto Want = Strings(Data.Items.List(TItemListKind(K)));
            if (Whole(3 + K)) {
                EXPECT_EQ(Got, Want) << Cut;
                continue;
            }
            // Partly read: the entries read stand at their places, the rest are empty.
            ASSERT_LE(Got.size(), Want.size()) << Cut;
            for (size_t I = 0; I < Got.size(); ++I)
                EXPECT_TRUE(Got[I] == Want[I] || Got[I].empty()) << Cut << " list " << K << " entry " << I;
        }
        // Every list read whole keeps all its entries as items.
        for (int K = 0; K < ItemListCount; ++K)
            if (Whole(3 + K)) {
                EXPECT_EQ(Back.Items.Count(), Data.Items.Count()) << Cut;
            }
        if (HasFailure()) return;
    }
}

TEST(StateFile, MissingFileChangesNothingAndADamagedOneIsKeptAsideBeforeTheNextSave) {
    TTempDir Dir;
    TStateFile State(Dir.File("feedloom.dat"));
    TAppData Data;
    EXPECT_FALSE(State.LoadState(Data));
    EXPECT_EQ(Data.SiteE, "http://");

    Data.NameE = "Kept";
    Data.Items.InsertItem({"l", "t", "d|", "title"});
    State.SaveState(Data);
    const std::string Good = ReadFileBytes(State.FileName());
    EXPECT_EQ(Good, StateBytes(Data));

    // A good file is read and replaced without a copy.
    TStateFile Again(State.FileName());
    TAppData Back;
    EXPECT_TRUE(Again.LoadState(Back));
    ExpectSameData(Back, Data);
    Again.SaveState(Back);
    EXPECT_FALSE(std::filesystem::exists(Again.BadFileName()));

    // A damaged file: the error propagates, what was read stays, and the next save first
    // keeps the file as it was.
    const std::string Damaged = Good.substr(0, Good.size() - 5);
    WriteFileBytes(State.FileName(), Damaged);
    TStateFile Third(State.FileName());
    TAppData Partial;
    EXPECT_THROW(Third.LoadState(Partial), EReadError);
    EXPECT_TRUE(Third.Damaged());
    EXPECT_EQ(Partial.NameE, "Kept");
    EXPECT_EQ(Partial.Items.Count(), 1);
    Third.SaveState(Partial);
    EXPECT_EQ(ReadFileBytes(Third.BadFileName()), Damaged);
    EXPECT_EQ(ReadFileBytes(Third.FileName()), StateBytes(Partial));
    EXPECT_FALSE(Third.Damaged());
}
