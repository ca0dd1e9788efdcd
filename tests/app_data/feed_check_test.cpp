// The feed check: each kind of finding from a store that holds it, none from a clean one,
// the forms of dates and links, and the markup verdict against a real XML parser.
#include "app/feed_check.h"

#include <QXmlStreamReader>
#include <functional>
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

void SetItem(TAppData& D, int I, const std::function<void(TFeedItem&)>& Change) {
    TFeedItem Item = D.Items.Item(I);
    Change(Item);
    D.Items.PutItem(I, Item);
}

using TExpected = std::tuple<TFindingKind, TFindingSeverity, int>;

} // namespace

TEST(FeedCheck, EachKindOfFindingAndNone) {
    const struct {
        const char* Name;
        std::function<void(TAppData&)> Change;
        std::vector<TExpected> Expected;
    } Cases[] = {
        {"clean", [](TAppData&) {}, {}},
        {"same link twice", [](TAppData& D) { SetItem(D, 2, [](TFeedItem& I) { I.Link = "http://example.jp/1"; }); },
         {{fkDuplicateLink, fsError, 2}}},
        {"relative link", [](TAppData& D) { SetItem(D, 1, [](TFeedItem& I) { I.Link = "news/2.html"; }); },
         {{fkBadLink, fsWarning, 1}}},
        {"empty link", [](TAppData& D) { SetItem(D, 0, [](TFeedItem& I) { I.Link.clear(); }); },
         {{fkBadLink, fsError, 0}}},
        {"site URL left at http://", [](TAppData& D) { D.SiteE = "http://"; }, {{fkBadLink, fsError, -1}}},
        {"empty title", [](TAppData& D) { SetItem(D, 1, [](TFeedItem& I) { I.Title.clear(); }); },
         {{fkEmptyTitle, fsWarning, 1}}},
        {"time typed by hand", [](TAppData& D) { SetItem(D, 0, [](TFeedItem& I) { I.Time = "2026/12/08 10:00"; }); },
         {{fkBadTime, fsWarning, 0}}},
        {"time zone of the settings", [](TAppData& D) { D.Settings.FTimeZone = "+0900"; },
         {{fkBadTime, fsWarning, -1}}},
        {"line break in a title",
         [](TAppData& D) { SetItem(D, 2, [](TFeedItem& I) { I.Title = "a\r\nb"; }); },
         {{fkChangedCharacters, fsWarning, 2}}},
        {"control character and unmapped pair in a description",
         [](TAppData& D) { SetItem(D, 0, [](TFeedItem& I) { I.Description = "a\x01|b\x85\x40|"; }); },
         {{fkChangedCharacters, fsWarning, 0}, {fkChangedCharacters, fsWarning, 0}}},
        {"broken site description", [](TAppData& D) { D.Settings.FSiteDescription = "<b>bold & more"; },
         {{fkBrokenMarkup, fsError, -1}}},
        {"site description with entities only",
         [](TAppData& D) { D.Settings.FSiteDescription = "A&amp;B &#x3042; &lt;x&gt;"; }, {}},
        {"site description with a tag",
         [](TAppData& D) { D.Settings.FSiteDescription = "<b>bold</b>"; }, {{fkBrokenMarkup, fsWarning, -1}}},
        {"XSL path that ends the instruction",
         [](TAppData& D) {
             D.Settings.FXslFlag = true;
             D.Settings.FXslPath = "a.xsl?>";
         },
         {{fkBrokenMarkup, fsError, -1}}},
        {"CSS path with a quote", [](TAppData& D) {
             D.Settings.FCssFlag = true;
             D.Settings.FCssPath = "a\".css";
         },
         {{fkBrokenMarkup, fsWarning, -1}}},
        {"a bad path that is switched off", [](TAppData& D) { D.Settings.FCssPath = "a\".css"; }, {}},
        {"items beyond the limit; a duplicate among them is not written",
         [](TAppData& D) {
             D.SpinEdit1 = 2;
             SetItem(D, 2, [](TFeedItem& I) { I.Link = "http://example.jp/1"; });
         },
         {{fkItemsLeftOut, fsNote, -1}}},
        {"a limit of 0 writes nothing", [](TAppData& D) { D.SpinEdit1 = 0; }, {{fkItemsLeftOut, fsNote, -1}}},
        {"empty site name", [](TAppData& D) { D.NameE.clear(); }, {{fkEmptySiteName, fsWarning, -1}}},
    };
    for (const auto& C : Cases) {
        TAppData D = CleanData();
        C.Change(D);
        const TAppData Before = D;
        const std::vector<TFinding> Found = CheckFeed(D);
        std::vector<TExpected> Got;
        for (const TFinding& F : Found) {
            Got.emplace_back(F.Kind, F.Severity, F.ItemIndex);
            EXPECT_FALSE(F.Message.empty()) << C.Name;
            EXPECT_EQ(F.Title, F.ItemIndex >= 0 ? D.Items.Title(F.ItemIndex) : "") << C.Name;
        }
        EXPECT_EQ(Got, C.Expected) << C.Name;
        // Nothing the feed is built from changes.
        EXPECT_EQ(D.Settings.FSiteDescription, Before.Settings.FSiteDescription) << C.Name;
    }
    // The dialog's row: severity, the item counted from 1, its title, the message.
    TAppData D = CleanData();
    SetItem(D, 1, [](TFeedItem& I) { I.Time = "x"; });
    const std::vector<TFinding> Found = CheckFeed(D);
    ASSERT_EQ(Found.size(), 1u);
    EXPECT_EQ(FindingText(Found[0]), Literal("[警告] アイテム 2「記事2」: ") + Found[0].Message);
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
