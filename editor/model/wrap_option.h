// The line-breaking options of an editor's screen rows.
#pragma once

#include <string>

#include "editor/colouring/notify.h"

// Word-wrap options. Every setter that changes a value fires OnChange (through Changed);
// the strings are CP932 byte strings.
class TEditorWrapOption : public TNotifyPersistent {
public:
    static constexpr int MinWrapByte = 20;
    static constexpr int MaxWrapByte = 250;

    TEditorWrapOption();

    // Copies all eight values of another TEditorWrapOption and reports once.
    void Assign(TPersistent* Source) override;

    // A line that fills its last row exactly ends on that row (no empty row after it).
    bool GetFollowRetMark() const { return FFollowRetMark; }
    void SetFollowRetMark(bool Value);
    // Characters of PunctuationStr may hang up to two columns past the margin.
    bool GetFollowPunctuation() const { return FFollowPunctuation; }
    void SetFollowPunctuation(bool Value);
    // Characters that may not begin a row.
    const std::string& GetFollowStr() const { return FFollowStr; }
    void SetFollowStr(const std::string& Value);
    // Switches on the two rules of LeadStr and FollowStr.
    bool GetLeading() const { return FLeading; }
    void SetLeading(bool Value);
    // Characters that may not end a row.
    const std::string& GetLeadStr() const { return FLeadStr; }
    void SetLeadStr(const std::string& Value);
    // Characters that may hang past the margin.
    const std::string& GetPunctuationStr() const { return FPunctuationStr; }
    void SetPunctuationStr(const std::string& Value);
    // Prefer a break after a delimiter, a tab or a double-byte character.
    bool GetWordBreak() const { return FWordBreak; }
    void SetWordBreak(bool Value);
    // Row width in display columns, kept within MinWrapByte..MaxWrapByte.
    int GetWrapByte() const { return FWrapByte; }
    void SetWrapByte(int Value);

    // The default strings (CP932).
    static const std::string& DefaultFollowStr();
    static const std::string& DefaultLeadStr();
    static const std::string& DefaultPunctuationStr();

private:
    template <class T> void Store(T& Field, const T& Value);

    bool FFollowRetMark = false;
    bool FFollowPunctuation = false;
    std::string FFollowStr;
    bool FLeading = false;
    std::string FLeadStr;
    std::string FPunctuationStr;
    bool FWordBreak = false;
    int FWrapByte = 80;
};
