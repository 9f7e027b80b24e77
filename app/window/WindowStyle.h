#pragma once
// The editor's style: the desktop's own (or the one named by -style), except that the menu
// bar's overflow button gets its icon only when it is first shown. A menu bar makes that
// button, hidden, when it is created, and reading its pictures is the first image the program
// reads, which loads every image format plugin: a good part of the window's start-up.
#include <QProxyStyle>

class TWindowStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};

// Makes TWindowStyle the application's style, once; before the window's controls are made.
void UseWindowStyle();
