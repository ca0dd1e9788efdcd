// Tests of the editor's Lines: line-indexed edits with and without word wrap, text and file
// loading, the update bracket and the streamed "Strings" property.
#include "editor/model/editor_strings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/filer.h"
#include "platform/streams.h"
#include "lines_reference.h"
#include "screen_strings_support.h"

namespace {

using screen_test::TEditorDouble;

// An editor double that also serves Lines: records the caret placement and the brackets.
class TLinesEditor : public TEditorDouble, public TEditorStringsHost {
public:
    TEditorScreenStrings* GetScreenStrings() const override { return Strings; }
    void CancelSelection() override {
        TEditorDouble::CancelSelection();
        Log += "X";
    }
    void BeginCaretUpdate() override {
        TEditorDouble::BeginCaretUpdate();
        Log += "(";
    }
    void EndCaretUpdate() override {
        TEditorDouble::EndCaretUpdate();
        Log += ")";
    }
    void SetRow(int Value) override { TEditorDouble::SetRow(Value); }
    void SetCol(int Value) override { TEditorDouble::SetCol(Value); }
    // The walk of the caret rules, with byte columns (the texts here are single-byte).
    void SetCaretOffset(int FromRow, int Offset) override {
        Log += "C";
        for (int R = FromRow; R < Strings->GetCount(); ++R) {
            const TRowAttribute A = Strings->GetRowAttribute(R);
            const int Span = Strings->RowLength(R) + (A == raCrlf ? 2 : A == raEof ? 1 : 0);
            if (Offset < Span || A == raEof) {
                Row = R;
                Col = std::min(Offset, Strings->RowLength(R));
                return;
            }
            Offset -= Span;
        }
        Row = Strings->GetCount();
        Col = 0;
    }
    void HideUnderline() override { Log += "u"; }
    void ShowUnderline() override { Log += "U"; }
    void SetSettingRowCol(bool Value) override {
        SettingRowCol = Value;
        Log += Value ? "s" : "S";
    }
    void UpdateCaret() override { Log += "c"; }
    bool IsShowing() const override { return Showing; }
    void SetRedraw(bool Value) override { Log += Value ? "R" : "r"; }
    void RefreshViewAndCorner() override {
        TEditorDouble::RefreshViewAndCorner();
        Log += "V";
    }

