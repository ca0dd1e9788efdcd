// Fuzz target: one windowed editor driven purely by messages chosen by the input bytes: key
// presses with Shift and Ctrl, character messages (single bytes, lead and trail pairs, Enter,
// Tab, Backspace), input-method results, mouse clicks and drags in the text and the left
// margin, clipboard messages, the popup menu's shortcuts and items (box paste, undo, redo, box
// mode, marks), the edit-control messages, read-only and word wrap switched on and off. After
// every step the screen rows keep their invariants and the caret stays inside them; a
// read-only step leaves the text as it was; at the end undoing everything gives back the
// text of the start, and redoing as many steps the text of the end.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "control/editor_edit_support.h"
#include "editor/control/editor_popup_menu.h"
#include "editor/model/screen_strings.h"
#include "editor/model/wrap_option.h"
#include "fuzz_bytes.h"
#include "model/screen_strings_support.h"

namespace {

using edit_test::TDriven;

// Characters of every kind the rows handle: ASCII, double-byte (two columns), half-width
// kana, a tab, and double-byte characters whose trail byte looks like ASCII.
const char* const Pieces[] = {"a",        "Z",        " ",        "\t",       ".",    "x1",
                              "\x82\xA0", "\x8A\xBF", "\x8E\x9A", "\xB6",     "\xDE", "\x81\x42",
                              "\x83\x5C", "\x95\x5C", "\x81\x40", "\x82\x60", "(",    "word"};
constexpr unsigned PieceCount = sizeof Pieces / sizeof Pieces[0];

std::string PieceText(TFuzzBytes& In, unsigned Count) {
    std::string S;
    for (unsigned I = 0; I < Count; ++I) S += Pieces[In.NextByte(PieceCount)];
    return S;
}

const uint8_t Keys[] = {VK_LEFT,   VK_RIGHT, VK_UP,  VK_DOWN,   VK_HOME,   VK_END,    VK_PRIOR, VK_NEXT,
                        VK_DELETE, VK_BACK,  VK_TAB, VK_RETURN, VK_INSERT, VK_ESCAPE, 'A',      'C',
                        'V',       'X',      'Z',    'B',       'K',       '1',       VK_F1,    VK_SPACE};
const uint8_t ShortCuts[] = {'Z', 'A', 'X', 'C', 'V', 'B', 'K', '0', '1', '2'};

// Opens a popup menu the way a person uses it: the chosen item is clicked when it is enabled.
class TMenuUser : public TPopupMenuPresenter {
public:
    TMenuItem* Choose = nullptr;
    void Show(TPopupMenu&, TPoint) override {
        if (Choose && Choose->Enabled && Choose->Visible) Choose->Click();
    }
};

class TRun {
public:
    explicit TRun(TFuzzBytes& In) : FIn(In) {
        std::string Text;
        for (unsigned Line = In.NextByte(6); Line > 0; --Line) {
            Text += PieceText(In, In.NextByte(12));
            if (Line > 1 || In.NextByte(2)) Text += "\r\n";
        }
        if (!Text.empty()) T.E->GetLines()->SetTextStr(Text);
        SetPopupMenuPresenter(&FMenu);
        // The window paints only when a step asks for it: painting after every change would
        // cost most of the run. The invalidated rectangles gather until then.
        T.Host->SetRedraw(false);
        T->SetUndoListMax(100000);
        if (In.NextByte(2)) T->GetLeftbar()->SetVisible(true);
        if (In.NextByte(2)) SetWrap(true);
        FStart = EditorText(*T.E);
    }

