// The window's keys: the shortcut rule for key presses and the key-release rules. The window
// sees every key before the focused control (MainFrame.cpp's event filter sends them here).
#include "Unit1.h"
#include "ui_Unit1.h"

#include "ShortcutKey.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace {

constexpr Qt::KeyboardModifiers ShortcutModifiers =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

int KeyWithModifiers(const QKeyEvent &event)
{
    return ShortcutKeyOf(event) | int(event.modifiers() & ShortcutModifiers);
}

} // namespace

bool TForm1::HandleShortcut(int keyWithModifiers)
{
    // Only the first command in menu order that carries the key is considered; the key is
    // taken even when that command or its menu is disabled.
    for (const TMenuCommand &command : menuCommands_) {
        if (command.Key != keyWithModifiers)
            continue;
        if (command.Menu->isEnabled() && command.Action->isEnabled())
            command.Action->trigger();
        return true;
    }
    return false;
}

void TForm1::FormKeyUp(int &Key, Qt::KeyboardModifiers Shift)
{
    if (ActivePageIndex() != 1)
        return;
    if ((Key == Qt::Key_Return || Key == Qt::Key_Enter) && focusWidget() == ui->Memo1) {
        Key = 0; // the memo does not see the release
        return;
    }
    // Ctrl alone: no Shift, Alt or Meta, and no mouse button held.
    if (Key == Qt::Key_S && (Shift & ShortcutModifiers) == Qt::ControlModifier &&
        QGuiApplication::mouseButtons() == Qt::NoButton) {
        Key = 0; // taken before saving: a failed save must not pass the release on to the parents
        SpeedButton6Click(); // even when the Save button is disabled
    }
}

bool TForm1::FilterKeyPress(const QKeyEvent &event)
{
    // A key event travels up to the parents when nobody takes it; every step passes here,
    // and a key that is not a command's is left alone at every step.
    return HandleShortcut(KeyWithModifiers(event));
}

bool TForm1::FilterKeyRelease(const QKeyEvent &event)
{
    if (event.isAutoRepeat())
        return false;
    int code = ShortcutKeyOf(event);
    RunGuarded([this, &code, &event] { FormKeyUp(code, event.modifiers()); });
    return code == 0;
}