    std::string Log;
    bool Showing = false;
    bool SettingRowCol = false;
};

struct TLines {
    TLinesEditor Editor;
    TEditorScreenStrings* S;
    TEditorStrings Lines{&Editor};
    TLines() : S(new TEditorScreenStrings) {
        Editor.Strings = S;
        S->AddEditor(&Editor);
    }
    ~TLines() { S->RemoveEditor(&Editor); }
    void Wrap(int WrapByte) {
        S->GetWrapOption()->SetWrapByte(WrapByte);
        S->SetWordWrap(true);
    }
    // The rows as "text|attr" with c = raCrlf, w = raWrapped, e = raEof.
    std::string Rows() const {
        std::string R;
        for (int I = 0; I < S->GetCount(); ++I) {
            if (I) R += ' ';
            R += std::string(S->RowView(I)) + "|" + "cwei"[S->GetRowAttribute(I)];
        }
        return R;
    }
};

const std::string kLong = "aaaa bbbb cccc dddd eeee ffff gggg hhhh iiii jjjj"; // three rows at WrapByte 20

// Add, Put, Insert and Delete, each with word wrap off and on, from a given text.
TEST(EditorStrings, EditsByLine) {
    struct Case {
        const char* What;
        std::string Start;
        std::function<void(TEditorStrings&)> Edit;
        std::string Text;
        int Count;
        int CaretRow; // line of the caret; -1: not checked
        int CaretCol = 0;
    } Cases[] = {
        {"Add to an empty editor", "", [](TEditorStrings& L) { EXPECT_EQ(L.Add("one"), 0); }, "one\r\n", 1,
         1},
        {"Add after a text without final break", "a\r\nb",
         [](TEditorStrings& L) { EXPECT_EQ(L.Add("c"), 2); }, "a\r\nb\r\nc", 3, 2, 1}, // end of the text
        {"Add after a final break", "a\r\n", [](TEditorStrings& L) { EXPECT_EQ(L.Add("b"), 1); },
         "a\r\nb\r\n", 2, 2},
        {"Add an empty line", "a\r\n", [](TEditorStrings& L) { L.Add(""); }, "a\r\n\r\n", 2, 2},
        {"Add a text with line breaks", "", [](TEditorStrings& L) { L.Add("x\ry\nz"); }, "x\r\ny\r\nz\r\n", 3,
         -1},
        {"Add a long line", "a\r\n", [](TEditorStrings& L) { L.Add(kLong); }, "a\r\n" + kLong + "\r\n", 2,
         -1},
        {"Put keeps the line break", "a\r\nb\r\nc\r\n", [](TEditorStrings& L) { L.Put(1, "B"); },
         "a\r\nB\r\nc\r\n", 3, 2},
        {"Put on a last line without break", "a\r\nb", [](TEditorStrings& L) { L.Put(1, "B"); }, "a\r\nB", 2,
         -1},
        {"Put a long line", "a\r\nb\r\n", [](TEditorStrings& L) { L.Put(0, kLong); }, kLong + "\r\nb\r\n", 2,
         -1},
        {"Put over a long line", kLong + "\r\nb", [](TEditorStrings& L) { L.Put(0, "s"); }, "s\r\nb", 2, 1},
        {"Insert in the middle", "a\r\nc\r\n", [](TEditorStrings& L) { L.Insert(1, "b"); }, "a\r\nb\r\nc\r\n",
         3, 2},
        {"Insert at the start", "b", [](TEditorStrings& L) { L.Insert(0, "a"); }, "a\r\nb", 2, 1},
        {"Insert at the count appends", "a\r\nb", [](TEditorStrings& L) { L.Insert(2, "c"); }, "a\r\nb\r\nc",
         3, -1},
        {"Insert before a long line", "x\r\n" + kLong, [](TEditorStrings& L) { L.Insert(1, "y"); },
         "x\r\ny\r\n" + kLong, 3, 2},
        {"Delete in the middle", "a\r\nb\r\nc\r\n", [](TEditorStrings& L) { L.Delete(1); }, "a\r\nc\r\n", 2,
         1},
        {"Delete a long line", "a\r\n" + kLong + "\r\nc", [](TEditorStrings& L) { L.Delete(1); }, "a\r\nc", 2,
         1},
        {"Delete the last line", "a\r\nb", [](TEditorStrings& L) { L.Delete(1); }, "a\r\n", 1, -1},
        {"Delete the only line", "a", [](TEditorStrings& L) { L.Delete(0); }, "", 0, -1},
    };
    for (bool Wrap : {false, true}) {
        for (const auto& C : Cases) {
            SCOPED_TRACE(std::string(C.What) + (Wrap ? " (word wrap)" : ""));
            TLines T;
            if (Wrap) T.Wrap(20);
            T.Lines.SetTextStr(C.Start);
            T.Editor.Selected = true;
            T.Editor.Log.clear();
            C.Edit(T.Lines);
            EXPECT_EQ(T.Lines.GetTextStr(), C.Text);
            EXPECT_EQ(T.Lines.GetCount(), C.Count);
            EXPECT_FALSE(T.Editor.Selected);
            EXPECT_EQ(T.Editor.CaretDepth, 0);
            EXPECT_NE(T.Editor.Log.find("(C)"), std::string::npos) << T.Editor.Log;
            if (C.CaretRow >= 0) {
                // The caret stands at the start of the line after the written one.
                EXPECT_EQ(T.Editor.Col, C.CaretCol);
                EXPECT_EQ(T.Editor.Row, T.Lines.LineToRow(C.CaretRow));
            }
            EXPECT_EQ(screen_test::CheckRows(*T.S, nullptr), "");
            // Every edit is undoable.
            if (!C.Start.empty() || C.Text.empty()) {
                T.S->Undo();
                EXPECT_EQ(T.Lines.GetTextStr(), C.Start);
            }
        }
    }
}

TEST(EditorStrings, LinesOverWrappedRows) {
    TLines T;
    T.Wrap(20);
    T.Lines.SetTextStr("first\r\n" + kLong + "\r\nlast");
    ASSERT_EQ(T.Rows(), "first|c aaaa bbbb cccc dddd |w eeee ffff gggg hhhh |w iiii jjjj|c last|e");
    EXPECT_EQ(T.Lines.GetCount(), 3);
    const int Rows[] = {0, 1, 4, 5};
    for (int I = 0; I <= 3; ++I) EXPECT_EQ(T.Lines.LineToRow(I), Rows[I]) << I;
    EXPECT_EQ(T.Lines.Get(0), "first");
    EXPECT_EQ(T.Lines.Get(1), kLong);
    EXPECT_EQ(T.Lines.Get(2), "last");
    EXPECT_EQ(T.Lines.Get(3), "");
    EXPECT_THROW(T.Lines.Get(4), EStringListError);
    EXPECT_THROW(T.Lines.LineToRow(-1), EStringListError);
    // Unwrapped, a line is a row and an index beyond the rows is the list error.
    T.S->SetWordWrap(false);
    EXPECT_EQ(T.Lines.GetCount(), 3);
    EXPECT_EQ(T.Lines.Get(1), kLong);
    EXPECT_THROW(T.Lines.Get(3), EStringListError);
}

TEST(EditorStrings, IndexErrorsLeaveTheTextAlone) {
    for (bool Wrap : {false, true}) {
        TLines T;
        if (Wrap) T.Wrap(20);
        T.Lines.SetTextStr("a\r\nb");
        for (int Index : {-1, 2, 5}) {
            SCOPED_TRACE(Index);
            EXPECT_THROW(T.Lines.Put(Index, "x"), EStringListError);
            EXPECT_THROW(T.Lines.Delete(Index), EStringListError);
            if (Index != 2) {
                EXPECT_THROW(T.Lines.Insert(Index, "x"), EStringListError);
            }
            EXPECT_EQ(T.Lines.GetTextStr(), "a\r\nb");
            EXPECT_EQ(T.Editor.CaretDepth, 0);
        }
    }
}

TEST(EditorStrings, SetTextStrSplitsAndMarksTheEnd) {
    struct Case {
        std::string In;
        std::string Rows;
    } Cases[] = {
        {"", ""},
        {"a", "a|e"},
        {"a\r\nb", "a|c b|e"},
        {"a\r\nb\r\n", "a|c b|c"},
        {"a\rb\nc\r", "a|c b|c c|c"},
        {"a\n\nb", "a|c |c b|e"},
        {std::string("a\r\nb\0c\r\n", 8), "a|c b|e"},
        {std::string("a\r\n\0c", 5), "a|c"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.In);
        TLines T;
        T.Lines.SetTextStr("old\r\n");
        T.Lines.SetTextStr(C.In);
        EXPECT_EQ(T.Rows(), C.Rows);
        EXPECT_FALSE(T.S->GetUndoObj()->CanUndo());
    }
    // With word wrap on the text is wrapped.
    TLines T;
    T.Wrap(20);
    T.Lines.SetTextStr(kLong);
    EXPECT_EQ(T.S->GetCount(), 3);
    EXPECT_EQ(T.S->GetRowAttribute(2), raEof);
}

TEST(EditorStrings, AssignTakesTheListsTextWithFinalBreak) {
    TLines T;
    TStringList Source;
    Source.Add("one");
    Source.Add("two");
    T.Lines.Assign(&Source);
    EXPECT_EQ(T.Rows(), "one|c two|c");
    EXPECT_EQ(T.Editor.Row, 2);
    EXPECT_EQ(T.Editor.Col, 0);
}

// The bracket order of SetUpdateState, the redraw switch only for a shown editor, and a
// nested bracket that acts only at its outermost pair.
TEST(EditorStrings, UpdateBracket) {
    for (bool Showing : {false, true}) {
        TLines T;
        T.Editor.Showing = Showing;
        T.Lines.BeginUpdate();
        T.Lines.BeginUpdate();
        EXPECT_TRUE(T.Editor.SettingRowCol);
        EXPECT_EQ(T.S->GetUpdateCount(), 1);
        EXPECT_EQ(T.Lines.GetUpdateCount(), 1);
        T.Lines.EndUpdate();
        EXPECT_EQ(T.S->GetUpdateCount(), 1);
        T.Lines.EndUpdate();
        EXPECT_EQ(T.S->GetUpdateCount(), 0);
        EXPECT_EQ(T.Lines.GetUpdateCount(), 0);
        EXPECT_FALSE(T.Editor.SettingRowCol);
        EXPECT_EQ(T.Editor.CaretDepth, 0);
        EXPECT_EQ(T.Editor.Log, Showing ? "r(usRrU)ScRV" : "(usU)Sc");
    }
}

class EditorStringsFile : public ::testing::Test {
protected:
    void SetUp() override {
        char Template[] = "/tmp/feedloom-lines-XXXXXX";
        const int Fd = mkstemp(Template);
        ASSERT_GE(Fd, 0);
        close(Fd);
        FPath = Template;
    }
    void TearDown() override { std::remove(FPath.c_str()); }
    void Write(const std::string& Bytes) {
        TFileStream F(FPath, fmCreate);
        F.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    }
    std::string FPath;
};

// Pads Head with 'p' so that the next byte written after it starts a new block.
std::string ToBlockEnd(std::string Head, size_t Blocks = 1) {
    Head.resize(Blocks * TEditorStrings::BlockSize, 'p');
    return Head;
}

TEST_F(EditorStringsFile, LoadsLinesAcrossBlocks) {
    const std::string A8191(TEditorStrings::BlockSize - 1, 'a');
    const std::string P8189(TEditorStrings::BlockSize - 3, 'p');
    const std::string Big(20000, 'z');
    struct Case {
        const char* What;
        std::string File;
        std::vector<std::string> Lines;
        TRowAttribute Last;
    } Cases[] = {
        {"empty file", "", {}, raInvalid},
        {"line, CR LF, line", "line\r\nsecond", {"line", "second"}, raEof},
        {"final CR LF", "a\r\nb\r\n", {"a", "b"}, raCrlf},
        {"lone CR at the end", "one\r", {"one"}, raCrlf},
        {"lone CR and LF", "a\rb\nc\n\rd", {"a", "b", "c", "", "d"}, raEof},
        {"CR LF split by the block border", A8191 + "\r\nb", {A8191, "b"}, raEof},
        {"lone CR at the block end", A8191 + "\rb", {A8191, "b"}, raEof},
        {"LF at the block start", A8191 + "a\nb", {A8191 + "a", "b"}, raEof},
        {"CR LF CR at the border", P8189 + "x\r\n\r\nb", {P8189 + "x", "", "b"}, raEof},
        {"line across two borders", "s\r\n" + Big + "\r\nt", {"s", Big, "t"}, raEof},
        {"Ctrl-Z ends the file", "abc\r\ndef\x1Aghi\r\njkl", {"abc", "def"}, raEof},
        {"Ctrl-Z after a line break", "abc\r\n\x1A\r\nxyz", {"abc"}, raCrlf},
        {"Ctrl-Z in the second block",
         ToBlockEnd("a\r\n") + "b\x1A" + "c",
         {"a", ToBlockEnd("").substr(3) + "b"},
         raEof},
        {"NUL skips the rest of its block",
         ToBlockEnd(std::string("ab\0junk\r\nmore", 13)) + "cd\r\nef",
         {"abcd", "ef"},
         raEof},
        {"NUL hides a Ctrl-Z", ToBlockEnd(std::string("a\0\x1A", 3)) + "b", {"ab"}, raEof},
        {"NUL after a CR pairs it with the next LF",
         ToBlockEnd(std::string("a\r\0x", 4)) + "\nb",
         {"a", "b"},
         raEof},
        {"a block that a NUL empties keeps the CR LF pair",
         A8191 + "\r" + ToBlockEnd(std::string(1, '\0')) + "\nb",
         {A8191, "b"},
         raEof},
        {"NUL in the last block", std::string("a\r\nb\0c\r\nd", 9), {"a", "b"}, raEof},
        {"tabs and double-byte bytes as they are", "\t\x82\xa0\x81\r\n", {"\t\x82\xa0\x81"}, raCrlf},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.What);
        Write(C.File);
        TLines T;
        T.Lines.SetTextStr("old text\r\n");
        T.Lines.LoadFromFile(FPath);
        ASSERT_EQ(T.S->GetCount(), static_cast<int>(C.Lines.size()));
        for (size_t I = 0; I < C.Lines.size(); ++I) {
            EXPECT_EQ(T.Lines.Get(static_cast<int>(I)), C.Lines[I]) << I;
            EXPECT_EQ(T.S->GetRowAttribute(static_cast<int>(I)), I + 1 < C.Lines.size() ? raCrlf : C.Last)
                << I;
        }
        EXPECT_FALSE(T.S->GetUndoObj()->CanUndo());
        EXPECT_EQ(T.S->GetUpdateCount(), 0);
    }
}

