#pragma once
// A reader's error text ends with the whole document read so far, which may be megabytes: the
// box shows the message, the excerpt and the position, and keeps the rest behind its details.
#include <QString>

struct TErrorText {
    QString Summary; // what the box shows
    QString Details; // what "Show Details..." shows; empty when there is nothing more
};

// Splits after the "Error position=<n>" line when the text has one; otherwise all is summary.
TErrorText SplitErrorText(const QString &text);
