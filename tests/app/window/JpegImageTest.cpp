// The footer logo decodes; damaged or forged JPEG data gives an error, never a crash.
#include "JpegImage.h"

#include <QColor>
#include <QTest>

namespace {

QByteArray LogoBytes()
{
    QFile file(QStringLiteral(":/logo.jpg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Near(QRgb pixel, int red, int green, int blue)
{
    return std::abs(qRed(pixel) - red) <= 6 && std::abs(qGreen(pixel) - green) <= 6 &&
           std::abs(qBlue(pixel) - blue) <= 6;
}

} // namespace

class JpegImageTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Q_INIT_RESOURCE(resources); }

    void logoDecodesToItsFooterSize()
    {
        QString error = QStringLiteral("untouched");
        const QImage logo = LoadJpeg(QStringLiteral(":/logo.jpg"), &error);
        QVERIFY2(!logo.isNull(), qPrintable(error));
        QCOMPARE(logo.size(), QSize(200, 37));
        QVERIFY(Near(logo.pixel(0, 0), 37, 88, 109));
        QVERIFY(Near(logo.pixel(199, 36), 47, 143, 157));
        QVERIFY(Near(logo.pixel(60, 18), 246, 238, 253)); // inside the white lettering
    }

    void missingOrEmptyInputIsAnError()
    {
        QString error;
        QVERIFY(DecodeJpeg(QByteArray(), &error).isNull());
        QCOMPARE(error, QStringLiteral("Empty JPEG data"));
        QVERIFY(LoadJpeg(QStringLiteral("/no/such/logo.jpg"), &error).isNull());
        QVERIFY2(error.startsWith(QStringLiteral("Cannot open file \"/no/such/logo.jpg\"")), qPrintable(error));
    }

    void corruptDataIsAnError_data()
    {
        const QByteArray logo = LogoBytes();
        const int frame = logo.indexOf(QByteArray("\xFF\xC0", 2));
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not a JPEG") << QByteArray("<rss version=\"2.0\"/>") << "Not a JPEG file";
        QTest::newRow("start marker only") << QByteArray("\xFF\xD8", 2) << "Cannot decode JPEG picture";
        QTest::newRow("header cut short") << logo.left(frame + 4) << "Cannot decode JPEG picture";
        QByteArray zeroWidth = logo;
        zeroWidth[frame + 7] = 0;
        zeroWidth[frame + 8] = 0;
        QTest::newRow("zero width") << zeroWidth << "Cannot decode JPEG picture";
        QByteArray huge = logo;
        for (int at : {frame + 5, frame + 7}) { // 65500 x 65500, the largest libjpeg accepts
            huge[at] = char(0xFF);
            huge[at + 1] = char(0xDC);
        }
        QTest::newRow("forged huge size") << huge << "Picture too large";
    }
    void corruptDataIsAnError()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QString error;
        QVERIFY(DecodeJpeg(bytes, &error).isNull());
        QVERIFY2(error.contains(reason), qPrintable(error));
        QVERIFY(DecodeJpeg(bytes).isNull()); // no error text wanted: still no crash
    }

    void truncatedPictureKeepsWhatWasDecoded()
    {
        // Data that ends early still gives the picture; libjpeg fills the missing rows.
        const QByteArray logo = LogoBytes();
        QString error;
        const QImage image = DecodeJpeg(logo.left(logo.size() * 2 / 3), &error);
        QVERIFY2(!image.isNull(), qPrintable(error));
        QCOMPARE(image.size(), QSize(200, 37));
        QVERIFY(Near(image.pixel(0, 0), 37, 88, 109));
    }
};

QTEST_GUILESS_MAIN(JpegImageTest)
#include "JpegImageTest.moc"
