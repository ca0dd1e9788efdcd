// Row storage of the row lists, the shared row strings and the packed attribute accessors.
#include "editor/model/row_string_list.h"

#include <sys/mman.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <vector>

// The row arrays are moved with memmove and realloc. That is sound because an item is a
// handle (a pointer that nothing else points at, with an offset and a length) and plain
// integers, and an extra a handle and an integer: a moved item is the same item. These
// checks keep it that way.
static_assert(sizeof(TRowString) == 3 * sizeof(uint32_t), "a row string is a slice handle");
static_assert(std::is_standard_layout_v<TRowStringItem>, "row items are plain records");
static_assert(std::is_standard_layout_v<TRowExtra>, "row extras are plain records");
static_assert(sizeof(TStateString) == sizeof(void*), "a state string is one pointer");
static_assert(sizeof(TRowStringItem) == sizeof(TRowString) + sizeof(uint32_t),
              "a row item holds exactly the row fields");
static_assert(sizeof(TRowExtra) == sizeof(TStateString) + 2 * sizeof(uint32_t), "a row extra is 16 bytes");

// ---- TRowString --------------------------------------------------------------------------

namespace {
constexpr size_t HugePage = size_t{2} << 20;
constexpr size_t LargeBlock = size_t{8} << 20;
} // namespace

TRowString::TRowString(std::string_view S) {
    if (S.empty()) return;
    if (S.size() > static_cast<size_t>(INT_MAX) - sizeof(TBlock) - 1) throw std::length_error("row too long");
    char* Bytes = nullptr;
    TRowString Block = NewBlock(S.size(), Bytes);
    std::memcpy(Bytes, S.data(), S.size());
    Swap(Block);
}

TRowString TRowString::NewBlock(size_t Size, char*& Bytes) {
    if (Size == 0 || Size > MaxBlockBytes) throw std::length_error("row block size");
    const size_t Bytes0 = sizeof(TBlock) + Size + 1;
    void* Memory = nullptr;
    if (Bytes0 >= LargeBlock) {
        // A large block (a loaded file) in huge pages where the system offers them: far fewer
        // page faults while the file is read into it.
        const size_t Rounded = (Bytes0 + HugePage - 1) / HugePage * HugePage;
        if (posix_memalign(&Memory, HugePage, Rounded) != 0) Memory = nullptr;
#if defined(MADV_HUGEPAGE)
        // Only the huge pages that the bytes fill: the rest of the last one, which nothing
        // writes, then takes no memory.
        const size_t Filled = Bytes0 / HugePage * HugePage;
        if (Memory != nullptr && Filled > 0) madvise(Memory, Filled, MADV_HUGEPAGE);
#endif
    } else {
        Memory = std::malloc(Bytes0);
    }
    if (Memory == nullptr) throw std::bad_alloc();
    auto* Block = static_cast<TBlock*>(Memory);
    uint32_t Id = 0;
    try {
        Id = Register(Block);
    } catch (...) {
        std::free(Memory);
        throw;
    }
    TRowString S;
    S.FBlock = Id;
    Block->RefCount = 1;
    S.FOffset = 0;
    S.FLength = Size > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int32_t>(Size);
    Bytes = Block->Bytes();
    Bytes[Size] = '\0';
    return S;
}

uint32_t TRowString::Register(TBlock* Block) {
    if (FTable == nullptr) {
        auto Table = std::make_unique<std::vector<TBlock*>>(1, nullptr);
        auto Free = std::make_unique<std::vector<uint32_t>>();
        Free->reserve(Table->capacity());
        FTable = Table.release();
        FFree = Free.release();
        FBlocks = FTable->data();
    }
    if (!FFree->empty()) {
        const uint32_t Id = FFree->back();
        FFree->pop_back();
        (*FTable)[Id] = Block;
        return Id;
    }
    if (FTable->size() >= UINT32_MAX) throw std::bad_alloc();
    if (FTable->size() == FTable->capacity()) {
        // Grow both together: the free list can then take every number without allocating.
        const size_t Capacity = FTable->capacity() * 2;
        FFree->reserve(Capacity);
        FTable->reserve(Capacity);
    }
    FTable->push_back(Block);
    FBlocks = FTable->data();
    return static_cast<uint32_t>(FTable->size() - 1);
}

