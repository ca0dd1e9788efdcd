// Tests of the word-wrap options: defaults, change events, clamping and Assign.
#include "editor/model/wrap_option.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "editor/model/dbcs.h"
#include "platform/cp932.h"

namespace {

using cp932::Literal;

struct Listener : TObject {
    int Count = 0;
    void Changed(TObject*) { ++Count; }
};

TEST(WrapOptionTest, DefaultsAreTheShiftJisStrings) {
    TEditorWrapOption O;
    EXPECT_FALSE(O.GetFollowRetMark());
    EXPECT_FALSE(O.GetFollowPunctuation());
    EXPECT_FALSE(O.GetLeading());
    EXPECT_FALSE(O.GetWordBreak());
    EXPECT_EQ(O.GetWrapByte(), 80);
    // 20 double-byte characters, 9 ASCII marks and 7 half-width katakana of one byte each.
    EXPECT_EQ(O.GetFollowStr().size(), 20u * 2 + 9 + 7);
    EXPECT_EQ(O.GetLeadStr().size(), 5u * 2 + 3 + 1);
    EXPECT_EQ(O.GetPunctuationStr().size(), 4u * 2 + 2 + 2);
    EXPECT_EQ(O.GetLeadStr(), "\x81\x69\x81\x6D\x81\x6F\x81\x75\x81\x77([{\xA2");
    EXPECT_EQ(O.GetPunctuationStr(), "\x81\x41\x81\x42\x81\x43\x81\x44,.\xA1\xA4");
    EXPECT_EQ(O.GetFollowStr().substr(O.GetFollowStr().size() - 7), "\xA1\xA3\xA4\xA5\xB0\xDE\xDF");
    for (const char* C : {"、", "ー", "』", "!", "}", "ﾟ", "ｰ"})
        EXPECT_TRUE(IncludesStr(Literal(C), O.GetFollowStr())) << C;
    for (const char* C : {"「", "（", "a", "(", "ソ"})
        EXPECT_EQ(IncludesStr(Literal(C), O.GetFollowStr()), false) << C;
}

TEST(WrapOptionTest, SettersFireOnlyOnARealChange) {
    struct Case {
        const char* Name;
        std::function<void(TEditorWrapOption&)> Set;
    };
    const Case Cases[] = {
        {"FollowRetMark", [](TEditorWrapOption& O) { O.SetFollowRetMark(true); }},
        {"FollowPunctuation", [](TEditorWrapOption& O) { O.SetFollowPunctuation(true); }},
        {"FollowStr", [](TEditorWrapOption& O) { O.SetFollowStr("x"); }},
        {"Leading", [](TEditorWrapOption& O) { O.SetLeading(true); }},
        {"LeadStr", [](TEditorWrapOption& O) { O.SetLeadStr(""); }},
        {"PunctuationStr", [](TEditorWrapOption& O) { O.SetPunctuationStr(","); }},
        {"WordBreak", [](TEditorWrapOption& O) { O.SetWordBreak(true); }},
        {"WrapByte", [](TEditorWrapOption& O) { O.SetWrapByte(40); }},
        {"WrapByte clamped", [](TEditorWrapOption& O) { O.SetWrapByte(-7); }},
    };
    for (const Case& C : Cases) {
        TEditorWrapOption O;
        Listener L;
        O.OnChange = TNotifyEvent::Of<&Listener::Changed>(&L);
        C.Set(O);
        EXPECT_EQ(L.Count, 1) << C.Name;
        C.Set(O);
        EXPECT_EQ(L.Count, 1) << C.Name << " set again to the same value";
    }
    TEditorWrapOption O;
    Listener L;
    O.OnChange = TNotifyEvent::Of<&Listener::Changed>(&L);
    O.SetWrapByte(80);
    O.SetFollowStr(O.GetFollowStr());
    O.SetLeading(false);
    EXPECT_EQ(L.Count, 0);
}

TEST(WrapOptionTest, WrapByteIsClamped) {
    struct Case {
        int Set;
        int Read;
    };
    for (const Case C : {Case{10, 20}, Case{19, 20}, Case{20, 20}, Case{21, 21}, Case{250, 250},
                         Case{251, 250}, Case{300, 250}, Case{-1, 20}}) {
        TEditorWrapOption O;
        O.SetWrapByte(C.Set);
        EXPECT_EQ(O.GetWrapByte(), C.Read) << C.Set;
    }
}

TEST(WrapOptionTest, AssignCopiesAllValuesAndReportsOnce) {
    TEditorWrapOption Source;
    Source.SetFollowRetMark(true);
    Source.SetFollowPunctuation(true);
    Source.SetFollowStr("f");
    Source.SetLeading(true);
    Source.SetLeadStr("l");
    Source.SetPunctuationStr("p");
    Source.SetWordBreak(true);
    Source.SetWrapByte(33);

    TEditorWrapOption Dest;
    Listener L;
    Dest.OnChange = TNotifyEvent::Of<&Listener::Changed>(&L);
    Dest.Assign(&Source);
    EXPECT_EQ(L.Count, 1);
    EXPECT_TRUE(Dest.GetFollowRetMark());
    EXPECT_TRUE(Dest.GetFollowPunctuation());
    EXPECT_EQ(Dest.GetFollowStr(), "f");
    EXPECT_TRUE(Dest.GetLeading());
    EXPECT_EQ(Dest.GetLeadStr(), "l");
    EXPECT_EQ(Dest.GetPunctuationStr(), "p");
    EXPECT_TRUE(Dest.GetWordBreak());
    EXPECT_EQ(Dest.GetWrapByte(), 33);

    Dest.Assign(&Source); // same values: still one report
    EXPECT_EQ(L.Count, 2);

    // Inside an open bracket the report waits for its end.
    TEditorWrapOption Other;
    Dest.BeginUpdate();
    Dest.Assign(&Other);
    EXPECT_EQ(L.Count, 2);
    Dest.EndUpdate();
    EXPECT_EQ(L.Count, 3);
    EXPECT_EQ(Dest.GetWrapByte(), 80);

    TNotifyPersistent Unrelated;
    EXPECT_THROW(Dest.Assign(&Unrelated), EConvertError);
}

} // namespace
