// The feed check: each kind of finding from a store that holds it, none from a clean one,
// the forms of dates and links, and the markup verdict against a real XML parser.
#include "app/feed_check.h"

#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <tuple>

#include "app/feed_builder.h"
#include "app_data_support.h"
#include "editor/control/editor.h"
#include "platform/classes.h"
#include "platform/cp932.h"

using cp932::Literal;

namespace {

// A feed without a fault: three items, all written.
TAppData CleanData() {
    TAppData D;
    D.SiteE = "https://example.jp/";
    D.NameE = Literal("サイト");
    D.Settings.FTimeZone = "+09:00";
    for (int I = 3; I >= 1; --I) {
        const std::string K = std::to_string(I);
        D.Items.InsertItem({"http://example.jp/" + K, "2026-12-0" + K + "T10:00:00+09:00", Literal("説明・") + K + "|",
                            Literal("記事") + K});
    }
    return D;
}

// One change a row makes to the clean data: a field of item Item, or of the site or settings.
enum TField { fLink, fTime, fDes, fTitle, fSite, fName, fZone, fSiteDes, fXsl, fCss, fCssPathOnly, fMax };
struct TChange {
    TField Field;
    int Item;
    std::string Value;
};

void Apply(TAppData& D, const TChange& C) {
    TSettings& S = D.Settings;
    if (C.Field <= fTitle) {
        TFeedItem Item = D.Items.Item(C.Item);
        std::string* Fields[] = {&Item.Link, &Item.Time, &Item.Description, &Item.Title};
        *Fields[C.Field] = C.Value;
        D.Items.PutItem(C.Item, Item);
    } else if (C.Field == fMax) {
        D.SpinEdit1 = std::stoi(C.Value);
    } else {
        std::string* Fields[] = {&D.SiteE, &D.NameE, &S.FTimeZone, &S.FSiteDescription, &S.FXslPath, &S.FCssPath,
                                 &S.FCssPath};
        *Fields[C.Field - fSite] = C.Value;
        S.FXslFlag = S.FXslFlag || C.Field == fXsl;
        S.FCssFlag = S.FCssFlag || C.Field == fCss;
    }
}

using TExpected = std::tuple<TFindingKind, TFindingSeverity, int>;

} // namespace

TEST(FeedCheck, EachKindOfFindingAndNone) {
    const struct {
        const char* Name;
        std::vector<TChange> Changes;
        std::vector<TExpected> Expected;
    } Cases[] = {
        {"clean", {}, {}},
        {"same link twice", {{fLink, 2, "http://example.jp/1"}}, {{fkDuplicateLink, fsError, 2}}},
        {"relative link", {{fLink, 1, "news/2.html"}}, {{fkBadLink, fsWarning, 1}}},
        {"empty link", {{fLink, 0, ""}}, {{fkBadLink, fsError, 0}}},
        {"site URL left at http://", {{fSite, 0, "http://"}}, {{fkBadLink, fsError, -1}}},
        {"empty title", {{fTitle, 1, ""}}, {{fkEmptyTitle, fsWarning, 1}}},
        {"time typed by hand", {{fTime, 0, "2026/12/08 10:00"}}, {{fkBadTime, fsWarning, 0}}},
        {"time zone of the settings", {{fZone, 0, "+0900"}}, {{fkBadTime, fsWarning, -1}}},
        {"line break in a link",
         {{fLink, 2, "http://example.jp/\r\n3"}},
         {{fkBadLink, fsWarning, 2}, {fkChangedCharacters, fsWarning, 2}}},
        {"control character and unmapped pair in a description",
         {{fDes, 0, "a\x01|b\x85\x40|"}},
         {{fkChangedCharacters, fsWarning, 0}, {fkChangedCharacters, fsWarning, 0}}},
        {"broken site description", {{fSiteDes, 0, "<b>bold & more"}}, {{fkBrokenMarkup, fsError, -1}}},
        {"site description with references only", {{fSiteDes, 0, "A&amp;B &#x3042; &lt;x&gt;"}}, {}},
        {"site description with a tag", {{fSiteDes, 0, "<b>bold</b>"}}, {{fkBrokenMarkup, fsWarning, -1}}},
        {"XSL path that ends the instruction", {{fXsl, 0, "a.xsl?>"}}, {{fkBrokenMarkup, fsError, -1}}},
        {"CSS path with a quote", {{fCss, 0, "a\".css"}}, {{fkBrokenMarkup, fsWarning, -1}}},
        {"a bad path that is switched off", {{fCssPathOnly, 0, "a\".css"}}, {}},
        {"items beyond the limit; a duplicate among them is not written",
         {{fMax, 0, "2"}, {fLink, 2, "http://example.jp/1"}},
         {{fkItemsLeftOut, fsNote, -1}}},
        {"a limit of 0 writes nothing", {{fMax, 0, "0"}}, {{fkItemsLeftOut, fsNote, -1}}},
        {"empty site name", {{fName, 0, ""}}, {{fkEmptySiteName, fsWarning, -1}}},
    };
    for (const auto& C : Cases) {
        TAppData D = CleanData();
        for (const TChange& Change : C.Changes) Apply(D, Change);
        std::vector<TExpected> Got;
        for (const TFinding& F : CheckFeed(D)) {
            Got.emplace_back(F.Kind, F.Severity, F.ItemIndex);
            EXPECT_EQ(F.Title, F.ItemIndex >= 0 ? D.Items.Title(F.ItemIndex) : std::string_view()) << C.Name;
            EXPECT_EQ(F.Message.find_first_of("\r\n"), std::string::npos) << C.Name; // one line
        }
        EXPECT_EQ(Got, C.Expected) << C.Name;
    }
}

