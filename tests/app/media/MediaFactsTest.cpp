// What the media files say of themselves, over one small file of each format the editor reads
// (tests/data/media), and the cover-art judgement on pictures the directories take or refuse.
#include "CoverArt.h"
#include "MediaFacts.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A mono 8-bit PCM WAV file of silence lasting the given time at 8000 samples a second.
void WriteSilentWav(const QString &path, int milliseconds)
{
    const quint32 samples = quint32(milliseconds) * 8;
    QByteArray wav;
    QDataStream out(&wav, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + samples);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(8000) << quint32(8000) << quint16(1) << quint16(8);
    out.writeRawData("data", 4);
    out << samples;
    wav.append(QByteArray(qsizetype(samples), char(0x80)));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(wav), wav.size());
}

} // namespace

class MediaFactsTest : public QObject {
    Q_OBJECT

private slots:
    void readsDurationTitleAndCoverOfEachFormat()
    {
        struct TRow {
            const char *File;
            long long Seconds;
            const char *Title;
            const char *CoverFormat; // "" when the file embeds no picture
        };
        const TRow rows[] = {
            {"episode1.mp3", 2, "First Light", "jpeg"}, {"episode2.m4a", 3, "Second Wind", "png"},
            {"episode3.opus", 1, "Third Act", ""},      {"tone.flac", 2, "Lossless", "png"},
            {"tone.wav", 1, "", ""},
        };
        for (const TRow &row : rows) {
            const TMediaFacts facts = ReadMediaFacts(QStringLiteral(MEDIA_FILES "/") + row.File);
            QCOMPARE(facts.DurationSeconds, row.Seconds);
            QCOMPARE(facts.Title, QString::fromUtf8(row.Title));
            QCOMPARE(facts.CoverFormat, QByteArray(row.CoverFormat));
            QCOMPARE(facts.Cover.size(), *row.CoverFormat ? QSize(16, 16) : QSize(0, 0));
        }
        QVERIFY_THROWS_EXCEPTION(std::exception, ReadMediaFacts(QStringLiteral(MEDIA_FILES "/README")));
    }

    // A length between whole seconds is rounded, not cut; a sound shorter than half a second
    // still lasts a second, not none.
    void durationIsRoundedToTheNearestSecond()
    {
        QTemporaryDir dir;
        const std::pair<int, long long> rows[] = {{2600, 3}, {2400, 2}, {1500, 2}, {300, 1}, {1, 1}};
        for (const auto &[milliseconds, seconds] : rows) {
            const QString path = dir.filePath(QStringLiteral("%1.wav").arg(milliseconds));
            WriteSilentWav(path, milliseconds);
            QCOMPARE(ReadMediaFacts(path).DurationSeconds, seconds);
        }
    }

    void judgesCoverArt()
    {
        QByteArray format;
        const QImage small = ReadCoverPicture(QStringLiteral(MEDIA_FILES "/cover.png"), format);
        QCOMPARE(CoverArtSummary(small, format), QStringLiteral("16 × 16 pixels, PNG"));
        QCOMPARE(CoverArtProblems(small, format), QStringList{"It is not 1400 to 3000 pixels a side."});
        // Decoded, a CMYK JPEG is RGB like any other: only its file says what it is.
        const QImage cmyk = ReadCoverPicture(QStringLiteral(MEDIA_FILES "/cover-cmyk.jpg"), format);
        QCOMPARE(CoverArtProblems(cmyk, format),
                 (QStringList{"It is not 1400 to 3000 pixels a side.", "It is not in RGB colour: its file is CMYK."}));
        QFile jpeg(QStringLiteral(MEDIA_FILES "/cover-cmyk.jpg"));
        QVERIFY(jpeg.open(QIODevice::ReadOnly));
        QByteArray bytes = jpeg.readAll();
        QCOMPARE(JpegColourSpace(bytes), QStringLiteral("CMYK"));
        QCOMPARE(JpegColourSpace(QByteArray("\xFF\xD8\xFF\xE0", 4)), QString()); // cut short
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QImage(8, 8, QImage::Format_RGB32).save(&buffer, "JPEG");
        QCOMPARE(JpegColourSpace(buffer.data()), QStringLiteral("RGB"));
        QImage right(1400, 1400, QImage::Format_RGB32);
        QCOMPARE(CoverArtProblems(right, "jpeg"), QStringList());
        QCOMPARE(CoverArtProblems(QImage(3001, 1400, QImage::Format_Grayscale8), "gif"),
                 (QStringList{"It is a GIF picture: the directories take JPEG or PNG.", "It is not square.",
                              "It is not 1400 to 3000 pixels a side.", "It is not in RGB colour."}));
    }
};

QTEST_MAIN(MediaFactsTest)
#include "MediaFactsTest.moc"