// Random files with line breaks, NULs and Ctrl-Z crowded around the block borders, read in
// shared blocks of every size from larger than the file down to less than one file block
// (lines, a CR and its LF, and a NUL's skipped bytes across the borders of the reads).
TEST_F(EditorStringsFile, LoadAgreesWithThePlainReading) {
    const int64_t Chunks[] = {TEditorStrings::LoadChunkBytes, TEditorStrings::BlockSize, 5001, 12289};
    struct TRestore {
        int64_t Saved = TEditorStrings::LoadChunkBytes;
        ~TRestore() { TEditorStrings::LoadChunkBytes = Saved; }
    } Restore;
    std::mt19937 Rand(7);
    const char Specials[] = {'\r', '\n', '\r', '\n', '\0', '\x1A', '\x82'};
    for (int Round = 0; Round < 150; ++Round) {
        SCOPED_TRACE(Round);
        const size_t Size = Rand() % (3 * TEditorStrings::BlockSize + 10);
        std::string File(Size, 'a');
        for (size_t I = 0; I < Size; I += 1 + Rand() % 200) File[I] = Rand() % 2 ? '\r' : '\n';
        for (size_t Border = TEditorStrings::BlockSize; Border < Size + 3;
             Border += TEditorStrings::BlockSize)
            for (int K = 0; K < 6; ++K) {
                const size_t I = Border - 3 + Rand() % 6;
                if (I < Size && Rand() % 3 == 0) File[I] = Specials[Rand() % (Round % 4 ? 5 : 7)];
            }
        Write(File);
        TLines T;
        TEditorStrings::LoadChunkBytes = Chunks[Round % 4];
        T.Lines.LoadFromFile(FPath);
        bool EndsWithBreak;
        const std::vector<std::string> Expected = ReferenceLines(File, EndsWithBreak);
        ASSERT_EQ(T.S->GetCount(), static_cast<int>(Expected.size()));
        for (size_t I = 0; I < Expected.size(); ++I)
            ASSERT_EQ(T.Lines.Get(static_cast<int>(I)), Expected[I]) << I;
        if (!Expected.empty()) {
            EXPECT_EQ(T.S->GetRowAttribute(T.S->GetCount() - 1), EndsWithBreak ? raCrlf : raEof);
        }
    }
}

