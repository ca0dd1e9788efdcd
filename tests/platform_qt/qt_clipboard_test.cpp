// The clipboard on QClipboard: text conversion, private formats, brackets.
#include "platform/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <gtest/gtest.h>

#include "platform/cp932.h"
#include "support/qt_app.h"

using qtbackend::TQtClipboard;

TEST(QtClipboard, TextRoundTripsWithCrLfAndReachesOthersWithLf) {
    TestToolkit();
    TQtClipboard C;
    const std::string Text = cp932::Literal("一行目") + "\r\nsecond\r\n";
    C.SetText(Text);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("一行目\nsecond\n"));
    EXPECT_EQ(C.GetText(), Text);
    EXPECT_TRUE(C.HasFormat(CF_TEXT));
    // Text from another program with lone LF or CR comes back with CR LF.
    QGuiApplication::clipboard()->setText(QStringLiteral("a\nb\rc"));
    EXPECT_EQ(C.GetText(), "a\r\nb\r\nc");
}

TEST(QtClipboard, PrivateFormatTravelsWithTheTextInOneBracket) {
    TestToolkit();
    TQtClipboard C;
    const TClipboardFormat Box = RegisterClipboardFormat("TEditor Box Type");
    {
        TClipboardOpen Open(C);
        C.SetText("ab\r\ncd\r\n");
        C.SetFormatData(Box, std::string("ab\r\ncd\r\n\0", 9));
    }
    EXPECT_TRUE(C.HasFormat(Box));
    EXPECT_TRUE(C.HasFormat(CF_TEXT));
    EXPECT_EQ(C.GetFormatData(Box).size(), 9u);
    // A plain text write outside a bracket replaces the whole content: no box any more.
    C.SetText("plain");
    EXPECT_FALSE(C.HasFormat(Box));
    EXPECT_EQ(C.GetText(), "plain");
    C.Clear();
    EXPECT_FALSE(C.HasFormat(CF_TEXT));
    EXPECT_EQ(C.GetText(), "");
}
