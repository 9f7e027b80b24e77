// Feed > Publish in the window, the whole way, against real servers the test starts on
// 127.0.0.1 (SFTP, and WebDAV over HTTPS), each with a web server in front for the public URL:
// the check before the upload, the settings dialog on first use, the host key question, the
// cover, episodes and transcript uploaded, the live checks naming every miss of a web server
// that misbehaves and none of one that does not, the run's own leftovers removed, and Cancel
// leaving the published feed as it was.
#include "WindowFixture.h"
#include "publish/TestServers.h"

#include "PublishProgressDialog.h"
#include "PublishSettingsDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QImage>
#include <QMessageBox>
#include <QProgressBar>
#include <QSpinBox>
#include <QTimer>

namespace {

// The window's dialogs with the publishing ones worked by a script.
class TPublishDialogs : public TScriptedDialogs {
public:
    std::function<void(TPublishSettingsDialog &)> SettingsScript;
    QStringList Passwords; // for AskPassword, in order

    bool EditPublishSettings(TPublishSettings &settings, QString &password, TPublishSecret &secret) override
    {
        Shown.push_back({"settings", QString::fromStdString(settings.Host)});
        TPublishSettingsDialog dialog;
        dialog.SetSettings(settings, &secret);
        dialog.AskHostKey = [this](const THostKey &key) { return AskCaution(HostKeyQuestion(key)); };
        dialog.show();
        if (SettingsScript)
            SettingsScript(dialog);
        if (dialog.isVisible()) {
            QTest::qFail("the settings script left the dialog open", __FILE__, __LINE__);
            return false;
        }
        if (dialog.result() != QDialog::Accepted)
            return false;
        settings = dialog.Settings();
        password = dialog.Password();
        return true;
    }
    bool AskPassword(const QString &text, QString &password) override
    {
        Shown.push_back({"password", text});
        if (Passwords.empty())
            return false;
        password = Passwords.takeFirst();
        return true;
    }
    bool AskCaution(const QString &text) override
    {
        Shown.push_back({"caution", text});
        if (Answers.empty())
            return false;
        const bool answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
};

class TPublishWindowFixture : public TWindowFixture {
public:
    TPublishDialogs PublishDialogs;
    void Start()
    {
        Form = std::make_unique<TForm1>(DirectoryBytes(), PublishDialogs, Clock);
        Form->show();
        Form->activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
    }
    void Publish() const
    {
        QTest::keyClick(const_cast<TPublishWindowFixture *>(this)->Edit("Edit1"), Qt::Key_U,
                        Qt::ControlModifier | Qt::ShiftModifier);
    }
};

QByteArray FileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A podcast whose cover, episodes and transcript lie below the public folder.
std::string Podcast(const QString &publicFolder, const std::string &date, const std::string &note = {})
{
    const std::string folder = publicFolder.toStdString();
    std::string items;
    for (int episode = 1; episode <= 3; ++episode) {
        const std::string number = std::to_string(episode);
        items += "    <item>\r\n      <title>Episode " + number + "</title>\r\n      <description>Part " + number +
                 "</description>\r\n      <guid isPermaLink=\"false\">ep" + number +
                 "</guid>\r\n      <enclosure url=\"" + folder + "ep" + number + ".mp3\" length=\"" +
                 std::to_string(1000 * episode) + "\" type=\"audio/mpeg\"/>\r\n" +
                 (episode == 1 ? "      <podcast:transcript url=\"" + folder + "ep1.vtt\" type=\"text/vtt\"/>\r\n" : "") +
                 "    </item>\r\n";
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
           "<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\" "
           "xmlns:podcast=\"https://podcastindex.org/namespace/1.0\">\r\n  <channel>\r\n"
           "    <title>Show</title>\r\n    <link>https://example.org/</link>\r\n"
           "    <description>Talk" + note + "</description>\r\n    <language>en</language>\r\n    <pubDate>" + date + "</pubDate>\r\n"
           "    <itunes:explicit>false</itunes:explicit>\r\n    <itunes:category text=\"Arts\"/>\r\n"
           "    <itunes:image href=\"" + folder + "cover.png\"/>\r\n"
           "    <image>\r\n      <url>" + folder + "cover.png</url>\r\n      <title>Show</title>\r\n"
           "      <link>https://example.org/</link>\r\n    </image>\r\n" + items + "  </channel>\r\n</rss>\r\n";
}

} // namespace

class PublishHandlerTest : public QObject {
    Q_OBJECT

private slots:
    void publishesThePodcastLive_data()
    {
        QTest::addColumn<QString>("protocol");
        QTest::newRow("SFTP") << "SFTP";
        QTest::newRow("WebDAV over HTTPS") << "WebDAV";
    }

