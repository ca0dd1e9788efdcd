// The feed: the listing line by line, the item limit, escaping, the exact first and last
// bytes, well-formed XML from random stores, and writing it and the archive.
#include "app/feed_builder.h"

#include <QXmlStreamReader>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "app/cleanup.h"
#include "app_data_support.h"
#include "editor/control/editor.h"
#include "platform/classes.h"
#include "platform/cp932.h"
#include "platform/exceptions.h"

namespace {

const std::string kHead = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
const std::string kRoot = "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
                          "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
                          "xmlns:sy=\"http://purl.org/rss/1.0/modules/syndication/\" "
                          "xmlns=\"http://purl.org/rss/1.0/\">\n";

class FeedTest : public ::testing::Test {
protected:
    // The feed's bytes as they go to the file.
    std::string Feed(bool AllItems = false) {
        BuildFeed(AllItems, Data, *Editor1, FOutput, Now);
        EXPECT_EQ(FOutput.GetCount(), 1);
        return FeedFileBytes(FOutput);
    }
    void AddItems(int Count) {
        for (int I = 0; I < Count; ++I) {
            const std::string K = std::to_string(I);
            Data.Items.InsertItem({"http://e.jp/" + K, "t" + K, "d" + K + "|", "item" + K});
        }
    }

    TAppData Data;
    std::unique_ptr<TEditor> Editor1{TEditor::Create(nullptr)};
    TStringList FOutput;
    std::time_t Now = UtcTime(2008, 3, 1, 0, 0, 0);
};

int Occurrences(const std::string& S, const std::string& Part) {
    int N = 0;
    for (size_t P = S.find(Part); P != std::string::npos; P = S.find(Part, P + 1)) ++N;
    return N;
}

} // namespace

TEST_F(FeedTest, TheListingLineByLine) {
    Data.SiteE = "http://example.jp/";
    Data.NameE = "A&B";
    Data.Settings.FTimeZone = "+09:00";
    Data.Settings.FCssFlag = Data.Settings.FXslFlag = true;
    Data.Settings.FCssPath = "style.css";
    Data.Settings.FXslPath = "feed.xsl";
    Data.Items.InsertItem({"l3", "t3", cp932::Literal("説明|"), cp932::Literal("お知らせ")});
    Data.Items.InsertItem({"http://example.jp/2", "", "", ""});
    Data.Items.InsertItem({"http://example.jp/?a=1&b=\"2\"", "2008-03-01T09:05:07+09:00", "x|y|", "Q&A <1>"});
    const std::string Expected = kHead + "<?xml-stylesheet href=\"feed.xsl\" type=\"text/xsl\"?>\n" +
                                 "<?xml-stylesheet href=\"style.css\" type=\"text/css\"?>\n" + kRoot +
                                 "<channel rdf:about=\"http://example.jp/\">\n"
                                 "<title>A&amp;B</title>\n"
                                 "<link>http://example.jp/</link>\n"
                                 "<description>A&amp;B</description>\n"
                                 "<dc:language>ja</dc:language>\n"
                                 "<dc:date>2008-03-01T00:00:00+09:00</dc:date>\n"
                                 "\n"
                                 "<items>\n"
                                 "<rdf:Seq>\n"
                                 "<rdf:li rdf:resource=\"http://example.jp/?a=1&amp;b=&quot;2&quot;\"/>\n"
                                 "<rdf:li rdf:resource=\"http://example.jp/2\"/>\n"
                                 "<rdf:li rdf:resource=\"l3\"/>\n"
                                 "</rdf:Seq>\n"
                                 "</items>\n"
                                 "</channel>\n"
                                 "\n"
                                 "<item rdf:about=\"http://example.jp/?a=1&amp;b=&quot;2&quot;\">\n"
                                 "<title>Q&amp;A &lt;1&gt;</title>\n"
                                 "<link>http://example.jp/?a=1&amp;b=&quot;2&quot;</link>\n"
                                 "<description>xy</description>\n"
                                 "<dc:date>2008-03-01T09:05:07+09:00</dc:date>\n"
                                 "</item>\n"
                                 "\n"
                                 "<item rdf:about=\"http://example.jp/2\">\n"
                                 "<title></title>\n"
                                 "<link>http://example.jp/2</link>\n"
                                 "<description></description>\n"
                                 "<dc:date></dc:date>\n"
                                 "</item>\n"
                                 "\n"
                                 "<item rdf:about=\"l3\">\n"
                                 "<title>お知らせ</title>\n"
                                 "<link>l3</link>\n"
                                 "<description>説明</description>\n"
                                 "<dc:date>t3</dc:date>\n"
                                 "</item>\n"
                                 "</rdf:RDF>\n"
                                 "\r\n";
    EXPECT_EQ(Feed(), Expected);
    // The channel description was filled in from the site name and stays.
    EXPECT_EQ(Data.Settings.FSiteDescription, "A&amp;B");
    Data.NameE = "Other";
    EXPECT_NE(Feed().find("<description>A&amp;B</description>"), std::string::npos);
}

