// The editor's Lines: line-indexed reads and writes, text and file loading, streaming.
#include "editor/model/editor_strings.h"

#include <cstring>
#include <string_view>

#include "editor/model/screen_strings.h"
#include "platform/filer.h"
#include "platform/streams.h"

namespace {

const std::string kCrlf = "\r\n";

// Pairs BeginCaretUpdate with EndCaretUpdate on every path.
class TCaretUpdateGuard {
public:
    explicit TCaretUpdateGuard(TEditorStringsHost* Editor) : FEditor(Editor) { FEditor->BeginCaretUpdate(); }
    ~TCaretUpdateGuard() { FEditor->EndCaretUpdate(); }
    TCaretUpdateGuard(const TCaretUpdateGuard&) = delete;
    TCaretUpdateGuard& operator=(const TCaretUpdateGuard&) = delete;

private:
    TEditorStringsHost* FEditor;
};

// The first C in [From, End), or End.
const char* Find(const char* From, const char* End, char C) {
    const void* Hit = std::memchr(From, C, static_cast<size_t>(End - From));
    return Hit != nullptr ? static_cast<const char*>(Hit) : End;
}

// Splits a file into lines the way LoadFromFile reads it: blocks of BlockSize bytes, a
// Ctrl-Z ends the file, a NUL ends its block, CR LF / lone CR / lone LF end a line, and a
// CR that closes one block pairs with an LF that opens the next. OnLine(view) gets each
// complete line; a line that lies inside one block is a view into the block buffer, only
// a line that crosses a block border is joined in a carry string. The text read is thus
// the concatenation of what each block keeps, split at its line ends. With Collect false the
// bytes are not kept at all (the counting pass). Returns whether text follows the last
// line end; its bytes are then in Tail. A file that yields fewer bytes than its size
// (a read failure, which the stream reports as a short count) raises EReadError.
template <bool Collect, class TOnLine>
bool ScanLines(TStream& Stream, char* Buffer, std::string& Tail, TOnLine&& OnLine) {
    Tail.clear();
    const int64_t Size = Stream.GetSize() - Stream.GetPosition();
    int64_t Total = 0;
    bool Pending = false; // bytes of an unfinished line came before this block
    bool PendingCr = false;
    bool Eof = false;
    while (!Eof) {
        int64_t N = Stream.Read(Buffer, TEditorStrings::BlockSize);
        if (N <= 0) {
            if (Total < Size) throw EReadError(StreamReadMessage());
            break;
        }
        Total += N;
        if (const void* Z = std::memchr(Buffer, 0x1A, static_cast<size_t>(N))) {
            N = static_cast<const char*>(Z) - Buffer;
            Eof = true;
        }
        if (const void* Nul = std::memchr(Buffer, 0, static_cast<size_t>(N))) {
            // The bytes after a NUL up to the end of the block are skipped (a Ctrl-Z
            // among them does not count).
            N = static_cast<const char*>(Nul) - Buffer;
            Eof = false;
        }
        Buffer[N] = '\0';
        const char* P = Buffer;
        const char* End = Buffer + N;
        // A block that a NUL left empty does not break the pair.
        if (PendingCr && P < End) {
            PendingCr = false;
            if (*P == '\n') ++P;
        }
        const char* Start = P;
        // The next CR and the next LF at or after P (End when there is none), each found
        // with memchr and kept until P passes it.
        const char* NextCr = Find(P, End, '\r');
        const char* NextLf = Find(P, End, '\n');
        for (;;) {
            P = NextCr < NextLf ? NextCr : NextLf;
            if (P == End) break;
            const char C = *P;
            const std::string_view Piece(Start, static_cast<size_t>(P - Start));
            if (Pending) {
                if constexpr (Collect) {
                    Tail.append(Piece);
                    OnLine(std::string_view(Tail));
                    Tail.clear();
                } else {
                    OnLine(Piece);
                }
                Pending = false;
            } else {
                OnLine(Piece);
            }
            ++P;
            if (C == '\r') {
                if (P < End) {
                    if (*P == '\n') ++P;
                } else {
                    PendingCr = true;
                }
            }
            Start = P;
            if (NextCr < P) NextCr = Find(P, End, '\r');
            if (NextLf < P) NextLf = Find(P, End, '\n');
        }
        if (Start < End) {
            if constexpr (Collect) Tail.append(Start, static_cast<size_t>(End - Start));
            Pending = true;
        }
    }
    return Pending;
}

} // namespace

TEditorScreenStrings& TEditorStrings::List() const {
    return *FEditor->GetScreenStrings();
}