    void Run() {
        for (int Step = 0; Step < 64 && !FIn.Exhausted(); ++Step) {
            const std::string Before = EditorText(*T.E);
            const bool ReadOnly = T->GetReadOnly();
            const unsigned Op = FIn.NextByte(27);
            DoOp(Op);
            if (FTrace)
                std::fprintf(stderr, "step %d op %u: row %d col %d undo %d text \"%s\"\n", Step, Op,
                             T->GetRow(), T->GetCol(), T->CanUndo() ? 1 : 0, Quote(EditorText(*T.E)).c_str());
            Check(Step, Op);
            if (ReadOnly && T->GetReadOnly() && EditorText(*T.E) != Before)
                Fail(Step, Op, "read-only text changed");
        }
        // Undo everything, as the menu and the message would.
        T->SetReadOnly(false);
        const std::string End = EditorText(*T.E);
        int Undone = 0;
        for (; T->CanUndo(); ++Undone) {
            if (Undone > 100000) Fail(-1, 0, "undo never ends");
            T.Send(EM_UNDO);
            Check(-1, 0);
        }
        if (EditorText(*T.E) != FStart) Fail(-1, 0, "undo all did not give back the starting text");
        // And redoing as many steps gives back the end (steps undone before the end stay
        // beyond it in the redo list).
        for (int Redone = 0; Redone < Undone; ++Redone) {
            if (!T->CanRedo()) Fail(-1, 1, "fewer steps to redo than were undone");
            T->Redo();
            Check(-1, 1);
        }
        if (EditorText(*T.E) != End) Fail(-1, 1, "redo all did not give back the end text");
    }

private:
    // A small window keeps the painting after each change cheap: 40 columns, 9 rows.
    TDriven T{std::string(), 240, 130}; // restores the presenter when it goes
    TMenuUser FMenu;
    TFuzzBytes& FIn;
    std::string FStart;
    // FEEDLOOM_FUZZ_TRACE set: every step and the text after it on stderr.
    const bool FTrace = std::getenv("FEEDLOOM_FUZZ_TRACE") != nullptr;

    [[noreturn]] void Fail(int Step, unsigned Op, const char* What) {
        std::fprintf(stderr, "editor input: step %d op %u: %s\n  start \"%s\"\n  now   \"%s\"\n", Step, Op,
                     What, Quote(FStart).c_str(), Quote(EditorText(*T.E)).c_str());
        std::abort();
    }

    void Check(int Step, unsigned Op) {
        TEditorScreenStrings& Rows = *T->GetScreenStrings();
        const std::string Err = screen_test::CheckRows(Rows, nullptr);
        if (!Err.empty()) {
            std::fprintf(stderr, "rows: %s\n", Err.c_str());
            Fail(Step, Op, "screen rows broken");
        }
        for (int R = 0; R < T->RowsCount(); ++R)
            if (T->RowText(R).find_first_of("\r\n") != std::string_view::npos)
                Fail(Step, Op, "line break in a row");
        if (T->GetRow() < 0 || T->GetRow() > Rows.LastCaretRow())
            Fail(Step, Op, "caret row outside the rows");
        if (T->GetCol() < 0 || T->GetCol() > TEditor::MaxCols) Fail(Step, Op, "caret column outside the row");
        if (T->GetTopRow() < 0 || T->GetTopRow() > Rows.LastCaretRow())
            Fail(Step, Op, "top row outside the rows");
        if (T->GetSelectionState() == selSelected && T->GetSelectionMode() == smNormal) {
            const int Size = static_cast<int>(EditorText(*T.E).size());
            if (T->GetSelStart() < 0 || T->GetSelLength() < 0 || T->GetSelStart() + T->GetSelLength() > Size)
                Fail(Step, Op, "selection outside the text");
        }
    }

    void SetWrap(bool On) {
        if (On) T->GetWrapOption()->SetWrapByte(20 + static_cast<int>(FIn.NextByte(30)));
        T->SetWordWrap(On);
    }

    void Modifiers(unsigned Bits) {
        T.Host->KeysDown[VK_SHIFT] = Bits & 1;
        T.Host->KeysDown[VK_CONTROL] = (Bits & 2) != 0;
    }

    // A cell of the view, the left margin, or beyond the last row or column.
    TPoint Point() {
        const int Row = T->GetTopRow() + static_cast<int>(FIn.NextByte(14)) - 1;
        const int Col = T->GetTopCol() + static_cast<int>(FIn.NextByte(40)) - 2;
        TPoint P = T.At(Row, Col);
        if (FIn.NextByte(6) == 0) P.X = T->TextLeft() - 2; // the left margin: whole rows
        return P;
    }

