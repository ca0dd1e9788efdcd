// Tests of the component-stream filer: the writer's encodings and the checked reader.
#include "platform/filer.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "platform/cp932.h"
#include "platform/streams.h"
#include "platform_test_support.h"

namespace {

std::string Hex(const std::string& S) {
    static const char* Digits = "0123456789abcdef";
    std::string R;
    for (unsigned char C : S) {
        if (!R.empty()) R += ' ';
        R += Digits[C >> 4];
        R += Digits[C & 15];
    }
    return R;
}

std::string FromHex(const std::string& H) {
    std::string R;
    for (size_t I = 0; I < H.size(); I += 3) R += static_cast<char>(std::stoi(H.substr(I, 2), nullptr, 16));
    return R;
}

std::string Contents(TMemoryStream& M) {
    return std::string(static_cast<const char*>(M.Memory()), static_cast<size_t>(M.GetSize()));
}

std::string Written(const std::function<void(TWriter&)>& Write) {
    TMemoryStream M;
    {
        TWriter W(M);
        Write(W);
    }
    return Contents(M);
}

void Load(TMemoryStream& M, const std::string& Bytes) {
    M.Clear();
    M.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    M.SetPosition(0);
}

// The error message that Read raises, or "" when it raises nothing.
std::string ReadErrorOf(const std::string& Bytes, const std::function<void(TReader&)>& Read) {
    TMemoryStream M;
    Load(M, Bytes);
    try {
        TReader R(M);
        Read(R);
    } catch (const EReadError& E) {
        return E.Message();
    }
    return "";
}

void WriteSpinEdit(TWriter& W, int Value) {
    W.WriteSignature();
    W.WriteStr("TSpinEdit");
    W.WriteStr("SpinEdit1");
    const std::pair<const char*, int> Props[] = {{"Left", 416},   {"Top", 56},      {"Width", 49},
                                                 {"Height", 21},  {"Increment", 5}, {"MaxValue", 100},
                                                 {"MinValue", 5}, {"TabOrder", 2},  {"Value", Value}};
    for (auto& [Name, V] : Props) {
        W.WritePropName(Name);
        W.WriteInteger(V);
    }
    W.WriteListEnd();
    W.WriteListEnd();
}

// A general image reader of the kind the state file uses: names and values by kind.
std::string ReadImage(TReader& R) {
    std::string Out;
    R.ReadSignature();
    Out += R.ReadStr();
    Out.append(" ").append(R.ReadStr());
    while (!R.EndOfList()) {
        Out.append(" ").append(R.ReadPropName()).append("=");
        switch (R.NextValue()) {
        case vaInt8:
        case vaInt16:
        case vaInt32:
            Out += std::to_string(R.ReadInteger());
            break;
        case vaFalse:
        case vaTrue:
            Out += R.ReadBoolean() ? "T" : "F";
            break;
        case vaIdent:
            Out += R.ReadIdent();
            break;
        case vaList:
            R.ReadListBegin();
            Out += "[";
            while (!R.EndOfList()) Out += R.ReadString() + ";";
            R.ReadListEnd();
            Out += "]";
            break;
        default:
            Out += R.ReadString();
        }
    }
    R.ReadListEnd();
    R.ReadListEnd();
    return Out;
}

TEST(Filer, WritesTheSpinEditImageByteForByte) {
    const std::string Expected = "54 50 46 30 09 54 53 70 69 6e 45 64 69 74 09 53 70 69 6e 45 64 69 74 31 04 "
                                 "4c 65 66 74 03 a0 01 03 54 "
                                 "6f 70 02 38 05 57 69 64 74 68 02 31 06 48 65 69 67 68 74 02 15 09 49 6e 63 "
                                 "72 65 6d 65 6e 74 02 05 08 4d "
                                 "61 78 56 61 6c 75 65 02 64 08 4d 69 6e 56 61 6c 75 65 02 05 08 54 61 62 4f "
                                 "72 64 65 72 02 02 05 56 61 6c "
                                 "75 65 02 0a 00 00";
    const std::string Image = Written([](TWriter& W) { WriteSpinEdit(W, 10); });
    EXPECT_EQ(Image.size(), 110u);
    EXPECT_EQ(Hex(Image), Expected);

    TMemoryStream M;
    Load(M, Image);
    TReader R(M);
    EXPECT_EQ(ReadImage(R), "TSpinEdit SpinEdit1 Left=416 Top=56 Width=49 Height=21 Increment=5 MaxValue=100 "
                            "MinValue=5 TabOrder=2 Value=10");
    EXPECT_EQ(R.Remaining(), 0);
}

TEST(Filer, ChoosesTheTextForm) {
    struct Case {
        std::string Text;
        std::string PropertyHex;  // WriteString
        std::string ListEntryHex; // WriteListEntry
    } Cases[] = {
        {"http://", "06 07 68 74 74 70 3a 2f 2f", "06 07 68 74 74 70 3a 2f 2f"},
        // n = 3, m = 9: UTF-16 as property text, UTF-8 as list entry.
        {cp932::Literal("日本語"), "12 03 00 00 00 e5 65 2c 67 9e 8a",
         "14 09 00 00 00 e6 97 a5 e6 9c ac e8 aa 9e"},
        // n = 5, m = 9: UTF-8.
        {cp932::Literal("abc日本"), "14 09 00 00 00 61 62 63 e6 97 a5 e6 9c ac",
         "14 09 00 00 00 61 62 63 e6 97 a5 e6 9c ac"},
        {cp932::Literal("お知らせ"), "12 04 00 00 00 4a 30 e5 77 89 30 5b 30",
         "14 0c 00 00 00 e3 81 8a e7 9f a5 e3 82 89 e3 81 9b"},
        // Half-width katakana: one byte in CP932, three in UTF-8 (m = 3 >= 2n = 2).
        {cp932::Literal("ｱ"), "12 01 00 00 00 71 ff", "14 03 00 00 00 ef bd b1"},
        // A Latin-1 look-alike from the single-byte range 0x80: n = 1, m = 2, so UTF-16.
        {std::string("\x80", 1), "12 01 00 00 00 80 00", "14 02 00 00 00 c2 80"},
        {"", "12 00 00 00 00", "06 00"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(Hex(C.Text));
        EXPECT_EQ(Hex(Written([&](TWriter& W) { W.WriteString(C.Text); })), C.PropertyHex);
        EXPECT_EQ(Hex(Written([&](TWriter& W) { W.WriteListEntry(C.Text); })), C.ListEntryHex);
    }

    // 255 ASCII bytes still fit a short string; 256 take the long form.
    for (size_t Len : {size_t{255}, size_t{256}, size_t{5000}}) {
        const std::string Text(Len, 'x');
        for (bool Entry : {false, true}) {
            const std::string Out =
                Written([&](TWriter& W) { Entry ? W.WriteListEntry(Text) : W.WriteString(Text); });
            if (Len <= 255) {
                ASSERT_EQ(Out.size(), Len + 2);
                EXPECT_EQ(Hex(Out.substr(0, 2)), "06 ff");
            } else {
                ASSERT_EQ(Out.size(), Len + 5);
                EXPECT_EQ(static_cast<unsigned char>(Out[0]), 0x0C);
                EXPECT_EQ(static_cast<size_t>(static_cast<unsigned char>(Out[1]) |
                                              static_cast<unsigned char>(Out[2]) << 8),
                          Len);
            }
            EXPECT_EQ(Out.substr(Out.size() - Len), Text);
        }
    }
}

TEST(Filer, WritesTheItemsStringsRecord) {
    const std::string Record = Written([](TWriter& W) {
        W.WritePropName("Items.Strings");
        W.WriteListBegin();
        W.WriteListEntry("abc");
        W.WriteListEntry(cp932::Literal("お知らせ"));
        W.WriteListEnd();
    });
    EXPECT_EQ(Hex(Record),
              "0d 49 74 65 6d 73 2e 53 74 72 69 6e 67 73 01 06 03 61 62 63 14 0c 00 00 00 e3 81 8a e7 "
              "9f a5 e3 82 89 e3 81 9b 00");
}

TEST(Filer, IntegersTakeTheSmallestFormAndReadBack) {
    struct Case {
        int32_t Value;
        std::string Hex;
    } Cases[] = {
        {0, "02 00"},
        {-1, "02 ff"},
        {127, "02 7f"},
        {-128, "02 80"},
        {128, "03 80 00"},
        {-129, "03 7f ff"},
        {32767, "03 ff 7f"},
        {-32768, "03 00 80"},
        {32768, "04 00 80 00 00"},
        {-32769, "04 ff 7f ff ff"},
        {INT_MAX, "04 ff ff ff 7f"},
        {INT_MIN, "04 00 00 00 80"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Value);
        const std::string Out = Written([&](TWriter& W) { W.WriteInteger(C.Value); });
        EXPECT_EQ(Hex(Out), C.Hex);
        TMemoryStream M;
        Load(M, Out);
        TReader R(M);
        EXPECT_EQ(R.ReadInteger(), C.Value);
    }
}

TEST(Filer, BooleansAndIdentifiers) {
    EXPECT_EQ(Hex(Written([](TWriter& W) {
                  W.WriteBoolean(false);
                  W.WriteBoolean(true);
                  W.WriteIdent("False");
                  W.WriteIdent("True");
                  W.WriteIdent("lpLeft");
              })),
              "08 09 08 09 07 06 6c 70 4c 65 66 74");

    TMemoryStream M;
    Load(M, FromHex("08 09 07 04 74 72 75 65 07 06 6c 70 4c 65 66 74 08"));
    TReader R(M);
    EXPECT_FALSE(R.ReadBoolean());
    EXPECT_TRUE(R.ReadBoolean());
    EXPECT_TRUE(R.ReadBoolean()); // the identifier "true"
    EXPECT_EQ(R.ReadIdent(), "lpLeft");
    EXPECT_EQ(R.ReadIdent(), "False");
}

TEST(Filer, ReadsEveryStringFormWhateverTheWriterWouldChoose) {
    const std::string Japanese = cp932::Literal("日本語のお知らせ");
    const std::string Wide = cp932::Literal("日本");
    struct Case {
        std::string Hex;
        std::string Expected;
    } Cases[] = {
        {"06 03 61 62 63", "abc"},
        {"0c 03 00 00 00 61 62 63", "abc"},
        {"12 03 00 00 00 61 00 62 00 63 00", "abc"},
        {"14 03 00 00 00 61 62 63", "abc"},
        {"12 02 00 00 00 e5 65 2c 67", Wide},
        {"14 06 00 00 00 e6 97 a5 e6 9c ac", Wide},
        // CP932 bytes in the single-byte forms are taken as they are.
        {"06 04 93 fa 96 7b", Wide},
        {"0c 04 00 00 00 93 fa 96 7b", Wide},
        {"06 00", ""},
        {"12 00 00 00 00", ""},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Hex);
        TMemoryStream M;
        Load(M, FromHex(C.Hex));
        TReader R(M);
        EXPECT_EQ(R.ReadString(), C.Expected);
        EXPECT_EQ(R.Remaining(), 0);
    }
    // And what the writer writes comes back.
    for (const std::string& S :
         {Japanese, std::string("abc"), cp932::Literal("abc日本"), std::string(300, 'q')}) {
        for (bool Entry : {false, true}) {
            TMemoryStream M;
            Load(M, Written([&](TWriter& W) { Entry ? W.WriteListEntry(S) : W.WriteString(S); }));
            TReader R(M);
            EXPECT_EQ(R.ReadString(), S);
        }
    }
}

TEST(Filer, DamagedInputEndsInTheReadError) {
    const std::string Truncated = StreamReadMessage();
    const std::string Invalid = InvalidValueMessage();
    auto Image = [](TReader& R) { ReadImage(R); };
    auto String = [](TReader& R) { R.ReadString(); };
    struct Case {
        const char* What;
        std::string Bytes;
        std::function<void(TReader&)> Read;
        std::string Message;
    } Cases[] = {
        {"wrong signature", FromHex("54 50 46 31 00 00 00 00"), Image, InvalidImageMessage()},
        {"empty input", "", Image, Truncated},
        {"signature cut", "TPF", Image, Truncated},
        {"long string longer than the input", FromHex("0c ff ff ff 7f 61"), String, Truncated},
        {"UTF-8 string longer than the input", FromHex("14 05 00 00 00 61 62"), String, Truncated},
        {"wide count beyond the input", FromHex("12 ff ff ff ff 61 00"), String, Truncated},
        {"wide count one unit short", FromHex("12 02 00 00 00 61 00 62"), String, Truncated},
        {"short string cut", FromHex("06 05 61 62"), String, Truncated},
        {"integer cut", FromHex("04 01 02"), [](TReader& R) { R.ReadInteger(); }, Truncated},
        {"string where an integer belongs", FromHex("06 01 31"), [](TReader& R) { R.ReadInteger(); },
         Invalid},
        {"integer where a string belongs", FromHex("02 01"), String, Invalid},
        {"integer where a boolean belongs", FromHex("02 01"), [](TReader& R) { R.ReadBoolean(); }, Invalid},
        {"other identifier as boolean", FromHex("07 03 79 65 73"), [](TReader& R) { R.ReadBoolean(); },
         Invalid},
        {"string where an identifier belongs", FromHex("06 01 41"), [](TReader& R) { R.ReadIdent(); },
         Invalid},
        {"unknown tag", FromHex("05 00 00 00 00 00 00 00 00 00 00"), String, Invalid},
        {"no list", FromHex("06 00"), [](TReader& R) { R.ReadListBegin(); }, Invalid},
        {"no list end", FromHex("06 00"), [](TReader& R) { R.ReadListEnd(); }, Invalid},
        {"end of list peeked at the end", "", [](TReader& R) { R.EndOfList(); }, Truncated},
        {"skip of an unclosed list", FromHex("01 01 02 05 00"), [](TReader& R) { R.SkipValue(); }, Truncated},
        {"skip of a bare end", FromHex("00"), [](TReader& R) { R.SkipValue(); }, Invalid},
        {"skip of an unknown tag inside a list", FromHex("01 0b 00"), [](TReader& R) { R.SkipValue(); },
         Invalid},
        {"lists nested too deep", std::string(TReader::MaxListDepth + 1, '\x01'),
         [](TReader& R) { R.SkipValue(); }, InvalidListMessage()},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.What);
        EXPECT_EQ(ReadErrorOf(C.Bytes, C.Read), C.Message);
    }
}

