// Key translation: Qt keys to virtual keys, key data, and the bytes of WM_CHAR.
#include "platform/qt/qt_keys.h"

#include "platform/messages.h"
#include "platform/qt/qt_text.h"

namespace qtbackend {

namespace {

struct TKeyPair {
    int Qt;
    uint8_t Vk;
};

const TKeyPair GKeys[] = {
    {Qt::Key_Backspace, VK_BACK},
    {Qt::Key_Tab, VK_TAB},
    {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Clear, VK_CLEAR},
    {Qt::Key_Return, VK_RETURN},
    {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL},
    {Qt::Key_Alt, VK_MENU},
    {Qt::Key_Pause, VK_PAUSE},
    {Qt::Key_CapsLock, VK_CAPITAL},
    {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE},
    {Qt::Key_PageUp, VK_PRIOR},
    {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END},
    {Qt::Key_Home, VK_HOME},
    {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT},
    {Qt::Key_Down, VK_DOWN},
    {Qt::Key_Print, VK_SNAPSHOT},
    {Qt::Key_Insert, VK_INSERT},
    {Qt::Key_Delete, VK_DELETE},
    {Qt::Key_Help, VK_HELP},
    {Qt::Key_Meta, VK_LWIN},
    {Qt::Key_Menu, VK_APPS},
    {Qt::Key_NumLock, VK_NUMLOCK},
    {Qt::Key_ScrollLock, VK_SCROLL},
    {Qt::Key_Kanji, VK_KANJI},
    {Qt::Key_Henkan, VK_CONVERT},
    {Qt::Key_Muhenkan, VK_NONCONVERT},
    {Qt::Key_Zenkaku_Hankaku, VK_KANJI},
    {Qt::Key_Semicolon, VK_OEM_1},
    {Qt::Key_Colon, VK_OEM_1},
    {Qt::Key_Plus, VK_OEM_PLUS},
    {Qt::Key_Equal, VK_OEM_PLUS},
    {Qt::Key_Comma, VK_OEM_COMMA},
    {Qt::Key_Less, VK_OEM_COMMA},
    {Qt::Key_Minus, VK_OEM_MINUS},
    {Qt::Key_Underscore, VK_OEM_MINUS},
    {Qt::Key_Period, VK_OEM_PERIOD},
    {Qt::Key_Greater, VK_OEM_PERIOD},
    {Qt::Key_Slash, VK_OEM_2},
    {Qt::Key_Question, VK_OEM_2},
    {Qt::Key_QuoteLeft, VK_OEM_3},
    {Qt::Key_AsciiTilde, VK_OEM_3},
    {Qt::Key_At, VK_OEM_3},
    {Qt::Key_BracketLeft, VK_OEM_4},
    {Qt::Key_BraceLeft, VK_OEM_4},
    {Qt::Key_Backslash, VK_OEM_5},
    {Qt::Key_Bar, VK_OEM_5},
    {Qt::Key_BracketRight, VK_OEM_6},
    {Qt::Key_BraceRight, VK_OEM_6},
    {Qt::Key_Apostrophe, VK_OEM_7},
    {Qt::Key_QuoteDbl, VK_OEM_7},
    {Qt::Key_AsciiCircum, VK_OEM_7},
    {Qt::Key_yen, VK_OEM_5},
};

// X11 / evdev key codes of the digit row '1' .. '9', '0'.
constexpr quint32 kFirstDigitScanCode = 10;

} // namespace

uint8_t VirtualKeyOf(const QKeyEvent& Event) {
    const int Key = Event.key();
    const bool Keypad = Event.modifiers() & Qt::KeypadModifier;
    if (Key >= Qt::Key_0 && Key <= Qt::Key_9) {
        if (Keypad) return static_cast<uint8_t>(VK_NUMPAD0 + (Key - Qt::Key_0));
        return static_cast<uint8_t>('0' + (Key - Qt::Key_0));
    }
    if (Key >= Qt::Key_A && Key <= Qt::Key_Z) return static_cast<uint8_t>('A' + (Key - Qt::Key_A));
    if (Key >= Qt::Key_F1 && Key <= Qt::Key_F24) return static_cast<uint8_t>(VK_F1 + (Key - Qt::Key_F1));
    // A shifted digit ('!', '#', ...) is still its digit key.
    const quint32 Scan = Event.nativeScanCode();
    if (!Keypad && Scan >= kFirstDigitScanCode && Scan < kFirstDigitScanCode + 10)
        return static_cast<uint8_t>(Scan == kFirstDigitScanCode + 9 ? '0'
                                                                    : '1' + (Scan - kFirstDigitScanCode));
    if (Keypad) {
        switch (Key) {
        case Qt::Key_Asterisk:
            return VK_MULTIPLY;
        case Qt::Key_Plus:
            return VK_ADD;
        case Qt::Key_Minus:
            return VK_SUBTRACT;
        case Qt::Key_Period:
            return VK_DECIMAL;
        case Qt::Key_Slash:
            return VK_DIVIDE;
        default:
            break;
        }
    }
    for (const TKeyPair& P : GKeys)
        if (P.Qt == Key) return P.Vk;
    return 0;
}

uint32_t KeyDataOf(const QKeyEvent& Event, bool Release) {
    uint32_t Data = 1 | ((Event.nativeScanCode() & 0xFF) << 16);
    if (Event.modifiers() & Qt::AltModifier) Data |= KF_ALTDOWN;
    if (Release)
        Data |= KF_REPEAT | KF_UP;
    else if (Event.isAutoRepeat())
        Data |= KF_REPEAT;
    return Data;
}

bool IsSystemKey(const QKeyEvent& Event) {
    return (Event.modifiers() & Qt::AltModifier) || Event.key() == Qt::Key_F10;
}

std::string CharBytesOf(const QKeyEvent& Event) {
    const int Key = Event.key();
    const bool Ctrl = Event.modifiers() & Qt::ControlModifier;
    switch (Key) {
    case Qt::Key_Backspace:
        return std::string(1, '\b');
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return std::string(1, '\t');
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return std::string(1, '\r');
    case Qt::Key_Escape:
        return std::string(1, '\x1B');
    case Qt::Key_Delete:
        return {};
    default:
        break;
    }
    if (Ctrl) {
        if (Key >= Qt::Key_A && Key <= Qt::Key_Z)
            return std::string(1, static_cast<char>(1 + (Key - Qt::Key_A)));
        return {};
    }
    QString Text = Event.text();
    // Control characters that some platforms put in the text are not typed characters.
    QString Printable;
    for (QChar C : Text)
        if (C.unicode() >= 0x20 && C.unicode() != 0x7F) Printable += C;
    if (Printable.isEmpty()) return {};
    return FromQString(Printable);
}

} // namespace qtbackend