    void Type(const std::string& Bytes) {
        for (unsigned char B : Bytes) T.Host->PostMessage(WM_CHAR, B, 1);
        T.Host->DispatchPosted();
    }

    void DoOp(unsigned Op) {
        switch (Op) {
        case 0:
        case 1:
        case 2:
            Modifiers(FIn.NextByte(4) == 0 ? 1 : 0);
            Type(PieceText(FIn, 1 + FIn.NextByte(3)));
            Modifiers(0);
            break;
        case 3: {
            // A raw byte: a lone lead byte, a control character, a trail byte.
            std::string B(1, static_cast<char>(FIn.NextByte(256)));
            if (FIn.NextByte(2)) B += static_cast<char>(FIn.NextByte(256));
            Type(B);
            break;
        }
        case 4: {
            const char Controls[] = {'\r', '\t', '\b', '\r', '\b'};
            Modifiers(FIn.NextByte(4));
            Type(std::string(1, Controls[FIn.NextByte(5)]));
            Modifiers(0);
            break;
        }
        case 5: {
            const std::string Result = PieceText(FIn, 1 + FIn.NextByte(4));
            T.Host->ImeResult = Result;
            T.Send(WM_IME_COMPOSITION, 0, GCS_RESULTSTR);
            T.Host->ImeResult.clear();
            Type(Result);
            break;
        }
        case 6:
        case 7:
        case 8: {
            const uint8_t Vk = Keys[FIn.NextByte(sizeof Keys)];
            const unsigned Shift = FIn.NextByte(4);
            const bool Repeat = FIn.NextByte(4) == 0;
            Modifiers(Shift);
            for (unsigned N = Repeat ? 1 + FIn.NextByte(4) : 1; N > 0; --N)
                T.Send(WM_KEYDOWN, Vk, static_cast<intptr_t>(1u | (N > 1 ? uint32_t(KF_REPEAT) : 0u)));
            T.Host->DispatchPosted();
            T.Send(WM_KEYUP, Vk, static_cast<intptr_t>(1u | KF_REPEAT | KF_UP));
            Modifiers(0);
            break;
        }
        case 9:
        case 10: {
            Modifiers(FIn.NextByte(4));
            T.Click(Point());
            Modifiers(0);
            break;
        }
        case 11:
        case 12: {
            // A drag: a selection, or a move or copy (Ctrl) when it starts inside one.
            const TPoint From = Point();
            const TPoint To = Point();
            Modifiers(FIn.NextByte(4));
            T.Down(From);
            T.Move(TPoint{(From.X + To.X) / 2 + 3, (From.Y + To.Y) / 2});
            if (FIn.NextByte(4) == 0) T.Move(TPoint{To.X, T->TextTop() - 3}); // above the text
            T.Move(To);
            T.Up(To);
            Modifiers(0);
            break;
        }
        case 13: {
            const TPoint P = Point();
            T.Host->Pointer = P;
            T.Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(P.X, P.Y));
            T.Up(P);
            break;
        }
        case 14: {
            const uint32_t Messages[] = {WM_CUT, WM_COPY, WM_PASTE, WM_CLEAR};
            T.Send(Messages[FIn.NextByte(4)]);
            break;
        }
        case 15:
        case 16: {
            const unsigned Bits = FIn.NextByte(4);
            T.ShortCutKey(ShortCuts[FIn.NextByte(sizeof ShortCuts)], Bits & 1, true);
            break;
        }
        case 17:
            T.Send(EM_UNDO);
            break;
        case 18:
            // Switching word wrap clears the undo lists: undo all ends here from now on.
            SetWrap(!T->GetWordWrap());
            FStart = EditorText(*T.E);
            break;
        case 19:
            T.Send(EM_SETREADONLY, FIn.NextByte(4) == 0 ? 1 : 0);
            break;
        case 20: {
            // A popup menu item by the context menu.
            auto* Menu = dynamic_cast<TEditorPopupMenu*>(T->GetPopupMenu());
            if (!Menu) break;
            TMenuItem* Items[] = {Menu->UndoItem,   Menu->RedoItem,      Menu->CutItem,
                                  Menu->CopyItem,   Menu->PasteItem,     Menu->BoxPasteItem,
                                  Menu->DeleteItem, Menu->SelectAllItem, Menu->BoxSelectionItem};
            TMenuItem* Item = Items[FIn.NextByte(9)];
            FMenu.Choose = Item;
            T.Send(WM_CONTEXTMENU, 0, MAKELPARAM(5, 5));
            FMenu.Choose = nullptr;
            break;
        }
        case 21: {
            // Clipboard contents from elsewhere: text, or a box.
            std::string Clip = PieceText(FIn, FIn.NextByte(8));
            if (FIn.NextByte(2)) Clip += "\r\n" + PieceText(FIn, FIn.NextByte(6));
            T.Clip.SetText(Clip);
            break;
        }
        case 22:
            T.Host->SetRedraw(true);
            T.Host->Update();
            T.Host->SetRedraw(false);
            break;
        case 24: {
            // The edit-control messages: a selection by offsets (past the end, -1, 0 to -1).
            const int Size = static_cast<int>(EditorText(*T.E).size());
            const int A = static_cast<int>(FIn.NextByte(static_cast<unsigned>(Size) + 3)) - 1;
            const int B = static_cast<int>(FIn.NextByte(static_cast<unsigned>(Size) + 3)) - 1;
            T.Send(EM_SETSEL, static_cast<uintptr_t>(static_cast<intptr_t>(A)), B);
            break;
        }
        case 25: {
            std::string Text = PieceText(FIn, FIn.NextByte(6));
            if (FIn.NextByte(3) == 0) Text += "\r\n" + PieceText(FIn, FIn.NextByte(4));
            T.Send(EM_REPLACESEL, 1, reinterpret_cast<intptr_t>(Text.c_str()));
            break;
        }
        case 26: {
            // Questions with any row or offset; the answers are not checked, the asking is.
            const uint32_t Questions[] = {EM_LINEINDEX,    EM_LINELENGTH,     EM_GETLINE, EM_LINEFROMCHAR,
                                          EM_POSFROMCHAR,  EM_CHARFROMPOS,    EM_GETSEL,  EM_SCROLLCARET,
                                          EM_GETLINECOUNT, EM_EMPTYUNDOBUFFER};
            const uint32_t Q = Questions[FIn.NextByte(10)];
            const int Size = static_cast<int>(EditorText(*T.E).size());
            const auto Arg = static_cast<uintptr_t>(
                static_cast<intptr_t>(FIn.NextByte(static_cast<unsigned>(Size) + 4)) - 1);
            char Buffer[80] = {};
            const uint16_t Capacity = sizeof Buffer;
            std::memcpy(Buffer, &Capacity, sizeof Capacity);
            const TPoint P = Point();
            switch (Q) {
            case EM_GETLINE:
                T.Send(Q, Arg, reinterpret_cast<intptr_t>(Buffer));
                break;
            case EM_GETSEL: {
                uint32_t Start = 0, End = 0;
                T.Send(Q, reinterpret_cast<uintptr_t>(&Start), reinterpret_cast<intptr_t>(&End));
                if (Start > End) Fail(-1, Q, "EM_GETSEL: start after end");
                break;
            }
            case EM_CHARFROMPOS:
                T.Send(Q, 0, MAKELPARAM(P.X, P.Y));
                break;
            case EM_EMPTYUNDOBUFFER:
                T.Send(Q);
                if (!T->GetReadOnly()) FStart = EditorText(*T.E); // nothing left to undo
                break;
            default:
                T.Send(Q, Arg);
                break;
            }
            break;
        }
        case 23: {
            const TPoint P = Point();
            const int Delta = FIn.NextByte(2) ? 120 : -120;
            T.Send(WM_MOUSEWHEEL, static_cast<uintptr_t>(static_cast<uint16_t>(Delta)) << 16,
                   MAKELPARAM(P.X, P.Y));
            break;
        }
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    TFuzzBytes In{Data, Size};
    TRun Run(In);
    Run.Run();
    return 0;
}
