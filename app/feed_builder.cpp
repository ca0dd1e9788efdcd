// The RSS 1.0 feed: the document line by line in Editor1, then UTF-8 bytes.
#include "app/feed_builder.h"

#include <algorithm>

#include "editor/control/editor.h"
#include "platform/classes.h"
#include "platform/cp932.h"
#include "platform/files.h"

namespace {

constexpr const char* kRootStart = "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\""
                                   " xmlns:dc=\"http://purl.org/dc/elements/1.1/\""
                                   " xmlns:sy=\"http://purl.org/rss/1.0/modules/syndication/\""
                                   " xmlns=\"http://purl.org/rss/1.0/\">";

std::string Element(const char* Tag, const std::string& Text) {
    std::string S;
    S.reserve(Text.size() + 32);
    S += '<';
    S += Tag;
    S += '>';
    S += Text;
    S += "</";
    S += Tag;
    S += '>';
    return S;
}

// The description as one text: every '|' removed, character by character.
std::string WithoutSeparators(std::string_view Encoded) {
    std::string Out;
    Out.reserve(Encoded.size());
    for (size_t I = 0; I < Encoded.size();) {
        const size_t L = CharLength(Encoded, I);
        if (L == 2 || Encoded[I] != '|') Out.append(Encoded.substr(I, L));
        I += L;
    }
    return Out;
}

// XML 1.0 allows no control character but tab, LF and CR; rows hold no LF or CR.
bool IsForbiddenControl(char16_t C) {
    return C < 0x20 && C != u'\t';
}

// Empties the buffers on every path out of a write.
class TFeedBuffersGuard {
public:
    TFeedBuffersGuard(TEditor& Editor1, TStrings& FOutput) : FEditor1(Editor1), FOutput(FOutput) {}
    ~TFeedBuffersGuard() {
        try {
            FEditor1.Clear();
            FOutput.Clear();
        } catch (...) {
            // Emptying buffers cannot reasonably fail; a destructor must not throw.
        }
    }
    TFeedBuffersGuard(const TFeedBuffersGuard&) = delete;
    TFeedBuffersGuard& operator=(const TFeedBuffersGuard&) = delete;

private:
    TEditor& FEditor1;
    TStrings& FOutput;
};

} // namespace

std::string EscapeXml(std::string_view S) {
    std::string Out;
    Out.reserve(S.size() + S.size() / 8);
    for (size_t I = 0; I < S.size();) {
        const size_t L = CharLength(S, I);
        if (L == 2) {
            Out.append(S.substr(I, 2));
            I += 2;
            continue;
        }
        switch (S[I++]) {
        case '&':
            Out += "&amp;";
            break;
        case '"':
            Out += "&quot;";
            break;
        case '<':
            Out += "&lt;";
            break;
        case '>':
            Out += "&gt;";
            break;
        default:
            Out += S[I - 1];
        }
    }
    return Out;
}

namespace {

// A field as one line of the document: every line break (CR LF, CR or LF) inside it becomes
// one blank, so that a field never splits the listing's lines; then escaped.
std::string FieldText(std::string_view S) {
    std::string Line;
    Line.reserve(S.size());
    for (size_t I = 0; I < S.size(); ++I) {
        if (S[I] == '\r' || S[I] == '\n') {
            if (S[I] == '\r' && I + 1 < S.size() && S[I + 1] == '\n') ++I;
            Line += ' ';
        } else {
            Line += S[I];
        }
    }
    return EscapeXml(Line);
}

} // namespace

int FeedItemCount(const TAppData& Data, bool AllItems) {
    const int C = Data.Items.Count();
    const int N = AllItems ? C : (C < Data.SpinEdit1 ? C : Data.SpinEdit1);
    return N < 0 ? 0 : N;
}

