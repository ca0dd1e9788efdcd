// The screen rows of an editor: replacing rows, marks, wrapping, the colouring scan.
#include "editor/model/screen_strings.h"

#include <sys/mman.h>

#include <algorithm>
#include <new>
#include <utility>

#include "editor/colouring/fountain.h"
#include "editor/colouring/fountain_parser.h"

// Marks the structural changes that this class makes itself (and keeps its scan bound for).
class TEditorScreenStrings::TOwnChange {
public:
    explicit TOwnChange(TEditorScreenStrings& S) : FS(S) { ++FS.FOwnChange; }
    ~TOwnChange() { --FS.FOwnChange; }
    TOwnChange(const TOwnChange&) = delete;
    TOwnChange& operator=(const TOwnChange&) = delete;

private:
    TEditorScreenStrings& FS;
};

// Disconnects the change event for a scope.
class TEditorScreenStrings::TDisconnect {
public:
    explicit TDisconnect(TEditorScreenStrings& S) : FS(S), FSaved(S.OnChange) {
        FS.OnChange = TNotifyEvent();
    }
    ~TDisconnect() { FS.OnChange = FSaved; }
    TDisconnect(const TDisconnect&) = delete;
    TDisconnect& operator=(const TDisconnect&) = delete;

private:
    TEditorScreenStrings& FS;
    TNotifyEvent FSaved;
};

namespace {

// A temporary row list that can hand its row array to another row list: rows built aside
// then become the list's rows without a copy per row.
class TRowArrayList : public TEditorStringList {
public:
    // Swaps the text of row Index with S; no count changes, nothing allocated.
    void SwapRowString(int Index, TRowString& S) noexcept { FList[Index].FString.Swap(S); }
    // Appends a row of text S and attribute Attribute, without events (the list is private
    // to the rebuild that fills it).
    void Push(TRowString S, TRowAttribute Attribute) {
        if (FCount == FCapacity) {
            if (FCount == INT_MAX) throw std::bad_alloc();
            SetCapacity(static_cast<int>(std::min<long long>(INT_MAX, FCapacity + FCapacity / 4 + 16LL)));
        }
        TRowStringItem* Row = new (&FList[FCount]) TRowStringItem();
        Row->FString = std::move(S);
        Row->FAttributes = Attribute; // a new row's other fields are zero
        ++FCount;
    }
};

// Asks for huge pages for the whole 2 MiB pages inside Size bytes at Memory that nothing has
// touched yet and that will all be written: a page fault costs as much as zeroing a large
// stretch, so a few large pages are much cheaper than thousands of small ones. Advice only.
void AdviseHugePages([[maybe_unused]] void* Memory, [[maybe_unused]] size_t Size) noexcept {
#if defined(MADV_HUGEPAGE)
    constexpr uintptr_t HugePage = uintptr_t{2} << 20;
    const auto Begin = reinterpret_cast<uintptr_t>(Memory);
    const uintptr_t First = (Begin + HugePage - 1) & ~(HugePage - 1);
    const uintptr_t Last = (Begin + Size) & ~(HugePage - 1);
    if (Last > First) madvise(reinterpret_cast<void*>(First), Last - First, MADV_HUGEPAGE);
#endif
}

bool EndsWithLineBreak(std::string_view S) {
    return !S.empty() && (S.back() == '\n' || S.back() == '\r');
}

} // namespace

TEditorScreenStrings::TEditorScreenStrings() {
    OnChange = TNotifyEvent::Of<&TEditorScreenStrings::EditorsChange>(this);
}

TEditorScreenStrings::~TEditorScreenStrings() {
    OnChange = TNotifyEvent();
    OnChanging = TNotifyEvent();
    if (FWrapOption) FWrapOption->OnChange = TNotifyEvent();
}

void TEditorScreenStrings::EnsureParts() {
    if (!FUndoObj) FUndoObj = CreateUndoObj();
    if (!FWrapOption) {
        FWrapOption = CreateWrapOption();
        FWrapOption->OnChange = TNotifyEvent::Of<&TEditorScreenStrings::WrapOptionChanged>(this);
        FWrapper.SetWrapOption(FWrapOption.get());
    }
}

