// The custom-painted controls on Qt's accessibility stack: the interface of a text control's
// widget (from its TAccessibleText) and its change events.
#pragma once

#include <QAccessibleWidget>
#include <functional>

#include "platform/accessible.h"

namespace qtbackend {

class TQtControlWidget;

// Qt's accessibility interfaces of a control widget whose control answers WM_GETOBJECT: an
// editable multi-line text, read through the control's TAccessibleText, asked anew at every
// call (the control may go before Qt drops the interface).
class TQtTextAccessible final : public QAccessibleWidget,
                          public QAccessibleTextInterface,
                          public QAccessibleEditableTextInterface {
public:
    explicit TQtTextAccessible(TQtControlWidget* Widget);

    void* interface_cast(QAccessible::InterfaceType Type) override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text Kind) const override;

    void selection(int SelectionIndex, int* StartOffset, int* EndOffset) const override;
    int selectionCount() const override;
    void addSelection(int StartOffset, int EndOffset) override;
    void removeSelection(int SelectionIndex) override;
    void setSelection(int SelectionIndex, int StartOffset, int EndOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int Position) override;
    QString text(int StartOffset, int EndOffset) const override;
    QString textBeforeOffset(int Offset, QAccessible::TextBoundaryType Boundary, int* StartOffset,
                             int* EndOffset) const override;
    QString textAfterOffset(int Offset, QAccessible::TextBoundaryType Boundary, int* StartOffset,
                            int* EndOffset) const override;
    QString textAtOffset(int Offset, QAccessible::TextBoundaryType Boundary, int* StartOffset,
                         int* EndOffset) const override;
    int characterCount() const override;
    QRect characterRect(int Offset) const override;
    int offsetAtPoint(const QPoint& Point) const override;
    void scrollToSubstring(int StartIndex, int EndIndex) override;
    QString attributes(int Offset, int* StartOffset, int* EndOffset) const override;

    void deleteText(int StartOffset, int EndOffset) override;
    void insertText(int Offset, const QString& Text) override;
    void replaceText(int StartOffset, int EndOffset, const QString& Text) override;

private:
    TAccessibleText* Text() const;
    // [Start, End) of the boundary unit that holds Offset; false when there is none.
    bool UnitAt(int Offset, QAccessible::TextBoundaryType Boundary, int& Start, int& End) const;
};

// Makes the text interface for control widgets that have a TAccessibleText; installed once
// with the Qt services.
void InstallAccessibleFactory();

// Where the controls' accessibility events go: to Qt's accessibility (the default, while an
// assistive technology is attached through the platform's bridge), or to Sink (a platform
// without a bridge, where they are recorded). An empty Sink puts the default back.
using TAccessibleEventSink = std::function<void(QAccessibleEvent& Event)>;
void SetAccessibleEventSink(TAccessibleEventSink Sink);
// Whether the events are taken: the controls prepare them only then.
bool AccessibleEventsWanted();

// Sends Event for Widget as Qt's accessibility update event.
void SendAccessibleEvent(QWidget* Widget, const TAccessibleEvent& Event);

} // namespace qtbackend
