// A viewer that shows a text file in a TEditor on a window of its own, for looking at the
// control by eye, typing into it (keys, characters, the input method, the mouse) and for
// screenshots. A search bar above the text searches forward and backward with every
// search option and shows the hit in the chosen hit style.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QImage>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QInputMethodEvent>
#include <QObject>
#include <QPushButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>

#include "editor/control/editor.h"
#include "editor/control/editor_view_info.h"
#include "editor/model/wrap_option.h"
#include "platform/cp932.h"
#include "platform/exceptions.h"
#include "platform/qt/qt_services.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/qt/qt_window_host.h"
#include "platform/window.h"

namespace {

const char Usage[] =
    "usage: editor_viewer [options] [FILE]\n"
    "Shows FILE (CP932 text; without FILE a built-in sample) in the editor control.\n"
    "Select with the mouse (in the left margin: whole rows), drag the selection to move\n"
    "it (hold Ctrl to copy), right-click for the editor's menu; the clipboard is shared\n"
    "with other programs.\n"
    "  --utf8             FILE is UTF-8: convert it to CP932 first\n"
    "  --wrap[=N]         word wrap at N columns (default 80)\n"
    "  --leftbar          line numbers\n"
    "  --ruler            column ruler\n"
    "  --marks            end-of-line, wrap, end-of-file marks and the caret-row underline\n"
    "  --colour           colouring demo: URLs, mail, numbers, '//' comments, '(*' '*)' brackets\n"
    "  --scrollbars       both scroll bars\n"
    "  --size=WxH         client size in pixels (default 640x400)\n"
    "  --caret=ROW,COL    caret position\n"
    "  --top=ROW          first visible row\n"
    "  --search=TEXT      search for TEXT (UTF-8) once the window is up, as the search\n"
    "                     bar's buttons do (F3 next, Shift+F3 previous, Enter in the bar)\n"
    "  --search-options=LIST  comma-separated: up, case, word, fuzzy, breaks, spaces\n"
    "  --hitstyle=STYLE   select, draw or caret: how a hit is shown (default select)\n"
    "  --readonly         no editing (the keys still move the caret)\n"
    "  --softtab          Tab inserts spaces\n"
    "  --tabindent        Enter's auto indent is written with tabs\n"
    "  --prevspace        Enter on an empty line takes the indent of the line above\n"
    "  --nextline         Left and Right cross line ends\n"
    "  --no-autoindent    Enter does not indent\n"
    "  --no-unindent      Backspace does not go back to the indent above\n"
    "  --tabs=N           tab width (default 8)\n"
    "  --type=TEXT        type TEXT (UTF-8; a line feed is Enter) before showing\n"
    "  --preedit=TEXT     show TEXT (UTF-8) as an input method's preedit at the caret\n"
    "  --screenshot=FILE  write the window as a PNG to FILE and quit (works with\n"
    "                     QT_QPA_PLATFORM=offscreen)\n";

struct TOptions {
    std::string File;
    bool Utf8 = false;
    bool ReadOnly = false;
    int Wrap = 0;
    bool Leftbar = false;
    bool Ruler = false;
    bool Marks = false;
    bool Colour = false;
    bool ScrollBars = false;
    int Width = 640;
    int Height = 400;
    int CaretRow = 0;
    int CaretCol = 0;
    int TopRow = 0;
    std::string Screenshot;
    std::string Search;
    std::string SearchOptions;
    TEditorHitStyle HitStyle = hsSelect;
    bool SoftTab = false;
    bool TabIndent = false;
    bool PrevSpace = false;
    bool NextLine = false;
    bool AutoIndent = true;
    bool UnIndent = true;
    int Tabs = 8;
    std::string Type;
    std::string Preedit;
};

// Lines that show what the control can draw: tabs, double-byte text, a long row, the
// tokens of the colouring demo.
std::string SampleText() {
    return cp932::Literal("Feedloom editor viewer\r\n"
                          "\tA tab, then text.  日本語の文章と半角ｶﾅ、全角スペース「　」。\r\n"
                          "Links: http://example.com/feed.rdf and mail to someone@example.com\r\n"
                          "Numbers: 42, 3.14, $FF, 0x1F  // a comment to the end of the row\r\n"
                          "(* a bracket pair that\r\n"
                          "   spans two rows *) after it\r\n"
                          "\"a string\" and 'another'\r\n"
                          "A long row: ") +
           std::string(150, '-') + "|\r\n" + cp932::Literal("最後の行（改行なし）");
}

bool ParseSize(const std::string& S, int& W, int& H) {
    return std::sscanf(S.c_str(), "%dx%d", &W, &H) == 2 && W > 0 && H > 0;
}

bool ParseOptions(int Argc, char** Argv, TOptions& O) {
    for (int I = 1; I < Argc; ++I) {
        const std::string A = Argv[I];
        auto Value = [&](const char* Name) -> const char* {
            const std::string Prefix = std::string(Name) + "=";
            return A.rfind(Prefix, 0) == 0 ? A.c_str() + Prefix.size() : nullptr;
        };
        if (A == "--utf8")
            O.Utf8 = true;
        else if (A == "--readonly")
            O.ReadOnly = true;
        else if (A == "--wrap")
            O.Wrap = 80;
        else if (const char* V = Value("--wrap"))
            O.Wrap = std::atoi(V);
        else if (A == "--leftbar")
            O.Leftbar = true;
        else if (A == "--ruler")
            O.Ruler = true;
        else if (A == "--marks")
            O.Marks = true;
        else if (A == "--colour" || A == "--color")
            O.Colour = true;
        else if (A == "--scrollbars")
            O.ScrollBars = true;
        else if (const char* V = Value("--size")) {
            if (!ParseSize(V, O.Width, O.Height)) return false;
        } else if (const char* V = Value("--caret")) {
            if (std::sscanf(V, "%d,%d", &O.CaretRow, &O.CaretCol) != 2) return false;
        } else if (const char* V = Value("--top"))
            O.TopRow = std::atoi(V);
        else if (const char* V = Value("--screenshot"))
            O.Screenshot = V;
        else if (const char* V = Value("--search"))
            O.Search = V;
        else if (const char* V = Value("--search-options"))
            O.SearchOptions = V;
        else if (const char* V = Value("--hitstyle")) {
            const std::string H = V;
            if (H == "select")
                O.HitStyle = hsSelect;
            else if (H == "draw")
                O.HitStyle = hsDraw;
            else if (H == "caret")
                O.HitStyle = hsCaret;
            else
                return false;
        } else if (A == "--softtab")
            O.SoftTab = true;
        else if (A == "--tabindent")
            O.TabIndent = true;
        else if (A == "--prevspace")
            O.PrevSpace = true;
        else if (A == "--nextline")
            O.NextLine = true;
        else if (A == "--no-autoindent")
            O.AutoIndent = false;
        else if (A == "--no-unindent")
            O.UnIndent = false;
        else if (const char* V = Value("--tabs"))
            O.Tabs = std::atoi(V);
        else if (const char* V = Value("--type"))
            O.Type = V;
        else if (const char* V = Value("--preedit"))
            O.Preedit = V;
        else if (A == "--help" || A == "-h")
            return false;
        else if (!A.empty() && A[0] == '-')
            return false;
        else if (O.File.empty())
            O.File = A;
        else
            return false;
    }
    return true;
}

void ApplyColourDemo(TEditor& E) {
    TEditorViewInfo* V = E.GetView();
    V->SetUrl(true);
    V->SetMail(true);
    V->SetCommenter("//");
    V->SetQuotation("\"");
    V->SetHexPrefix("$");
    TEditorColors* C = V->GetColors();
    C->GetUrl()->SetColor(RGB(0, 0, 0xFF));
    C->GetUrl()->SetStyle(4); // underline
    C->GetMail()->SetColor(RGB(0, 0x80, 0x80));
    C->GetInt()->SetColor(RGB(0xC0, 0, 0));
    C->GetComment()->SetColor(RGB(0, 0x80, 0));
    C->GetStr()->SetColor(RGB(0x80, 0, 0x80));
    C->GetSymbol()->SetColor(RGB(0x60, 0x60, 0x60));
    TFountainBracketItem* B = V->GetBrackets()->Add();
    B->SetLeftBracket("(*");
    B->SetRightBracket("*)");
    B->GetItemColor()->SetColor(RGB(0x80, 0x40, 0));
    B->GetItemColor()->SetBkColor(RGB(0xFF, 0xF0, 0xD0));
}

constexpr int BarHeight = 34;

// The search bar: the pattern, the options, the hit style, and the two directions.
class TSearchBar : public QWidget {
public:
    TSearchBar(QWidget* Parent, TEditor& Editor) : QWidget(Parent), FEditor(Editor) {
        auto* L = new QHBoxLayout(this);
        L->setContentsMargins(4, 2, 4, 2);
        Pattern = new QLineEdit(this);
        Pattern->setPlaceholderText("search");
        Pattern->setMinimumWidth(140);
        L->addWidget(Pattern, 1);
        MatchCase = AddBox(L, "Case");
        WholeWord = AddBox(L, "Word");
        Fuzzy = AddBox(L, "Width");
        LineBreaks = AddBox(L, "Breaks");
        Spaces = AddBox(L, "Spaces");
        Style = new QComboBox(this);
        Style->addItems({"hsSelect", "hsDraw", "hsCaret"});
        Style->setCurrentIndex(static_cast<int>(Editor.GetHitStyle()));
        L->addWidget(Style);
        auto* Prev = new QPushButton("<", this);
        auto* Next = new QPushButton(">", this);
        Prev->setToolTip("Find previous (Shift+F3)");
        Next->setToolTip("Find next (F3, Enter)");
        L->addWidget(Prev);
        L->addWidget(Next);
        Status = new QLabel(this);
        Status->setMinimumWidth(110);
        L->addWidget(Status);
        QObject::connect(Next, &QPushButton::clicked, this, [this] { Find(true); });
        QObject::connect(Prev, &QPushButton::clicked, this, [this] { Find(false); });
        QObject::connect(Pattern, &QLineEdit::returnPressed, this,
                         [this] { Find(!(QApplication::keyboardModifiers() & Qt::ShiftModifier)); });
        QObject::connect(Style, &QComboBox::currentIndexChanged, this, [this](int I) {
            FEditor.CancelSelection();
            FEditor.SetHitStyle(static_cast<TEditorHitStyle>(I));
        });
        auto* F3 = new QShortcut(QKeySequence(Qt::Key_F3), Parent->window());
        auto* ShiftF3 = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), Parent->window());
        QObject::connect(F3, &QShortcut::activated, this, [this] { Find(true); });
        QObject::connect(ShiftF3, &QShortcut::activated, this, [this] { Find(false); });
    }

    // Sets the bar from the command line's words.
    void Preset(const std::string& Text, const std::string& Options) {
        Pattern->setText(QString::fromStdString(Text));
        auto Has = [&](const char* W) {
            return ("," + Options + ",").find(std::string(",") + W + ",") != std::string::npos;
        };
        MatchCase->setChecked(Has("case"));
        WholeWord->setChecked(Has("word"));
        Fuzzy->setChecked(Has("fuzzy"));
        LineBreaks->setChecked(Has("breaks"));
        Spaces->setChecked(Has("spaces"));
    }

    void Find(bool Down) {
        TSearchOptions O = Down ? soDown : 0;
        if (MatchCase->isChecked()) O |= soMatchCase;
        if (WholeWord->isChecked()) O |= soWholeWord;
        if (Fuzzy->isChecked()) O |= soFuzzy;
        if (LineBreaks->isChecked()) O |= soIgnoreLineBreaks;
        if (Spaces->isChecked()) O |= soIgnoreSpaces;
        // The hit is shown at the caret, which needs the focus (hsCaret draws with it).
        if (FEditor.GetHost()) FEditor.GetHost()->SetFocus();
        const std::string P = cp932::FromUtf8(Pattern->text().toStdString());
        if (FEditor.Search(P, O))
            Status->setText(QString("row %1 col %2 len %3")
                                .arg(FEditor.GetRow())
                                .arg(FEditor.GetCol())
                                .arg(FEditor.GetHitLength()));
        else
            Status->setText(Down ? "not found below" : "not found above");
    }