std::unique_ptr<TEditorUndoObj> TEditorScreenStrings::CreateUndoObj() {
    return std::make_unique<TEditorUndoObj>(this);
}

std::unique_ptr<TEditorWrapOption> TEditorScreenStrings::CreateWrapOption() {
    return std::make_unique<TEditorWrapOption>();
}

TEditorUndoObj* TEditorScreenStrings::GetUndoObj() {
    EnsureParts();
    return FUndoObj.get();
}

TEditorWrapOption* TEditorScreenStrings::GetWrapOption() {
    EnsureParts();
    return FWrapOption.get();
}

// ---- editors -----------------------------------------------------------------------------

void TEditorScreenStrings::AddEditor(TEditorClient* Editor) {
    if (Editor != nullptr) FEditors.push_back(Editor);
}

void TEditorScreenStrings::RemoveEditor(TEditorClient* Editor) {
    auto It = std::find(FEditors.begin(), FEditors.end(), Editor);
    if (It == FEditors.end()) return;
    FEditors.erase(It);
    if (FEditors.empty()) delete this;
}

void TEditorScreenStrings::Free() {
    if (FEditors.empty()) delete this;
}

TEditorClient* TEditorScreenStrings::GetEditor(int Index) const {
    if (Index < 0 || Index >= GetEditorCount()) TList::Error();
    return FEditors[static_cast<size_t>(Index)];
}

TEditorClient* TEditorScreenStrings::ActiveEditor() const {
    for (TEditorClient* E : FEditors)
        if (E->Focused()) return E;
    return OwnerEditor();
}

void TEditorScreenStrings::EditorsChange(TObject*) {
    // A copy: an editor may attach or detach another one while it repaints.
    std::vector<TEditorClient*> Editors(FEditors);
    for (TEditorClient* E : Editors) E->DoChange();
}

void TEditorScreenStrings::CancelSelections() {
    for (TEditorClient* E : FEditors)
        if (E->HasSelection()) E->CancelSelection();
}

void TEditorScreenStrings::RowsReplacing(int Index, int Count) {
    for (TEditorClient* E : FEditors) E->RowsReplacing(Index, Count);
}

void TEditorScreenStrings::ClampEditors() {
    const int Last = LastCaretRow();
    for (TEditorClient* E : FEditors) {
        if (E->GetRow() > Last) E->SetRow(Last);
        if (E->GetTopRow() > Last) E->SetTopRow(Last);
    }
}

void TEditorScreenStrings::RefreshViews() {
    for (TEditorClient* E : FEditors) E->RefreshViewAndCorner();
}

int TEditorScreenStrings::RowsPerScreen() const {
    const TEditorClient* Owner = OwnerEditor();
    if (Owner == nullptr) return 1;
    const int Rows = Owner->GetScreenHeight() / std::max(1, Owner->GetRowHeight());
    return std::max(1, Rows);
}

void TEditorScreenStrings::SyncWrapper() {
    EnsureParts();
    FWrapper.SetWordWrap(FWordWrap);
    if (const TEditorClient* Owner = OwnerEditor()) {
        FWrapper.SetTabSpaceCount(Owner->GetTabSpaceCount());
        FWrapper.SetDelimiters(Owner->GetDelimiters());
    }
}

TColumnParams TEditorScreenStrings::ColumnParams() {
    SyncWrapper();
    return FWrapper.ColumnParams();
}

// ---- update bracket and change tracking --------------------------------------------------

void TEditorScreenStrings::SetUpdateState(bool Updating) {
    TEditorStringList::SetUpdateState(Updating);
    if (!Updating) {
        UpdateInfo = TUpdateInfo();
        ClampEditors();
    }
}

void TEditorScreenStrings::Changing() {
    if (FOwnChange == 0) FScanLimit = INT_MAX;
    TEditorStringList::Changing();
}

