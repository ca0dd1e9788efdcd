// Test support for the screen rows: an editor double, a small colouring scheme and the
// invariant checks shared by the tests and the fuzz target.
#pragma once

#include <algorithm>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "editor/colouring/fountain.h"
#include "editor/colouring/fountain_parser.h"
#include "editor/model/editor_client.h"
#include "editor/model/screen_strings.h"
#include "platform/cp932.h"

namespace screen_test {

// An editor that records what the screen rows ask of it.
class TEditorDouble : public TEditorClient {
public:
    void DoChange() override {
        ++ChangeCount;
        if (Strings) Seen.push_back(Strings->UpdateInfo);
    }
    void InvalidateRow(int Row) override { Invalidated.push_back(Row); }
    bool HasSelection() const override { return Selected; }
    void CancelSelection() override {
        Selected = false;
        ++CancelCount;
    }
    int GetRow() const override { return Row; }
    int GetCol() const override { return Col; }
    void SetRow(int Value) override { Row = Value < 0 ? 0 : Value; }
    void SetCol(int Value) override { Col = Value < 0 ? 0 : Value; }
    int GetTopRow() const override { return TopRow; }
    void SetTopRow(int Value) override { TopRow = Value; }
    void BeginCaretUpdate() override { ++CaretDepth; }
    void EndCaretUpdate() override { --CaretDepth; }
    void RefreshViewAndCorner() override { ++RefreshCount; }
    bool Focused() const override { return HasFocus; }
    bool IsLoading() const override { return Loading; }
    bool IsDestroying() const override { return false; }
    TFountain* ActiveFountain() const override { return Fountain; }
    int GetRowHeight() const override { return RowHeight; }
    int GetScreenHeight() const override { return ScreenHeight; }
    bool GetInitBracketsFull() const override { return InitBracketsFull; }
    int GetTabSpaceCount() const override { return TabSpaceCount; }
    const TDelimiters& GetDelimiters() const override { return Delimiters; }