bool TEditorStrings::WordWrap() const {
    return List().GetWordWrap();
}

int TEditorStrings::LineToRow(int Index) const {
    if (!WordWrap()) return Index;
    if (Index < 0) Error();
    const TEditorScreenStrings& L = List();
    const int Rows = L.GetCount();
    int Lines = 0;
    for (int R = 0; R < Rows; ++R) {
        if (Lines == Index) return R;
        if (R == Rows - 1 || L.GetRowAttribute(R) != raWrapped) ++Lines;
    }
    if (Lines == Index) return Rows;
    Error();
}

int TEditorStrings::GetCount() const {
    const TEditorScreenStrings& L = List();
    const int Rows = L.GetCount();
    if (!WordWrap()) return Rows;
    int Lines = 0;
    for (int R = 0; R < Rows; ++R)
        if (R == Rows - 1 || L.GetRowAttribute(R) != raWrapped) ++Lines;
    return Lines;
}

std::string TEditorStrings::Get(int Index) const {
    const TEditorScreenStrings& L = List();
    if (!WordWrap()) return L.Get(Index);
    const int R = LineToRow(Index);
    std::string S;
    for (int I = R; I < L.GetCount(); ++I) {
        S.append(L.RowView(I));
        if (L.GetRowAttribute(I) != raWrapped) break;
    }
    return S;
}

std::string TEditorStrings::GetTextStr() const {
    const TEditorScreenStrings& L = List();
    const int Rows = L.GetCount();
    size_t Size = 0;
    for (int R = 0; R < Rows; ++R) Size += static_cast<size_t>(L.RowLength(R)) + 2;
    std::string S;
    S.reserve(Size);
    for (int R = 0; R < Rows; ++R) {
        S.append(L.RowView(R));
        if (L.GetRowAttribute(R) == raCrlf) S.append(kCrlf);
    }
    return S;
}

void TEditorStrings::Put(int Index, const std::string& S) {
    TEditorScreenStrings& L = List();
    const int R = LineToRow(Index);
    if (R < 0 || R >= L.GetCount()) Error();
    FEditor->CancelSelection();
    const int E = L.LineEndRow(R);
    std::string T = S;
    if (L.GetRowAttribute(E) == raCrlf) T.append(kCrlf);
    TCaretUpdateGuard Guard(FEditor);
    L.ReplaceRows(R, E - R + 1, T);
    FEditor->SetCaretOffset(R, static_cast<int>(T.size()));
}

void TEditorStrings::Insert(int Index, const std::string& S) {
    TEditorScreenStrings& L = List();
    const int R = LineToRow(Index);
    if (R == L.GetCount()) {
        Add(S);
        return;
    }
    if (R < 0 || R > L.GetCount()) Error();
    FEditor->CancelSelection();
    TCaretUpdateGuard Guard(FEditor);
    L.ReplaceRows(R, 0, S + kCrlf);
    FEditor->SetCaretOffset(R, static_cast<int>(S.size()) + 2);
}

int TEditorStrings::Add(const std::string& S) {
    TEditorScreenStrings& L = List();
    const int Result = GetCount();
    FEditor->CancelSelection();
    TCaretUpdateGuard Guard(FEditor);
    const int Rows = L.GetCount();
    int At;
    std::string T;
    if (Rows > 0 && L.GetRowAttribute(Rows - 1) != raCrlf) {
        At = Rows - 1;
        T.reserve(static_cast<size_t>(L.RowLength(At)) + 2 + S.size());
        T.append(L.RowView(At)).append(kCrlf).append(S);
        L.ReplaceRows(At, 1, T);
    } else {
        At = Rows;
        T = S + kCrlf;
        L.ReplaceRows(At, 0, T);
    }
    FEditor->SetCaretOffset(At, static_cast<int>(T.size()));
    return Result;
}

void TEditorStrings::Delete(int Index) {
    TEditorScreenStrings& L = List();
    const int R = LineToRow(Index);
    if (R < 0 || R >= L.GetCount()) Error();
    FEditor->CancelSelection();
    TCaretUpdateGuard Guard(FEditor);
    L.ReplaceRows(R, L.LineEndRow(R) - L.LineStartRow(R) + 1, std::string());
    FEditor->SetCaretOffset(R, 0);
}

void TEditorStrings::Clear() {
    List().Clear();
}

void TEditorStrings::SetTextStr(const std::string& Value) {
    TStringsUpdateGuard Update(*this);
    Clear();
    TEditorScreenStrings& L = List();
    L.SetTextStr(Value);
    // The text ends at a NUL; whether it ended with a line break is decided there.
    const std::string_view Text(Value.c_str());
    if (!Text.empty() && Text.back() != '\n' && Text.back() != '\r' && L.GetCount() > 0)
        L.SetRowAttribute(L.GetCount() - 1, raEof);
    if (L.GetWordWrap()) L.WrapAll();
    L.ScanAll();
}

