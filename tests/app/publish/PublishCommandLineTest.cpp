// TolvaneRssEditor --publish against an FTP server the test starts: the check before the upload,
// --force, missing settings, the password from the environment or nowhere (no keyring runs
// here), and the exit status of each, all without a display; and the live checks' misses on a
// web server that gets every file wrong.
#include "PublishSettings.h"
#include "TestServers.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray GoodFeed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel>"
                            "<title>Show</title><link>https://example.org/</link><description>All"
                            "</description><item><title>One</title></item></channel></rss>\n";
const QByteArray BadFeed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel>"
                           "<title>Show</title><link>https://example.org/</link><description>All"
                           "</description><item><title>One</title><pubDate>Mon, 32 Foo 2007"
                           "</pubDate></item></channel></rss>\n";

// The program with the test's settings folder, no display and no keyring; its output and status.
int RunEditor(const QTemporaryDir &folder, const QStringList &arguments, const QString &password, QString &output)
{
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("DBUS_SESSION_BUS_ADDRESS"); // no keyring
    environment.insert("QT_QPA_PLATFORM", "xcb");   // a window would fail the run
    environment.insert("XDG_CONFIG_HOME", folder.filePath("config"));
    if (password != "-")
        environment.insert("TOLVANE_PUBLISH_PASSWORD", password);
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(folder.path());
    program.start(EDITOR_PROGRAM, arguments);
    if (!program.waitForFinished(60000)) {
        program.kill();
        program.waitForFinished(5000);
        output = "<timed out>";
        return -1;
    }
    output = program.readAllStandardOutput() + program.readAllStandardError();
    return program.exitCode();
}

} // namespace

class PublishCommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void publishesFromTheCommandLine_data()
    {
        QTest::addColumn<QByteArray>("feed");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("saved");     // publish settings saved for the feed
        QTest::addColumn<QString>("password"); // in TOLVANE_PUBLISH_PASSWORD; "-": unset
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");   // in the output or the error output
        QTest::addColumn<bool>("published");

        QTest::newRow("good feed") << GoodFeed << QStringList{"--publish", "show.xml"} << true
                                   << "secret" << 0 << "show.xml: Published: show.xml." << true;
        QTest::newRow("errors refused") << BadFeed << QStringList{"--publish", "show.xml"} << true
                                        << "secret" << 1
                                        << "show.xml has errors and was not published" << false;
        QTest::newRow("errors forced") << BadFeed << QStringList{"--force", "--publish", "show.xml"}
                                       << true << "secret" << 0 << "Published: show.xml." << true;
        QTest::newRow("no settings") << GoodFeed << QStringList{"--publish", "show.xml"} << false
                                     << "secret" << 2 << "no publish settings for show.xml" << false;
        QTest::newRow("wrong password") << GoodFeed << QStringList{"--publish", "show.xml"} << true
                                        << "wrong" << 2 << "authentication failed at 127.0.0.1:" << false;
        QTest::newRow("no password") << GoodFeed << QStringList{"--publish", "show.xml"} << true
                                     << "-" << 2 << "no password for FTP author@127.0.0.1:" << false;
        QTest::newRow("two files") << GoodFeed << QStringList{"--publish", "show.xml", "b.xml"}
                                   << true << "secret" << 2 << "--publish needs one feed file" << false;
    }

    void publishesFromTheCommandLine()
    {
        QFETCH(QByteArray, feed);
        QFETCH(QStringList, arguments);
        QFETCH(bool, saved);
        QFETCH(QString, password);
        QFETCH(int, status);
        QFETCH(QString, said);
        QFETCH(bool, published);

        QTemporaryDir folder;
        QDir(folder.path()).mkpath("served/feeds");
        TServerProcess server;
        server.Port = FreePort();
        QVERIFY(server.Start(SystemPython, {"-c", FtpServerScript, folder.filePath("served"),
                                            QString::number(server.Port)}));
        QFile file(folder.filePath("show.xml"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(feed);
        file.close();
        if (saved) {
            TPublishSettings settings;
            settings.Protocol = TPublishProtocol::Ftp;
            settings.Host = "127.0.0.1";
            settings.Port = server.Port;
            settings.User = "author";
            settings.RemoteFolder = "feeds";
            SavePublishSettings(folder.filePath("config/TolvaneRssEditor/publish.ini").toStdString(),
                                file.fileName().toStdString(), settings);
        }

        QString output;
        const int exitCode = RunEditor(folder, arguments, password, output);
        QVERIFY2(output.contains(said), qPrintable(output));
        QCOMPARE(exitCode, status);
        QFile served(folder.filePath("served/feeds/show.xml"));
        QCOMPARE(served.exists(), published);
        if (published) {
            QVERIFY(served.open(QIODevice::ReadOnly));
            QCOMPARE(served.readAll(), feed);
        }
    }

    // Published, but not as listeners get it: every miss of the live checks is a line of its
    // own, and the run exits 1, as for a public feed that differs.
    void namesEveryLiveMiss()
    {
        QTemporaryDir folder;
        QDir(folder.path()).mkpath("served/feeds");
        TServerProcess server, web;
        server.Port = FreePort();
        web.Port = FreePort();
        QVERIFY(server.Start(SystemPython, {"-c", FtpServerScript, folder.filePath("served"),
                                            QString::number(server.Port)}));
        QVERIFY(web.Start(SystemPython, {"-c", WebServerScript, folder.filePath("served"), QString::number(web.Port),
                                         "wrong-length=a.mp3", "wrong-type=b.mp3", "no-ranges=c.mp3",
                                         "missing=cover.jpg"}));
        const QByteArray at = "http://127.0.0.1:" + QByteArray::number(web.Port) + "/feeds/";
        QByteArray feed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\" "
                          "xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\"><channel>"
                          "<title>Show</title><link>https://example.org/</link><description>All</description>"
                          "<language>en</language><itunes:explicit>false</itunes:explicit>"
                          "<itunes:category text=\"Arts\"/><itunes:image href=\"" + at + "cover.jpg\"/>";
        for (const char *name : {"a", "b", "c"}) {
            feed += QByteArray("<item><title>") + name + "</title><description>" + name + "</description><guid isPermaLink=\"false\">" + name +
                    "</guid><enclosure url=\"" + at + name + ".mp3\" length=\"4\" type=\"audio/mpeg\"/></item>";
            QFile episode(folder.filePath(QString(name) + ".mp3"));
            QVERIFY(episode.open(QIODevice::WriteOnly));
            episode.write("1234");
        }
        feed += "</channel></rss>\n";
        QFile file(folder.filePath("show.xml"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(feed);
        file.close();
        QFile cover(folder.filePath("cover.jpg"));
        QVERIFY(cover.open(QIODevice::WriteOnly));
        cover.write("\xFF\xD8\xFF\xC0\x00\x11\x08\x05\x78\x05\x78", 11); // 1400 x 1400
        cover.close();
        TPublishSettings settings;
        settings.Protocol = TPublishProtocol::Ftp;
        settings.Host = "127.0.0.1";
        settings.Port = server.Port;
        settings.User = "author";
        settings.RemoteFolder = "feeds";
        settings.PublicUrl = (at + "show.xml").toStdString();
        SavePublishSettings(folder.filePath("config/TolvaneRssEditor/publish.ini").toStdString(),
                            file.fileName().toStdString(), settings);

        QString output;
        QCOMPARE(RunEditor(folder, {"--publish", "show.xml"}, "secret", output), 1);
        const QString url = QString::fromLatin1(at);
        QCOMPARE(output.split('\n').filter("Not live: "),
                 (QStringList{"Not live: cover.jpg (the cover) answered HTTP 404 at " + url + "cover.jpg, not 200.",
                              "Not live: a.mp3 is served with Content-Length 11, but the feed gives 4 bytes.",
                              "Not live: b.mp3 is served as text/plain, but the feed gives audio/mpeg.",
                              "Not live: c.mp3 answered a byte range request (Range: bytes=0-1) with HTTP 200, "
                              "not 206: players cannot seek, and Apple refuses such episodes."}));
        QVERIFY2(output.contains("show.xml: Published: cover.jpg, a.mp3, b.mp3, c.mp3, show.xml."), qPrintable(output));
    }
};

QTEST_GUILESS_MAIN(PublishCommandLineTest)
#include "PublishCommandLineTest.moc"