void TEditorScreenStrings::AppendSlices(const TRowString& Block, const uint32_t* Bounds, int Count) {
    TOwnChange Own(*this);
    const TEditorClient* Owner = OwnerEditor();
    if (!FWordWrap || (Owner && Owner->IsLoading())) {
        AddSlices(Block, Bounds, Count);
        return;
    }
    // With word wrap on each line is cut as WrapAll cuts it, its rows slices of the block.
    SyncWrapper();
    TEditorWrapper::TCutter Cutter(FWrapper);
    std::vector<uint32_t> Rows;
    std::vector<TRowAttribute> Attributes;
    Rows.reserve(static_cast<size_t>(Count) * 4);
    for (int I = 0; I < Count; ++I) {
        const std::string_view Line(Block.Data() + Bounds[2 * I], Bounds[2 * I + 1]);
        auto Add = [&](std::string_view Row, TRowAttribute Attribute) {
            Rows.push_back(Bounds[2 * I] + static_cast<uint32_t>(Row.data() - Line.data()));
            Rows.push_back(static_cast<uint32_t>(Row.size()));
            Attributes.push_back(Attribute);
        };
        Cutter.Start(Line);
        std::string_view Row;
        TRowAttribute Attribute;
        Cutter.NextRow(Row, Attribute);
        if (Cutter.Done()) {
            Add(Line, raCrlf);
            continue;
        }
        do Add(Row, Attribute);
        while (Cutter.NextRow(Row, Attribute));
    }
    const int First = FCount;
    AddSlices(Block, Rows.data(), static_cast<int>(Attributes.size()));
    for (size_t K = 0; K < Attributes.size(); ++K)
        if (Attributes[K] != raCrlf) SetRowAttribute(First + static_cast<int>(K), Attributes[K]);
}

void TEditorScreenStrings::SetTextStr(const std::string& Value) {
    TOwnChange Own(*this);
    TEditorStringList::SetTextStr(Value);
}

// ---- lines and spans ---------------------------------------------------------------------

int TEditorScreenStrings::LineStartRow(int R) const {
    // R = Count stands for the position after the last row: it starts a line of its own
    // unless the last row is wrapped.
    if (R > FCount) R = FCount;
    if (R <= 0) return R;
    while (R > 0 && GetRowAttribute(R - 1) == raWrapped) --R;
    return R;
}

int TEditorScreenStrings::LineEndRow(int R) const {
    if (R < 0 || R >= FCount) return R;
    while (R < FCount - 1 && GetRowAttribute(R) == raWrapped) ++R;
    return R;
}

int TEditorScreenStrings::LastCaretRow() const {
    if (FCount == 0) return 0;
    return GetRowAttribute(FCount - 1) == raCrlf ? FCount : FCount - 1;
}

void TEditorScreenStrings::AppendRowText(int R, std::string& Text) const {
    Text.append(RowView(R));
    if (GetRowAttribute(R) == raCrlf) Text.append("\r\n");
}

void TEditorScreenStrings::GetRowsText(int Index, int Count, TRowAttribute& LastAttr, int& RowCount,
                                       std::string& Text) const {
    LastAttr = raInvalid;
    RowCount = 0;
    Text.clear();
    if (Index < 0 || Index >= FCount) return;
    if (Count < 0) Count = LineEndRow(Index) - Index + 1;
    Count = std::min(Count, FCount - Index);
    if (Count <= 0) return;
    size_t Size = 0;
    for (int R = Index; R < Index + Count; ++R) Size += static_cast<size_t>(RowLength(R)) + 2;
    Text.reserve(Size);
    for (int R = Index; R < Index + Count; ++R) AppendRowText(R, Text);
    RowCount = Count;
    LastAttr = GetRowAttribute(Index + Count - 1);
}

void TEditorScreenStrings::GetRowShapes(int Index, int Count, std::vector<uint32_t>& Shapes) const {
    Shapes.clear();
    if (Index < 0 || Count <= 0 || Index > FCount - Count) return;
    Shapes.reserve(static_cast<size_t>(Count));
    for (int R = Index; R < Index + Count; ++R)
        Shapes.push_back((static_cast<uint32_t>(RowLength(R)) << 2) | GetRowAttribute(R));
}

// ---- marks and row moves -----------------------------------------------------------------

