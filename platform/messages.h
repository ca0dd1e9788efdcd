// Window messages with Win32-compatible numbers, their parameters and the helpers that pack them.
#pragma once

#include <cstdint>

// One window message: what a control's WndProc receives. Pointers travel in WParam or
// LParam as on Win32 (WM_GETTEXT's buffer, WM_PAINT's canvas).
struct TMessage {
    uint32_t Msg = 0;
    uintptr_t WParam = 0;
    intptr_t LParam = 0;
    intptr_t Result = 0;
};

// Packing helpers.
constexpr uint16_t LOWORD(uintptr_t V) {
    return static_cast<uint16_t>(V & 0xFFFF);
}
constexpr uint16_t HIWORD(uintptr_t V) {
    return static_cast<uint16_t>((V >> 16) & 0xFFFF);
}
constexpr uint8_t LOBYTE(uintptr_t V) {
    return static_cast<uint8_t>(V & 0xFF);
}
constexpr uint32_t MAKELONG(uint16_t Lo, uint16_t Hi) {
    return uint32_t(Lo) | (uint32_t(Hi) << 16);
}
constexpr intptr_t MAKELPARAM(int Lo, int Hi) {
    return static_cast<intptr_t>(MAKELONG(static_cast<uint16_t>(Lo), static_cast<uint16_t>(Hi)));
}
constexpr uintptr_t MAKEWPARAM(int Lo, int Hi) {
    return static_cast<uintptr_t>(MAKELONG(static_cast<uint16_t>(Lo), static_cast<uint16_t>(Hi)));
}
// Signed client coordinates of a mouse message (a point left of or above the window is negative).
constexpr int GET_X_LPARAM(intptr_t L) {
    return static_cast<int16_t>(LOWORD(static_cast<uintptr_t>(L)));
}
constexpr int GET_Y_LPARAM(intptr_t L) {
    return static_cast<int16_t>(HIWORD(static_cast<uintptr_t>(L)));
}
// Wheel turn in WM_MOUSEWHEEL: multiples of WHEEL_DELTA, positive away from the user.
constexpr int GET_WHEEL_DELTA_WPARAM(uintptr_t W) {
    return static_cast<int16_t>(HIWORD(W));
}
constexpr int GET_KEYSTATE_WPARAM(uintptr_t W) {
    return LOWORD(W);
}
constexpr int WHEEL_DELTA = 120;

// Window messages.
enum : uint32_t {
    WM_NULL = 0x0000,
    WM_CREATE = 0x0001,
    WM_DESTROY = 0x0002,
    WM_MOVE = 0x0003,
    WM_SIZE = 0x0005, // WParam SIZE_*, LParam client width (low) and height (high)
    WM_SETFOCUS = 0x0007,
    WM_KILLFOCUS = 0x0008,
    WM_ENABLE = 0x000A,
    WM_SETREDRAW = 0x000B, // WParam 0 switches redrawing off, 1 on
    WM_SETTEXT = 0x000C,   // LParam: const char* (CP932, zero-terminated)
    WM_GETTEXT = 0x000D,   // WParam buffer size in bytes, LParam char* buffer; Result bytes copied
    WM_GETTEXTLENGTH = 0x000E,
    WM_PAINT = 0x000F, // WParam: TCanvas* clipped to the update region (see PaintCanvas)
    WM_CLOSE = 0x0010,
    WM_ERASEBKGND = 0x0014, // WParam: TCanvas*; a non-zero Result means the handler erased
    WM_SYSCOLORCHANGE = 0x0015,
    WM_SHOWWINDOW = 0x0018,
    WM_SETCURSOR = 0x0020,
    WM_MOUSEACTIVATE = 0x0021,
    WM_GETOBJECT = 0x003D, // LParam OBJID_CLIENT: Result a TAccessibleText* (0 when none)
    WM_SETFONT = 0x0030,
    WM_GETFONT = 0x0031,
    WM_WINDOWPOSCHANGED = 0x0047,
    WM_CONTEXTMENU = 0x007B, // LParam: screen x (low), y (high); -1/-1 when from the keyboard
    WM_NCHITTEST = 0x0084,
    WM_NCPAINT = 0x0085,
    WM_GETDLGCODE = 0x0087, // WParam: the virtual key asked about (0 for a general query)
    WM_NCMOUSEMOVE = 0x00A0,
    WM_NCLBUTTONDOWN = 0x00A1,
    WM_NCRBUTTONDOWN = 0x00A4,
    WM_NCMBUTTONDOWN = 0x00A7,