TEST(FeedCheck, FormsOfDatesAndLinks) {
    const std::pair<const char*, bool> Dates[] = {
        {"2026-12-08T09:30:00+09:00", true}, {"2026-12-08T09:30+09:00", true}, {"2026-12-08T09:30:00.5Z", true},
        {"2026-12-08", true},                {"2026-12", true},                {"2026", true},
        {"2024-02-29", true},                {"2026-02-29", false},            {"2026-13-01", false},
        {"2026-12-08T24:00:00Z", false},     {"2026-12-08T09:30:00", false},   {"2026-12-08T09:30:00+0900", false},
        {"2026/12/08", false},               {"", false},                      {"2026-12-08 09:30:00+09:00", false},
        {"2026-12-08T09:30:00+09:00x", false}, {"2026-12-08T09:30:60Z", false}, {"2026-12-08T09:30:00.Z", false},
    };
    for (const auto& [S, Ok] : Dates) EXPECT_EQ(IsW3cDateTime(S), Ok) << S;
    const std::pair<const char*, bool> Links[] = {
        {"http://example.jp/", true},   {"HTTPS://example.jp", true},   {"http://user@example.jp:8080/x?y#z", true},
        {"http://", false},             {"https://", false},            {"http:///path", false},
        {"ftp://example.jp/", false},   {"/news/1", false},             {"example.jp", false},
        {"http://exa mple.jp/", false}, {"http://example.jp:80a/", false}, {"http://example.jp/\t", false},
    };
    for (const auto& [S, Ok] : Links) EXPECT_EQ(IsAbsoluteHttpUrl(S), Ok) << S;
}

// Random fragments of markup as the site description: the check says "well-formed"
// exactly when a namespace-aware XML parser reads the whole feed without an error.
TEST(FeedCheck, MarkupVerdictAgreesWithAnXmlParser) {
    const std::string Pieces[] = {
        "<b>", "</b>", "<i x=\"1\">", "<i x='1' y=\"2\">", "</i>", "<br/>", "<br />", "<dc:x>", "</dc:x>", "<q:x>",
        "<b x='1' x='2'>", "<b x=1>", "<b x='<'>", "&amp;", "&nbsp;", "&#38;", "&#x3042;", "&#1;", "&#xD800;", "&",
        "<", ">", "]]>", "]]", "<!-- c -->", "<!-- a -- b -->", "<![CDATA[<&]]>", "<?pi x?>", "<?xml x?>", "text",
        Literal("日本"), "\x81\x5D", "\x81\x5D]>", " ", "</ b>", "< b>", "<b\t>", "&lt", "&apos;",
    };
    std::mt19937 Rng(17);
    std::unique_ptr<TEditor> Editor1(TEditor::Create(nullptr));
    TStringList FOutput;
    int WellFormed = 0, Broken = 0;
    for (int Round = 0; Round < 500; ++Round) {
        TAppData D;
        D.NameE = "n";
        std::string Description;
        for (int N = 1 + static_cast<int>(Rng() % 5); N > 0; --N) Description += Pieces[Rng() % std::size(Pieces)];
        D.Settings.FSiteDescription = Description;
        BuildFeed(false, D, *Editor1, FOutput, 0);
        const std::string Bytes = FeedFileBytes(FOutput);
        QXmlStreamReader R(QByteArray(Bytes.data(), static_cast<qsizetype>(Bytes.size())));
        while (!R.atEnd()) R.readNext();
        const bool Checked = IsWellFormedContent(Description);
        ASSERT_EQ(Checked, !R.hasError()) << Description << "\n" << R.errorString().toStdString();
        (Checked ? WellFormed : Broken)++;
    }
    // Both verdicts occur often enough for the agreement to mean something.
    EXPECT_GT(WellFormed, 50);
    EXPECT_GT(Broken, 50);
}