TStateString::TStateString(std::string_view S) {
    if (S.empty()) return;
    if (S.size() > static_cast<size_t>(INT_MAX) - sizeof(TBlock) - 1) throw std::length_error("state too long");
    FBlock = static_cast<TBlock*>(::operator new(sizeof(TBlock) + S.size()));
    FBlock->RefCount = 1;
    FBlock->Length = static_cast<int>(S.size());
    std::memcpy(FBlock->Bytes(), S.data(), S.size());
}

void TRowString::Release() noexcept {
    if (FBlock != 0) {
        TBlock* B = Block();
        if (--B->RefCount == 0) {
            std::free(B);
            (*FTable)[FBlock] = nullptr;
            FFree->push_back(FBlock); // room was reserved when the number was made
        }
    }
    FBlock = 0;
    FOffset = 0;
    FLength = 0;
}

// ---- TRowStringList ----------------------------------------------------------------------

TRowStringList::~TRowStringList() {
    // No event while the rows go.
    OnChange = TNotifyEvent();
    OnChanging = TNotifyEvent();
    ReleaseAll();
}

void TRowStringList::ReleaseAll() noexcept {
    for (int I = 0; I < FCount; ++I) FList[I].~TRowStringItem();
    std::free(static_cast<void*>(FList));
    if (FExtra != nullptr)
        for (int I = 0; I < FCount; ++I) FExtra[I].~TRowExtra();
    std::free(static_cast<void*>(FExtra));
    FList = nullptr;
    FExtra = nullptr;
    FCount = 0;
    FCapacity = 0;
}

void TRowStringList::SetCapacity(int NewCapacity) {
    if (NewCapacity < FCount) Error();
    if (NewCapacity == FCapacity) return;
    if (NewCapacity == 0) {
        std::free(static_cast<void*>(FList));
        std::free(static_cast<void*>(FExtra));
        FList = nullptr;
        FExtra = nullptr;
        FCapacity = 0;
        return;
    }
    const size_t Size = static_cast<size_t>(NewCapacity) * sizeof(TRowStringItem);
    void* Memory = std::realloc(static_cast<void*>(FList), Size);
    if (Memory == nullptr) throw std::bad_alloc();
    FList = static_cast<TRowStringItem*>(Memory);
    // The rows first: when the extras then fail to grow, the larger row array does no harm
    // (the capacity stays), and a failed shrink of the extras keeps the larger one.
    if (FExtra != nullptr) {
        void* More = std::realloc(static_cast<void*>(FExtra), static_cast<size_t>(NewCapacity) * sizeof(TRowExtra));
        if (More == nullptr && NewCapacity > FCapacity) throw std::bad_alloc();
        if (More != nullptr) FExtra = static_cast<TRowExtra*>(More);
        if (NewCapacity > FCapacity)
            std::memset(static_cast<void*>(FExtra + FCapacity), 0,
                        static_cast<size_t>(NewCapacity - FCapacity) * sizeof(TRowExtra));
    }
    FCapacity = NewCapacity;
}

TRowExtra& TRowStringList::Extra(int Index) {
    Item(Index);
    if (FExtra == nullptr) {
        void* Memory = std::calloc(static_cast<size_t>(FCapacity), sizeof(TRowExtra));
        if (Memory == nullptr) throw std::bad_alloc();
        FExtra = static_cast<TRowExtra*>(Memory);
    }
    return FExtra[Index];
}

void TRowStringList::TakeRows(TRowStringList& From) noexcept {
    FList = From.FList;
    FExtra = From.FExtra;
    FCount = From.FCount;
    FCapacity = From.FCapacity;
    From.FList = nullptr;
    From.FExtra = nullptr;
    From.FCount = 0;
    From.FCapacity = 0;
}