TRowMarks TEditorScreenStrings::DeleteRows(int Index, int Count) {
    if (Index < 0 || Index >= FCount || Count <= 0) return 0;
    Count = std::min(Count, FCount - Index);
    TStringsUpdateGuard Bracket(*this);
    TOwnChange Own(*this);
    TRowMarks Marks = 0;
    for (int R = Index; R < Index + Count; ++R) Marks |= GetRowMarks(R);
    DeleteRange(Index, Count);
    if (FScanLimit != INT_MAX && FScanLimit > Index) FScanLimit = std::max(Index, FScanLimit - Count);
    return Marks;
}

void TEditorScreenStrings::PutRows(int Index, int Count, const TEditorStringList& List) {
    if (Index < 0 || Count < 0 || Index > FCount - Count) return;
    const int N = List.GetCount();
    TStringsUpdateGuard Bracket(*this);
    TOwnChange Own(*this);
    // The marks of the new rows, decided before the rows move.
    std::vector<TRowMarks> NewMarks(static_cast<size_t>(N), 0);
    if (N < Count) {
        const TRowMarks Deleted = DeleteRows(Index, Count - N);
        for (int I = 0; I < N; ++I) NewMarks[static_cast<size_t>(I)] = GetRowMarks(Index + I);
        if (N > 0)
            NewMarks[0] |= Deleted;
        else
            ExcludeMarks(Deleted);
    } else if (N > Count) {
        const int Extra = N - Count;
        for (int K = 1; K < Count; ++K) NewMarks[static_cast<size_t>(K + Extra)] = GetRowMarks(Index + K);
        if (Count > 0) {
            // Text inserted at the start of a row pushes its mark down with the row.
            const TEditorClient* Active = ActiveEditor();
            const bool AtRowStart = Active == nullptr || Active->GetCol() == 0;
            NewMarks[static_cast<size_t>(AtRowStart ? Extra : 0)] |= GetRowMarks(Index);
        }
        InsertEmptyRows(Index + Count, Extra);
        if (FScanLimit != INT_MAX && FScanLimit > Index + Count) FScanLimit += Extra;
    } else {
        for (int I = 0; I < N; ++I) NewMarks[static_cast<size_t>(I)] = GetRowMarks(Index + I);
    }
    for (int I = 0; I < N; ++I) {
        AssignRow(Index + I, List, I);
        SetRowMarks(Index + I, NewMarks[static_cast<size_t>(I)]);
        if (GetBracketIndex(Index + I) != -2 && FScanLimit < Index + I + 1) FScanLimit = Index + I + 1;
    }
}

// ---- ReplaceRows -------------------------------------------------------------------------

void TEditorScreenStrings::ReplaceRows(int Index, int Count, std::string_view S) {
    if (Index < 0 || Count < 0 || Index + Count > FCount) return;
    if (Count == 0 && S.empty()) return;
    SyncWrapper();

    // The rewrap starts at Index when it begins a line, else at the row before it. The
    // position after a final row without line break (Index = Count) is inside that row's
    // line: text appended there joins it.
    const bool BeginsLine = Index == 0 || GetRowAttribute(Index - 1) == raCrlf;
    const int First = BeginsLine ? Index : Index - 1;
    const int Last = Index + Count - 1;
    int LineEnd = LineEndRow(Last);

    TStringsUpdateGuard Bracket(*this);
    TUndoData* Step = FUndoObj->Add();
    int OldCount = 0, NewCount = 0, Scanned = 0;

    if (First == Index && LineEnd == Last && S.empty() && Count > 0) {
        // Whole lines deleted: the rows before them stay as they are.
        Step->FirstRow = Index;
        GetRowsText(Index, Count, Step->LastAttr, OldCount, Step->Text);
        GetRowShapes(Index, OldCount, Step->Shapes);
        OldCount = Count;
        RowsReplacing(Index, Count);
        const TRowMarks Marks = DeleteRows(Index, Count);
        if (FCount == 0)
            ExcludeMarks(Marks);
        else {
            const int To = std::min(Index, FCount - 1);
            SetRowMarks(To, GetRowMarks(To) | Marks);
        }
        Scanned = UpdateRowAttributes(Index, true);
    } else {
        TRowAttribute EndAttr;
        if (Last < LineEnd && LineEnd < FCount) {
            EndAttr = GetRowAttribute(LineEnd);
        } else if (LineEnd != FCount - 1) {
            // The change ends at a line end: the following line is rewritten with it.
            LineEnd = LineEndRow(LineEnd + 1);
            EndAttr = GetRowAttribute(LineEnd);
        } else {
            EndAttr = EndsWithLineBreak(S) ? raCrlf : raEof;
        }
        Step->FirstRow = First;
        GetRowsText(First, LineEnd - First + 1, Step->LastAttr, OldCount, Step->Text);
        GetRowShapes(First, OldCount, Step->Shapes);

        std::string Text;
        size_t Size = S.size();
        for (int R = First; R < Index; ++R) Size += static_cast<size_t>(RowLength(R)) + 2;
        for (int R = Last + 1; R <= LineEnd; ++R) Size += static_cast<size_t>(RowLength(R)) + 2;
        Text.reserve(Size);
        for (int R = First; R < Index; ++R) AppendRowText(R, Text);
        Text.append(S);
        for (int R = Last + 1; R <= LineEnd; ++R) AppendRowText(R, Text);

        // A text that ends with a line break before an empty final row (the row after a line
        // that filled its last row exactly) would lose that break: the rows split off no
        // empty last line, so the line ends with its break instead.
        if (EndAttr == raEof && EndsWithLineBreak(Text)) EndAttr = raCrlf;
        TEditorStringList Temp;
        WrapText(Text, Temp);
        Temp.SetRowAttribute(Temp.GetCount() - 1, EndAttr);
        NewCount = Temp.GetCount();
        Step->NewCount = NewCount;
        RowsReplacing(First, LineEnd - First + 1);
        PutRows(First, LineEnd - First + 1, Temp);
        Scanned = UpdateRowAttributes(First, true);
    }
    UpdateInfo.FirstRow = First;
    UpdateInfo.OldCount = OldCount;
    UpdateInfo.NewCount = NewCount;
    UpdateInfo.ScannedCount = Scanned;
    UpdateInfo.Valid = true;
}

