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

// The colour space a JPEG file's frame header gives: "Grey" (one component), "RGB" (three),
// "CMYK" (four, CMYK or YCCK); "" when bytes is no JPEG. The decoded picture is RGB whatever
// the file holds, so only the header tells.
QString JpegColourSpace(const QByteArray &bytes);

// Decodes a picture's bytes with its format; a JPEG comes tagged with the colour space its file
// gives (QImage::text("ColourSpace")), which CoverArtProblems reads. Null when it is no picture.
QImage DecodeCoverPicture(const QByteArray &bytes, QByteArray &format, QString *error = nullptr);

// Reads a local picture with its format, as DecodeCoverPicture; raises Exception naming the file
// when it is no picture.
QImage ReadCoverPicture(const QString &fileName, QByteArray &format);
