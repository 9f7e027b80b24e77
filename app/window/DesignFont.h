#pragma once
// The window's font: the design's MS Sans Serif 8 pt, else the first installed font of the same
// width, else the desktop's sans serif. Naming an installed family spares every control the
// search through the fallbacks that a missing family starts when its text is first laid out.
#include <QFont>
#include <QWidget>

QFont DesignFont();

// A page of the window's tab control. Pages are made without a parent and put into the tab
// control only after their controls, so a page carries the window's font from its creation:
// its controls then lay out their text once, in that font, instead of once more when the page
// joins the window.
class TDesignPage : public QWidget {
public:
    explicit TDesignPage(QWidget *parent = nullptr) : QWidget(parent) { setFont(DesignFont()); }
};
