// Qt key events as Win32 virtual keys, key data and character bytes.
#pragma once

#include <QKeyEvent>
#include <cstdint>
#include <string>

namespace qtbackend {

// The virtual key of a key event (0 when there is none). Keys of the digit row stay
// digits with Shift held, as on Windows, so that Shift+Ctrl+3 arrives as '3'.
uint8_t VirtualKeyOf(const QKeyEvent& Event);
// The key data of WM_KEYDOWN / WM_KEYUP: repeat count 1, scan code, KF_ALTDOWN, KF_REPEAT
// for an auto-repeat, KF_REPEAT | KF_UP for a release.
uint32_t KeyDataOf(const QKeyEvent& Event, bool Release);
// The CP932 bytes of the character messages a key press makes on Windows: the typed
// text, Backspace 8, Tab 9, Enter 13, Esc 27, Ctrl+letter 1-26; nothing for other
// keys with Ctrl, for Delete or for keys without text.
std::string CharBytesOf(const QKeyEvent& Event);
// Whether the press goes out as WM_SYSKEYDOWN / WM_SYSCHAR (Alt held, or F10).
bool IsSystemKey(const QKeyEvent& Event);

} // namespace qtbackend
