#include "ShortcutKey.h"

#include <QKeyEvent>
#include <array>

namespace {

// Letters by their place on a PC keyboard: the scan codes of the three letter rows (the same
// numbers as Linux evdev codes).
struct TLetterRow {
    unsigned FirstScanCode;
    const char *Letters;
};
constexpr std::array<TLetterRow, 3> LetterRows = {{{16, "QWERTYUIOP"}, {30, "ASDFGHJKL"}, {44, "ZXCVBNM"}}};

#ifdef Q_OS_WIN
constexpr unsigned ScanCodeOffset = 0;
#else
constexpr unsigned ScanCodeOffset = 8; // X11 and Wayland key codes are evdev codes + 8
#endif

int LetterAtScanCode(unsigned nativeScanCode)
{
    if (nativeScanCode < ScanCodeOffset)
        return 0;
    const unsigned code = nativeScanCode - ScanCodeOffset;
    for (const TLetterRow &row : LetterRows) {
        const unsigned length = static_cast<unsigned>(std::char_traits<char>::length(row.Letters));
        if (code >= row.FirstScanCode && code < row.FirstScanCode + length)
            return Qt::Key_A + (row.Letters[code - row.FirstScanCode] - 'A');
    }
    return 0;
}

} // namespace

int ShortcutKeyOf(const QKeyEvent &event)
{
    const int key = event.key();
    const bool beyondLatin = key > 0xFF && key < Qt::Key_Escape; // a letter of another script
    if (!beyondLatin)
        return key;
    const quint32 virtualKey = event.nativeVirtualKey();
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return Qt::Key_A + int(virtualKey - 'A');
    if (virtualKey >= 'a' && virtualKey <= 'z')
        return Qt::Key_A + int(virtualKey - 'a');
    if (const int letter = LetterAtScanCode(event.nativeScanCode()))
        return letter;
    return key;
}