void TRowStringList::Grow(int Needed) {
    // A quarter more above 64 rows, 16 more from 9 to 64, 4 more up to 8.
    long long Capacity = FCapacity;
    while (Capacity < Needed) {
        if (Capacity > 64)
            Capacity += Capacity / 4;
        else if (Capacity > 8)
            Capacity += 16;
        else
            Capacity += 4;
    }
    SetCapacity(Capacity > INT_MAX ? INT_MAX : static_cast<int>(Capacity));
}

void TRowStringList::OpenGap(int Index, int Count) noexcept {
    if (Index < FCount)
        std::memmove(static_cast<void*>(FList + Index + Count), static_cast<const void*>(FList + Index),
                     static_cast<size_t>(FCount - Index) * sizeof(TRowStringItem));
    for (int I = Index; I < Index + Count; ++I) new (&FList[I]) TRowStringItem();
    if (FExtra != nullptr) {
        if (Index < FCount)
            std::memmove(static_cast<void*>(FExtra + Index + Count), static_cast<const void*>(FExtra + Index),
                         static_cast<size_t>(FCount - Index) * sizeof(TRowExtra));
        std::memset(static_cast<void*>(FExtra + Index), 0, static_cast<size_t>(Count) * sizeof(TRowExtra));
    }
    FCount += Count;
}

int TRowStringList::Add(const std::string& S) {
    return AddRow(S);
}

int TRowStringList::AddRow(std::string_view S) {
    int Index = FCount;
    InsertRow(Index, S);
    return Index;
}

void TRowStringList::Insert(int Index, const std::string& S) {
    InsertRow(Index, std::string_view(S));
}

void TRowStringList::InsertRow(int Index, std::string_view S) {
    if (Index < 0 || Index > FCount) Error();
    InsertRow(Index, TRowString(S));
}

void TRowStringList::InsertRow(int Index, TRowString S) {
    if (Index < 0 || Index > FCount) Error();
    if (FCount == INT_MAX) throw std::bad_alloc();
    Changing();
    if (FCount == FCapacity) Grow(FCount + 1);
    OpenGap(Index, 1);
    FList[Index].FString = std::move(S);
    Changed();
}

void TRowStringList::AddSlices(const TRowString& Block, const uint32_t* Bounds, int Count) {
    if (Count < 0) Error();
    if (Count == 0) return;
    if (Count > INT_MAX - FCount) throw std::bad_alloc();
    Changing();
    if (FCount + Count > FCapacity) Grow(FCount + Count);
    for (int I = 0; I < Count; ++I) {
        TRowStringItem* Row = new (&FList[FCount + I]) TRowStringItem();
        Row->FString = TRowString(Block, Bounds[2 * I], Bounds[2 * I + 1]);
    }
    FCount += Count;
    Changed();
}

void TRowStringList::InsertEmptyRows(int Index, int Count) {
    if (Index < 0 || Index > FCount || Count < 0) Error();
    if (Count == 0) return;
    if (Count > INT_MAX - FCount) throw std::bad_alloc();
    Changing();
    if (FCount + Count > FCapacity) Grow(FCount + Count);
    OpenGap(Index, Count);
    Changed();
}

void TRowStringList::Delete(int Index) {
    DeleteRange(Index, 1);
}

void TRowStringList::DeleteRange(int Index, int Count) {
    if (Index < 0 || Count < 0 || Index > FCount - Count) Error();
    if (Count == 0) return;
    Changing();
    for (int I = Index; I < Index + Count; ++I) FList[I].~TRowStringItem();
    if (FExtra != nullptr)
        for (int I = Index; I < Index + Count; ++I) FExtra[I].~TRowExtra();
    FCount -= Count;
    if (Index < FCount)
        std::memmove(static_cast<void*>(FList + Index), static_cast<const void*>(FList + Index + Count),
                     static_cast<size_t>(FCount - Index) * sizeof(TRowStringItem));
    if (FExtra != nullptr) {
        if (Index < FCount)
            std::memmove(static_cast<void*>(FExtra + Index), static_cast<const void*>(FExtra + Index + Count),
                         static_cast<size_t>(FCount - Index) * sizeof(TRowExtra));
        std::memset(static_cast<void*>(FExtra + FCount), 0, static_cast<size_t>(Count) * sizeof(TRowExtra));
    }
    Changed();
}

