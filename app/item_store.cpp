// The feed item store, the description encoding and the time stamp.
#include "app/item_store.h"

#include <algorithm>
#include <cstdio>

#include "editor/control/editor.h"
#include "platform/classes.h"
#include "platform/cp932.h"
#include "platform/exceptions.h"

namespace {

[[noreturn]] void IndexError() {
    throw EStringListError(cp932::Literal("リストのインデックスが範囲を超えています"));
}

} // namespace

const std::string& TItemStore::Entry(TItemListKind Kind, int Index) const {
    const auto& L = FLists[Kind];
    if (Index < 0 || Index >= static_cast<int>(L.size())) IndexError();
    return L[static_cast<size_t>(Index)];
}

TFeedItem TItemStore::Item(int Index) const {
    return {Link(Index), Time(Index), Description(Index), Title(Index)};
}

void TItemStore::InsertItem(const TFeedItem& Item) {
    // Reserve first, so that the four inserts below cannot fail half-way.
    for (auto& L : FLists) L.reserve(L.size() + 1);
    FLists[ilLink].insert(FLists[ilLink].begin(), Item.Link);
    FLists[ilTime].insert(FLists[ilTime].begin(), Item.Time);
    FLists[ilDes].insert(FLists[ilDes].begin(), Item.Description);
    FLists[ilItem].insert(FLists[ilItem].begin(), Item.Title);
}

void TItemStore::PutItem(int Index, const TFeedItem& Item) {
    if (Index < 0 || Index >= Count()) IndexError();
    const auto I = static_cast<size_t>(Index);
    FLists[ilLink][I] = Item.Link;
    FLists[ilTime][I] = Item.Time;
    FLists[ilDes][I] = Item.Description;
    FLists[ilItem][I] = Item.Title;
}

void TItemStore::DeleteItem(int Index) {
    if (Index < 0 || Index >= Count()) IndexError();
    for (auto& L : FLists) L.erase(L.begin() + Index);
}

int TItemStore::MoveItem(int Index, int Delta) {
    const int64_t Target = int64_t{Index} + Delta;
    if (Index < 0 || Index >= Count() || Target < 0 || Target >= Count()) return Index;
    for (auto& L : FLists) {
        // Taken out and inserted again at the new index.
        std::string S = std::move(L[static_cast<size_t>(Index)]);
        L.erase(L.begin() + Index);
        L.insert(L.begin() + static_cast<ptrdiff_t>(Target), std::move(S));
    }
    return static_cast<int>(Target);
}

void TItemStore::TrimItems(int32_t MaxItems) {
    while (Count() > 0 && MaxItems < Count()) {
        for (auto& L : FLists) L.pop_back();
    }
}

void TItemStore::Clear() {
    for (auto& L : FLists) L.clear();
}

bool TItemStore::LengthsEqual() const {
    return std::all_of(FLists.begin(), FLists.end(),
                       [&](const auto& L) { return L.size() == FLists[0].size(); });
}

void TItemStore::EqualizeLengths() {
    size_t Longest = 0;
    for (const auto& L : FLists) Longest = std::max(Longest, L.size());
    for (auto& L : FLists) L.resize(Longest);
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
