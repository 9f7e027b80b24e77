#pragma once
// The application title: the window caption and the caption of plain message boxes.
#include <QString>

inline const QString AppTitle = QStringLiteral("Tolvane RSS Editor");
