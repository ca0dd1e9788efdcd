// The editor's Lines: line-indexed reads and writes, text and file loading, streaming.
#include "editor/model/editor_strings.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The first byte in [P, P + N) that is Low or High, or N; sixteen bytes a step.
size_t FindEither(const char* P, size_t N, char Low, char High) {
    size_t I = 0;
#if defined(__SSE2__)
    const __m128i A = _mm_set1_epi8(Low);
    const __m128i B = _mm_set1_epi8(High);
    for (; I + 16 <= N; I += 16) {
        const __m128i V = _mm_loadu_si128(reinterpret_cast<const __m128i*>(P + I));
        const int Mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(V, A), _mm_cmpeq_epi8(V, B)));
        if (Mask != 0) return I + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(Mask)));
    }
#endif
    for (; I < N; ++I)
        if (P[I] == Low || P[I] == High) return I;
    return N;
}

// Reads a file the way LoadFromFile keeps it, in a few large blocks (up to LoadChunkBytes of the
// file each) and hands out its lines as slices of them. The file is taken in blocks of
// BlockSize bytes: a Ctrl-Z ends the file, a NUL ends its block (the bytes after it up to
// the block's end are skipped, a Ctrl-Z among them does not count); the kept bytes of all
// blocks are joined and split at CR LF, lone CR and lone LF, so a CR that closes one block
// pairs with an LF that opens the next. The unfinished line at the end of a large block
// (and a CR there, whose partner may follow) is copied to the start of the next one.
class TLineSplitter {
public:
    explicit TLineSplitter(TStream& Stream)
        : FStream(Stream), FSize(Stream.GetSize() - Stream.GetPosition()) {}

    // Reads the next large block and calls OnLine(Block, Offset, Length) for every line
    // that ends in it. Returns false when the file is done; then OnLine got the last line
    // without a line break too, with Unterminated set. A file that yields fewer bytes than
    // its size (a read failure, which the stream reports as a short count) raises EReadError.
    template <class TOnLine> bool Next(TOnLine&& OnLine) {
        const int64_t Remaining = FSize - FTotal;
        int64_t Request = Remaining > 0 ? std::min(Remaining + 1, TEditorStrings::LoadChunkBytes) : int64_t{1} << 16;
        const auto Limit = static_cast<int64_t>(TRowString::MaxBlockBytes) - static_cast<int64_t>(FCarry.size());
        if (Request > Limit) Request = Limit;
        if (Request <= 0) throw std::length_error("line too long");
        char* Bytes = nullptr;
        TRowString Block = TRowString::NewBlock(FCarry.size() + static_cast<size_t>(Request), Bytes);
        std::memcpy(Bytes, FCarry.data(), FCarry.size());
        char* const Source = Bytes + FCarry.size();
        const auto Got = static_cast<size_t>(FStream.Read(Source, Request));
        const int64_t Offset = FTotal;
        FTotal += static_cast<int64_t>(Got);

        // Keep each file block's bytes up to its first NUL or Ctrl-Z, moved together.
        size_t Kept = FCarry.size();
        for (size_t In = 0; In < Got && !FEof;) {
            const auto InBlock = static_cast<size_t>((Offset + static_cast<int64_t>(In)) % TEditorStrings::BlockSize);
            const size_t End = std::min(Got, In + (TEditorStrings::BlockSize - InBlock));
            const bool BlockEnds = (End - In) + InBlock == static_cast<size_t>(TEditorStrings::BlockSize);
            if (!FSkipping) {
                const size_t Hit = FindEither(Source + In, End - In, '\0', '\x1A');
                if (Bytes + Kept != Source + In) std::memmove(Bytes + Kept, Source + In, Hit);
                Kept += Hit;
                if (Hit < End - In) {
                    if (Source[In + Hit] == '\x1A')
                        FEof = true;
                    else
                        FSkipping = true;
                }
            }
            if (BlockEnds) FSkipping = false;
            In = End;
        }
        const bool Final = FEof || static_cast<int64_t>(Got) < Request;
        if (Final && !FEof && FTotal < FSize) throw EReadError(StreamReadMessage());

        size_t Start = 0;
        for (size_t I = 0;;) {
            const size_t At = I + FindEither(Bytes + I, Kept - I, '\r', '\n');
            if (At == Kept) break;
            if (Bytes[At] == '\r' && At + 1 == Kept && !Final) break; // its LF may follow
            OnLine(Block, Start, At - Start, false);
            I = At + 1;
            if (Bytes[At] == '\r' && I < Kept && Bytes[I] == '\n') ++I;
            Start = I;
        }
        FCarry.assign(Bytes + Start, Kept - Start);
        if (!Final) return true;
        if (!FCarry.empty()) OnLine(Block, Start, FCarry.size(), true);
        return false;
    }

private:
    TStream& FStream;
    const int64_t FSize;
    int64_t FTotal = 0;
    bool FEof = false;
    bool FSkipping = false; // the rest of the current file block follows a NUL
    std::string FCarry;
};

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
    TLineSplitter Splitter(Stream);
    // The rows are added in batches, each batch a slice list of one block.
    std::vector<uint32_t> Bounds;
    constexpr size_t Batch = 4096;
    Bounds.reserve(2 * Batch);
    TRowString BatchBlock;
    auto Flush = [&] {
        if (!Bounds.empty()) L.AppendSlices(BatchBlock, Bounds.data(), static_cast<int>(Bounds.size() / 2));
        Bounds.clear();
    };
    bool Unterminated = false;
    try {
        bool More = true;
        while (More) {
            More = Splitter.Next([&](const TRowString& Block, size_t Offset, size_t Length, bool Last) {
                if (!Block.SharesWith(BatchBlock)) {
                    Flush();
                    BatchBlock = Block;
                }
                Bounds.push_back(static_cast<uint32_t>(Offset));
                Bounds.push_back(static_cast<uint32_t>(Length));
                if (Bounds.size() >= 2 * Batch) Flush();
                Unterminated = Last;
            });
        }
        Flush();
    } catch (...) {
        Clear();
        throw;
    }
    // The rows came wrapped (AppendSlices).
    if (Unterminated) L.SetRowAttribute(L.GetCount() - 1, raEof);
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
