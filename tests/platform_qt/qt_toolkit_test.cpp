// The Qt toolkit's top-level windows and font mapping, headless.
#include "platform/qt/qt_toolkit.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <gtest/gtest.h>

#include "platform/cp932.h"
#include "platform/qt/font_map.h"
#include "support/qt_app.h"

using qtbackend::TQtForm;

TEST(QtForm, FixedBorderKeepsClientSizeAndRefusesResize) {
    TestToolkit();
    TQtForm Form;
    Form.SetBorderStyle(bsSingle);
    Form.SetClientSize(469, 353);
    Form.Show();
    EXPECT_EQ(Form.GetClientWidth(), 469);
    EXPECT_EQ(Form.GetClientHeight(), 353);
    Form.Window()->resize(800, 600);
    EXPECT_EQ(Form.GetClientWidth(), 469);
    EXPECT_EQ(Form.Window()->minimumSize(), Form.Window()->maximumSize());
}

TEST(QtForm, SizeableBorderAllowsResize) {
    TestToolkit();
    TQtForm Form;
    Form.SetBorderStyle(bsSizeable);
    Form.SetClientSize(324, 73);
    Form.Show();
    EXPECT_EQ(Form.GetClientWidth(), 324);
    EXPECT_NE(Form.Window()->minimumSize(), Form.Window()->maximumSize());
}

TEST(QtForm, CaptionRoundTripsThroughCp932) {
    TestToolkit();
    TQtForm Form;
    const std::string Caption = cp932::Literal("Item追加・編集");
    Form.SetCaption(Caption);
    EXPECT_EQ(Form.GetCaption(), Caption);
    EXPECT_EQ(Form.Window()->windowTitle(), QString::fromUtf8("Item追加・編集"));
}

TEST(QtForm, CloseQueryCanKeepTheWindowOpen) {
    TestToolkit();
    TQtForm Form;
    Form.SetClientSize(100, 100);
    bool Allow = false;
    int Asked = 0;
    Form.OnCloseQuery = [&] {
        ++Asked;
        return Allow;
    };
    Form.Show();
    Form.Close();
    EXPECT_TRUE(Form.IsVisible());
    Allow = true;
    Form.Close();
    EXPECT_FALSE(Form.IsVisible());
    EXPECT_EQ(Asked, 2);
}

TEST(QtForm, EndModalEndsTheNestedLoopWithItsResult) {
    TestToolkit();
    TQtForm Form;
    Form.SetClientSize(100, 100);
    // The dialog's own code ends the loop once it runs, as a button handler would.
    QMetaObject::invokeMethod(Form.Window(), [&] { Form.EndModal(7); }, Qt::QueuedConnection);
    EXPECT_EQ(Form.ShowModal(), 7);
    EXPECT_FALSE(Form.IsVisible());
}

TEST(FontMap, WindowsFacesMapToInstalledFontsOfTheSameMetrics) {
    TestToolkit();
    struct Case {
        const char* Face;
        const char* Family;
    } Cases[] = {
        {"ＭＳ ゴシック", "IPAGothic"},
        {"FixedSys", "IPAGothic"},
        {"ＭＳ Ｐゴシック", "IPAPGothic"},
    };
    for (const auto& C : Cases) {
        QFont F = qtbackend::MappedFont(cp932::Literal(C.Face), 12);
        EXPECT_EQ(F.pixelSize(), 12) << C.Face;
        EXPECT_EQ(QFontInfo(F).family(), QString::fromLatin1(C.Family)) << C.Face;
    }
    // The fixed-pitch face: a half-width glyph is exactly half a full-width one.
    QFontMetrics M(qtbackend::MappedFont(cp932::Literal("ＭＳ ゴシック"), 12));
    EXPECT_EQ(M.horizontalAdvance(QChar(u'A')) * 2, M.horizontalAdvance(QChar(u'あ')));
}