    WM_KEYFIRST = 0x0100,
    WM_KEYDOWN = 0x0100, // WParam virtual key, LParam key data (KF_* bits below)
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102, // WParam one CP932 byte
    WM_DEADCHAR = 0x0103,
    WM_SYSKEYDOWN = 0x0104,
    WM_SYSKEYUP = 0x0105,
    WM_SYSCHAR = 0x0106,
    WM_SYSDEADCHAR = 0x0107,
    WM_UNICHAR = 0x0109,
    WM_KEYLAST = 0x0109,

    WM_IME_STARTCOMPOSITION = 0x010D,
    WM_IME_ENDCOMPOSITION = 0x010E,
    WM_IME_COMPOSITION = 0x010F, // LParam GCS_* flags of what changed
    WM_IME_KEYLAST = 0x010F,

    WM_COMMAND = 0x0111,
    WM_TIMER = 0x0113,
    WM_HSCROLL = 0x0114, // WParam request (low) and 16-bit thumb position (high)
    WM_VSCROLL = 0x0115,
    WM_INITMENUPOPUP = 0x0117,

    WM_MOUSEFIRST = 0x0200,
    WM_MOUSEMOVE = 0x0200, // WParam MK_* flags, LParam client x (low) and y (high)
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_RBUTTONDBLCLK = 0x0206,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_MBUTTONDBLCLK = 0x0209,
    WM_MOUSEWHEEL = 0x020A, // WParam MK_* (low) and delta (high), LParam screen x and y
    WM_MOUSELAST = 0x020A,
    WM_CAPTURECHANGED = 0x0215,

    WM_IME_SETCONTEXT = 0x0281,
    WM_IME_NOTIFY = 0x0282, // WParam IMN_* code
    WM_IME_CONTROL = 0x0283,
    WM_IME_COMPOSITIONFULL = 0x0284,
    WM_IME_SELECT = 0x0285,
    WM_IME_CHAR = 0x0286,
    WM_IME_REQUEST = 0x0288,
    WM_IME_KEYDOWN = 0x0290,
    WM_IME_KEYUP = 0x0291,

    WM_MOUSELEAVE = 0x02A3,

    WM_CUT = 0x0300,
    WM_COPY = 0x0301,
    WM_PASTE = 0x0302,
    WM_CLEAR = 0x0303,
    WM_UNDO = 0x0304,

    WM_USER = 0x0400,
    WM_APP = 0x8000,
};

// Edit-control messages.
enum : uint32_t {
    EM_GETSEL = 0x00B0,
    EM_SETSEL = 0x00B1,
    EM_GETRECT = 0x00B2,
    EM_SETRECT = 0x00B3,
    EM_SCROLL = 0x00B5,
    EM_LINESCROLL = 0x00B6,
    EM_SCROLLCARET = 0x00B7,
    EM_GETMODIFY = 0x00B8,
    EM_SETMODIFY = 0x00B9,
    EM_GETLINECOUNT = 0x00BA,
    EM_LINEINDEX = 0x00BB,
    EM_GETTHUMB = 0x00BE,
    EM_LINELENGTH = 0x00C1,
    EM_REPLACESEL = 0x00C2,
    EM_GETLINE = 0x00C4,
    EM_LIMITTEXT = 0x00C5,
    EM_CANUNDO = 0x00C6,
    EM_UNDO = 0x00C7,
    EM_FMTLINES = 0x00C8,
    EM_LINEFROMCHAR = 0x00C9,
    EM_SETTABSTOPS = 0x00CB,
    EM_EMPTYUNDOBUFFER = 0x00CD,
    EM_GETFIRSTVISIBLELINE = 0x00CE,
    EM_SETREADONLY = 0x00CF,
    EM_SETMARGINS = 0x00D3,
    EM_GETMARGINS = 0x00D4,
    EM_GETLIMITTEXT = 0x00D5,
    EM_POSFROMCHAR = 0x00D6,
    EM_CHARFROMPOS = 0x00D7,
};