void TRowStringList::Clear() {
    if (FCount == 0 && FCapacity == 0) return;
    if (FCount == 0) {
        // Rows were reserved but none added: free the storage silently.
        SetCapacity(0);
        return;
    }
    Changing();
    ReleaseAll();
    Changed();
}

void TRowStringList::Exchange(int Index1, int Index2) {
    TRowStringItem& A = Item(Index1);
    TRowStringItem& B = Item(Index2);
    Changing();
    std::swap(A, B);
    if (FExtra != nullptr) std::swap(FExtra[Index1], FExtra[Index2]);
    Changed();
}

std::string TRowStringList::Get(int Index) const {
    return Item(Index).FString.ToString();
}

void TRowStringList::Put(int Index, const std::string& S) {
    PutRow(Index, std::string_view(S));
}

void TRowStringList::PutRow(int Index, std::string_view S) {
    Item(Index);
    PutRow(Index, TRowString(S));
}

void TRowStringList::PutRow(int Index, TRowString S) {
    TRowStringItem& Row = Item(Index);
    Changing();
    Row.FString = std::move(S);
    Changed();
}

void TRowStringList::AssignRow(int Index, const TRowStringList& Source, int SourceIndex) {
    const TRowStringItem& From = Source.Item(SourceIndex);
    TRowStringItem& To = Item(Index);
    if (&From == &To) return;
    if (Source.FExtra != nullptr) {
        const TRowExtra& E = Source.FExtra[SourceIndex];
        if (E.FData != 0 || !E.FStateStr.View().empty() || E.FElementState != 0 || E.FExtraState != 0 ||
            E.FRowMarks != 0)
            Extra(Index) = E;
        else if (FExtra != nullptr)
            FExtra[Index] = TRowExtra();
    } else if (FExtra != nullptr) {
        FExtra[Index] = TRowExtra();
    }
    To.FString = From.FString;
    To.FAttributes = From.FAttributes;
}

namespace {
// The bits that the row record's word and the attribute word hold alike.
constexpr uint32_t SharedBits = 0x00FF00FFu;
} // namespace

uint32_t TRowStringList::GetAttributes(int Index) const {
    const uint32_t Word = Item(Index).FAttributes & SharedBits;
    if (FExtra == nullptr) return Word;
    const TRowExtra& E = FExtra[Index];
    return Word | static_cast<uint32_t>(E.FElementState) << 8 | static_cast<uint32_t>(E.FExtraState) << 24;
}

void TRowStringList::SetAttributes(int Index, uint32_t Value) {
    TRowStringItem& Row = Item(Index);
    const auto Element = static_cast<uint8_t>(Value >> 8);
    const auto ExtraState = static_cast<uint8_t>(Value >> 24);
    if (FExtra != nullptr || Element != 0 || ExtraState != 0) {
        TRowExtra& E = Extra(Index);
        E.FElementState = Element;
        E.FExtraState = ExtraState;
    }
    Row.FAttributes = (Row.FAttributes & ~SharedBits) | (Value & SharedBits);
}

uint32_t TRowStringList::GetExtAttributes(int Index) const {
    const uint32_t Word = Item(Index).FAttributes;
    const uint32_t Tokens = ((Word >> 8) & 0xFFu) | (Word >> 24) << 8;
    return FExtra == nullptr ? Tokens : Tokens | static_cast<uint32_t>(FExtra[Index].FRowMarks) << 16;
}

void TRowStringList::SetExtAttributes(int Index, uint32_t Value) {
    TRowStringItem& Row = Item(Index);
    const auto Marks = static_cast<TRowMarks>(Value >> 16);
    if (FExtra != nullptr || Marks != 0) Extra(Index).FRowMarks = Marks;
    Row.FAttributes = (Row.FAttributes & SharedBits) | (Value & 0xFFu) << 8 | ((Value >> 8) & 0xFFu) << 24;
}