TEST_F(EditorStringsFile, LoadWrapsAndRefreshes) {
    Write("x\r\n" + kLong);
    TLines T;
    T.Wrap(20);
    T.Editor.RefreshCount = 0;
    T.Lines.LoadFromFile(FPath);
    EXPECT_EQ(T.Rows(), "x|c aaaa bbbb cccc dddd |w eeee ffff gggg hhhh |w iiii jjjj|e");
    EXPECT_EQ(T.Lines.GetCount(), 2);
    EXPECT_GE(T.Editor.RefreshCount, 1);
    EXPECT_EQ(T.Lines.GetTextStr(), "x\r\n" + kLong);
}

TEST_F(EditorStringsFile, OpenFailureLeavesTheTextEmpty) {
    TLines T;
    T.Lines.SetTextStr("keep?\r\n");
    T.Editor.Log.clear();
    EXPECT_THROW(T.Lines.LoadFromFile(FPath + ".missing"), EFOpenError);
    // A folder opens but cannot be read: an error, not an empty text reported as loaded.
    EXPECT_THROW(T.Lines.LoadFromFile("/tmp"), EStreamError);
    EXPECT_EQ(T.S->GetCount(), 0);
    EXPECT_EQ(T.S->GetUpdateCount(), 0);
    EXPECT_EQ(T.Lines.GetUpdateCount(), 0);
    EXPECT_EQ(T.Editor.CaretDepth, 0);
    EXPECT_FALSE(T.Editor.SettingRowCol);
}