// Control notifications of the framework, in a range of their own. The host sends CM_MOUSEENTER/CM_MOUSELEAVE
// when the pointer enters or leaves the window; the other three are for the control to send to itself when
// its font, colour or 3-D look changes.
enum : uint32_t {
    CM_BASE = 0xB000,
    CM_FONTCHANGED = CM_BASE + 1,
    CM_COLORCHANGED = CM_BASE + 2,
    CM_CTL3DCHANGED = CM_BASE + 3,
    CM_MOUSEENTER = CM_BASE + 4,
    CM_MOUSELEAVE = CM_BASE + 5,
    CM_ENABLEDCHANGED = CM_BASE + 6,

    // Sent by the host before WM_KEYDOWN / WM_SYSKEYDOWN with the same parameters, so that
    // the control can match its popup menu's shortcuts first: a non-zero Result means the
    // key was a shortcut and WM_KEYDOWN (and its characters) are not sent.
    CN_BASE = 0xBC00,
    CN_KEYDOWN = CN_BASE + WM_KEYDOWN,
    CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN,
};

// WM_SIZE kinds.
enum : uint32_t { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };

// Key data of key messages (LParam): repeat count in bits 0-15, scan code in 16-23.
enum : uint32_t {
    KF_EXTENDED = 1u << 24,
    KF_ALTDOWN = 1u << 29,
    KF_REPEAT = 1u << 30, // the key was already down: an auto-repeat
    KF_UP = 1u << 31,     // set in key-up messages
};

// Scroll bar requests (WM_HSCROLL, WM_VSCROLL low word) and bars.
enum : uint32_t {
    SB_LINEUP = 0,
    SB_LINELEFT = 0,
    SB_LINEDOWN = 1,
    SB_LINERIGHT = 1,
    SB_PAGEUP = 2,
    SB_PAGELEFT = 2,
    SB_PAGEDOWN = 3,
    SB_PAGERIGHT = 3,
    SB_THUMBPOSITION = 4,
    SB_THUMBTRACK = 5,
    SB_TOP = 6,
    SB_LEFT = 6,
    SB_BOTTOM = 7,
    SB_RIGHT = 7,
    SB_ENDSCROLL = 8,
};
enum : uint32_t { SB_HORZ = 0, SB_VERT = 1, SB_BOTH = 3 };
// Which fields of a TScrollInfo are set or read.
enum : uint32_t {
    SIF_RANGE = 0x01,
    SIF_PAGE = 0x02,
    SIF_POS = 0x04,
    SIF_DISABLENOSCROLL = 0x08,
    SIF_TRACKPOS = 0x10,
    SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS,
};

// Dialog codes (WM_GETDLGCODE results).
enum : uint32_t {
    DLGC_WANTARROWS = 0x0001,
    DLGC_WANTTAB = 0x0002,
    DLGC_WANTALLKEYS = 0x0004,
    DLGC_WANTMESSAGE = 0x0004,
    DLGC_HASSETSEL = 0x0008,
    DLGC_WANTCHARS = 0x0080,
};

// Mouse message flags (WParam of mouse messages).
enum : uint32_t {
    MK_LBUTTON = 0x0001,
    MK_RBUTTON = 0x0002,
    MK_SHIFT = 0x0004,
    MK_CONTROL = 0x0008,
    MK_MBUTTON = 0x0010,
};

// Hit-test codes (WM_NCHITTEST results).
enum : uint32_t { HTNOWHERE = 0, HTCLIENT = 1 };

// Window styles of TCreateParams.
enum : uint32_t {
    WS_TABSTOP = 0x00010000,
    WS_HSCROLL = 0x00100000,
    WS_VSCROLL = 0x00200000,
    WS_BORDER = 0x00800000,
    WS_VISIBLE = 0x10000000,
    WS_CHILD = 0x40000000,
    WS_EX_CLIENTEDGE = 0x00000200,
};
// Window class styles (the control drops the two redraw styles: a resize repaints nothing
// by itself; the control invalidates what it needs).
enum : uint32_t { CS_VREDRAW = 0x0001, CS_HREDRAW = 0x0002, CS_DBLCLKS = 0x0008 };

