// Screenshots of typical editor views, drawn with the Qt glyph engine on a host double and
// written as PNG files into the build folder (editor_view_*.png) for looking at by eye.
#include <QImage>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "editor/control/editor.h"
#include "editor/control/editor_view_info.h"
#include "platform/cp932.h"
#include "platform/qt/qt_font_engine.h"
#include "support/fake_window_host.h"
#include "support/qt_app.h"

namespace {

std::string DemoText() {
    return cp932::Literal(
        "// 設定ファイルの例 (comment)\r\n"
        "url = http://example.com/feed.rdf\r\n"
        "mail = owner@example.com\r\n"
        "count = 42, ratio = 12.5e-3\r\n"
        "title = \"ニュース 一覧\"\r\n"
        "\tindented\ttabs\r\n"
        "全角ＡＢＣ　ひらがな カタカナ 漢字 ｶﾀｶﾅ\r\n"
        "a rather long line that goes on and on so that word wrap has something to do here");
}

void Colour(TEditor& E) {
    TEditorViewInfo& V = *E.GetView();
    V.SetUrl(true);
    V.SetMail(true);
    V.SetCommenter("//");
    V.GetColors()->GetUrl()->SetColor(0xC00000);
    V.GetColors()->GetMail()->SetColor(0x008000);
    V.GetColors()->GetInt()->SetColor(0x0000C0);
    V.GetColors()->GetStr()->SetColor(0x808000);
    V.GetColors()->GetComment()->SetColor(0x008080);
    V.GetColors()->GetComment()->SetStyle(fsBold);
}

TEST(EditorPaintShot, TypicalViewsAsPng) {
    struct TCase {
        const char* File;
        bool Bars;
        bool Wrap;
        bool Select;
    } Cases[] = {{"editor_view_plain.png", false, false, true}, {"editor_view_bars.png", true, true, false}};
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.File);
        std::unique_ptr<TEditor> E{TEditor::Create(nullptr)};
        TFont F = E->GetFont();
        F.Name = cp932::Literal("ＭＳ ゴシック");
        F.Height = 14;
        E->SetFont(F);
        E->SetBounds(520, 190);
        auto H = std::make_unique<TFakeWindowHost>(*E, 520, 190, &qtbackend::QtFontEngine());
        TFakeWindowHost* Host = H.get();
        E->AttachHost(std::move(H));
        Colour(*E);
        if (C.Bars) {
            E->GetLeftbar()->SetVisible(true);
            E->GetRuler()->SetVisible(true);
            E->GetMarks()->GetRetMark()->SetVisible(true);
            E->GetMarks()->GetWrapMark()->SetVisible(true);
            E->GetMarks()->GetEofMark()->SetVisible(true);
            E->GetMarks()->GetUnderline()->SetVisible(true);
        }
        E->SetWordWrap(C.Wrap);
        E->GetLines()->SetTextStr(DemoText());
        if (C.Bars) E->SetRowMarks(1, (1 << 2) | (1 << 10));
        if (C.Select) {
            E->SetRowCol(1, 6);
            E->StartSelection();
            E->SetRowCol(3, 8);
            E->ExtendSelection();
        }
        E->Invalidate();
        Host->Update();
        const TBitmap& S = Host->Surface;
        const QImage Image(reinterpret_cast<const uchar*>(S.Pixels()), S.Width(), S.Height(), S.Width() * 4,
                           QImage::Format_RGB32);
        const std::string Path = std::string(FEEDLOOM_TEST_BINARY_DIR) + "/" + C.File;
        EXPECT_TRUE(Image.save(QString::fromStdString(Path)));
        // Something was drawn in the text area besides the background.
        int Ink = 0;
        for (int Y = E->TextTop(); Y < S.Height(); ++Y)
            for (int X = E->TextLeft(); X < S.Width(); ++X)
                if (S.GetPixel(X, Y) != clWhite) ++Ink;
        EXPECT_GT(Ink, 1000);
    }
}

} // namespace