    TEditorScreenStrings* Strings = nullptr; // for recording UpdateInfo
    int ChangeCount = 0, CancelCount = 0, RefreshCount = 0, CaretDepth = 0;
    std::vector<TUpdateInfo> Seen;
    std::vector<int> Invalidated;
    bool Selected = false, HasFocus = false, Loading = false, InitBracketsFull = true;
    int Row = 0, Col = 0, TopRow = 0;
    int RowHeight = 16, ScreenHeight = 160; // 10 rows per screen
    int TabSpaceCount = 4;
    TDelimiters Delimiters = DefaultDelimiters();
    TFountain* Fountain = nullptr;
};

// A scheme with two bracket pairs, "/*" "*/" and "{" "}", enough to carry state across rows.
class TTestParser : public TFountainParser {
public:
    using TFountainParser::TFountainParser;
    TFountainColor* TokenToFountainColor() override { return nullptr; }
};
class TTestFountain : public TFountain {
public:
    TTestFountain() : TFountain(nullptr) {
        auto* A = GetBrackets()->Add();
        A->SetLeftBracket("/*");
        A->SetRightBracket("*/");
        auto* B = GetBrackets()->Add();
        B->SetLeftBracket("{");
        B->SetRightBracket("}");
    }

protected:
    TFountainParserClass GetParserClass() override {
        return
            [](TFountain* F) -> std::unique_ptr<TFountainParser> { return std::make_unique<TTestParser>(F); };
    }
};

// A screen-row list with one editor attached; the editor's detachment frees the list.
struct TAttached {
    TEditorDouble Editor;
    TEditorScreenStrings* S;
    TAttached() : S(new TEditorScreenStrings) {
        Editor.Strings = S;
        S->AddEditor(&Editor);
    }
    ~TAttached() { S->RemoveEditor(&Editor); }
    TAttached(const TAttached&) = delete;
    TAttached& operator=(const TAttached&) = delete;
};

// The whole text by the span rule.
inline std::string Text(const TEditorScreenStrings& S) {
    TRowAttribute Last;
    int Rows;
    std::string T;
    S.GetRowsText(0, S.GetCount(), Last, Rows, T);
    return T;
}

// Byte offset of the start of row Row in Text(S).
inline size_t RowOffset(const TEditorScreenStrings& S, int Row) {
    size_t Offset = 0;
    for (int R = 0; R < Row; ++R)
        Offset += static_cast<size_t>(S.RowLength(R)) + (S.GetRowAttribute(R) == raCrlf ? 2 : 0);
    return Offset;
}

// Every CR LF, lone CR and lone LF becomes CR LF, as the rows store line breaks.
inline std::string Normalize(std::string_view T) {
    std::string Out;
    for (size_t I = 0; I < T.size(); ++I) {
        if (T[I] == '\r') {
            Out += "\r\n";
            if (I + 1 < T.size() && T[I + 1] == '\n') ++I;
        } else if (T[I] == '\n') {
            Out += "\r\n";
        } else {
            Out += T[I];
        }
    }
    return Out;
}

// The reference edit of ReplaceRows(Index, Count, S) on Ref; returns false when the call
// does nothing.
inline bool ReferenceReplace(const TEditorScreenStrings& Rows, std::string& Ref, int Index, int Count,
                             std::string_view S) {
    if (Index < 0 || Count < 0 || Index + Count > Rows.GetCount()) return false;
    if (Count == 0 && S.empty()) return false;
    const size_t From = RowOffset(Rows, Index);
    const size_t To = RowOffset(Rows, Index + Count);
    Ref.replace(From, To - From, Normalize(S));
    return true;
}

struct TRowSnapshot {
    std::vector<std::string> Texts;
    std::vector<TRowAttribute> Attrs;
    bool operator==(const TRowSnapshot&) const = default;
};
inline TRowSnapshot Snapshot(const TEditorScreenStrings& S) {
    TRowSnapshot Snap;
    for (int R = 0; R < S.GetCount(); ++R) {
        Snap.Texts.emplace_back(S.RowView(R));
        Snap.Attrs.push_back(S.GetRowAttribute(R));
    }
    return Snap;
}

// Checks the structural invariants of the rows; returns "" or what is wrong.
inline std::string CheckRows(TEditorScreenStrings& S, TFountain* Fountain) {
    std::ostringstream Err;
    const int N = S.GetCount();
    TRowMarks Union = 0;
    int DigitRows[10] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    TEditorWrapOption& W = *S.GetWrapOption();
    const TColumnParams P = S.ColumnParams();
    for (int R = 0; R < N; ++R) {
        const TRowAttribute A = S.GetRowAttribute(R);
        if (A == raEof && R != N - 1) Err << "raEof row " << R << " is not last; ";
        if (A == raWrapped && R == N - 1) Err << "last row " << R << " is raWrapped; ";
        if (A == raInvalid) Err << "row " << R << " is raInvalid; ";
        const TRowMarks M = S.GetRowMarks(R);
        Union |= M;
        for (int D = 0; D < 10; ++D)
            if (M & (1u << D)) {
                if (DigitRows[D] >= 0)
                    Err << "mark " << D << " on rows " << DigitRows[D] << " and " << R << "; ";
                DigitRows[D] = R;
            }
        if (S.GetWordWrap()) {
            const int Width = DisplayWidth(S.RowView(R), P);
            const int Limit = W.GetWrapByte() + (W.GetFollowPunctuation() ? 2 : 0);
            if (Width > Limit) Err << "row " << R << " is " << Width << " columns wide; ";
            if (S.RowLength(R) == 0) {
                if (A == raWrapped) Err << "empty raWrapped row " << R << "; ";
                if (R > 0 && S.GetRowAttribute(R - 1) == raWrapped && W.GetFollowRetMark())
                    Err << "empty row " << R << " after a full row with FollowRetMark; ";
            }
        } else if (A == raWrapped) {
            Err << "raWrapped row " << R << " without word wrap; ";
        }
    }
    // Rows of a line end on character boundaries.
    for (int R = 0; R < N;) {
        const int E = S.LineEndRow(R);
        std::string Line;
        std::vector<size_t> Ends;
        for (int I = R; I <= E; ++I) {
            Line.append(S.RowView(I));
            Ends.push_back(Line.size());
        }
        size_t Pos = 0, K = 0;
        while (Pos < Line.size() && K < Ends.size()) {
            Pos += static_cast<size_t>(CharLengthAt(Line, Pos));
            while (K < Ends.size() && Ends[K] < Pos) {
                Err << "row " << (R + static_cast<int>(K)) << " splits a character; ";
                ++K;
            }
            while (K < Ends.size() && Ends[K] == Pos) ++K;
        }
        R = E + 1;
    }
    if (Union != S.MarksInUse()) Err << "MarksInUse " << S.MarksInUse() << " != union " << Union << "; ";
    // Every scanned row holds the state that a full scan from row 0 gives it.
    if (Fountain != nullptr) {
        auto Parser = Fountain->CreateParser();
        TRowAttributeData D;
        for (int R = 0; R < N; ++R) {
            if (S.GetBracketIndex(R) != -2 && !S.RowStateEquals(R, D)) {
                Err << "row " << R << " has a stale colouring state; ";
                break;
            }
            D.RowAttribute = S.GetRowAttribute(R);
            Parser->ScanRow(R, &S, D);
            D.PrevRowAttribute = S.GetRowAttribute(R);
        }
    }
    return Err.str();
}

// Puts digit mark Digit on row Row only, or a picture mark (Digit 10..15) on Row too.
inline void PlaceMark(TEditorScreenStrings& S, int Digit, int Row) {
    const TRowMarks Bit = static_cast<TRowMarks>(1u << Digit);
    if (Digit < 10)
        for (int R = 0; R < S.GetCount(); ++R)
            S.SetRowMarks(R, S.GetRowMarks(R) & static_cast<TRowMarks>(~Bit));
    S.SetRowMarks(Row, S.GetRowMarks(Row) | Bit);
    S.IncludeMarks(Bit);
}

// Replaces the rows by the lines of Text (CR LF line breaks) as a loaded text holds them:
// slices of Blocks shared blocks, the lines of each block consecutive, the line breaks left
// in the blocks between the slices. Wrapped and scanned as after a load.
template <class R> void LoadAsSlices(TEditorScreenStrings& S, const std::string& Text, R& Rand, int Blocks) {
    S.Clear();
    std::vector<size_t> Starts; // line starts; a line ends 2 bytes before the next start
    size_t At = 0;
    while (At < Text.size()) {
        Starts.push_back(At);
        const size_t Break = Text.find("\r\n", At);
        At = Break == std::string::npos ? Text.size() + 2 : Break + 2;
    }
    const size_t Lines = Starts.size();
    Starts.push_back(At);
    std::vector<size_t> Cuts{0};
    for (int B = 1; B < Blocks; ++B) Cuts.push_back(Rand.Next(static_cast<unsigned>(Lines) + 1));
    Cuts.push_back(Lines);
    std::sort(Cuts.begin(), Cuts.end());
    for (size_t B = 0; B + 1 < Cuts.size(); ++B) {
        if (Cuts[B] == Cuts[B + 1]) continue;
        const size_t From = Starts[Cuts[B]];
        const size_t To = std::min(Starts[Cuts[B + 1]], Text.size());
        char* Bytes = nullptr;
        const TRowString Block = TRowString::NewBlock(To - From + 1, Bytes);
        std::memcpy(Bytes, Text.data() + From, To - From);
        std::vector<uint32_t> Bounds;
        for (size_t L = Cuts[B]; L < Cuts[B + 1]; ++L) {
            Bounds.push_back(static_cast<uint32_t>(Starts[L] - From));
            Bounds.push_back(static_cast<uint32_t>(Starts[L + 1] - 2 - Starts[L]));
        }
        S.AddSlices(Block, Bounds.data(), static_cast<int>(Bounds.size() / 2));
    }
    const bool EndsWithBreak = Text.size() >= 2 && Text.compare(Text.size() - 2, 2, "\r\n") == 0;
    if (Lines > 0 && !EndsWithBreak) S.SetRowAttribute(S.GetCount() - 1, raEof);
    if (S.GetWordWrap()) S.WrapAll();
    S.ScanAll();
}

// Random edits against a plain string reference: every step is checked, and at the end of
// each segment every step is undone and redone, comparing text and rows with what was
// recorded. Next(Bound) gives a number in [0, Bound); Exhausted() ends the run early.
class TExerciser {
public:
    TExerciser() {
        A.Editor.Fountain = Scheme;
        A.S->GetUndoObj()->SetUndoListMax(1 << 20);
        const char* Pieces[] = {"a",  "b",    "xyz", "word ", "  ",
                                ",",  ".",    "\t",  "あ",    "漢字",
                                "、", "。",   "「",  "」",    "（",
                                "）", "ー",   "/*",  "*/",    "{",
                                "}",  "\r\n", "\r",  "\n",    "abcdefghijklmnopqrstuvwxyz0123456789",
                                "ｱｲｳ"};
        for (const char* P : Pieces) FPieces.push_back(cp932::Literal(P));
    }