void BuildFeed(bool AllItems, TAppData& Data, TEditor& Editor1, TStrings& FOutput, std::time_t Now) {
    // 1. Empty buffers.
    FOutput.Clear();
    Editor1.Clear();
    TStrings& Lines = *Editor1.GetLines();

    // 2. The item count, from the value at this moment.
    const TItemStore& Items = Data.Items;
    const int N = FeedItemCount(Data, AllItems);

    // 3. The document without the style sheet lines. The pieces are joined with CR LF
    // and go into Editor1 in one Add, which splits them into the same rows as one Add per
    // piece would, with one change of the editor's rows instead of one per line.
    std::string Doc;
    const auto Add = [&Doc](std::string_view Piece) {
        if (!Doc.empty()) Doc += "\r\n";
        Doc += Piece;
    };
    const std::string Site = FieldText(Data.SiteE);
    Add("<?xml version=\"1.0\" encoding=\"utf-8\"?>");
    Add(kRootStart);
    Add("<channel rdf:about=\"" + Site + "\">");
    Add(Element("title", FieldText(Data.NameE)));
    Add(Element("link", Site));
    // 4. The channel description, filled in from the site name once.
    if (Data.Settings.FSiteDescription.empty()) Data.Settings.FSiteDescription = FieldText(Data.NameE);
    Add(Element("description", Data.Settings.FSiteDescription));
    Add("<dc:language>ja</dc:language>");
    Add(Element("dc:date", FieldText(TimeStampAt(Now, Data.Settings.FTimeZone))));
    Add("\r\n<items>\r\n<rdf:Seq>");
    for (int I = 0; I < N; ++I) Add("<rdf:li rdf:resource=\"" + FieldText(Items.Link(I)) + "\"/>");
    Add("</rdf:Seq>\r\n</items>\r\n</channel>");
    for (int I = 0; I < N; ++I) {
        const std::string Link = FieldText(Items.Link(I));
        Add("\r\n<item rdf:about=\"" + Link + "\">");
        Add(Element("title", FieldText(Items.Title(I))));
        Add(Element("link", Link));
        Add(Element("description", FieldText(WithoutSeparators(Items.Description(I)))));
        Add(Element("dc:date", FieldText(Items.Time(I))) + "\r\n</item>");
    }
    Add("</rdf:RDF>");
    Lines.Add(Doc);

    // 5. Style sheets right after the declaration: XSL first when both are on.
    if (Data.Settings.FCssFlag)
        Lines.Insert(1, "<?xml-stylesheet href=\"" + Data.Settings.FCssPath + "\" type=\"text/css\"?>");
    if (Data.Settings.FXslFlag)
        Lines.Insert(1, "<?xml-stylesheet href=\"" + Data.Settings.FXslPath + "\" type=\"text/xsl\"?>");

    // 6. Every row as UTF-16 followed by LF; 7. the whole as UTF-8.
    std::u16string Text;
    const int Count = Lines.GetCount();
    for (int I = 0; I < Count; ++I) {
        std::u16string Row = cp932::ToUtf16(Lines.Get(I));
        std::erase_if(Row, IsForbiddenControl);
        Text += Row;
        Text += u'\n';
    }
    FOutput.Add(cp932::Utf16ToUtf8(Text));
}

std::string FeedFileBytes(const TStrings& FOutput) {
    std::string Bytes;
    for (int I = 0; I < FOutput.GetCount(); ++I) {
        Bytes += FOutput.Get(I);
        Bytes += "\r\n";
    }
    return Bytes;
}

std::string InputNamedBy(const std::string& Output, std::initializer_list<std::string> Inputs) {
    for (const std::string& Input : Inputs)
        if (SameFile(Output, Input)) return Input;
    return std::string();
}

std::string SameFileMessage(const std::string& Output, const std::string& Input) {
    return cp932::Literal("ファイル \"") + DisplayPath(Output) + cp932::Literal("\" は \"") +
           DisplayPath(Input) +
           cp932::Literal(
               "\" "
               "と同じファイルです。フィードで上書きすると元のデータが失われるため、書き込みませんでした。");
}

void WriteFeed(const std::string& FileName, bool AllItems, TAppData& Data, TEditor& Editor1,
               TStrings& FOutput, std::time_t Now) {
    TFeedBuffersGuard Guard(Editor1, FOutput);
    BuildFeed(AllItems, Data, Editor1, FOutput, Now);
    AtomicWriteFile(FileName, FeedFileBytes(FOutput));
}