    void publishesThePodcastLive()
    {
        QFETCH(QString, protocol);
        const bool sftp = protocol == "SFTP";
        // The user's folders for this test only: settings, known hosts, no keyring.
        QTemporaryDir home;
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");

        QTemporaryDir served;
        QDir(served.path()).mkpath("feeds");
        const auto servedFile = [&](const QString &name) { return served.filePath("feeds/" + name); };
        TServerProcess server, web;
        server.Port = FreePort();
        web.Port = FreePort();
        QVERIFY(MakeSshKey(home.filePath("hostkey")));
        QVERIFY(MakeCertificate(QDir(home.path())));
        const QStringList common = {"--config", home.filePath("rclone.conf"), "--addr",
                                    "127.0.0.1:" + QString::number(server.Port), "--user", "author", "--pass", "secret",
                                    "--dir-cache-time", "0s"}; // the test writes beside the server
        QVERIFY(server.Start("rclone", (sftp ? QStringList{"serve", "sftp", served.path(), "--key", home.filePath("hostkey")}
                                             : QStringList{"serve", "webdav", served.path(), "--cert",
                                                           home.filePath("cert.pem"), "--key", home.filePath("key.pem")}) +
                                           common));
        const auto startWeb = [&](const QStringList &faults) {
            web.Kill();
            return web.Start(SystemPython, QStringList{"-c", WebServerScript, served.path(), QString::number(web.Port)} + faults);
        };
        // First a web server that gets every file wrong in its own way.
        QVERIFY(startWeb({"wrong-length=ep1.mp3", "wrong-type=ep2.mp3", "no-ranges=ep3.mp3", "missing=cover.png"}));
        const QString publicFolder = "http://127.0.0.1:" + QString::number(web.Port) + "/feeds/";

        TPublishWindowFixture window;
        const std::string path = window.WriteFeed("show.xml", Podcast(publicFolder, "yesterday afternoon"));
        for (int episode = 1; episode <= 3; ++episode)
            window.WriteFile(QString("ep%1.mp3").arg(episode), std::string(std::size_t(1000 * episode), char('0' + episode)));
        window.WriteFile("ep1.vtt", "WEBVTT\n\n00:00.000 --> 00:01.000\nHello\n");
        QImage cover(1400, 1400, QImage::Format_RGB32);
        cover.fill(Qt::darkCyan);
        QVERIFY(cover.save(window.PathOf("cover.png"), "PNG"));
        window.WriteCatalogue({{path, "Show", "Talk", "https://example.org/", "Sun, 4 Feb 2007"}});
        window.Start();

        // The check runs first: a feed with an error goes up only when the author says so.
        window.PublishDialogs.Answers = {false};
        window.Publish();
        QStringList log = window.PublishDialogs.Log();
        QCOMPARE(log.size(), 1);
        QVERIFY2(log[0].startsWith("caution: show.xml has errors that feed readers or the podcast directories "
                                   "may refuse:\nchannel: error: pubDate \"yesterday afternoon\""), qPrintable(log[0]));
        QVERIFY(log[0].endsWith("\n\nPublish it anyway?"));
        QCOMPARE(QDir(served.filePath("feeds")).entryList(QDir::Files | QDir::Hidden), QStringList());

        // Mended, Ctrl+Shift+U: no settings yet, so the dialog first; then the upload.
        const std::string feed = Podcast(publicFolder, "Sun, 04 Feb 2007 10:00:00 -0800");
        window.WriteFile("show.xml", feed);
        QString testResult;
        window.PublishDialogs.SettingsScript = [&](TPublishSettingsDialog &dialog) {
            const auto type = [&](const char *name, const QString &text) {
                window.TypeInto(dialog.findChild<QLineEdit *>(name), text);
            };
            // What a protocol does not use is disabled: the key file is SFTP's, the certificate
            // for those over TLS.
            const auto usable = [&] {
                return QString(dialog.findChild<QLineEdit *>("KeyFile")->isEnabled() ? "key" : "") +
                       (dialog.findChild<QLineEdit *>("CaFile")->isEnabled() ? "certificate" : "");
            };
            QStringList fields;
            for (const QString shown : {"SFTP", "FTPS", "FTP", "WebDAV"}) {
                dialog.findChild<QComboBox *>("Protocol")->setCurrentText(shown);
                fields << usable();
            }
            QCOMPARE(fields, (QStringList{"key", "certificate", "", "certificate"}));
            dialog.ChooseFile = [&](bool folder, const QString &) { return folder ? window.PathOf("media") : QString(); };
            window.Click(dialog.findChild<QToolButton *>("MediaFolderBrowse"));
            QCOMPARE(dialog.findChild<QLineEdit *>("MediaFolder")->text(), window.PathOf("media"));
            dialog.findChild<QLineEdit *>("MediaFolder")->clear();
            dialog.findChild<QComboBox *>("Protocol")->setCurrentText(protocol);
            type("Host", "127.0.0.1");
            dialog.findChild<QSpinBox *>("Port")->setValue(server.Port);
            type("User", "author");
            type("Password", "secret");
            type("RemoteFolder", "feeds");
            type("PublicUrl", publicFolder + "show.xml");
            if (!sftp)
                type("CaFile", home.filePath("cert.pem"));
            QVERIFY(dialog.findChild<QCheckBox *>("UploadEpisodes")->isChecked());
            // Test Connection logs in (asking about the host key) and lists the remote folder.
            window.Click(dialog.findChild<QPushButton *>("TestConnectionButton"));
            testResult = dialog.findChild<QLabel *>("TestResult")->text();
            window.Click(dialog.findChild<QDialogButtonBox *>("Buttons")->button(QDialogButtonBox::Ok));
        };
        window.PublishDialogs.Shown.clear();
        window.PublishDialogs.Answers = {true}; // trust the new host key
        window.Publish();
        log = window.PublishDialogs.Log();
        QVERIFY2(log.size() == (sftp ? 3 : 2), qPrintable(log.join("\n---\n")));
        // What readers may mind but does not stop a publish is said after the report.
        const QString warnings = "\nCheck Feed found:\nitem 1 \"Episode 1\": warning: podcast:transcript url \"" +
                                 publicFolder + "ep1.vtt\" should be an https URL";
        QCOMPARE(log[0], QString("settings: "));
        QCOMPARE(testResult, "Connected to 127.0.0.1:" + QString::number(server.Port) +
                                 " as author. The remote folder feeds is empty.");
        if (sftp)
            QVERIFY2(log[1].startsWith("caution: The server 127.0.0.1 port " + QString::number(server.Port) +
                                       " is not known yet. Its ssh-ed25519 host key has the fingerprint\nSHA256:"),
                     qPrintable(log[1]));
        const QString cover404 = "Not live: cover.png (the cover) answered HTTP 404 at " + publicFolder +
                                 "cover.png, not 200.";
        QCOMPARE(log.last(), "message: Published: cover.png, ep1.mp3, ep1.vtt, ep2.mp3, ep3.mp3, show.xml.\n" +
                                 cover404 + "\nNot live: ep1.mp3 is served with Content-Length 1007, but the feed gives 1000 bytes.\n"
                             "Not live: ep2.mp3 is served as text/plain, but the feed gives audio/mpeg.\n"
                             "Not live: ep3.mp3 answered a byte range request (Range: bytes=0-1) with HTTP 200, "
                             "not 206: players cannot seek, and Apple refuses such episodes." + warnings);
        QCOMPARE(FileBytes(servedFile("show.xml")), QByteArray::fromStdString(feed));
        for (const QString name : {"cover.png", "ep1.mp3", "ep1.vtt", "ep2.mp3", "ep3.mp3"})
            QCOMPARE(FileBytes(servedFile(name)), FileBytes(window.PathOf(name)));
        if (sftp) // filed as OpenSSH files a port other than 22
            QVERIFY(FileBytes(home.filePath(".ssh/known_hosts"))
                        .startsWith("[127.0.0.1]:" + QByteArray::number(server.Port) + " ssh-ed25519 "));
        const QByteArray settingsFile = FileBytes(home.filePath("config/TolvaneRssEditor/publish.ini"));
        QVERIFY(settingsFile.contains("Host=127.0.0.1"));
        QVERIFY(!settingsFile.contains("secret")); // the password went to the session, not a file

        // With a public folder set, a cover picked from a file below the media folder gets the
        // URL Publish will give it; one from elsewhere keeps the typed URL.
        QVERIFY(cover.save(home.filePath("elsewhere.png"), "PNG"));
        QString urlOfOutside, urlOfCover;
        window.PublishDialogs.PodcastScript = [&](TPodcastDialog &dialog) {
            auto *href = dialog.findChild<QLineEdit *>("ImageHrefEdit");
            window.TypeInto(href, "https://typed.example/cover.png");
            dialog.FillImageFromFile(home.filePath("elsewhere.png"));
            urlOfOutside = href->text();
            dialog.FillImageFromFile(window.PathOf("cover.png"));
            urlOfCover = href->text();
            dialog.reject();
        };
        QTest::keyClick(window.List("ListBox1"), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(urlOfOutside, QString("https://typed.example/cover.png"));
        QCOMPARE(urlOfCover, publicFolder + "cover.png");

        // The settings dialog says the password is stored for the session; Forget drops it, so
        // the next publish asks for it.
        QString stored, forgotten, missingFolder;
        window.PublishDialogs.SettingsScript = [&](TPublishSettingsDialog &dialog) {
            window.TypeInto(dialog.findChild<QLineEdit *>("RemoteFolder"), "nowhere");
            window.Click(dialog.findChild<QPushButton *>("TestConnectionButton"));
            missingFolder = dialog.findChild<QLabel *>("TestResult")->text();
            stored = dialog.findChild<QLabel *>("PasswordState")->text();
            window.Click(dialog.findChild<QPushButton *>("ForgetPasswordButton"));
            forgotten = dialog.findChild<QLabel *>("PasswordState")->text();
            QVERIFY(!dialog.findChild<QPushButton *>("ForgetPasswordButton")->isEnabled());
            dialog.reject();
        };
        window.Form->findChild<QAction *>("PublishSettings1")->trigger();
        const QString secretName = protocol + " author@127.0.0.1:" + QString::number(server.Port);
        QCOMPARE(stored, "A password is stored for " + secretName + ".");
        QCOMPARE(forgotten, "No password is stored for " + secretName + ".");
        QVERIFY2(missingFolder.startsWith("The connection test failed while listing the remote folder: "),
                 qPrintable(missingFolder));

        // A web server that serves as it should, episodes changed, and a leftover of a broken
        // run of this feed on the server: the episodes and the cover pass every live check.
        QVERIFY(startWeb({}));
        for (int episode = 1; episode <= 3; ++episode)
            window.WriteFile(QString("ep%1.mp3").arg(episode), std::string(std::size_t(1000 * episode), char('a' + episode)));
        QFile leftover(servedFile(".ep1.vtt.uploading"));
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.write("WEB");
        leftover.close();
        window.PublishDialogs.Shown.clear();
        window.PublishDialogs.Passwords = {"secret"};
        window.Publish();
        QCOMPARE(window.PublishDialogs.Log(),
                 (QStringList{"password: Password for author@127.0.0.1:",
                              "message: Published: ep1.mp3, ep2.mp3, ep3.mp3, show.xml.\nRemoved .ep1.vtt.uploading, "
                             "left on the server by an earlier publish that did not finish." + warnings}));
        QCOMPARE(QDir(served.filePath("feeds")).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"cover.png", "ep1.mp3", "ep1.vtt", "ep2.mp3", "ep3.mp3", "show.xml"}));
        QCOMPARE(FileBytes(servedFile("ep2.mp3")), FileBytes(window.PathOf("ep2.mp3")));