// ---- wrapping ----------------------------------------------------------------------------

void TEditorScreenStrings::WrapText(std::string_view S, TEditorStringList& List) {
    SyncWrapper();
    FWrapper.WrapText(S, List);
}

int TEditorScreenStrings::WrapCount(std::string_view S) {
    SyncWrapper();
    return FWrapper.WrapCount(S);
}

void TEditorScreenStrings::WrapAll() {
    if (FCount == 0) return;
    if (const TEditorClient* Owner = OwnerEditor(); Owner && Owner->IsLoading()) return;
    SyncWrapper();
    CancelSelections();
    TDisconnect Disconnect(*this);
    TStringsUpdateGuard Bracket(*this);
    TOwnChange Own(*this);

    const TRowAttribute LastAttr = GetRowAttribute(FCount - 1);
    if (WrapOneRowLinesInPlace()) {
        FScanLimit = 0; // every row was reset to the not-scanned state
        SetRowAttribute(FCount - 1, LastAttr);
        return;
    }
    // Each line is cut once, straight into Temp; the rows of a line are contiguous, so a
    // line of one row is read in place (and its text moves to Temp when it stays one row).
    TRowArrayList Temp;
    // Wrapping mostly adds rows; the array grows by a quarter when this is too small.
    Temp.SetCapacity(FCount + FCount / 4 + 16);
    TEditorWrapper::TCutter Cutter(FWrapper);
    std::string Joined;
    // The row blocks lie anywhere in the heap: asking for those a few rows ahead keeps the
    // cut from waiting on memory for each line.
    constexpr int Ahead = 24;
    // The old rows stay as they are until every line is cut (Temp shares their texts), so a
    // cut that fails leaves the list unchanged.
    {
        for (int R = 0; R < FCount;) {
            int E = R;
            while (E < FCount - 1 && RowAttributeAt(E) == raWrapped) ++E; // LineEndRow(R)
            const int Rows = E - R + 1;
            PrefetchRow(E + Ahead);
            std::string_view Line;
            if (Rows == 1) {
                Line = RowView(R);
            } else {
                Joined.clear();
                for (int I = R; I <= E; ++I) Joined.append(RowView(I));
                Line = Joined;
            }
            Cutter.Start(Line);
            std::string_view Row;
            TRowAttribute Attribute;
            Cutter.NextRow(Row, Attribute);
            const int FirstNew = Temp.GetCount();
            if (Cutter.Done()) {
                // One row (raCrlf) for the whole line, with the marks of all its old rows.
                TRowMarks Marks = 0;
                for (int I = R; I <= E; ++I) Marks |= GetRowMarks(I);
                if (Rows == 1) {
                    Temp.Push(FList[R].FString, raCrlf);
                } else {
                    Temp.Push(TRowString(Line), raCrlf);
                }
                if (Marks != 0) Temp.SetRowMarks(FirstNew, Marks);
            } else {
                // The cut rows are slices of the line's bytes: of the row's own string when
                // the line is one row, else of one copy of the joined line.
                const TRowString Whole = Rows == 1 ? FList[R].FString : TRowString(Line);
                do Temp.Push(TRowString(Whole, static_cast<size_t>(Row.data() - Line.data()), Row.size()), Attribute);
                while (Cutter.NextRow(Row, Attribute));
                // The k-th old row's marks go to the k-th new row, the surplus to the last one.
                const int NewRows = Temp.GetCount() - FirstNew;
                for (int K = 0; K < Rows; ++K) {
                    if (const TRowMarks Marks = GetRowMarks(R + K)) {
                        const int To = FirstNew + std::min(K, NewRows - 1);
                        Temp.SetRowMarks(To, Temp.GetRowMarks(To) | Marks);
                    }
                }
            }
            R = E + 1;
        }
    }

    // The old rows go; Temp's array becomes the rows (both arrays come from the row lists'
    // own allocation, so this list frees the new one as it would have freed its own).
    DeleteRange(0, FCount);
    SetCapacity(0);
    TakeRows(Temp);
    FScanLimit = 0; // every row came from Temp unscanned
    SetRowAttribute(FCount - 1, LastAttr);
}