// System metrics (TWindowHost::SystemMetric).
enum : int {
    SM_CXVSCROLL = 2,  // width of a vertical scroll bar
    SM_CYHSCROLL = 3,  // height of a horizontal scroll bar
    SM_CYVSCROLL = 20, // height of the arrow of a vertical scroll bar (its width, in practice)
    SM_CXHSCROLL = 21,
};

// Input method: composition string kinds (WM_IME_COMPOSITION LParam) and notifications.
enum : uint32_t {
    GCS_COMPSTR = 0x0008,
    GCS_CURSORPOS = 0x0080,
    GCS_RESULTSTR = 0x0800,
};
enum : uint32_t {
    IMN_CLOSESTATUSWINDOW = 0x0001,
    IMN_OPENSTATUSWINDOW = 0x0002,
    IMN_CHANGECANDIDATE = 0x0003,
    IMN_CLOSECANDIDATE = 0x0004,
    IMN_OPENCANDIDATE = 0x0005,
    IMN_SETCOMPOSITIONFONT = 0x000A,
    IMN_SETCOMPOSITIONWINDOW = 0x000B,
};
// WM_IME_REQUEST WParam: the input method asks for the text around the caret; LParam points to
// a TImeDocumentFeed that the control fills, Result non-zero when it did.
enum : uint32_t {
    IMR_DOCUMENTFEED = 0x0007,
};

// WM_GETOBJECT LParam: the object of the client area (platform/accessible.h).
inline constexpr intptr_t OBJID_CLIENT = -4;

// Virtual keys. Letters and digits are their upper-case ASCII codes ('A', '0').
enum : uint8_t {
    VK_LBUTTON = 0x01,
    VK_RBUTTON = 0x02,
    VK_CANCEL = 0x03,
    VK_MBUTTON = 0x04,
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_CLEAR = 0x0C,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12, // Alt
    VK_PAUSE = 0x13,
    VK_CAPITAL = 0x14,
    VK_KANA = 0x15,
    VK_KANJI = 0x19,
    VK_ESCAPE = 0x1B,
    VK_CONVERT = 0x1C,
    VK_NONCONVERT = 0x1D,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21, // Page Up
    VK_NEXT = 0x22,  // Page Down
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_SNAPSHOT = 0x2C,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_HELP = 0x2F,
    VK_LWIN = 0x5B,
    VK_RWIN = 0x5C,
    VK_APPS = 0x5D,
    VK_NUMPAD0 = 0x60,
    VK_NUMPAD9 = 0x69,
    VK_MULTIPLY = 0x6A,
    VK_ADD = 0x6B,
    VK_SEPARATOR = 0x6C,
    VK_SUBTRACT = 0x6D,
    VK_DECIMAL = 0x6E,
    VK_DIVIDE = 0x6F,
    VK_F1 = 0x70,
    VK_F12 = 0x7B,
    VK_F24 = 0x87,
    VK_NUMLOCK = 0x90,
    VK_SCROLL = 0x91,
    VK_LSHIFT = 0xA0,
    VK_RSHIFT = 0xA1,
    VK_LCONTROL = 0xA2,
    VK_RCONTROL = 0xA3,
    VK_LMENU = 0xA4,
    VK_RMENU = 0xA5,
    VK_OEM_1 = 0xBA, // ';:' on a US keyboard
    VK_OEM_PLUS = 0xBB,
    VK_OEM_COMMA = 0xBC,
    VK_OEM_MINUS = 0xBD,
    VK_OEM_PERIOD = 0xBE,
    VK_OEM_2 = 0xBF,   // '/?'
    VK_OEM_3 = 0xC0,   // '`~'
    VK_OEM_4 = 0xDB,   // '[{'
    VK_OEM_5 = 0xDC,   // '\|'
    VK_OEM_6 = 0xDD,   // ']}'
    VK_OEM_7 = 0xDE,   // quote
    VK_OEM_102 = 0xE2, // '\_' of the Japanese keyboard
    VK_PROCESSKEY = 0xE5,
};
