#pragma once
// Decodes a JPEG picture (the footer logo) with libjpeg.
#include <QByteArray>
#include <QImage>
#include <QString>

// The decoded picture, or a null QImage when bytes is not a readable JPEG; then *error (when
// given) says why. A corrupt file never ends the process.
QImage DecodeJpeg(const QByteArray &bytes, QString *error = nullptr);

// Reads the file or Qt resource (":/logo.jpg") and decodes it.
QImage LoadJpeg(const QString &fileName, QString *error = nullptr);