void TRowStringList::SetData(int Index, int32_t Value) {
    Item(Index);
    if (FExtra == nullptr && Value == 0) return;
    Extra(Index).FData = Value;
}

void TRowStringList::SetStateStr(int Index, std::string_view Value) {
    Item(Index);
    if (StateStrView(Index) == Value) return;
    Extra(Index).FStateStr = TStateString(Value);
}

std::string TRowStringList::GetTextStr() const {
    size_t Size = 0;
    for (int I = 0; I < FCount; ++I) Size += static_cast<size_t>(FList[I].FString.Length()) + 2;
    std::string Result;
    Result.reserve(Size);
    for (int I = 0; I < FCount; ++I) {
        Result.append(FList[I].FString.View());
        Result.append("\r\n", 2);
    }
    return Result;
}

void TRowStringList::SetTextStr(const std::string& Value) {
    // The framework's rules, without a temporary string per row.
    // The text is copied once into one block and the rows are slices of it.
    TStringsUpdateGuard Guard(*this);
    Clear();
    const std::string_view Text(Value.c_str(), std::strlen(Value.c_str()));
    if (Text.empty()) return;
    char* Bytes = nullptr;
    const TRowString Block = TRowString::NewBlock(Text.size(), Bytes);
    std::memcpy(Bytes, Text.data(), Text.size());
    std::vector<uint32_t> Bounds;
    ForEachTextLine(std::string_view(Bytes, Text.size()), [&](std::string_view Line) {
        Bounds.push_back(static_cast<uint32_t>(Line.data() - Bytes));
        Bounds.push_back(static_cast<uint32_t>(Line.size()));
    });
    AddSlices(Block, Bounds.data(), static_cast<int>(Bounds.size() / 2));
}

void TRowStringList::Changed() {
    if (UpdateCount == 0 && OnChange) OnChange(this);
}

void TRowStringList::Changing() {
    if (UpdateCount == 0 && OnChanging) OnChanging(this);
}

void TRowStringList::SetUpdateState(bool Updating) {
    if (Updating) {
        Changing();
        UpdateCount = 1;
    } else {
        UpdateCount = 0;
        Changed();
    }
}

// ---- TRowAttributeStringList -------------------------------------------------------------

namespace {

constexpr uint32_t Field(uint32_t Word, int Shift, uint32_t Mask) {
    return (Word >> Shift) & Mask;
}
constexpr uint32_t WithField(uint32_t Word, int Shift, uint32_t Mask, uint32_t Value) {
    return (Word & ~(Mask << Shift)) | ((Value & Mask) << Shift);
}

// FAttributes
constexpr int RowAttributeShift = 0;
constexpr int PrevRowAttributeShift = 2;
constexpr int BracketIndexShift = 4;
constexpr int ElementStateShift = 8;
constexpr int CarryLengthShift = 16;
constexpr int ExtraStateShift = 24;
// FExtAttributes
constexpr int CarryTokenShift = 0;
constexpr int LastTokenShift = 8;
constexpr int RowMarksShift = 16;

constexpr uint32_t TwoBits = 0x3;
constexpr uint32_t FourBits = 0xF;
constexpr uint32_t Byte = 0xFF;
constexpr int BracketBias = 2;

} // namespace