TEST(Filer, EveryCutOfAnImageIsAStreamReadError) {
    const std::string Image = Written([](TWriter& W) {
        W.WriteSignature();
        W.WriteStr("TListBox");
        W.WriteStr("linkList");
        W.WritePropName("Items.Strings");
        W.WriteListBegin();
        W.WriteListEntry("http://example.com/");
        W.WriteListEntry(cp932::Literal("日本語"));
        W.WriteListEntry(std::string(300, 'a'));
        W.WriteListEnd();
        W.WritePropName("Text");
        W.WriteString(cp932::Literal("お知らせ"));
        W.WritePropName("Visible");
        W.WriteBoolean(false);
        W.WritePropName("PopupMenu");
        W.WriteIdent("Form1.PopupMenu1");
        W.WriteListEnd();
        W.WriteListEnd();
    });
    ASSERT_EQ(ReadErrorOf(Image, [](TReader& R) { ReadImage(R); }), "");
    for (size_t Cut = 0; Cut < Image.size(); ++Cut) {
        SCOPED_TRACE(Cut);
        EXPECT_EQ(ReadErrorOf(Image.substr(0, Cut), [](TReader& R) { ReadImage(R); }), StreamReadMessage());
    }
}

TEST(Filer, SkipsValuesOfEveryKind) {
    const std::string Bytes = Written([](TWriter& W) {
        W.WriteInteger(1);
        W.WriteInteger(1000);
        W.WriteInteger(100000);
        W.WriteBoolean(true);
        W.WriteIdent("lpLeft");
        W.WriteString("abc");
        W.WriteString(std::string(4500, 'z')); // long form, crossing the reader's buffer
        W.WriteString(cp932::Literal("日本語"));
        W.WriteListEntry(cp932::Literal("abc日本"));
        W.WriteListBegin();
        W.WriteListBegin();
        W.WriteString("x");
        W.WriteListEnd();
        W.WriteInteger(7);
        W.WriteListEnd();
        W.WriteStr("end");
    });
    TMemoryStream M;
    Load(M, Bytes);
    TReader R(M);
    for (int I = 0; I < 10; ++I) R.SkipValue();
    EXPECT_EQ(R.ReadStr(), "end");
    EXPECT_EQ(R.Remaining(), 0);
}

