// The feed check: links, titles, time stamps, characters the feed changes, raw markup,
// the item limit and the site name, found in the data the feed is built from.
#include "app/feed_check.h"

#include <array>
#include <unordered_map>

#include "app/feed_builder.h"
#include "app/item_store.h"
#include "platform/cp932.h"

using cp932::Literal;

namespace {

bool IsDigit(char C) {
    return C >= '0' && C <= '9';
}

bool IsBlank(char C) {
    return C == ' ' || C == '\t' || C == '\r' || C == '\n';
}

// The value of Count digits at S[At], or -1 when they are not all digits.
int Digits(std::string_view S, size_t At, size_t Count) {
    if (At + Count > S.size()) return -1;
    int V = 0;
    for (size_t I = At; I < At + Count; ++I) {
        if (!IsDigit(S[I])) return -1;
        V = V * 10 + (S[I] - '0');
    }
    return V;
}

int DaysInMonth(int Year, int Month) {
    static constexpr std::array<int, 12> Days{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool Leap = (Year % 4 == 0 && Year % 100 != 0) || Year % 400 == 0;
    return Month == 2 && Leap ? 29 : Days[static_cast<size_t>(Month - 1)];
}

bool StartsWithNoCase(std::string_view S, std::string_view Prefix) {
    if (S.size() < Prefix.size()) return false;
    for (size_t I = 0; I < Prefix.size(); ++I) {
        char C = S[I];
        if (C >= 'A' && C <= 'Z') C = static_cast<char>(C - 'A' + 'a');
        if (C != Prefix[I]) return false;
    }
    return true;
}

// The first position at or after From where Needle starts at a character boundary (a trail
// byte such as 0x5D ']' is never taken for the character it resembles).
size_t FindText(std::string_view S, size_t From, std::string_view Needle) {
    for (size_t I = From; I < S.size(); I += CharLength(S, I))
        if (S.compare(I, Needle.size(), Needle) == 0) return I;
    return std::string_view::npos;
}

// A short form of a field for a message: at most 60 bytes, cut between characters, with
// control characters as blanks so that a message stays one line.
std::string Quoted(std::string_view S) {
    constexpr size_t Max = 60;
    std::string Out = Literal("「");
    size_t I = 0;
    for (; I < S.size() && I + CharLength(S, I) <= Max; I += CharLength(S, I)) {
        if (CharLength(S, I) == 1 && static_cast<unsigned char>(S[I]) < 0x20)
            Out += ' ';
        else
            Out.append(S.substr(I, CharLength(S, I)));
    }
    if (I < S.size()) Out += Literal("…");
    Out += Literal("」");
    return Out;
}

bool IsNameStart(unsigned char C) {
    return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || C == '_' || C == ':' || C >= 0x80;
}

bool IsNameChar(unsigned char C) {
    return IsNameStart(C) || IsDigit(static_cast<char>(C)) || C == '-' || C == '.';
}

// The well-formedness walk over element content, with the reason of the first fault.
class TContentChecker {
public:
    explicit TContentChecker(std::string_view S) : S(S) {}

    bool Run() {
        while (I < S.size()) {
            const char C = S[I];
            if (C == '&') {
                if (!Reference()) return false;
            } else if (C == '<') {
                if (!Markup()) return false;
            } else if (S.compare(I, 3, "]]>") == 0) {
                return Fail("「]]>」は本文に書けません");
            } else {
                I += CharLength(S, I);
            }
        }
        if (!Open.empty()) return Fail("<" + std::string(Open.back()) + Literal("> が閉じていません"));
        return true;
    }

    std::string Problem;
    bool HasElements() const { return HadTag; }

private:
    bool Fail(const char* Utf8) {
        Problem = Literal(Utf8);
        return false;
    }
    bool Fail(const std::string& Cp932) {
        Problem = Cp932;
        return false;
    }

    static bool IsXmlChar(unsigned long V) {
        return V == 0x9 || V == 0xA || V == 0xD || (V >= 0x20 && V <= 0xD7FF) || (V >= 0xE000 && V <= 0xFFFD) ||
               (V >= 0x10000 && V <= 0x10FFFF);
    }

    // "&name;" of XML's five entities, or a character reference to a character XML allows.
    bool Reference() {
        const size_t Semi = S.find(';', I);
        if (Semi == std::string_view::npos || Semi - I > 12) return Fail("「&」の後が文字参照でも実体参照でもありません");
        const std::string_view Name = S.substr(I + 1, Semi - I - 1);
        bool Ok = Name == "amp" || Name == "lt" || Name == "gt" || Name == "quot" || Name == "apos";
        if (!Ok && Name.size() > 1 && Name[0] == '#') {
            const bool Hex = Name[1] == 'x';
            const std::string_view Num = Name.substr(Hex ? 2 : 1);
            unsigned long V = 0;
            Ok = !Num.empty();
            for (const char D : Num) {
                int N = -1;
                if (IsDigit(D)) N = D - '0';
                else if (Hex && D >= 'a' && D <= 'f') N = D - 'a' + 10;
                else if (Hex && D >= 'A' && D <= 'F') N = D - 'A' + 10;
                if (N < 0) {
                    Ok = false;
                    break;
                }
                V = V * (Hex ? 16 : 10) + static_cast<unsigned long>(N);
            }
            Ok = Ok && IsXmlChar(V);
        }
        if (!Ok) return Fail("&" + std::string(Name) + Literal("; は XML の参照ではありません"));
        I = Semi + 1;
        return true;
    }

    std::string_view Name() {
        const size_t Start = I;
        if (I < S.size() && IsNameStart(static_cast<unsigned char>(S[I]))) {
            while (I < S.size() && IsNameChar(static_cast<unsigned char>(S[I]))) I += CharLength(S, I);
        }
        return S.substr(Start, I - Start);
    }

    // A prefixed name must use a prefix the feed's root declares (or xml, or xmlns for an
    // attribute); namespace-aware parsers reject any other.
    bool KnownPrefix(std::string_view Name, bool Attribute) {
        const size_t Colon = Name.find(':');
        if (Colon == std::string_view::npos) return true;
        const std::string_view Prefix = Name.substr(0, Colon), Local = Name.substr(Colon + 1);
        const bool Known = Prefix == "rdf" || Prefix == "dc" || Prefix == "sy" || Prefix == "xml" ||
                           (Attribute && Prefix == "xmlns");
        if (Known && !Local.empty() && Local.find(':') == std::string_view::npos) return true;
        return Fail(std::string(Name) + Literal(" の名前空間接頭辞は宣言されていません"));
    }


    void SkipBlanks() {
        while (I < S.size() && IsBlank(S[I])) ++I;
    }

    bool Markup() {
        if (S.compare(I, 4, "<!--") == 0) {
            const size_t End = FindText(S, I + 4, "--");
            if (End == std::string_view::npos || S.compare(End, 3, "-->") != 0)
                return Fail("コメントが「-->」で閉じていません");
            I = End + 3;
            return true;
        }
        if (S.compare(I, 9, "<![CDATA[") == 0) {
            const size_t End = FindText(S, I + 9, "]]>");
            if (End == std::string_view::npos) return Fail("CDATA セクションが閉じていません");
            I = End + 3;
            return true;
        }
        if (S.compare(I, 2, "<?") == 0) {
            I += 2;
            const std::string_view Target = Name();
            const size_t End = FindText(S, I, "?>");
            // The target "xml" (in any case) is the declaration, which content cannot hold.
            if (Target.empty() || (Target.size() == 3 && StartsWithNoCase(Target, "xml")) ||
                End == std::string_view::npos)
                return Fail("処理命令「<?」が正しくありません");
            I = End + 2;
            return true;
        }
        if (S.compare(I, 2, "</") == 0) {
            I += 2;
            const std::string_view Tag = Name();
            SkipBlanks();
            if (Tag.empty() || I >= S.size() || S[I] != '>') return Fail("終了タグ「</」が正しくありません");
            if (Open.empty() || Open.back() != Tag)
                return Fail("</" + std::string(Tag) + Literal("> に対応する開始タグがありません"));
            Open.pop_back();
            ++I;
            return true;
        }
        ++I;
        const std::string_view Tag = Name();
        if (Tag.empty()) return Fail("「<」がタグを始めていません（本文の「<」は &lt; と書きます）");
        if (!KnownPrefix(Tag, false)) return false;
        HadTag = true;
        std::vector<std::string_view> Attributes;
        for (;;) {
            const size_t BeforeBlanks = I;
            SkipBlanks();
            if (I >= S.size()) break;
            if (S[I] == '>') {
                Open.push_back(Tag);
                ++I;
                return true;
            }
            if (S.compare(I, 2, "/>") == 0) {
                I += 2;
                return true;
            }
            const std::string_view Attribute = Name();
            if (Attribute.empty() || I == BeforeBlanks) break;
            if (!KnownPrefix(Attribute, true)) return false;
            for (const std::string_view A : Attributes)
                if (A == Attribute) return Fail("属性 " + std::string(Attribute) + Literal(" が重複しています"));
            Attributes.push_back(Attribute);
            SkipBlanks();
            if (I >= S.size() || S[I] != '=') break;
            ++I;
            SkipBlanks();
            if (I >= S.size() || (S[I] != '"' && S[I] != '\'')) break;
            const char Quote = S[I++];
            while (I < S.size() && S[I] != Quote) {
                if (S[I] == '<') return Fail("属性値に「<」があります");
                if (S[I] == '&') {
                    if (!Reference()) return false;
                } else {
                    I += CharLength(S, I);
                }
            }
            if (I >= S.size()) break;
            ++I;
        }
        return Fail("<" + std::string(Tag) + Literal(" のタグが正しく閉じていません"));
    }

    std::string_view S;
    size_t I = 0;
    std::vector<std::string_view> Open;
    bool HadTag = false;
};

// What a field holds that the feed cannot carry as it is.
struct TCharacterFaults {
    bool LineBreak = false; // CR or LF: written as a blank
    bool Control = false;   // other control characters but tab: left out
    bool Unmapped = false;  // bytes without a CP932 character: written as U+30FB
};

TCharacterFaults FindCharacterFaults(std::string_view Field) {
    TCharacterFaults F;
    const std::u16string Text = cp932::ToUtf16(Field);
    // ToUtf16 gives one unit per character, walked as CharLength walks the bytes.
    size_t K = 0;
    for (size_t I = 0; I < Field.size() && K < Text.size(); I += CharLength(Field, I), ++K) {
        const char16_t U = Text[K];
        if (U == u'\r' || U == u'\n')
            F.LineBreak = true;
        else if (U < 0x20 && U != u'\t')
            F.Control = true;
        else if (U == cp932::kReplacementChar && Field.compare(I, 2, "\x81\x45") != 0)
            F.Unmapped = true;
    }
    return F;
}

class TFeedChecker {
public:
    explicit TFeedChecker(const TAppData& Data) : D(Data) {}

    std::vector<TFinding> Run() {
        Site();
        const int Written = FeedItemCount(D, false);
        std::unordered_map<std::string_view, int> FirstWithLink;
        for (int I = 0; I < Written; ++I) {
            Item(I);
            const auto [At, New] = FirstWithLink.emplace(D.Items.Link(I), I);
            if (!New)
                Add(fkDuplicateLink, fsError, I,
                    Literal("リンク") + Quoted(D.Items.Link(I)) + Literal("がアイテム ") + std::to_string(At->second + 1) +
                        Literal(" と同じです。フィードリーダーはどちらか一方しか残しません。"));
        }
        const int64_t LeftOut = D.Items.Count() - Written + D.Items.NotKept();
        if (LeftOut > 0)
            Add(fkItemsLeftOut, fsNote, -1,
                std::to_string(LeftOut) + Literal(" 件のアイテムは Max RSS Item（") + std::to_string(D.SpinEdit1) +
                    Literal("）を超えるため、フィードに含まれません。"));
        return std::move(Found);
    }

private:
    void Add(TFindingKind Kind, TFindingSeverity Severity, int Item, std::string Message) {
        Found.push_back({Kind, Severity, Item, Item >= 0 ? std::string(D.Items.Title(Item)) : std::string(), std::move(Message)});
    }

    void Link(std::string_view Url, int Item, const char* WhatUtf8) {
        if (IsAbsoluteHttpUrl(Url)) return;
        const std::string What = Literal(WhatUtf8);
        if (Url.empty())
            Add(fkBadLink, fsError, Item, What + Literal("が空です。"));
        else if (Url == "http://" || Url == "https://")
            Add(fkBadLink, fsError, Item, What + Literal("が「") + std::string(Url) + Literal("」のままです。"));
        else
            Add(fkBadLink, fsWarning, Item,
                What + Quoted(Url) + Literal("は http または https で始まる絶対 URL ではありません。"));
    }

    void Characters(std::string_view Field, int Item, const char* WhatUtf8) {
        const TCharacterFaults F = FindCharacterFaults(Field);
        const std::string What = Literal(WhatUtf8);
        if (F.LineBreak) Add(fkChangedCharacters, fsWarning, Item, What + Literal("に改行があります。フィードでは空白になります。"));
        if (F.Control)
            Add(fkChangedCharacters, fsWarning, Item,
                What + Literal("に XML で使えない制御文字があります。フィードでは省かれます。"));
        if (F.Unmapped)
            Add(fkChangedCharacters, fsWarning, Item,
                What + Literal("に文字にならないバイトがあります。フィードでは「・」になります。"));
    }

    void StyleSheet(bool On, std::string_view Path, const char* WhatUtf8) {
        if (!On) return;
        const std::string What = Literal(WhatUtf8);
        Characters(Path, -1, WhatUtf8);
        if (FindText(Path, 0, "?>") != std::string_view::npos)
            Add(fkBrokenMarkup, fsError, -1, What + Literal("に「?>」があり、フィードが XML として壊れます。"));
        else if (Path.find('"') != std::string_view::npos || Path.find('<') != std::string_view::npos ||
                 (Path.find('&') != std::string_view::npos && !IsWellFormedContent(Path)))
            Add(fkBrokenMarkup, fsWarning, -1,
                What + Literal("はそのまま書き出されるため、「\"」「<」「&」を含むとスタイルシートの指定が壊れます。"));
    }

    void Site() {
        Link(D.SiteE, -1, "サイトの URL ");
        Characters(D.SiteE, -1, "サイトの URL ");
        if (D.NameE.empty()) Add(fkEmptySiteName, fsWarning, -1, Literal("サイト名が空です。"));
        Characters(D.NameE, -1, "サイト名");
        // An empty description is filled in from the escaped site name when the feed is built.
        const std::string& Description = D.Settings.FSiteDescription;
        TContentChecker Markup(Description);
        if (!Markup.Run())
            Add(fkBrokenMarkup, fsError, -1,
                Literal("サイトの説明文はそのまま書き出されるため、フィードが XML として壊れます（") + Markup.Problem +
                    Literal("）。"));
        else if (Markup.HasElements())
            // An element inside a property is read by RDF parsers as a resource, not as text.
            Add(fkBrokenMarkup, fsWarning, -1,
                Literal("サイトの説明文にタグがあります。RDF として読むリーダーは説明文を読めません。"));
        Characters(Description, -1, "サイトの説明文");
        if (!IsW3cDateTime(TimeStampAt(0, D.Settings.FTimeZone)))
            Add(fkBadTime, fsWarning, -1,
                Literal("設定のタイムゾーン") + Quoted(D.Settings.FTimeZone) +
                    Literal("は「+09:00」や「Z」の形ではありません。フィードの日時が正しく読まれません。"));
        StyleSheet(D.Settings.FXslFlag, D.Settings.FXslPath, "XSL のパス");
        StyleSheet(D.Settings.FCssFlag, D.Settings.FCssPath, "CSS のパス");
    }

    void Item(int I) {
        const TItemStore& S = D.Items;
        if (S.Title(I).empty()) Add(fkEmptyTitle, fsWarning, I, Literal("タイトルが空です。"));
        Link(S.Link(I), I, "リンク");
        if (!IsW3cDateTime(S.Time(I)))
            Add(fkBadTime, fsWarning, I,
                Literal("更新時刻") + Quoted(S.Time(I)) +
                    Literal("は W3C の日時形式（例: 2026-12-08T09:30:00+09:00）ではありません。"));
        Characters(S.Title(I), I, "タイトル");
        Characters(S.Link(I), I, "リンク");
        Characters(S.Time(I), I, "更新時刻");
        Characters(S.Description(I), I, "説明文");
    }

    const TAppData& D;
    std::vector<TFinding> Found;
};

} // namespace

bool IsW3cDateTime(std::string_view S) {
    const int Year = Digits(S, 0, 4);
    if (Year < 0) return false;
    if (S.size() == 4) return true;
    const int Month = S.size() >= 7 && S[4] == '-' ? Digits(S, 5, 2) : -1;
    if (Month < 1 || Month > 12) return false;
    if (S.size() == 7) return true;
    const int Day = S.size() >= 10 && S[7] == '-' ? Digits(S, 8, 2) : -1;
    if (Day < 1 || Day > DaysInMonth(Year, Month)) return false;
    if (S.size() == 10) return true;
    if (S.size() < 16 || S[10] != 'T' || S[13] != ':') return false;
    const int Hour = Digits(S, 11, 2), Minute = Digits(S, 14, 2);
    if (Hour < 0 || Hour > 23 || Minute < 0 || Minute > 59) return false;
    size_t I = 16;
    if (I < S.size() && S[I] == ':') {
        const int Second = Digits(S, I + 1, 2);
        if (Second < 0 || Second > 59) return false;
        I += 3;
        if (I < S.size() && S[I] == '.') {
            const size_t Start = ++I;
            while (I < S.size() && IsDigit(S[I])) ++I;
            if (I == Start) return false;
        }
    }
    // The zone is required once a time is given.
    if (I < S.size() && S[I] == 'Z') return I + 1 == S.size();
    if (I + 6 != S.size() || (S[I] != '+' && S[I] != '-') || S[I + 3] != ':') return false;
    const int ZoneHour = Digits(S, I + 1, 2), ZoneMinute = Digits(S, I + 4, 2);
    return ZoneHour >= 0 && ZoneHour <= 23 && ZoneMinute >= 0 && ZoneMinute <= 59;
}

bool IsAbsoluteHttpUrl(std::string_view S) {
    size_t P = 0;
    if (StartsWithNoCase(S, "http://"))
        P = 7;
    else if (StartsWithNoCase(S, "https://"))
        P = 8;
    else
        return false;
    for (const char C : S)
        if (static_cast<unsigned char>(C) <= 0x20 || C == 0x7F) return false;
    // The authority ends at the path, query or fragment; none of these bytes is a trail byte.
    std::string_view Host = S.substr(P, S.find_first_of("/?#", P) - P);
    if (const size_t At = Host.rfind('@'); At != std::string_view::npos) Host.remove_prefix(At + 1);
    if (const size_t Colon = Host.rfind(':'); Colon != std::string_view::npos && Host.find(']') == std::string_view::npos) {
        for (const char C : Host.substr(Colon + 1))
            if (!IsDigit(C)) return false;
        Host = Host.substr(0, Colon);
    }
    return !Host.empty();
}

bool IsWellFormedContent(std::string_view S, std::string* Problem) {
    TContentChecker C(S);
    const bool Ok = C.Run();
    if (!Ok && Problem) *Problem = C.Problem;
    return Ok;
}

std::vector<TFinding> CheckFeed(const TAppData& Data) {
    return TFeedChecker(Data).Run();
}

std::string SeverityName(TFindingSeverity Severity) {
    switch (Severity) {
    case fsError:
        return Literal("エラー");
    case fsWarning:
        return Literal("警告");
    case fsNote:
        break;
    }
    return Literal("注意");
}

std::string FindingText(const TFinding& Finding) {
    std::string S = "[" + SeverityName(Finding.Severity) + "] ";
    if (Finding.ItemIndex >= 0)
        S += Literal("アイテム ") + std::to_string(Finding.ItemIndex + 1) + Quoted(Finding.Title) + ": ";
    return S + Finding.Message;
}