bool TEditorScreenStrings::WrapOneRowLinesInPlace() {
    if (FExtra != nullptr) return false; // marks, state strings or Data to carry along
    // First every line is cut without changing a row: Cuts gets the lengths of a line's rows
    // but its last (those sum to the line's length), then EndOfLine. A line that stays one
    // row costs one entry.
    constexpr uint16_t EndOfLine = 0xFFFF;
    std::vector<uint16_t> Cuts;
    Cuts.reserve(static_cast<size_t>(FCount) + static_cast<size_t>(FCount) / 2 + 16);
    AdviseHugePages(Cuts.data(), Cuts.capacity() * sizeof(uint16_t));
    TEditorWrapper::TCutter Cutter(FWrapper);
    constexpr int Ahead = 24; // see WrapAll
    long long NewCount = FCount;
    for (int R = 0; R < FCount; ++R) {
        if (RowAttributeAt(R) == raWrapped) return false; // a line of several rows
        // The records themselves are asked for well before PrefetchRow reads them.
        __builtin_prefetch(FList + std::min(R + 4 * Ahead, FCount - 1));
        PrefetchRow(R + Ahead);
        Cutter.Start(FList[R].FString.View());
        std::string_view Row;
        TRowAttribute Attribute;
        for (;;) {
            Cutter.NextRow(Row, Attribute);
            if (Cutter.Done()) break;
            if (Row.size() >= EndOfLine) return false;
            Cuts.push_back(static_cast<uint16_t>(Row.size()));
            ++NewCount;
        }
        Cuts.push_back(EndOfLine);
    }
    if (NewCount > INT_MAX) return false;
    // The array grows once, in place where the allocator can (a large block is remapped, not
    // copied). Up to here a failure leaves every row as it was; from here on nothing fails.
    if (NewCount > FCapacity) {
        const int OldCapacity = FCapacity;
        SetCapacity(static_cast<int>(NewCount));
        AdviseHugePages(FList + OldCapacity, static_cast<size_t>(NewCount - OldCapacity) * sizeof(TRowStringItem));
    }

    // The rows are laid from the end: a line's rows start at or after its old row, since every
    // line before it keeps at least its one row, so no row is overwritten before it is read.
    // The slots written are empty (moved from) or beyond the old count; each is written once.
    size_t Next = Cuts.size(); // one past the EndOfLine of line R
    int To = static_cast<int>(NewCount);
    for (int R = FCount - 1; R >= 0; --R) {
        if (To == R + 1) {
            // Every line from 0 to R stays one row, in place: only the state is reset.
            for (int I = 0; I <= R; ++I) FList[I].FAttributes = raCrlf;
            break;
        }
        // Both ends of the work move down through memory the cut has not touched lately.
        __builtin_prefetch(FList + std::max(R - 64, 0));
        __builtin_prefetch(FList + std::max(To - 96, 0), 1);
        size_t First = Next - 1;
        while (First > 0 && Cuts[First - 1] != EndOfLine) --First;
        const int Rows = static_cast<int>(Next - First);
        TRowString Whole = std::move(FList[R].FString);
        To -= Rows;
        size_t Offset = 0;
        // Each record is made in its slot (a new row's other fields are zero).
        for (int K = 0; K < Rows - 1; ++K) {
            const size_t Length = Cuts[First + static_cast<size_t>(K)];
            new (&FList[To + K]) TRowStringItem{TRowString(Whole, Offset, Length), raWrapped};
            Offset += Length;
        }
        if (Rows == 1)
            new (&FList[To]) TRowStringItem{std::move(Whole), raCrlf};
        else
            new (&FList[To + Rows - 1])
                TRowStringItem{TRowString(Whole, Offset, static_cast<size_t>(Whole.Length()) - Offset), raCrlf};
        Next = First;
    }
    FCount = static_cast<int>(NewCount);
    return true;
}