std::string Streamed(const TEditorStrings& Lines) {
    TMemoryStream M;
    {
        TWriter W(M);
        Lines.WriteStrings(W);
    }
    return std::string(static_cast<const char*>(M.Memory()), static_cast<size_t>(M.GetSize()));
}

TEST(EditorStrings, StreamsStringsOnePerLine) {
    for (bool Wrap : {false, true}) {
        SCOPED_TRACE(Wrap);
        TLines Out;
        if (Wrap) Out.Wrap(20);
        const std::string Japanese = cp932::Literal("日本語");
        Out.Lines.SetTextStr("one\r\n" + kLong + "\r\n\r\n" + Japanese);
        const std::string Bytes = Streamed(Out.Lines);
        EXPECT_EQ(Bytes, "\x01\x06\x03one\x06\x31" + kLong + "\x06" + std::string(1, '\0') + "\x14\x09" +
                             std::string(3, '\0') + "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e" +
                             std::string(1, '\0'));

        TLines In;
        In.Lines.SetTextStr("old\r\n");
        TMemoryStream M;
        M.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
        M.SetPosition(0);
        TReader R(M);
        In.Lines.ReadStrings(R);
        // The last line now ends with a line break; no wrapping until the editor's Loaded.
        EXPECT_EQ(In.Lines.GetTextStr(), "one\r\n" + kLong + "\r\n\r\n" + Japanese + "\r\n");
        EXPECT_EQ(In.S->GetCount(), 4);
        EXPECT_FALSE(In.S->GetUndoObj()->CanUndo());
        EXPECT_EQ(In.S->GetUpdateCount(), 0);
    }
}

