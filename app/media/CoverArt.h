#pragma once
// Cover art as the podcast directories take it: a square JPEG or PNG picture of 1400 to 3000
// pixels a side, in RGB.
#include <QByteArray>
#include <QImage>
#include <QString>

// "1400 × 1400 pixels, PNG": what the user is shown of a picture.
QString CoverArtSummary(const QImage &image, const QByteArray &format);

// What the directories would object to, one sentence each; empty when the picture is fine.
QStringList CoverArtProblems(const QImage &image, const QByteArray &format);

// Reads a local picture with its format; raises Exception naming the file when it is no picture.
QImage ReadCoverPicture(const QString &fileName, QByteArray &format);
