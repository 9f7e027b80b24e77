#pragma once
// The key a shortcut is matched on. Under a Cyrillic or Greek layout Ctrl+S produces a
// non-Latin letter; like other programs the window matches the Latin key of the physical key.
class QKeyEvent;

// event.key() when it is not a letter beyond Latin-1; otherwise the Latin letter of the key
// pressed: the native virtual key when it is one (Windows key codes, X11 Latin keysyms), else
// the letter at the scan code's place on a PC keyboard. event.key() when neither tells.
int ShortcutKeyOf(const QKeyEvent &event);
