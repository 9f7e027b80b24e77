// TolvaneRssEditor --publish against an FTP server the test starts: the check before the upload,
// --force, missing settings, the password from the environment or nowhere (no keyring runs
// here), and the exit status of each, all without a display.
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
        QVERIFY(program.waitForFinished(60000));
        const QString output = program.readAllStandardOutput() + program.readAllStandardError();
        QVERIFY2(output.contains(said), qPrintable(output));
        QCOMPARE(program.exitCode(), status);
        QFile served(folder.filePath("served/feeds/show.xml"));
        QCOMPARE(served.exists(), published);
        if (published) {
            QVERIFY(served.open(QIODevice::ReadOnly));
            QCOMPARE(served.readAll(), feed);
        }
    }
};

QTEST_GUILESS_MAIN(PublishCommandLineTest)
#include "PublishCommandLineTest.moc"
