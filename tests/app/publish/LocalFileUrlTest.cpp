// The public URL of a local file below the media folder, and back: the URL made for a file names
// that same file as the episode's local copy, whatever its name holds (blanks, accents, "%",
// "#", "?"), and a file outside the folder, or a feed without a public URL, has none.
#include "PublishPlan.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class LocalFileUrlTest : public QObject {
    Q_OBJECT

private slots:
    void urlOfALocalFileNamesItAgain()
    {
        QTemporaryDir directory;
        const QString feed = directory.filePath("show/feed.xml");
        struct TRow {
            const char *MediaFolder; // below the directory; "" for the feed's own folder
            QString File;            // below the directory
            const char *PublicUrl;
            const char *Url; // "" for none
        };
        const TRow rows[] = {
            {"", "show/ep 1.mp3", "https://x.org/pod/feed.xml", "https://x.org/pod/ep%201.mp3"},
            {"media", "media/sub dir/02 deuxi\u00e8me \u2013 50% #1?.m4a", "https://x.org/pod/feed.xml",
             "https://x.org/pod/sub%20dir/02%20deuxi%C3%A8me%20%E2%80%93%2050%25%20%231%3F.m4a"},
            {"media", "show/ep1.mp3", "https://x.org/pod/feed.xml", ""}, // outside the media folder
            {"", "show/ep1.mp3", "", ""},                                 // no public URL
        };
        for (const TRow &row : rows) {
            const QString file = directory.filePath(row.File);
            QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
            QFile touched(file);
            QVERIFY(touched.open(QIODevice::WriteOnly));
            touched.close();
            TPublishSettings settings;
            settings.PublicUrl = row.PublicUrl;
            if (*row.MediaFolder)
                settings.MediaFolder = directory.filePath(row.MediaFolder).toStdString();
            const std::string url = PublicUrlOfLocalFile(file.toStdString(), feed.toStdString(), settings);
            QCOMPARE(QString::fromStdString(url), QString::fromUtf8(row.Url));
            if (url.empty())
                continue;
            const std::string bytes = "<rss><channel><item><enclosure url=\"" + url +
                                      "\" length=\"0\" type=\"audio/mpeg\"/></item></channel></rss>";
            const std::vector<TEpisodeFile> files = EpisodeFiles(bytes, feed.toStdString(), settings);
            QCOMPARE(files.size(), size_t(1));
            QCOMPARE(QFileInfo(QString::fromStdString(files[0].LocalPath)).canonicalFilePath(),
                     QFileInfo(file).canonicalFilePath());
            QVERIFY(files[0].HasLocalCopy);
        }
    }
};

QTEST_MAIN(LocalFileUrlTest)
#include "LocalFileUrlTest.moc"
