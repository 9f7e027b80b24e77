#include "CoverArt.h"

#include "zelException.h"

#include <QBuffer>
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
                      (image.colorCount() > 0 && image.isGrayscale());
    if (grey)
        problems << QStringLiteral("It is not in RGB colour.");
    return problems;
}

QImage ReadCoverPicture(const QString &fileName, QByteArray &format)
{
    QImageReader reader(fileName);
    format = reader.format();
    QImage image = reader.read();
    if (image.isNull())
        throw Exception("The picture \"" + fileName.toStdString() +
                        "\" cannot be read: " + reader.errorString().toStdString());
    return image;
}