void TEditorStrings::Assign(TPersistent* Source) {
    if (auto* Strings = dynamic_cast<TStrings*>(Source)) {
        SetTextStr(Strings->GetTextStr());
        FEditor->SetRow(List().GetCount());
        FEditor->SetCol(0);
        return;
    }
    TStrings::Assign(Source);
}

void TEditorStrings::LoadFromFile(const std::string& FileName) {
    TStringsUpdateGuard Update(*this);
    Clear();
    TFileStream Stream(FileName, fmOpenRead);
    TEditorScreenStrings& L = List();
    // One byte more than a block for the terminating NUL.
    std::string Buffer(BlockSize + 1, '\0');
    std::string Tail;

    int Lines = 0;
    if (ScanLines<false>(Stream, Buffer.data(), Tail, [&](std::string_view) { ++Lines; })) ++Lines;
    if (Lines > 0) L.InsertEmptyRows(0, Lines);

    Stream.SetPosition(0);
    int Row = 0;
    // The file may change between the passes: rows are added or dropped to match.
    auto PutLine = [&](std::string_view Line) {
        if (Row < L.GetCount())
            L.PutRow(Row, Line);
        else
            L.AddRow(Line);
        ++Row;
    };
    if (ScanLines<true>(Stream, Buffer.data(), Tail, PutLine)) {
        PutLine(Tail);
        L.SetRowAttribute(Row - 1, raEof);
    }
    if (Row < L.GetCount()) L.DeleteRange(Row, L.GetCount() - Row);
    if (L.GetWordWrap()) L.WrapAll();
    L.ScanAll();
    L.RefreshViews();
}

void TEditorStrings::SetUpdateState(bool Updating) {
    TEditorScreenStrings& L = List();
    const bool Showing = FEditor->IsShowing();
    if (Showing) FEditor->SetRedraw(false);
    if (Updating) {
        ++FUpdateCount;
        L.BeginUpdate();
        FEditor->BeginCaretUpdate();
        FEditor->HideUnderline();
        FEditor->SetSettingRowCol(true);
    } else {
        --FUpdateCount;
        L.EndUpdate();
        FEditor->ShowUnderline();
        FEditor->EndCaretUpdate();
        FEditor->SetSettingRowCol(false);
        FEditor->UpdateCaret();
    }
    if (Showing) {
        FEditor->SetRedraw(true);
        if (!Updating) L.RefreshViews();
    }
}

bool TEditorStrings::StoresStrings(TPersistent* Ancestor) const {
    if (Ancestor == nullptr) return GetCount() > 0;
    if (auto* Strings = dynamic_cast<TStrings*>(Ancestor)) return !Equals(Strings);
    return true;
}

void TEditorStrings::WriteStrings(TWriter& Writer) const {
    const TEditorScreenStrings& L = List();
    const int Rows = L.GetCount();
    Writer.WriteListBegin();
    std::string Line;
    for (int R = 0; R < Rows; ++R) {
        if (L.GetRowAttribute(R) == raWrapped && R < Rows - 1) {
            Line.append(L.RowView(R));
            continue;
        }
        if (Line.empty()) {
            Writer.WriteListEntry(L.RowView(R));
        } else {
            Line.append(L.RowView(R));
            Writer.WriteListEntry(Line);
            Line.clear();
        }
    }
    Writer.WriteListEnd();
}

void TEditorStrings::ReadStrings(TReader& Reader) {
    TStringsUpdateGuard Update(*this);
    Clear();
    TEditorScreenStrings& L = List();
    Reader.ReadListBegin();
    while (!Reader.EndOfList()) {
        const std::string S = Reader.ReadString();
        // A row holds no line-break bytes: a damaged or foreign stream with CR or LF in
        // an entry gets one row per line of it.
        if (S.find_first_of("\r\n") == std::string::npos) {
            L.AddRow(S);
            continue;
        }
        size_t Start = 0;
        for (size_t I = 0; I <= S.size(); ++I) {
            if (I < S.size() && S[I] != '\r' && S[I] != '\n') continue;
            L.AddRow(std::string_view(S).substr(Start, I - Start));
            if (I + 1 < S.size() && S[I] == '\r' && S[I + 1] == '\n') ++I;
            Start = I + 1;
            if (Start == S.size()) break; // a break at the end adds no empty row
        }
    }
    Reader.ReadListEnd();
}
