#include "CoverArt.h"

#include "zelException.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

QString CoverArtSummary(const QImage &image, const QByteArray &format)
{
    return QStringLiteral("%1 × %2 pixels, %3")
        .arg(image.width())
        .arg(image.height())
        .arg(QString::fromLatin1(format).toUpper());
}

QStringList CoverArtProblems(const QImage &image, const QByteArray &format)
{
    QStringList problems;
    if (format != "jpeg" && format != "jpg" && format != "png")
        problems << QStringLiteral("It is a %1 picture: the directories take JPEG or PNG.")
                        .arg(QString::fromLatin1(format).toUpper());
    if (image.width() != image.height())
        problems << QStringLiteral("It is not square.");
    if (std::max(image.width(), image.height()) < 1400 || std::max(image.width(), image.height()) > 3000)
        problems << QStringLiteral("It is not 1400 to 3000 pixels a side.");
    // A grey picture, stored as grey or as a palette of greys; a palette of colours is RGB.
    const bool grey = image.format() == QImage::Format_Grayscale8 ||
                      image.format() == QImage::Format_Grayscale16 ||
                      (image.colorCount() > 0 && image.isGrayscale()) ||
                      image.text(QStringLiteral("ColourSpace")) == QStringLiteral("Grey");
    if (grey)
        problems << QStringLiteral("It is not in RGB colour.");
    else if (image.text(QStringLiteral("ColourSpace")) == QStringLiteral("CMYK"))
        problems << QStringLiteral("It is not in RGB colour: its file is CMYK.");
    return problems;
}

QString JpegColourSpace(const QByteArray &bytes)
{
    const auto byte = [&](qsizetype at) { return at < bytes.size() ? static_cast<unsigned char>(bytes[at]) : 0; };
    if (byte(0) != 0xFF || byte(1) != 0xD8)
        return {};
    // Segment by segment up to the frame header (a start-of-frame marker) or the scan.
    for (qsizetype at = 2; at + 4 <= bytes.size();) {
        if (byte(at) != 0xFF)
            return {};
        const unsigned char marker = byte(at + 1);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) { // no length
            at += 2;
            continue;
        }
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            switch (byte(at + 9)) { // length 2, precision 1, height 2, width 2: the component count
            case 1: return QStringLiteral("Grey");
            case 3: return QStringLiteral("RGB");
            case 4: return QStringLiteral("CMYK");
            default: return {};
            }
        }
        if (marker == 0xDA || marker == 0xD9)
            return {};
        at += 2 + (byte(at + 2) << 8 | byte(at + 3));
    }
    return {};
}

QImage DecodeCoverPicture(const QByteArray &bytes, QByteArray &format, QString *error)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    format = reader.format();
    QImage image = reader.read();
    if (image.isNull()) {
        if (error)
            *error = reader.errorString();
        return image;
    }
    if (const QString space = JpegColourSpace(bytes); !space.isEmpty())
        image.setText(QStringLiteral("ColourSpace"), space);
    return image;
}

QImage ReadCoverPicture(const QString &fileName, QByteArray &format)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception("The picture \"" + fileName.toStdString() +
                        "\" cannot be read: " + file.errorString().toStdString());
    QString error;
    const QImage image = DecodeCoverPicture(file.readAll(), format, &error);
    if (image.isNull())
        throw Exception("The picture \"" + fileName.toStdString() + "\" cannot be read: " + error.toStdString());
    return image;
}