int TRowAttributeStringList::SpanInPlace(int Index, int End, std::string_view& Span, size_t Limit) const noexcept {
    const char* Begin = Span.data();
    size_t Size = Span.size();
    End = std::min(End, FCount);
    for (; Index < End && Size < Limit; ++Index) {
        const TRowString& S = FList[Index].FString;
        if (Size == 0) {
            if (S.RefCount() == 0) break; // no block: no place
            Begin = S.Data();
        } else if (!S.Follows(FList[Index - 1].FString, RowAttributeAt(Index - 1) == raCrlf ? 2 : 0)) {
            break;
        }
        const size_t Length = static_cast<size_t>(S.Length());
        if (RowAttributeAt(Index) == raCrlf) {
            // The next row two bytes on in the block vouches that the two bytes are in it.
            const char* Tail = Begin + Size + Length;
            // The walk reads a byte or two of every row, too sparsely for the processor to
            // fetch ahead of it: a search of 100 MiB that found none of it in the caches
            // took up to twice as long without this.
            __builtin_prefetch(Tail + 2048);
            if (Index + 1 >= FCount || !FList[Index + 1].FString.Follows(S, 2) || Tail[0] != '\r' || Tail[1] != '\n')
                break;
            Size += 2;
        }
        Size += Length;
    }
    Span = std::string_view(Begin, Size);
    return Index;
}

TRowAttribute TRowAttributeStringList::GetRowAttribute(int Index) const {
    return static_cast<TRowAttribute>(Field(GetAttributes(Index), RowAttributeShift, TwoBits));
}
void TRowAttributeStringList::SetRowAttribute(int Index, TRowAttribute Value) {
    SetAttributes(Index, WithField(GetAttributes(Index), RowAttributeShift, TwoBits, Value));
}

TRowAttribute TRowAttributeStringList::GetPrevRowAttribute(int Index) const {
    return static_cast<TRowAttribute>(Field(GetAttributes(Index), PrevRowAttributeShift, TwoBits));
}
void TRowAttributeStringList::SetPrevRowAttribute(int Index, TRowAttribute Value) {
    SetAttributes(Index, WithField(GetAttributes(Index), PrevRowAttributeShift, TwoBits, Value));
}

int TRowAttributeStringList::GetBracketIndex(int Index) const {
    return static_cast<int>(Field(GetAttributes(Index), BracketIndexShift, FourBits)) - BracketBias;
}
void TRowAttributeStringList::SetBracketIndex(int Index, int Value) {
    SetAttributes(Index, WithField(GetAttributes(Index), BracketIndexShift, FourBits,
                                   static_cast<uint32_t>(Value + BracketBias)));
}

int TRowAttributeStringList::GetElementState(int Index) const {
    return static_cast<int>(Field(GetAttributes(Index), ElementStateShift, Byte));
}
void TRowAttributeStringList::SetElementState(int Index, int Value) {
    SetAttributes(Index,
                  WithField(GetAttributes(Index), ElementStateShift, Byte, static_cast<uint32_t>(Value)));
}

int TRowAttributeStringList::GetCarryLength(int Index) const {
    return static_cast<int>(Field(GetAttributes(Index), CarryLengthShift, Byte));
}
void TRowAttributeStringList::SetCarryLength(int Index, int Value) {
    SetAttributes(Index,
                  WithField(GetAttributes(Index), CarryLengthShift, Byte, static_cast<uint32_t>(Value)));
}

int TRowAttributeStringList::GetExtraState(int Index) const {
    return static_cast<int>(Field(GetAttributes(Index), ExtraStateShift, Byte));
}
void TRowAttributeStringList::SetExtraState(int Index, int Value) {
    SetAttributes(Index,
                  WithField(GetAttributes(Index), ExtraStateShift, Byte, static_cast<uint32_t>(Value)));
}

int TRowAttributeStringList::GetCarryToken(int Index) const {
    return static_cast<int>(Field(GetExtAttributes(Index), CarryTokenShift, Byte));
}
void TRowAttributeStringList::SetCarryToken(int Index, int Value) {
    SetExtAttributes(Index,
                     WithField(GetExtAttributes(Index), CarryTokenShift, Byte, static_cast<uint32_t>(Value)));
}

int TRowAttributeStringList::GetLastToken(int Index) const {
    return static_cast<int>(Field(GetExtAttributes(Index), LastTokenShift, Byte));
}
void TRowAttributeStringList::SetLastToken(int Index, int Value) {
    SetExtAttributes(Index,
                     WithField(GetExtAttributes(Index), LastTokenShift, Byte, static_cast<uint32_t>(Value)));
}

