// The feed item store, the description encoding and the time stamp.
#include "app/item_store.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <new>

#include "editor/control/editor.h"
#include "platform/classes.h"
#include "platform/cp932.h"
#include "platform/exceptions.h"

namespace {

[[noreturn]] void IndexError() {
    throw EStringListError(cp932::Literal("リストのインデックスが範囲を超えています"));
}

} // namespace

// --- TPackedStrings ------------------------------------------------------------------------

namespace {

// Capacity for at least Needed elements, growing by half again so that appending one
// entry at a time stays amortised constant.
template <class TContainer> void Grow(TContainer& C, size_t Needed) {
    if (C.capacity() < Needed) C.reserve(std::max(Needed, C.capacity() + C.capacity() / 2));
}

} // namespace

void TPackedStrings::Reserve(int Index, size_t Bytes) {
    if (Bytes > UINT32_MAX - FBytes.size()) throw std::bad_alloc(); // offsets are 32-bit
    Grow(FEnds, std::max(FEnds.size(), static_cast<size_t>(Index) + 1) + 1);
    Grow(FBytes, FBytes.size() + Bytes);
}

void TPackedStrings::Store(size_t Index) {
    // Every stored entry ends at or before FBytes.size(); the counted empty ones end there.
    if (FEnds.size() < Index) FEnds.resize(Index, static_cast<uint32_t>(FBytes.size()));
}

void TPackedStrings::Append(std::string_view S) {
    Insert(Count(), S);
}

void TPackedStrings::Insert(int Index, std::string_view S) {
    if (FCount >= static_cast<size_t>(INT_MAX)) throw std::bad_alloc();
    const auto I = static_cast<size_t>(Index);
    if (S.empty() && I >= FEnds.size()) {
        ++FCount; // one more of the counted empty entries
        return;
    }
    Reserve(Index, S.size());
    // Nothing below allocates.
    Store(I);
    const uint32_t At = Start(I);
    const auto Length = static_cast<uint32_t>(S.size());
    FBytes.insert(At, S);
    FEnds.insert(FEnds.begin() + static_cast<ptrdiff_t>(I), At + Length);
    for (size_t J = I + 1; J < FEnds.size(); ++J) FEnds[J] += Length;
    ++FCount;
}

void TPackedStrings::Set(int Index, std::string_view S) {
    const auto I = static_cast<size_t>(Index);
    if (S.empty() && I >= FEnds.size()) return; // already empty
    Reserve(Index, S.size());
    Store(I + 1);
    const uint32_t At = Start(I);
    const uint32_t Old = FEnds[I] - At;
    FBytes.replace(At, Old, S);
    // Unsigned arithmetic wraps, so a shorter entry moves the ends back.
    const uint32_t Delta = static_cast<uint32_t>(S.size()) - Old;
    for (size_t J = I; J < FEnds.size(); ++J) FEnds[J] += Delta;
}

void TPackedStrings::Delete(int Index) {
    const auto I = static_cast<size_t>(Index);
    if (I < FEnds.size()) {
        const uint32_t At = Start(I);
        const uint32_t Length = FEnds[I] - At;
        FBytes.erase(At, Length);
        FEnds.erase(FEnds.begin() + static_cast<ptrdiff_t>(I));
        for (size_t J = I; J < FEnds.size(); ++J) FEnds[J] -= Length;
    }
    --FCount;
}

void TPackedStrings::Move(int From, int To) {
    const auto F = static_cast<size_t>(From), T = static_cast<size_t>(To);
    // Entries past the stored ones are all empty: moving one among them changes nothing.
    if (F == T || std::min(F, T) >= FEnds.size()) return;
    Reserve(std::max(From, To), 0);
    Store(std::max(F, T) + 1);
    const uint32_t Length = FEnds[F] - Start(F);
    auto* Bytes = FBytes.data();
    if (F < T) {
        // Entries F+1..T go up one place; entry F ends where entry T ended.
        std::rotate(Bytes + Start(F), Bytes + FEnds[F], Bytes + FEnds[T]);
        for (size_t J = F; J < T; ++J) FEnds[J] = FEnds[J + 1] - Length;
    } else {
        // Entries T..F-1 go down one place; entry F starts where entry T started.
        std::rotate(Bytes + Start(T), Bytes + Start(F), Bytes + FEnds[F]);
        for (size_t J = F; J > T; --J) FEnds[J] = FEnds[J - 1] + Length;
        FEnds[T] = Start(T) + Length;
    }
}

void TPackedStrings::Resize(int NewCount) noexcept {
    const size_t N = static_cast<size_t>(std::max(NewCount, 0));
    if (N < FEnds.size()) {
        FBytes.resize(Start(N)); // shrinking: no allocation
        FEnds.resize(N);
    }
    FCount = N;
}