private:
    QCheckBox* AddBox(QHBoxLayout* L, const char* Caption) {
        auto* B = new QCheckBox(Caption, this);
        L->addWidget(B);
        return B;
    }

    TEditor& FEditor;
    QLineEdit* Pattern;
    QCheckBox *MatchCase, *WholeWord, *Fuzzy, *LineBreaks, *Spaces;
    QComboBox* Style;
    QLabel* Status;
};

// Keeps the search bar on top of the client area and the editor below it.
class TFillClient : public QObject {
public:
    TFillClient(TEditor& Editor, QWidget* Bar) : FEditor(Editor), FBar(Bar) {}

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        if (Event->type() == QEvent::Resize) {
            const QSize S = static_cast<QResizeEvent*>(Event)->size();
            FBar->setGeometry(0, 0, S.width(), BarHeight);
            FEditor.SetBounds(0, BarHeight, S.width(), std::max(S.height() - BarHeight, 0));
        }
        return QObject::eventFilter(Watched, Event);
    }

private:
    TEditor& FEditor;
    QWidget* FBar;
};

int Run(int Argc, char** Argv, const TOptions& O) {
    qtbackend::TQtToolkit Toolkit(Argc, Argv);
    SetUiToolkit(&Toolkit);
    qtbackend::InstallQtServices();

    auto Form = Toolkit.CreateForm();
    auto* QtForm = static_cast<qtbackend::TQtForm*>(Form.get());
    Form->SetCaption("editor_viewer - " + (O.File.empty() ? std::string("sample") : O.File));
    Form->SetClientSize(O.Width, O.Height + BarHeight);

    std::unique_ptr<TEditor> E(TEditor::Create(nullptr));
    if (O.File.empty()) {
        E->GetLines()->SetTextStr(SampleText());
    } else if (O.Utf8) {
        TStringList Raw;
        Raw.LoadFromFile(O.File);
        E->GetLines()->SetTextStr(cp932::FromUtf8(Raw.GetTextStr()));
    } else {
        E->GetLines()->LoadFromFile(O.File);
    }
    if (O.Wrap > 0) {
        E->GetWrapOption()->SetWrapByte(O.Wrap);
        E->SetWordWrap(true);
    }
    E->GetLeftbar()->SetVisible(O.Leftbar);
    E->GetRuler()->SetVisible(O.Ruler);
    if (O.Marks) {
        TEditorMarks* M = E->GetMarks();
        M->GetEofMark()->SetVisible(true);
        M->GetRetMark()->SetVisible(true);
        M->GetWrapMark()->SetVisible(true);
        M->GetHideMark()->SetVisible(true);
        M->GetUnderline()->SetVisible(true);
    }
    if (O.Colour) ApplyColourDemo(*E);
    if (O.ScrollBars) E->SetScrollBars(ssBoth);
    E->SetHitStyle(O.HitStyle);
    E->SetReadOnly(O.ReadOnly);
    E->SetBounds(0, BarHeight, O.Width, O.Height);
    TEditorCaret* Caret = E->GetCaret();
    Caret->SoftTab = O.SoftTab;
    Caret->TabIndent = O.TabIndent;
    Caret->PrevSpaceIndent = O.PrevSpace;
    Caret->NextLine = O.NextLine;
    Caret->AutoIndent = O.AutoIndent;
    Caret->BackSpaceUnIndent = O.UnIndent;
    if (O.Tabs > 0) Caret->SetTabSpaceCount(O.Tabs);
    E->CreateWnd(Form.get());
    auto* Bar = new TSearchBar(QtForm->Window()->Client(), *E);
    Bar->setGeometry(0, 0, O.Width, BarHeight);
    Bar->Preset(O.Search, O.SearchOptions);
    TFillClient Fill(*E, Bar);
    QtForm->Window()->Client()->installEventFilter(&Fill);

    Form->Show();
    // The caret is scrolled into view only while the control has the focus.
    if (E->GetHost()) E->GetHost()->SetFocus();
    QApplication::processEvents();
    if (O.TopRow > 0) E->SetTopRow(O.TopRow);
    E->SetRowCol(O.CaretRow, O.CaretCol);
    if (!O.Search.empty()) {
        const bool Up = ("," + O.SearchOptions + ",").find(",up,") != std::string::npos;
        Bar->Find(!Up);
    }
    // Typed text arrives as the character messages that typing makes.
    if (!O.Type.empty() && E->GetHost()) {
        for (unsigned char B : cp932::FromUtf8(O.Type))
            E->GetHost()->PostMessage(WM_CHAR, B == '\n' ? '\r' : B, 1);
        QApplication::processEvents();
    }
    if (!O.Preedit.empty()) {
        if (auto* Host = dynamic_cast<qtbackend::TQtWindowHost*>(E->GetHost())) {
            QInputMethodEvent Preedit(QString::fromUtf8(O.Preedit.c_str()), {});
            QCoreApplication::sendEvent(Host->Widget(), &Preedit);
        }
    }

    int Result = 0;
    if (O.Screenshot.empty()) {
        Toolkit.Run(*Form);
    } else {
        QApplication::processEvents();
        QApplication::processEvents();
        const QImage Shot = QtForm->Window()->grab().toImage();
        if (!Shot.save(QString::fromStdString(O.Screenshot), "PNG")) {
            std::fprintf(stderr, "editor_viewer: cannot write %s\n", O.Screenshot.c_str());
            Result = 1;
        }
    }
    QtForm->Window()->Client()->removeEventFilter(&Fill);
    delete Bar;
    E.reset();
    Form.reset();
    SetUiToolkit(nullptr);
    return Result;
}

} // namespace

int main(int Argc, char** Argv) {
    TOptions O;
    if (!ParseOptions(Argc, Argv, O)) {
        std::fputs(Usage, stderr);
        return 2;
    }
    try {
        return Run(Argc, Argv, O);
    } catch (const Exception& Ex) {
        std::fprintf(stderr, "editor_viewer: %s\n", cp932::ToUtf8(Ex.Message()).c_str());
    } catch (const std::exception& Ex) {
        std::fprintf(stderr, "editor_viewer: %s\n", Ex.what());
    }
    return 1;
}