TRowMarks TRowAttributeStringList::GetRowMarks(int Index) const {
    return static_cast<TRowMarks>(Field(GetExtAttributes(Index), RowMarksShift, 0xFFFF));
}
void TRowAttributeStringList::SetRowMarks(int Index, TRowMarks Value) {
    SetExtAttributes(Index, WithField(GetExtAttributes(Index), RowMarksShift, 0xFFFF, Value));
}

void TRowAttributeStringList::GetRowAttributeData(int Index, TRowAttributeData& Data) const {
    const uint32_t A = GetAttributes(Index);
    const uint32_t X = GetExtAttributes(Index);
    Data.RowAttribute = static_cast<TRowAttribute>(Field(A, RowAttributeShift, TwoBits));
    Data.PrevRowAttribute = static_cast<TRowAttribute>(Field(A, PrevRowAttributeShift, TwoBits));
    Data.BracketIndex = static_cast<int32_t>(Field(A, BracketIndexShift, FourBits)) - BracketBias;
    Data.ElementState = static_cast<int32_t>(Field(A, ElementStateShift, Byte));
    Data.CarryLength = static_cast<int32_t>(Field(A, CarryLengthShift, Byte));
    Data.ExtraState = static_cast<int32_t>(Field(A, ExtraStateShift, Byte));
    Data.CarryToken = static_cast<uint8_t>(Field(X, CarryTokenShift, Byte));
    Data.LastToken = static_cast<uint8_t>(Field(X, LastTokenShift, Byte));
    Data.StateStr.assign(StateStrView(Index));
}

namespace {

// FAttributes without its RowAttribute bits, packed from Data.
uint32_t PackState(const TRowAttributeData& Data) {
    uint32_t A = 0;
    A = WithField(A, PrevRowAttributeShift, TwoBits, Data.PrevRowAttribute);
    A = WithField(A, BracketIndexShift, FourBits, static_cast<uint32_t>(Data.BracketIndex + BracketBias));
    A = WithField(A, ElementStateShift, Byte, static_cast<uint32_t>(Data.ElementState));
    A = WithField(A, CarryLengthShift, Byte, static_cast<uint32_t>(Data.CarryLength));
    A = WithField(A, ExtraStateShift, Byte, static_cast<uint32_t>(Data.ExtraState));
    return A;
}

uint32_t PackTokens(const TRowAttributeData& Data) {
    return WithField(WithField(0, CarryTokenShift, Byte, Data.CarryToken), LastTokenShift, Byte,
                     Data.LastToken);
}

constexpr uint32_t RowAttributeBits = TwoBits << RowAttributeShift;
constexpr uint32_t RowMarksBits = 0xFFFFu << RowMarksShift;

} // namespace

void TRowAttributeStringList::SetRowState(int Index, const TRowAttributeData& Data) {
    SetAttributes(Index, (GetAttributes(Index) & RowAttributeBits) | PackState(Data));
    SetExtAttributes(Index, (GetExtAttributes(Index) & RowMarksBits) | PackTokens(Data));
    SetStateStr(Index, Data.StateStr);
}

void TRowAttributeStringList::SetRowAttributeData(int Index, const TRowAttributeData& Data) {
    SetRowState(Index, Data);
    SetRowAttribute(Index, Data.RowAttribute);
}

void TRowAttributeStringList::ResetRowState(int Index) {
    Item(Index).FAttributes &= RowAttributeBits; // the record's word holds no marks
    if (FExtra != nullptr) {
        TRowExtra& E = FExtra[Index];
        E.FStateStr = TStateString();
        E.FElementState = 0;
        E.FExtraState = 0;
    }
}

bool TRowAttributeStringList::RowStateEquals(int Index, const TRowAttributeData& Data) const {
    return (GetAttributes(Index) & ~RowAttributeBits) == PackState(Data) &&
           (GetExtAttributes(Index) & ~RowMarksBits) == PackTokens(Data) && StateStrView(Index) == Data.StateStr;
}
