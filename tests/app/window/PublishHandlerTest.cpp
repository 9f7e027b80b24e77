// Feed > Publish in the window against an SFTP server the test starts: Ctrl+Shift+U on a feed
// without settings opens the settings dialog, the upload runs while the progress dialog shows,
// a new host key is asked about, and the result is shown; then a Cancel on a server that stopped
// answering leaves the published feed as it was. Settings go to the user's configuration folder,
// the password to no file.
#include "WindowFixture.h"
#include "publish/TestServers.h"

#include "PublishProgressDialog.h"
#include "PublishSettingsDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QSpinBox>
#include <QTimer>

namespace {

// The window's dialogs with the publishing ones worked by a script.
class TPublishDialogs : public TScriptedDialogs {
public:
    std::function<void(TPublishSettingsDialog &)> SettingsScript;
    QStringList Passwords; // for AskPassword, in order
    bool ProgressShownAtQuestion = false;

    bool EditPublishSettings(TPublishSettings &settings, QString &password) override
    {
        Shown.push_back({"settings", QString::fromStdString(settings.Host)});
        TPublishSettingsDialog dialog;
        dialog.SetSettings(settings);
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
    bool AskWarning(const QString &text) override
    {
        const QWidget *modal = QApplication::activeModalWidget();
        ProgressShownAtQuestion = modal && modal->objectName() == "PublishProgressDialog";
        return TScriptedDialogs::AskWarning(text);
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
};

QByteArray FileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class PublishHandlerTest : public QObject {
    Q_OBJECT

private slots:
    void publishesAndCancels()
    {
        // The user's folders for this test only: settings, known hosts, no keyring.
        QTemporaryDir home;
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");

        QTemporaryDir served;
        QDir(served.path()).mkpath("feeds");
        TServerProcess server, web;
        server.Port = FreePort();
        web.Port = FreePort();
        QVERIFY(MakeSshKey(home.filePath("hostkey")));
        QVERIFY(server.Start("rclone", {"serve", "sftp", served.path(), "--key", home.filePath("hostkey"),
                                        "--config", home.filePath("rclone.conf"), "--addr",
                                        "127.0.0.1:" + QString::number(server.Port), "--user",
                                        "author", "--pass", "secret"}));
        QVERIFY(web.Start(SystemPython, {"-m", "http.server", "--bind", "127.0.0.1", "--directory",
                                         served.path(), QString::number(web.Port)}));
        const QString publicFolder = "http://127.0.0.1:" + QString::number(web.Port) + "/feeds/";

        TPublishWindowFixture window;
        const std::string items = "    <item>\r\n      <title>One</title>\r\n      <enclosure url=\"" +
                                  publicFolder.toStdString() +
                                  "ep1.mp3\" length=\"5\" type=\"audio/mpeg\" />\r\n    </item>\r\n";
        const std::string feed = FeedBytes("Show", "Talk", "https://example.org/", "Sun, 4 Feb 2007 10:00:00 -0800",
                                           "UTF-8", items);
        const std::string path = window.WriteFeed("show.xml", feed);
        window.WriteFile("ep1.mp3", "audio");
        window.WriteCatalogue({{path, "Show", "Talk", "https://example.org/", "Sun, 4 Feb 2007"}});
        window.Start();

        window.PublishDialogs.SettingsScript = [&](TPublishSettingsDialog &dialog) {
            const auto type = [&](const char *name, const QString &text) {
                window.TypeInto(dialog.findChild<QLineEdit *>(name), text);
            };
            dialog.findChild<QComboBox *>("Protocol")->setCurrentText("SFTP");
            type("Host", "127.0.0.1");
            dialog.findChild<QSpinBox *>("Port")->setValue(server.Port);
            type("User", "author");
            type("Password", "secret");
            type("RemoteFolder", "feeds");
            type("PublicUrl", publicFolder + "show.xml");
            QVERIFY(dialog.findChild<QCheckBox *>("UploadEpisodes")->isChecked());
            window.Click(dialog.findChild<QDialogButtonBox *>("Buttons")->button(QDialogButtonBox::Ok));
        };
        window.PublishDialogs.Answers = {true}; // trust the new host key

        // Ctrl+Shift+U: no settings yet, so the dialog first; then the upload with its progress.
        QTest::keyClick(window.Edit("Edit1"), Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
        const QStringList log = window.PublishDialogs.Log();
        QCOMPARE(log.size(), 3);
        QCOMPARE(log[0], QString("settings: "));
        QVERIFY2(log[1].startsWith("warning: The server 127.0.0.1 is not known yet. Its host key has "
                                   "the fingerprint\nSHA256:"), qPrintable(log[1]));
        QVERIFY(window.PublishDialogs.ProgressShownAtQuestion);
        QCOMPARE(log[2], QString("message: Published: ep1.mp3, show.xml."));
        QCOMPARE(FileBytes(served.filePath("feeds/show.xml")), QByteArray::fromStdString(feed));
        QCOMPARE(FileBytes(served.filePath("feeds/ep1.mp3")), QByteArray("audio"));
        // The trusted key is kept, as the transfer library files it: under the host's name.
        QVERIFY(FileBytes(home.filePath(".ssh/known_hosts")).startsWith("127.0.0.1 ssh-ed25519 "));
        const QByteArray settingsFile = FileBytes(home.filePath("config/TolvaneRssEditor/publish.ini"));
        QVERIFY(settingsFile.contains("Host=127.0.0.1"));
        QVERIFY(!settingsFile.contains("secret")); // the password went to the session, not a file

        // The server stops answering; Cancel in the progress dialog ends the run, and the
        // published feed stays as it was.
        window.WriteFile("show.xml", feed + "\r\n<!-- edited -->");
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
        QTest::keyClick(window.Edit("Edit1"), Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
        server.Resume();
        QCOMPARE(window.PublishDialogs.Shown.size(), std::size_t(1));
        QCOMPARE(window.PublishDialogs.Shown[0].Kind, QString("error"));
        QVERIFY2(window.PublishDialogs.Shown[0].Text.endsWith(": cancelled."),
                 qPrintable(window.PublishDialogs.Shown[0].Text));
        QCOMPARE(FileBytes(served.filePath("feeds/show.xml")), QByteArray::fromStdString(feed));
    }
};

QTEST_MAIN(PublishHandlerTest)
#include "PublishHandlerTest.moc"
