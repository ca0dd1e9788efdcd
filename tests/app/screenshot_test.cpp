// Pictures of the four windows, written as PNG files into the build folder for a look by
// eye: app_form1.png (with two items, the first selected), app_form2.png (the item dialog
// in edit mode), app_form3.png and app_form4.png.
#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

#include "app/app_test_support.h"
#include "platform/cp932.h"
#include "platform/qt/qt_toolkit.h"

using cp932::Literal;

namespace {

QImage Grab(TUiForm& Form) {
    auto* Q = dynamic_cast<qtbackend::TQtForm*>(&Form);
    if (!Q) return {};
    return Q->Window()->grab().toImage();
}

// Saves the picture and checks that it is the window's size and not of one colour.
void Save(TUiForm& Form, const char* Name) {
    const QImage Image = Grab(Form);
    ASSERT_FALSE(Image.isNull());
    EXPECT_GE(Image.width(), Form.GetClientWidth());
    EXPECT_GE(Image.height(), Form.GetClientHeight());
    bool Varied = false;
    const QRgb First = Image.pixel(0, 0);
    for (int Y = 0; Y < Image.height() && !Varied; Y += 3)
        for (int X = 0; X < Image.width() && !Varied; X += 3) Varied = Image.pixel(X, Y) != First;
    EXPECT_TRUE(Varied) << Name;
    EXPECT_TRUE(Image.save(QString::fromUtf8(FEEDLOOM_TEST_BINARY_DIR) + "/" + Name));
}

} // namespace

class Screenshot : public apptest::AppTest {};

TEST_F(Screenshot, EachWindowAsDesigned) {
    F1->SiteE->SetText("http://example.jp/");
    F1->NameE->SetText(Literal("サンプルサイト"));
    AddItem(Literal("古いお知らせ"), "http://example.jp/old.html", Literal("一行目"));
    AddItem(Literal("新しいお知らせ"), "http://example.jp/news.html",
            Literal("説明の一行目\r\n二行目 | と記号"));
    Select(0);
    F1->Window().Show();
    Save(F1->Window(), "app_form1.png");

    F1->FEditMode = 1;
    F2->Window().Show();
    Save(F2->Window(), "app_form2.png");
    F2->Button2->Click();
    F2->Window().Close();

    App->Form3()->Edit1->SetText("/home/user/public_html/index.rdf");
    App->Form3()->Window().Show();
    Save(App->Form3()->Window(), "app_form3.png");
    App->Form3()->Window().Close();

    F1->Data.Settings.FSiteDescription = Literal("日本語のサイトです");
    App->Form4()->Window().Show();
    Save(App->Form4()->Window(), "app_form4.png");
    App->Form4()->Window().Close();
    F1->Window().Close();
}