TEST_F(FeedTest, ItemLimitAndStyleSheets) {
    const struct {
        int Items;
        int32_t Spin;
        bool AllItems;
        int Written;
    } Cases[] = {{3, 5, false, 3}, {12, 10, false, 10}, {12, 10, true, 12}, {0, 5, false, 0},
                 {7, 0, false, 0}, {7, -5, false, 0},   {7, -5, true, 7},   {200, 150, false, 150}};
    for (const auto& C : Cases) {
        Data.Items.Clear();
        AddItems(C.Items);
        Data.SpinEdit1 = C.Spin;
        const std::string F = Feed(C.AllItems);
        EXPECT_EQ(Occurrences(F, "<item rdf:about="), C.Written) << C.Items << " " << C.Spin;
        EXPECT_EQ(Occurrences(F, "<rdf:li "), C.Written);
        if (C.Written > 0) { // from the top of the list, in list order
            EXPECT_LT(F.find("item" + std::to_string(C.Items - 1) + "<"),
                      F.find("item" + std::to_string(C.Items - 2) + "<"));
            EXPECT_EQ(F.find("item" + std::to_string(C.Items - C.Written - 1) + "<"), std::string::npos);
        } else {
            EXPECT_NE(F.find("<rdf:Seq>\n</rdf:Seq>\n</items>\n</channel>\n</rdf:RDF>\n\r\n"),
                      std::string::npos);
        }
        // The exact first and last bytes; no CR but in the last two bytes.
        EXPECT_EQ(F.rfind("<?xml", 0), 0u);
        EXPECT_EQ(F.substr(F.size() - 4), "\x3E\x0A\x0D\x0A");
        EXPECT_EQ(F.find('\r'), F.size() - 2);
    }

    const struct {
        bool Css, Xsl;
        std::string Line2;
    } Sheets[] = {{true, false, "<?xml-stylesheet href=\"s.css\" type=\"text/css\"?>\n"},
                  {false, true, "<?xml-stylesheet href=\"x.xsl\" type=\"text/xsl\"?>\n"},
                  {false, false, kRoot}};
    Data.Settings.FCssPath = "s.css";
    Data.Settings.FXslPath = "x.xsl";
    for (const auto& S : Sheets) {
        Data.Settings.FCssFlag = S.Css;
        Data.Settings.FXslFlag = S.Xsl;
        EXPECT_EQ(Feed().substr(kHead.size(), S.Line2.size()), S.Line2);
    }
}

TEST(EscapeXml, CharacterByCharacter) {
    const struct {
        std::string In, Out;
    } Cases[] = {
        {"", ""},
        {"Q&A <1>", "Q&amp;A &lt;1&gt;"},
        {"say \"hi\"", "say &quot;hi&quot;"},
        {"it's", "it's"},
        {"&amp;", "&amp;amp;"},
        {cp932::Literal("表&ポ<"), cp932::Literal("表&amp;ポ&lt;")},
        {"\x83", "\x83"},
        // A lead byte before a byte that cannot follow it is a character of its own: the
        // conversion reads the next byte alone, so it is escaped as itself.
        {"\x88&\x88<\x88\"", "\x88&amp;\x88&lt;\x88&quot;"},
    };
    for (const auto& C : Cases) EXPECT_EQ(EscapeXml(C.In), C.Out) << C.In;
}