void TEditorScreenStrings::UnwrapAll() {
    if (FCount == 0) return;
    CancelSelections();
    TRowAttribute LastAttr = GetRowAttribute(FCount - 1);
    if (LastAttr == raWrapped) LastAttr = raEof;
    TDisconnect Disconnect(*this);
    TStringsUpdateGuard Bracket(*this);
    TOwnChange Own(*this);

    std::string Joined;
    int To = 0;
    for (int R = 0; R < FCount;) {
        const int E = LineEndRow(R);
        TRowMarks Marks = 0;
        for (int I = R; I <= E; ++I) Marks |= GetRowMarks(I);
        if (E == R) {
            if (To != R) PutRow(To, RowString(R));
        } else {
            Joined.clear();
            for (int I = R; I <= E; ++I) Joined.append(RowView(I));
            PutRow(To, std::string_view(Joined));
        }
        ResetRowState(To);
        SetRowAttribute(To, raCrlf);
        SetRowMarks(To, Marks);
        ++To;
        R = E + 1;
    }
    SetRowAttribute(To - 1, LastAttr);
    if (To < FCount) DeleteRange(To, FCount - To);
    FScanLimit = 0;
}

void TEditorScreenStrings::SetWordWrap(bool Value) {
    if (Value == FWordWrap) return;
    FWordWrap = Value;
    SyncWrapper();
    if (const TEditorClient* Owner = OwnerEditor(); Owner && Owner->IsLoading()) return;
    FUndoObj->Clear();
    if (Value)
        WrapAll();
    else
        UnwrapAll();
    ScanAll();
    RefreshViews();
    ClampEditors();
    for (TEditorClient* E : FEditors) E->SetCol(0);
}

void TEditorScreenStrings::WrapOptionChanged(TObject*) {
    if (const TEditorClient* Owner = OwnerEditor(); Owner && Owner->IsLoading()) return;
    if (!FWordWrap) return;
    FUndoObj->Clear();
    WrapAll();
    ScanAll();
    RefreshViews();
    ClampEditors();
    for (TEditorClient* E : FEditors) E->SetCol(0);
}

// ---- colouring state ---------------------------------------------------------------------

void TEditorScreenStrings::ScanRowState(TFountainParser* Parser, int Row, TRowAttributeData& Data) const {
    if (Parser != nullptr) Parser->ScanRow(Row, this, Data);
}

void TEditorScreenStrings::ResetScanFrom(int From) {
    const int Bound = ScanBound();
    for (int R = std::max(From, 0); R < Bound; ++R) ResetRowState(R);
    FScanLimit = std::min(std::max(From, 0), FCount);
}