    template <class R> std::string RandomText(R& Rand, int MaxPieces) {
        std::string T;
        const int Count = static_cast<int>(Rand.Next(static_cast<unsigned>(MaxPieces) + 1));
        for (int I = 0; I < Count; ++I) T += FPieces[Rand.Next(static_cast<unsigned>(FPieces.size()))];
        return T;
    }

    // Runs one segment of Steps edits with random wrap settings; "" or the first failure.
    template <class R> std::string Segment(R& Rand, int Steps) {
        TEditorScreenStrings& S = *A.S;
        TEditorWrapOption& W = *S.GetWrapOption();
        if (Rand.Next(16) == 0) {
            S.Clear();
            Ref.clear();
        }
        W.SetWrapByte(20 + static_cast<int>(Rand.Next(41)));
        W.SetFollowRetMark(Rand.Next(2) == 1);
        W.SetFollowPunctuation(Rand.Next(2) == 1);
        W.SetLeading(Rand.Next(2) == 1);
        W.SetWordBreak(Rand.Next(2) == 1);
        S.SetWordWrap(Rand.Next(3) != 0);
        A.Editor.TabSpaceCount = 4; // the rows are wrapped with the tab width they were made with
        if (Slices) LoadAsSlices(S, Ref, Rand, 1 + static_cast<int>(Rand.Next(3)));
        S.GetUndoObj()->Clear();    // unchanged settings leave the lists of the last segment
        if (std::string E = Check("after the settings"); !E.empty()) return E;

        std::vector<std::string> History{Ref};
        std::vector<TRowSnapshot> Snaps{Snapshot(S)};
        for (int Step = 0; Step < Steps && !Rand.Exhausted(); ++Step) {
            const unsigned Op = Rand.Next(10);
            const int N = S.GetCount();
            if (Op == 8 && N > 0) {
                PlaceMark(S, static_cast<int>(Rand.Next(16)),
                          static_cast<int>(Rand.Next(static_cast<unsigned>(N))));
                continue;
            }
            if (Op == 9) {
                A.Editor.Col = static_cast<int>(Rand.Next(3));
                continue;
            }
            const int Index = static_cast<int>(Rand.Next(static_cast<unsigned>(N) + 1));
            const int Room = std::min(N - Index, Ref.size() > 3000 ? 12 : 4);
            const int Count = static_cast<int>(Rand.Next(static_cast<unsigned>(Room) + 1));
            const std::string T = RandomText(Rand, Ref.size() > 3000 ? 1 : 6);
            const bool Acts = ReferenceReplace(S, Ref, Index, Count, T);
            std::ostringstream Where;
            Where << "ReplaceRows(" << Index << ", " << Count << ", \"" << T << "\") on rows";
            for (int Row = 0; Row < N && Row < 12; ++Row)
                Where << " [" << S.RowView(Row) << "|" << static_cast<int>(S.GetRowAttribute(Row)) << "]";
            S.ReplaceRows(Index, Count, T);
            if (Jumps) S.UpdateRowAttributes(static_cast<int>(Rand.Next(static_cast<unsigned>(S.GetCount()))), false);
            if (std::string E = Check(Where.str()); !E.empty()) return E;
            if (Acts) {
                History.push_back(Ref);
                Snaps.push_back(Snapshot(S));
            }
        }
        // Undo every step, then redo every step.
        for (size_t K = History.size() - 1; K > 0; --K) {
            if (!S.GetUndoObj()->CanUndo()) return "undo list ran out";
            S.Undo();
            Ref = History[K - 1];
            if (std::string E = Check("undo"); !E.empty()) return E;
            if (!(Snapshot(S) == Snaps[K - 1]))
                return "rows after undo differ from before the step" + Settings();
        }
        if (S.GetUndoObj()->CanUndo()) return "undo list holds more steps than were made";
        for (size_t K = 1; K < History.size(); ++K) {
            if (!S.GetUndoObj()->CanRedo()) return "redo list ran out";
            S.Redo();
            Ref = History[K];
            if (std::string E = Check("redo"); !E.empty()) return E;
            if (!(Snapshot(S) == Snaps[K])) return "rows after redo differ from after the step" + Settings();
        }
        return {};
    }