namespace {

// What a field's text should read as in the parsed feed.
// A field as the feed shows it: each line break one blank, other control characters gone.
QString Expected(std::string_view Cp932) {
    std::u16string W = cp932::ToUtf16(Cp932);
    for (size_t I = 0; I < W.size(); ++I)
        if (W[I] == u'\r' && I + 1 < W.size() && W[I + 1] == u'\n') W.erase(I + 1, 1);
    std::replace_if(
        W.begin(), W.end(), [](char16_t C) { return C == u'\r' || C == u'\n'; }, u' ');
    std::erase_if(W, [](char16_t C) { return C < 0x20 && C != u'\t'; });
    return QString::fromUtf16(W.data(), static_cast<qsizetype>(W.size()));
}

std::string WithoutSeparators(std::string_view S) {
    std::string Out;
    for (size_t I = 0; I < S.size(); ++I) {
        if (cp932::IsLeadByte(S[I]) && I + 1 < S.size())
            Out += S.substr(I++, 2);
        else if (S[I] != '|')
            Out += S[I];
    }
    return Out;
}

struct TParsedItem {
    QString About, Title, Link, Description, Date;
};

// Parses the feed with a real XML parser; the items' fields as text.
std::vector<TParsedItem> ParseFeed(const std::string& Bytes, QString& Error) {
    QXmlStreamReader R(QByteArray(Bytes.data(), static_cast<qsizetype>(Bytes.size())));
    std::vector<TParsedItem> Items;
    const QString Rss = "http://purl.org/rss/1.0/", Dc = "http://purl.org/dc/elements/1.1/";
    while (!R.atEnd()) {
        if (R.readNext() != QXmlStreamReader::StartElement) continue;
        if (R.namespaceUri() == Rss && R.name() == u"item") {
            Items.emplace_back();
            Items.back().About =
                R.attributes().value("http://www.w3.org/1999/02/22-rdf-syntax-ns#", "about").toString();
        } else if (!Items.empty()) {
            const QString Name = R.name().toString();
            const bool InRss = R.namespaceUri() == Rss, InDc = R.namespaceUri() == Dc;
            const QString Text = R.readElementText();
            if (InRss && Name == "title") Items.back().Title = Text;
            if (InRss && Name == "link") Items.back().Link = Text;
            if (InRss && Name == "description") Items.back().Description = Text;
            if (InDc && Name == "date") Items.back().Date = Text;
        }
    }
    Error = R.hasError() ? R.errorString() : QString();
    return Items;
}

} // namespace