TEST(Filer, ReaderLeavesTheStreamWhereTheImageEnded) {
    TMemoryStream M;
    {
        TWriter W(M);
        WriteSpinEdit(W, 10);
        WriteSpinEdit(W, 300);
    }
    M.SetPosition(0);
    {
        TReader R(M);
        EXPECT_EQ(ReadImage(R).substr(0, 19), "TSpinEdit SpinEdit1");
    }
    EXPECT_EQ(M.GetPosition(), 110);
    TReader R(M);
    EXPECT_NE(ReadImage(R).find("Value=300"), std::string::npos);
    EXPECT_EQ(R.Remaining(), 0);
}

TEST(Filer, RoundTripThroughAFile) {
    TTempDir Dir;
    const std::string Path = Dir / "state.dat";
    std::vector<std::string> Entries;
    for (int I = 0; I < 2000; ++I)
        Entries.push_back(I % 3 ? "item " + std::to_string(I) : cp932::Literal("項目") + std::to_string(I));
    {
        TFileStream F(Path, fmCreate);
        TWriter W(F);
        for (int Image = 0; Image < 2; ++Image) {
            W.WriteSignature();
            W.WriteStr("TListBox");
            W.WriteStr(Image ? "TimeList" : "linkList");
            W.WritePropName("Items.Strings");
            W.WriteListBegin();
            for (const auto& E : Entries) W.WriteListEntry(E);
            W.WriteListEnd();
            W.WriteListEnd();
            W.WriteListEnd();
        }
    }
    TFileStream F(Path, fmOpenRead);
    for (const char* Name : {"linkList", "TimeList"}) {
        TReader R(F);
        R.ReadSignature();
        EXPECT_EQ(R.ReadStr(), "TListBox");
        EXPECT_EQ(R.ReadStr(), Name);
        EXPECT_EQ(R.ReadPropName(), "Items.Strings");
        std::vector<std::string> Read;
        R.ReadListBegin();
        while (!R.EndOfList()) Read.push_back(R.ReadString());
        R.ReadListEnd();
        R.ReadListEnd();
        R.ReadListEnd();
        EXPECT_EQ(Read, Entries);
    }
    EXPECT_EQ(F.GetPosition(), F.GetSize());
}

TEST(Filer, ShortStringsRefuseWhatTheyCannotHold) {
    TMemoryStream M;
    TWriter W(M);
    EXPECT_THROW(W.WriteStr(std::string(256, 'n')), EWriteError);
    EXPECT_THROW(W.WriteIdent(std::string(256, 'n')), EWriteError);
    EXPECT_NO_THROW(W.WriteStr(std::string(255, 'n')));
}

} // namespace
