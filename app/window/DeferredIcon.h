#pragma once
// An icon whose pictures are read when it is first drawn or asked about, not when a control is
// given it. For pictures the start-up need not pay for: the window's icon, which the offscreen
// platform never asks for, and the menu bar's overflow button, hidden while the menus fit. The
// icon behaves as the one make() returns.
#include <QIcon>

#include <functional>

QIcon DeferredIcon(std::function<QIcon()> make);