    std::string Settings() {
        TEditorWrapOption& W = *A.S->GetWrapOption();
        std::ostringstream O;
        O << " (wrap " << A.S->GetWordWrap() << ", byte " << W.GetWrapByte() << ", retmark "
          << W.GetFollowRetMark() << ", punct " << W.GetFollowPunctuation() << ", leading " << W.GetLeading()
          << ", wordbreak " << W.GetWordBreak() << ")";
        return O.str();
    }

    std::string Check(const std::string& Where) {
        std::string E;
        if (const std::string T = Text(*A.S); T != Ref)
            E = "text differs from the reference: \"" + T.substr(0, 200) + "\" != \"" + Ref.substr(0, 200) +
                "\"" + Settings() + "; ";
        E += CheckRows(*A.S, Scheme);
        if (!E.empty()) E = Where + ": " + E;
        return E;
    }

    // Colours with Scheme (the bracket scheme unless UseScheme chose another).
    void UseScheme(TFountain* F) {
        Scheme = F;
        A.Editor.Fountain = F;
    }

    TTestFountain Fountain;
    TFountain* Scheme = &Fountain;
    TAttached A;
    std::string Ref;
    // Each segment starts from the text reloaded as slices of shared blocks (LoadAsSlices).
    bool Slices = false;
    // After every edit a row somewhere has its colouring state asked for, as a paint after a
    // jump does.
    bool Jumps = false;

private:
    std::vector<std::string> FPieces;
};

} // namespace screen_test