void TPackedStrings::Clear() noexcept {
    std::string().swap(FBytes);
    std::vector<uint32_t>().swap(FEnds);
    FCount = 0;
}

// --- TItemStore ---------------------------------------------------------------------------

namespace {

// The four fields of an item in the lists' order.
std::array<std::string_view, ItemListCount> Fields(const TFeedItem& Item) {
    std::array<std::string_view, ItemListCount> F;
    F[ilLink] = Item.Link;
    F[ilTime] = Item.Time;
    F[ilDes] = Item.Description;
    F[ilItem] = Item.Title;
    return F;
}

} // namespace

std::string_view TItemStore::Entry(TItemListKind Kind, int Index) const {
    if (Index < 0 || Index >= FLists[Kind].Count()) IndexError();
    return FLists[Kind][Index];
}

TFeedItem TItemStore::Item(int Index) const {
    return {std::string(Link(Index)), std::string(Time(Index)), std::string(Description(Index)),
            std::string(Title(Index))};
}

void TItemStore::InsertItem(const TFeedItem& Item) {
    if (Count() >= INT_MAX) throw std::bad_alloc();
    const auto F = Fields(Item);
    // Room first, so that the four inserts below cannot fail half-way.
    for (int K = 0; K < ItemListCount; ++K) FLists[K].Reserve(0, F[K].size());
    for (int K = 0; K < ItemListCount; ++K) FLists[K].Insert(0, F[K]);
}

void TItemStore::PutItem(int Index, const TFeedItem& Item) {
    if (Index < 0 || Index >= Count()) IndexError();
    const auto F = Fields(Item);
    for (int K = 0; K < ItemListCount; ++K) FLists[K].Reserve(Index, F[K].size());
    for (int K = 0; K < ItemListCount; ++K) FLists[K].Set(Index, F[K]);
}

void TItemStore::DeleteItem(int Index) {
    if (Index < 0 || Index >= Count()) IndexError();
    for (auto& L : FLists) L.Delete(Index);
}

int TItemStore::MoveItem(int Index, int Delta) {
    const int64_t Target = int64_t{Index} + Delta;
    if (Index < 0 || Index >= Count() || Target < 0 || Target >= Count()) return Index;
    const int To = static_cast<int>(Target);
    // Taken out and inserted again at the new index, in all four or none.
    for (auto& L : FLists) L.Reserve(std::max(Index, To), 0);
    for (auto& L : FLists) L.Move(Index, To);
    return To;
}

void TItemStore::TrimItems(int32_t MaxItems) {
    if (MaxItems >= Count()) return;
    for (auto& L : FLists) L.Resize(MaxItems);
}

void TItemStore::Clear() {
    for (auto& L : FLists) L.Clear();
    FNotKept = 0;
}

bool TItemStore::LengthsEqual() const {
    return std::all_of(FLists.begin(), FLists.end(),
                       [&](const auto& L) { return L.Count() == FLists[0].Count(); });
}

void TItemStore::EqualizeLengths() noexcept {
    int Longest = 0;
    for (const auto& L : FLists) Longest = std::max(Longest, L.Count());
    for (auto& L : FLists) L.Resize(Longest);
}

std::string JoinDescription(const TStrings& Lines) {
    std::string S;
    const int N = Lines.GetCount();
    for (int I = 0; I < N; ++I) {
        S += Lines.Get(I);
        S += '|';
    }
    return S;
}

std::string DecodeDescription(std::string_view Encoded) {
    std::string Out;
    Out.reserve(Encoded.size() + Encoded.size() / 8);
    for (size_t I = 0; I < Encoded.size();) {
        const size_t L = CharLength(Encoded, I);
        if (L == 1 && Encoded[I] == '|') {
            if (I + 1 < Encoded.size()) Out += "\r\n"; // the last '|' is dropped
        } else {
            Out.append(Encoded.substr(I, L));
        }
        I += L;
    }
    return Out;
}

void ShowDescription(TEditor& Editor, std::string_view Encoded) {
    Editor.Clear();
    Editor.GetLines()->Add(DecodeDescription(Encoded));
}

std::string TimeStampAt(std::time_t Now, std::string_view TimeZone) {
    std::tm T{};
    localtime_r(&Now, &T);
    char Buf[64];
    std::snprintf(Buf, sizeof Buf, "%04d-%02d-%02dT%02d:%02d:%02d", T.tm_year + 1900, T.tm_mon + 1, T.tm_mday,
                  T.tm_hour, T.tm_min, T.tm_sec);
    std::string S(Buf);
    S.append(TimeZone);
    return S;
}

std::string TimeStamp(std::string_view TimeZone) {
    return TimeStampAt(std::time(nullptr), TimeZone);
}
