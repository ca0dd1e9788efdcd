// Qt's accessibility interfaces for the custom-painted text controls, and their events.
#include "platform/qt/qt_accessible.h"

#include <QTextBoundaryFinder>
#include <algorithm>

#include "platform/qt/qt_text.h"
#include "platform/qt/qt_window_host.h"

namespace qtbackend {

namespace {

// Words and sentences are looked for this many characters around the offset inside its line,
// so that a long line is never converted whole for one question.
constexpr int BoundaryWindow = 2000;

QString ToQ(const std::u16string& S) {
    return QString(reinterpret_cast<const QChar*>(S.data()), static_cast<qsizetype>(S.size()));
}

std::u16string FromQ(const QString& S) {
    return std::u16string(reinterpret_cast<const char16_t*>(S.utf16()), static_cast<size_t>(S.size()));
}

QAccessibleInterface* ControlFactory(const QString&, QObject* Object) {
    auto* Widget = qobject_cast<TQtControlWidget*>(Object);
    if (Widget == nullptr || Widget->AccessibleText() == nullptr) return nullptr;
    return new TQtTextAccessible(Widget);
}

} // namespace

TQtTextAccessible::TQtTextAccessible(TQtControlWidget* Widget)
    : QAccessibleWidget(Widget, QAccessible::EditableText) {}

TAccessibleText* TQtTextAccessible::Text() const {
    auto* Widget = qobject_cast<TQtControlWidget*>(object());
    return Widget ? Widget->AccessibleText() : nullptr;
}

void* TQtTextAccessible::interface_cast(QAccessible::InterfaceType Type) {
    if (Type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    if (Type == QAccessible::EditableTextInterface) return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(Type);
}

QAccessible::Role TQtTextAccessible::role() const { return QAccessible::EditableText; }

QAccessible::State TQtTextAccessible::state() const {
    QAccessible::State S = QAccessibleWidget::state();
    const TAccessibleText* T = Text();
    const bool ReadOnly = T == nullptr || T->AccessibleReadOnly();
    S.readOnly = ReadOnly;
    S.editable = !ReadOnly;
    S.multiLine = true;
    S.selectableText = true;
    S.focusable = true;
    S.focused = widget()->hasFocus();
    return S;
}

QString TQtTextAccessible::text(QAccessible::Text Kind) const {
    if (Kind == QAccessible::Name) {
        if (const TAccessibleText* T = Text(); T && !T->AccessibleName().empty()) return ToQString(T->AccessibleName());
    }
    // The value of a text is its text, which is read by offsets, never in one piece.
    if (Kind == QAccessible::Value) return QString();
    return QAccessibleWidget::text(Kind);
}

// ---- selections and caret ----------------------------------------------------------------------

void TQtTextAccessible::selection(int SelectionIndex, int* StartOffset, int* EndOffset) const {
    int Start = 0, End = 0;
    if (TAccessibleText* T = Text()) T->Selection(SelectionIndex, Start, End);
    *StartOffset = Start;
    *EndOffset = End;
}

int TQtTextAccessible::selectionCount() const {
    TAccessibleText* T = Text();
    return T ? T->SelectionCount() : 0;
}

void TQtTextAccessible::addSelection(int StartOffset, int EndOffset) {
    if (TAccessibleText* T = Text()) T->SetSelection(StartOffset, EndOffset);
}

void TQtTextAccessible::removeSelection(int SelectionIndex) {
    TAccessibleText* T = Text();
    if (T && SelectionIndex >= 0 && SelectionIndex < T->SelectionCount()) T->SetCaretOffset(T->CaretOffset());
}

void TQtTextAccessible::setSelection(int SelectionIndex, int StartOffset, int EndOffset) {
    if (TAccessibleText* T = Text(); T && SelectionIndex == 0) T->SetSelection(StartOffset, EndOffset);
}

int TQtTextAccessible::cursorPosition() const {
    TAccessibleText* T = Text();
    return T ? T->CaretOffset() : 0;
}

void TQtTextAccessible::setCursorPosition(int Position) {
    if (TAccessibleText* T = Text()) T->SetCaretOffset(Position);
}

// ---- text ----------------------------------------------------------------------------------------

QString TQtTextAccessible::text(int StartOffset, int EndOffset) const {
    TAccessibleText* T = Text();
    return T ? ToQ(T->Text(StartOffset, EndOffset)) : QString();
}

int TQtTextAccessible::characterCount() const {
    TAccessibleText* T = Text();
    return T ? T->CharacterCount() : 0;
}

bool TQtTextAccessible::UnitAt(int Offset, QAccessible::TextBoundaryType Boundary, int& Start, int& End) const {
    TAccessibleText* T = Text();
    if (T == nullptr) return false;
    const int Count = T->CharacterCount();
    if (Offset < 0 || Offset > Count) return false;
    switch (Boundary) {
    case QAccessible::CharBoundary:
        Start = Offset;
        End = std::min(Offset + 1, Count);
        break;
    case QAccessible::LineBoundary:
        T->RowBounds(Offset, false, Start, End);
        break;
    case QAccessible::ParagraphBoundary:
        T->RowBounds(Offset, true, Start, End);
        break;
    case QAccessible::NoBoundary:
        Start = 0;
        End = Count;
        break;
    case QAccessible::WordBoundary:
    case QAccessible::SentenceBoundary: {
        int LineStart = 0, LineEnd = 0;
        T->RowBounds(Offset, true, LineStart, LineEnd);
        const int From = std::max(LineStart, Offset - BoundaryWindow);
        const int To = std::min(LineEnd, Offset + BoundaryWindow);
        const QString S = ToQ(T->Text(From, To));
        QTextBoundaryFinder Finder(Boundary == QAccessible::WordBoundary ? QTextBoundaryFinder::Word
                                                                         : QTextBoundaryFinder::Sentence,
                                   S);
        const int At = Offset - From;
        Finder.setPosition(At);
        int B = Finder.isAtBoundary() ? At : static_cast<int>(Finder.toPreviousBoundary());
        Finder.setPosition(At);
        int E = static_cast<int>(Finder.toNextBoundary());
        Start = From + std::max(B, 0);
        End = From + (E < 0 ? static_cast<int>(S.size()) : E);
        break;
    }
    }
    return Start < End;
}

QString TQtTextAccessible::textAtOffset(int Offset, QAccessible::TextBoundaryType Boundary, int* StartOffset,
                                        int* EndOffset) const {
    int Start = 0, End = 0;
    *StartOffset = *EndOffset = -1;
    if (!UnitAt(Offset, Boundary, Start, End)) return QString();
    *StartOffset = Start;
    *EndOffset = End;
    return text(Start, End);
}

QString TQtTextAccessible::textBeforeOffset(int Offset, QAccessible::TextBoundaryType Boundary,
                                            int* StartOffset, int* EndOffset) const {
    int Start = 0, End = 0;
    *StartOffset = *EndOffset = -1;
    if (UnitAt(Offset, Boundary, Start, End))
        Offset = Start;
    else if (Offset != characterCount())
        return QString();
    if (Offset <= 0 || !UnitAt(Offset - 1, Boundary, Start, End)) return QString();
    *StartOffset = Start;
    *EndOffset = End;
    return text(Start, End);
}

QString TQtTextAccessible::textAfterOffset(int Offset, QAccessible::TextBoundaryType Boundary,
                                           int* StartOffset, int* EndOffset) const {
    int Start = 0, End = 0;
    *StartOffset = *EndOffset = -1;
    if (!UnitAt(Offset, Boundary, Start, End) || !UnitAt(End, Boundary, Start, End)) return QString();
    *StartOffset = Start;
    *EndOffset = End;
    return text(Start, End);
}

// ---- geometry --------------------------------------------------------------------------------------

QRect TQtTextAccessible::characterRect(int Offset) const {
    auto* Widget = qobject_cast<TQtControlWidget*>(object());
    TAccessibleText* T = Text();
    if (T == nullptr || Widget == nullptr || Widget->Host() == nullptr) return QRect();
    const TRect R = T->CharacterRect(Offset);
    if (R.IsEmpty()) return QRect();
    const TPoint P = Widget->Host()->ClientToScreen(TPoint{R.Left, R.Top});
    return QRect(P.X, P.Y, R.Width(), R.Height());
}

int TQtTextAccessible::offsetAtPoint(const QPoint& Point) const {
    auto* Widget = qobject_cast<TQtControlWidget*>(object());
    TAccessibleText* T = Text();
    if (T == nullptr || Widget == nullptr || Widget->Host() == nullptr) return -1;
    return T->OffsetAtPoint(Widget->Host()->ScreenToClient(TPoint{Point.x(), Point.y()}));
}

void TQtTextAccessible::scrollToSubstring(int StartIndex, int EndIndex) {
    if (TAccessibleText* T = Text()) T->ScrollToOffsets(StartIndex, EndIndex);
}

QString TQtTextAccessible::attributes(int Offset, int* StartOffset, int* EndOffset) const {
    // One run without attributes over the whole text.
    (void)Offset;
    *StartOffset = 0;
    *EndOffset = characterCount();
    return QString();
}

// ---- edits ---------------------------------------------------------------------------------------------

void TQtTextAccessible::deleteText(int StartOffset, int EndOffset) {
    if (TAccessibleText* T = Text()) T->DeleteText(StartOffset, EndOffset);
}

void TQtTextAccessible::insertText(int Offset, const QString& Text) {
    if (TAccessibleText* T = this->Text()) T->InsertText(Offset, FromQ(Text));
}

void TQtTextAccessible::replaceText(int StartOffset, int EndOffset, const QString& Text) {
    if (TAccessibleText* T = this->Text()) T->ReplaceText(StartOffset, EndOffset, FromQ(Text));
}

// ---- factory and events -------------------------------------------------------------------------------

void InstallAccessibleFactory() {
    static const bool Installed = (QAccessible::installFactory(ControlFactory), true);
    (void)Installed;
}

namespace {
TAccessibleEventSink& Sink() {
    static TAccessibleEventSink S;
    return S;
}
void Deliver(QAccessibleEvent& Event) {
    if (Sink())
        Sink()(Event);
    else
        QAccessible::updateAccessibility(&Event);
}
} // namespace

void SetAccessibleEventSink(TAccessibleEventSink S) { Sink() = std::move(S); }

bool AccessibleEventsWanted() { return Sink() || QAccessible::isActive(); }

void SendAccessibleEvent(QWidget* Widget, const TAccessibleEvent& Event) {
    if (Widget == nullptr || !AccessibleEventsWanted()) return;
    switch (Event.Kind) {
    case TAccessibleEvent::aeCaretMoved: {
        QAccessibleTextCursorEvent E(Widget, Event.Offset);
        Deliver(E);
        break;
    }
    case TAccessibleEvent::aeTextInserted: {
        QAccessibleTextInsertEvent E(Widget, Event.Offset, ToQ(Event.Text));
        Deliver(E);
        break;
    }
    case TAccessibleEvent::aeTextRemoved: {
        QAccessibleTextRemoveEvent E(Widget, Event.Offset, ToQ(Event.Text));
        Deliver(E);
        break;
    }
    case TAccessibleEvent::aeSelectionChanged: {
        QAccessibleTextSelectionEvent E(Widget, Event.Offset, Event.End);
        Deliver(E);
        break;
    }
    }
}

} // namespace qtbackend