        // The server stops answering; Cancel in the progress dialog ends the run with a word,
        // not an error, and the published feed stays as it was.
        window.WriteFile("show.xml", Podcast(publicFolder, "Sun, 04 Feb 2007 10:00:00 -0800", ", edited"));
        server.Pause();
        QTimer canceller;
        QElapsedTimer waited;
        waited.start();
        connect(&canceller, &QTimer::timeout, [&] {
            auto *progress = window.Form->findChild<TPublishProgressDialog *>();
            if (progress && progress->isVisible()) {
                window.Click(progress->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel));
                canceller.stop();
            } else if (waited.elapsed() > 10000) {
                canceller.stop(); // the run's own timeouts end it; the checks below fail
            }
        });
        canceller.start(50);
        window.PublishDialogs.Shown.clear();
        window.Publish();
        server.Resume();
        QCOMPARE(window.PublishDialogs.Log(), QStringList{"message: Publishing cancelled; the old feed is untouched"});
        QCOMPARE(FileBytes(servedFile("show.xml")), QByteArray::fromStdString(feed));
    }

    // The host key question and the check's question are answered No by a bare Return; the
    // progress dialog shows the run as a whole.
    void cautiousDefaultsAndTheWholeRun()
    {
        QWidget parent;
        TQtDialogs dialogs(&parent);
        int boxes = 0;
        QTimer returner;
        connect(&returner, &QTimer::timeout, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                ++boxes;
                QTest::keyClick(box, Qt::Key_Return);
            }
        });
        returner.start(20);
        QTimer::singleShot(5000, [&] { // a box nobody can close fails, it does not hang
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
        });
        QVERIFY(!dialogs.AskCaution("Trust this key?"));
        QVERIFY(dialogs.AskWarning("Go on?")); // the ordinary warning keeps Yes as its default
        QCOMPARE(boxes, 2);
        returner.stop();

        TPublishProgressDialog progress;
        TPublishStep step;
        step.Name = "ep2.mp3";
        step.Size = 3000;
        step.Index = 2;
        step.Count = 3;
        step.DoneBefore = 1000;
        step.Total = 5000;
        progress.FileStarted(step);
        progress.ShowProgress(1500);
        QCOMPARE(progress.findChild<QLabel *>("FileLabel")->text(), QString("File 2 of 3: ep2.mp3 (2.93 KiB)"));
        QVERIFY2(progress.findChild<QLabel *>("BytesLabel")->text().startsWith("2.44 KiB of 4.88 KiB"),
                 qPrintable(progress.findChild<QLabel *>("BytesLabel")->text()));
        QCOMPARE(progress.findChild<QProgressBar *>("Progress")->value(), 500);
    }
};

QTEST_MAIN(PublishHandlerTest)
#include "PublishHandlerTest.moc"