TEST(EditorStrings, ReadStringsKeepsRowsFreeOfLineBreaks) {
    TLines T;
    const std::string Bytes = std::string("\x01\x06\x06"
                                          "a\r\nb\rc"
                                          "\x06\x02"
                                          "d\n"
                                          "\x00",
                                          14);
    TMemoryStream M;
    M.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    M.SetPosition(0);
    TReader R(M);
    T.Lines.ReadStrings(R);
    EXPECT_EQ(T.Rows(), "a|c b|c c|c d|c");

    // A damaged list ends in the read error with the bracket closed.
    TMemoryStream Bad;
    Bad.WriteBuffer("\x01\x06\x05"
                    "ab",
                    5);
    Bad.SetPosition(0);
    TReader BadReader(Bad);
    EXPECT_THROW(T.Lines.ReadStrings(BadReader), EReadError);
    EXPECT_EQ(T.Lines.GetUpdateCount(), 0);
    EXPECT_EQ(T.S->GetUpdateCount(), 0);
}

TEST(EditorStrings, StoresStringsWhenTheyDifferFromTheAncestor) {
    TLines T;
    TStringList Same, Other;
    TEditorWrapOption NotAList;
    EXPECT_FALSE(T.Lines.StoresStrings(nullptr));
    EXPECT_FALSE(T.Lines.StoresStrings(&Same));
    T.Lines.SetTextStr("a\r\nb");
    Same.Add("a");
    Same.Add("b");
    Other.Add("a");
    EXPECT_TRUE(T.Lines.StoresStrings(nullptr));
    EXPECT_FALSE(T.Lines.StoresStrings(&Same));
    EXPECT_TRUE(T.Lines.StoresStrings(&Other));
    EXPECT_TRUE(T.Lines.StoresStrings(&NotAList));
}

} // namespace