TEST_F(FeedTest, RandomStoresGiveWellFormedFeeds) {
    TRandomStore Random(5);
    std::mt19937 Rng(9);
    // Control characters, line breaks, unmappable pairs, lone lead bytes, stray bytes, markup.
    const std::string Odd[] = {"\x01", "\x1F", "\x08",  "\t",   "\x0B\x0C",           "\x85\x40",
                               "\x88", "\xFD", "\x80",  "\xA0", std::string(1, '\0'), "\r\n",
                               "\r",   "\n",   "&<x>\""};
    auto Field = [&] {
        std::string S = Random.Entry();
        for (int N = static_cast<int>(Rng() % 3); N > 0; --N)
            S.insert(Rng() % (S.size() + 1), Odd[Rng() % std::size(Odd)]);
        return S;
    };
    for (int Round = 0; Round < 150; ++Round) {
        Random.Fill(Data, 8);
        Data.SiteE = Field();
        Data.NameE = Field();
        Data.Settings.FSiteDescription.clear();
        Data.Settings.FTimeZone = "+09:00" + Field(); // the time zone is escaped like a field
        for (int I = 0; I < Data.Items.Count(); ++I)
            Data.Items.PutItem(I, {Field(), Field(), Field(), Field()});
        const std::string Bytes = Feed(Round % 2 == 0);
        QString Error;
        const std::vector<TParsedItem> Items = ParseFeed(Bytes, Error);
        ASSERT_TRUE(Error.isEmpty()) << Error.toStdString() << "\n" << Bytes;
        const int N = Round % 2 == 0 ? Data.Items.Count() : std::min(Data.Items.Count(), Data.SpinEdit1);
        // The listing's lines whatever the fields hold: 15, 8 per item, then CR LF.
        ASSERT_EQ(Occurrences(Bytes, "\n"), 15 + 8 * N + 1) << Bytes;
        ASSERT_EQ(static_cast<int>(Items.size()), N);
        for (int I = 0; I < N; ++I) {
            const TParsedItem& P = Items[static_cast<size_t>(I)];
            // An attribute value reads with its tabs as blanks (XML's normalisation).
            EXPECT_EQ(P.About, Expected(Data.Items.Link(I)).replace(u'\t', u' '));
            EXPECT_EQ(P.Link, Expected(Data.Items.Link(I)));
            EXPECT_EQ(P.Title, Expected(Data.Items.Title(I)));
            EXPECT_EQ(P.Description, Expected(WithoutSeparators(Data.Items.Description(I))));
            EXPECT_EQ(P.Date, Expected(Data.Items.Time(I)));
        }
        if (HasFailure()) return;
    }
    // An unmappable pair reads as the replacement character; the parser does reject a
    // control character, so the checks above can fail.
    Data.Items.Clear();
    Data.Items.InsertItem({"", "", "",
                           "a\x85\x40"
                           "b\x01"});
    QString Error;
    const std::vector<TParsedItem> One = ParseFeed(Feed(true), Error);
    ASSERT_EQ(One.size(), 1u);
    EXPECT_EQ(One[0].Title, QString::fromUtf8("a・b"));
    std::string Broken = Feed(true);
    Broken.insert(Broken.find("<title>") + 7, "\x01");
    ParseFeed(Broken, Error);
    EXPECT_FALSE(Error.isEmpty());
}

TEST_F(FeedTest, WritingTheFeedAndTheArchive) {
    TTempDir Dir;
    AddItems(12);
    Data.SpinEdit1 = 10;
    const std::string Path = Dir.File("feed.rdf");
    WriteFeed(Path, false, Data, *Editor1, FOutput, Now);
    EXPECT_EQ(ReadFileBytes(Path), Feed());
    FOutput.Clear();
    Editor1->Clear();

    // A file that cannot be written: the message with the system's reason; the buffers
    // are empty again.
    const std::string Bad = Dir.File("no-folder/feed.rdf");
    try {
        WriteFeed(Bad, false, Data, *Editor1, FOutput, Now);
        ADD_FAILURE() << "no error";
    } catch (const EFCreateError& E) {
        EXPECT_EQ(E.Message(), cp932::Literal("ファイル \"") + Bad + cp932::Literal("\" を作成できません。") +
                                   cp932::FromUtf8(strerror(ENOENT)))
            << E.Message();
    }
    EXPECT_EQ(FOutput.GetCount(), 0);
    EXPECT_EQ(Editor1->GetLines()->GetCount(), 0);

    // The cleanup: a failed archive deletes nothing; then every item is archived and the
    // top 10 stay.
    EXPECT_THROW(CleanupItems(Data, *Editor1, FOutput, Bad, Now), EFCreateError);
    EXPECT_EQ(Data.Items.Count(), 12);
    const std::string Archive = Dir.File("feedloom.rdf");
    CleanupItems(Data, *Editor1, FOutput, Archive, Now);
    EXPECT_EQ(Occurrences(ReadFileBytes(Archive), "<item rdf:about="), 12);
    EXPECT_EQ(Data.Items.Count(), 10);
    EXPECT_EQ(Data.Items.Title(9), "item2");
    EXPECT_EQ(FOutput.GetCount(), 0);
    // Fewer items than the limit: archived, nothing deleted.
    CleanupItems(Data, *Editor1, FOutput, Archive, Now);
    EXPECT_EQ(Data.Items.Count(), 10);
}
