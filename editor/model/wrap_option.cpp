// The line-breaking options of an editor's screen rows.
#include "editor/model/wrap_option.h"

#include <algorithm>

#include "platform/cp932.h"

const std::string& TEditorWrapOption::DefaultFollowStr() {
    static const std::string S = cp932::Literal("、。，．・？！゛゜ヽヾゝゞ々ー）］｝」』!),.:;?]}｡｣､･ｰﾞﾟ");
    return S;
}

const std::string& TEditorWrapOption::DefaultLeadStr() {
    static const std::string S = cp932::Literal("（［｛「『([{｢");
    return S;
}

const std::string& TEditorWrapOption::DefaultPunctuationStr() {
    static const std::string S = cp932::Literal("、。，．,.｡､");
    return S;
}

TEditorWrapOption::TEditorWrapOption()
    : FFollowStr(DefaultFollowStr()), FLeadStr(DefaultLeadStr()), FPunctuationStr(DefaultPunctuationStr()) {}

template <class T> void TEditorWrapOption::Store(T& Field, const T& Value) {
    if (Field == Value) return;
    Field = Value;
    Changed();
}

void TEditorWrapOption::Assign(TPersistent* Source) {
    auto* Src = dynamic_cast<TEditorWrapOption*>(Source);
    if (!Src) {
        TNotifyPersistent::Assign(Source);
        return;
    }
    if (Src == this) {
        Changed();
        return;
    }
    TUpdateGuard<TEditorWrapOption> Guard(*this);
    FFollowRetMark = Src->FFollowRetMark;
    FFollowPunctuation = Src->FFollowPunctuation;
    FFollowStr = Src->FFollowStr;
    FLeading = Src->FLeading;
    FLeadStr = Src->FLeadStr;
    FPunctuationStr = Src->FPunctuationStr;
    FWordBreak = Src->FWordBreak;
    FWrapByte = Src->FWrapByte;
}

void TEditorWrapOption::SetFollowRetMark(bool Value) {
    Store(FFollowRetMark, Value);
}
void TEditorWrapOption::SetFollowPunctuation(bool Value) {
    Store(FFollowPunctuation, Value);
}
void TEditorWrapOption::SetFollowStr(const std::string& Value) {
    Store(FFollowStr, Value);
}
void TEditorWrapOption::SetLeading(bool Value) {
    Store(FLeading, Value);
}
void TEditorWrapOption::SetLeadStr(const std::string& Value) {
    Store(FLeadStr, Value);
}
void TEditorWrapOption::SetPunctuationStr(const std::string& Value) {
    Store(FPunctuationStr, Value);
}
void TEditorWrapOption::SetWordBreak(bool Value) {
    Store(FWordBreak, Value);
}
void TEditorWrapOption::SetWrapByte(int Value) {
    Store(FWrapByte, std::clamp(Value, MinWrapByte, MaxWrapByte));
}