int TEditorScreenStrings::UpdateRowAttributes(int Index, bool Notify) {
    if (Index < 0 || Index >= FCount) return 0;
    const TEditorClient* Owner = OwnerEditor();
    TFountain* Fountain = Owner ? Owner->ActiveFountain() : nullptr;
    std::unique_ptr<TFountainParser> Parser = Fountain ? Fountain->CreateParser() : nullptr;

    // The start state: the nearest row before Index whose state was computed. Without a
    // parser a row's state is the first row's but for the attribute of the row before it, so
    // the rows before Index are not walked (a jump to the end of a large text stays cheap);
    // those rows stay not scanned until they are asked for. A parser whose lines all start
    // alike (no bracket region can stay open over a line break) needs no row before the
    // start of Index's line: the search for a scanned row stops there, and without one the
    // scan starts at the line with the first row's state.
    TRowAttributeData Data;
    int Start = 0;
    if (!Parser) {
        Start = Index;
        if (Index > 0) Data.PrevRowAttribute = GetRowAttribute(Index - 1);
    } else {
        const int Floor = Parser->LinesStartAlike() ? LineStartRow(Index) : 0;
        int R = std::min(Index, ScanBound()) - 1;
        while (R >= Floor && GetBracketIndex(R) == -2) --R;
        if (R >= Floor) {
            GetRowAttributeData(R, Data);
            ScanRowState(Parser.get(), R, Data);
            Data.PrevRowAttribute = GetRowAttribute(R);
            Start = R + 1;
        } else {
            Start = Floor;
            if (Floor > 0) Data.PrevRowAttribute = GetRowAttribute(Floor - 1);
        }
    }

    const long long Reach = static_cast<long long>(Index) + 2LL * RowsPerScreen();
    const int Horizon = static_cast<int>(std::min<long long>(Reach, FCount - 1));
    int Counted = 0;
    for (int Row = Start; Row <= Horizon; ++Row) {
        if (RowStateEquals(Row, Data)) return Counted;
        SetRowState(Row, Data);
        if (FScanLimit < Row + 1) FScanLimit = Row + 1;
        if (Notify) {
            ++Counted;
            for (TEditorClient* E : FEditors) E->InvalidateRow(Row);
        }
        Data.RowAttribute = GetRowAttribute(Row);
        ScanRowState(Parser.get(), Row, Data);
        Data.PrevRowAttribute = GetRowAttribute(Row);
    }
    ResetScanFrom(Horizon + 1);
    return Counted;
}

void TEditorScreenStrings::ScanAll() {
    const TEditorClient* Owner = OwnerEditor();
    if (Owner && (Owner->IsLoading() || Owner->IsDestroying())) return;
    ResetScanFrom(0);
    if (FCount == 0) return;
    TFountain* Fountain = Owner ? Owner->ActiveFountain() : nullptr;
    std::unique_ptr<TFountainParser> Parser = Fountain ? Fountain->CreateParser() : nullptr;
    int Last = FCount - 1;
    if (Owner && !Owner->GetInitBracketsFull()) {
        const long long Reach = 2LL * RowsPerScreen() + Owner->GetTopRow();
        Last = static_cast<int>(std::min<long long>(Last, Reach));
    }
    TRowAttributeData Data;
    for (int Row = 0; Row <= Last; ++Row) {
        SetRowState(Row, Data);
        Data.RowAttribute = GetRowAttribute(Row);
        ScanRowState(Parser.get(), Row, Data);
        Data.PrevRowAttribute = GetRowAttribute(Row);
    }
    FScanLimit = Last + 1;
}

// ---- the rest ----------------------------------------------------------------------------

void TEditorScreenStrings::Clear() {
    EnsureParts();
    CancelSelections();
    FUndoObj->Clear();
    UpdateInfo = TUpdateInfo{0, FCount, 0, 0, true};
    {
        TOwnChange Own(*this);
        TEditorStringList::Clear();
    }
    FScanLimit = 0;
    UpdateInfo = TUpdateInfo();
    for (TEditorClient* E : FEditors) {
        E->SetRow(0);
        E->SetCol(0);
    }
    FMarksInUse = 0;
}

void TEditorScreenStrings::Undo() {
    GetUndoObj()->Undo();
}

void TEditorScreenStrings::Redo() {
    GetUndoObj()->Redo();
}
