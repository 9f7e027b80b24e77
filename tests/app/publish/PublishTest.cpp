// Publishing against real servers started by the test: one scenario per protocol (SFTP, FTP,
// FTPS, WebDAV over HTTPS) through first publish, republish after an edit, a new episode, a wrong
// password, a server that dies mid-upload, a cancel during the feed's upload, and for SFTP the
// host key asked about, refused and changed. The public feed on the server is only ever the old
// one or the new one, whole.
#include "PublishSettings.h"
#include "Publisher.h"
#include "TestServers.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <pwd.h>
#include <unistd.h>
#include <QTest>

namespace {

QByteArray ShowFeed(const QString &title, int episodes, int padding = 0)
{
    QByteArray items;
    for (int episode = 1; episode <= episodes; ++episode)
        items += "<item><title>Episode " + QByteArray::number(episode) +
                 "</title><enclosure url=\"PUBLIC/ep" + QByteArray::number(episode) +
                 ".mp3\" length=\"1\" type=\"audio/mpeg\"/></item>\n";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel><title>" +
           title.toUtf8() + "</title><description>" + QByteArray(padding, 'x') +
           "</description>\n" + items + "<item><title>Elsewhere</title><enclosure "
           "url=\"https://cdn.example.org/other.mp3\" length=\"1\" type=\"audio/mpeg\"/></item>\n"
           "</channel></rss>\n";
}

QByteArray Audio(int size, char fill) { return QByteArray(size, fill); }

struct TAttempt {
    TPublishReport Report;
    QString Error;
    QStringList HostKeysAsked;
};

// A server of one protocol over a served folder, and a plain web server over the same folder
// for the public address.
class TSite {
public:
    QTemporaryDir Folder;
    QString Protocol;
    TServerProcess Server, Web;
    TPublishSettings Settings;
    std::string Password = "secret";
    TUploadRecord Record;
    bool TrustNewKey = true;
    std::function<bool(std::int64_t)> OnProgress; // false cancels

    QString Served(const QString &name = {}) const { return Folder.filePath("served/feeds/" + name); }
    QString Local(const QString &name = {}) const { return Folder.filePath("local/" + name); }
    QString FeedPath() const { return Local("show.xml"); }

    bool Prepare(const QString &protocol)
    {
        Protocol = protocol;
        QDir(Folder.path()).mkpath("served/feeds");
        QDir(Folder.path()).mkpath("local");
        Server.Port = FreePort();
        Settings.Host = "127.0.0.1";
        Settings.Port = Server.Port;
        Settings.User = "author";
        Settings.RemoteFolder = "feeds";
        Settings.KnownHostsFile = Folder.filePath("known_hosts").toStdString();
        Settings.CaFile = Folder.filePath("cert.pem").toStdString();
        Settings.Protocol = protocol == "FTP"      ? TPublishProtocol::Ftp
                            : protocol == "FTPS"   ? TPublishProtocol::Ftps
                            : protocol == "WebDAV" ? TPublishProtocol::WebDav
                                                   : TPublishProtocol::Sftp;
        if (protocol == "OpenSSH") {
            // Logged in by key as the user running the test, into an absolute folder.
            Settings.User = getpwuid(geteuid())->pw_name;
            Settings.RemoteFolder = Served().toStdString();
            Settings.KeyFile = Folder.filePath("userkey").toStdString();
            Password.clear();
            if (!MakeSshKey(Folder.filePath("userkey")) ||
                !QFile::copy(Folder.filePath("userkey.pub"), Folder.filePath("authorized_keys")))
                return false;
            QFile config(Folder.filePath("sshd_config"));
            if (!config.open(QIODevice::WriteOnly))
                return false;
            config.write("ListenAddress 127.0.0.1\nPort " + QByteArray::number(Server.Port) +
                         "\nHostKey " + Folder.filePath("hostkey").toUtf8() +
                         "\nAuthorizedKeysFile " + Folder.filePath("authorized_keys").toUtf8() +
                         "\nPasswordAuthentication no\nKbdInteractiveAuthentication no\n"
                         "PermitRootLogin prohibit-password\nStrictModes no\nUsePAM no\n"
                         "PidFile none\nSubsystem sftp /usr/lib/openssh/sftp-server\n");
        }
        Web.Port = FreePort();
        Settings.PublicUrl = "http://127.0.0.1:" + std::to_string(Web.Port) + "/feeds/show.xml";
        if (!Web.Start(SystemPython, {"-m", "http.server", "--bind", "127.0.0.1", "--directory",
                                      Folder.filePath("served"), QString::number(Web.Port)}))
            return false;
        return MakeCertificate(QDir(Folder.path())) && MakeSshKey(Folder.filePath("hostkey")) &&
               StartServer();
    }

    bool StartServer()
    {
        const QString root = Folder.filePath("served");
        const QString address = "127.0.0.1:" + QString::number(Server.Port);
        const QStringList rcloneCommon = {"--config", Folder.filePath("rclone.conf"), "--addr",
                                          address, "--user", "author", "--pass", "secret"};
        if (Protocol == "OpenSSH")
            return Server.Start("/usr/sbin/sshd", {"-D", "-e", "-f", Folder.filePath("sshd_config")});
        if (Protocol == "SFTP")
            return Server.Start("rclone", QStringList{"serve", "sftp", root, "--key",
                                                      Folder.filePath("hostkey")} + rcloneCommon);
        if (Protocol == "WebDAV")
            return Server.Start("rclone", QStringList{"serve", "webdav", root, "--cert",
                                                      Folder.filePath("cert.pem"), "--key",
                                                      Folder.filePath("key.pem")} + rcloneCommon);
        QStringList ftp = {"-c", FtpServerScript, root, QString::number(Server.Port)};
        if (Protocol == "FTPS") // the certificate is trusted through the settings' CaFile
            ftp << Folder.filePath("cert.pem") << Folder.filePath("key.pem");
        return Server.Start(SystemPython, ftp);
    }

    // Writes the feed with its enclosures under the public folder, and publishes it.
    TAttempt Publish(const QByteArray &feed)
    {
        QByteArray bytes = feed;
        const std::string &url = Settings.PublicUrl;
        bytes.replace("PUBLIC", QByteArray::fromStdString(url.substr(0, url.rfind('/'))));
        QFile file(FeedPath());
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        file.close();
        TAttempt attempt;
        TPublishHooks hooks;
        hooks.Transfer.AcceptNewHostKey = [&](const THostKey &key) {
            attempt.HostKeysAsked << QString::fromStdString(key.Host + " " + key.Fingerprint);
            return TrustNewKey;
        };
        hooks.Transfer.Progress = [&](std::int64_t sent, std::int64_t) {
            return !OnProgress || OnProgress(sent);
        };
        try {
            attempt.Report = ::Publish(FeedPath().toStdString(), Settings, Password, Record, hooks);
        } catch (const std::exception &error) {
            attempt.Error = QString::fromStdString(error.what());
        }
        return attempt;
    }

    static QByteArray Read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    void WriteLocal(const QString &name, const QByteArray &bytes) const
    {
        QFile file(Local(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // The served folder's names, temporary files included.
    QStringList ServedNames() const
    {
        return QDir(Served()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
};

// Empty when OpenSSH's sshd can serve the test; otherwise why not. As root, sshd confines its
// unprivileged part to /run/sshd, which the system's sshd set-up makes and a fresh machine or
// container may lack, so it is made here; as another user, sshd needs no such folder and lets
// in only that user, which is whom the test logs in as.
QString WhySshdCannotRun()
{
    if (!QFileInfo(QStringLiteral("/usr/sbin/sshd")).isExecutable())
        return QStringLiteral("/usr/sbin/sshd is missing: install openssh-server (deps.sh)");
    if (geteuid() == 0 && !QDir().mkpath(QStringLiteral("/run/sshd")))
        return QStringLiteral("/run/sshd, which sshd needs when run as root, cannot be made");
    return {};
}

QStringList Names(const std::vector<std::string> &names)
{
    QStringList list;
    for (const std::string &name : names)
        list << QString::fromStdString(name);
    return list;
}

} // namespace

class PublishTest : public QObject {
    Q_OBJECT

private slots:
    void publishesOverEachProtocol_data()
    {
        QTest::addColumn<QString>("protocol");
        QTest::newRow("SFTP") << "SFTP";
        QTest::newRow("SFTP to OpenSSH, by key") << "OpenSSH";
        QTest::newRow("FTP") << "FTP";
        QTest::newRow("FTPS, explicit TLS") << "FTPS";
        QTest::newRow("WebDAV over HTTPS") << "WebDAV";
    }

    void publishesOverEachProtocol()
    {
        QFETCH(QString, protocol);
        if (protocol == "OpenSSH") {
            if (const QString why = WhySshdCannotRun(); !why.isEmpty())
                QSKIP(qPrintable(why));
        }
        TSite site;
        QVERIFY(site.Folder.isValid());
        QVERIFY2(site.Prepare(protocol), "the test servers did not start");
        site.WriteLocal("ep1.mp3", Audio(200000, '1'));

        if (protocol == "SFTP" || protocol == "OpenSSH") {
            // An unknown host key is shown by its fingerprint; refused, nothing is sent.
            site.TrustNewKey = false;
            const TAttempt refused = site.Publish(ShowFeed("Show", 1));
            QCOMPARE(refused.HostKeysAsked.size(), 1);
            QVERIFY2(refused.HostKeysAsked[0].startsWith("127.0.0.1 SHA256:"), qPrintable(refused.HostKeysAsked[0]));
            QVERIFY2(refused.Error.contains("was not trusted; nothing was sent"), qPrintable(refused.Error));
            QCOMPARE(site.ServedNames(), QStringList());
            site.TrustNewKey = true;
        }

        // First publish: the episode, then the feed; the enclosure hosted elsewhere is left.
        const TAttempt first = site.Publish(ShowFeed("Show", 1));
        QVERIFY2(first.Error.isEmpty(), qPrintable(first.Error));
        QCOMPARE(Names(first.Report.Uploaded), (QStringList{"ep1.mp3", "show.xml"}));
        QCOMPARE(first.Report.Difference, std::string());
        QCOMPARE(site.ServedNames(), (QStringList{"ep1.mp3", "show.xml"}));
        QCOMPARE(site.Read(site.Served("show.xml")), site.Read(site.FeedPath()));
        QCOMPARE(site.Read(site.Served("ep1.mp3")), Audio(200000, '1'));
        QCOMPARE(first.HostKeysAsked.size(), protocol == "SFTP" || protocol == "OpenSSH" ? 1 : 0);

        // Republish after an edit: only the feed goes up; the trusted key is not asked again.
        const TAttempt edited = site.Publish(ShowFeed("Show, edited", 1));
        QVERIFY2(edited.Error.isEmpty(), qPrintable(edited.Error));
        QCOMPARE(Names(edited.Report.Uploaded), QStringList{"show.xml"});
        QCOMPARE(edited.HostKeysAsked, QStringList());
        QCOMPARE(site.Read(site.Served("show.xml")), site.Read(site.FeedPath()));

        // An episode added: its file goes up, the first one stays.
        site.WriteLocal("ep2.mp3", Audio(150000, '2'));
        const TAttempt added = site.Publish(ShowFeed("Show", 2));
        QVERIFY2(added.Error.isEmpty(), qPrintable(added.Error));
        QCOMPARE(Names(added.Report.Uploaded), (QStringList{"ep2.mp3", "show.xml"}));
        const QByteArray published = site.Read(site.FeedPath());
        QCOMPARE(site.Read(site.Served("show.xml")), published);

        // A wrong password (or a key the server does not know): a clear message, the server's
        // feed as it was.
        const TPublishSettings settings = site.Settings;
        const std::string password = site.Password;
        site.Password = "wrong";
        if (protocol == "OpenSSH") {
            site.Settings.KeyFile = site.Folder.filePath("strangerkey").toStdString();
            QVERIFY(MakeSshKey(site.Folder.filePath("strangerkey")));
            site.Password.clear();
        }
        const TAttempt denied = site.Publish(ShowFeed("Show, denied", 2));
        QVERIFY2(denied.Error.contains("authentication failed at 127.0.0.1:"), qPrintable(denied.Error));
        QCOMPARE(site.Read(site.Served("show.xml")), published);
        site.Settings = settings;
        site.Password = password;

        // The server dies in the middle of a new episode's upload: the old feed stays whole.
        // (sshd's session outlives its listener, so that row cancels instead.)
        site.WriteLocal("ep3.mp3", Audio(3000000, '3'));
        site.OnProgress = [&](std::int64_t sent) {
            if (sent > 1000000 && protocol == "OpenSSH")
                return false;
            if (sent > 1000000)
                site.Server.Kill();
            return true;
        };
        const TAttempt dropped = site.Publish(ShowFeed("Show", 3));
        QVERIFY2(dropped.Error.contains("Publishing failed while uploading ep3.mp3"), qPrintable(dropped.Error));
        QCOMPARE(site.Read(site.Served("show.xml")), published);
        QVERIFY(!site.ServedNames().contains("ep3.mp3"));
        if (protocol != "OpenSSH")
            QVERIFY(site.StartServer());

        // Published again: the episode goes on after the part the server kept (made a known
        // size here). rclone's SFTP server cannot write on in the middle of a file, so it gets
        // the whole file again; WebDAV has no way to append. OpenSSH refuses a rename onto an
        // existing file, so its rows also take the remove-then-rename way.
        site.OnProgress = nullptr;
        QFile part(site.Served(".ep3.mp3.uploading"));
        QVERIFY(part.open(QIODevice::WriteOnly | QIODevice::Truncate));
        part.write(Audio(1000000, '3'));
        part.close();
        const TAttempt resumed = site.Publish(ShowFeed("Show", 3));
        QVERIFY2(resumed.Error.isEmpty(), qPrintable(resumed.Error));
        QCOMPARE(Names(resumed.Report.Uploaded), (QStringList{"ep3.mp3", "show.xml"}));
        QCOMPARE(site.Read(site.Served("ep3.mp3")), Audio(3000000, '3'));
        const bool resumes = protocol != "SFTP" && protocol != "WebDAV";
        QCOMPARE(resumed.Report.ResumedFrom, resumes ? 1000000 : 0);
        const QByteArray republished = site.Read(site.FeedPath());

        // Cancelled while a large feed goes up: the server keeps the old feed, whole.
        site.OnProgress = [&](std::int64_t sent) { return sent < 300000; };
        const TAttempt cancelled = site.Publish(ShowFeed("Show, large", 3, 2000000));
        QVERIFY2(cancelled.Error.contains("Publishing failed while uploading show.xml: cancelled."),
                 qPrintable(cancelled.Error));
        QCOMPARE(site.Read(site.Served("show.xml")), republished);
        site.OnProgress = nullptr;
        const TAttempt finished = site.Publish(ShowFeed("Show, large", 3, 2000000));
        QVERIFY2(finished.Error.isEmpty(), qPrintable(finished.Error));
        QCOMPARE(Names(finished.Report.Uploaded), QStringList{"show.xml"});
        QCOMPARE(site.Read(site.Served("show.xml")), site.Read(site.FeedPath()));
        QCOMPARE(site.ServedNames(), (QStringList{"ep1.mp3", "ep2.mp3", "ep3.mp3", "show.xml"}));

        // The public URL shows another copy (a wrong folder, a cache): reported, not hidden.
        QDir(site.Folder.path()).mkpath("served/other");
        QFile stale(site.Folder.filePath("served/other/show.xml"));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("stale");
        stale.close();
        site.Settings.PublicUrl = "http://127.0.0.1:" + std::to_string(site.Web.Port) + "/other/show.xml";
        const TAttempt differs = site.Publish(ShowFeed("Show, last", 3));
        QVERIFY2(differs.Error.isEmpty(), qPrintable(differs.Error));
        QCOMPARE(Names(differs.Report.Uploaded), QStringList{"show.xml"});
        QVERIFY2(QString::fromStdString(differs.Report.Difference).contains("is not what was uploaded (5 bytes there"),
                 differs.Report.Difference.c_str());

        if (protocol == "SFTP" || protocol == "OpenSSH") {
            // A changed host key is refused without a question.
            QVERIFY(MakeSshKey(site.Folder.filePath("otherkey")));
            QFile known(QString::fromStdString(site.Settings.KnownHostsFile));
            QVERIFY(known.open(QIODevice::WriteOnly | QIODevice::Truncate));
            known.write("[127.0.0.1]:" + QByteArray::number(site.Server.Port) + " " +
                        site.Read(site.Folder.filePath("otherkey.pub")));
            known.close();
            const TAttempt changed = site.Publish(ShowFeed("Show, spoofed", 3));
            QCOMPARE(changed.HostKeysAsked, QStringList());
            QVERIFY2(changed.Error.contains("has CHANGED since it was trusted"), qPrintable(changed.Error));
        }
    }

    void namesRefusedConnections()
    {
        TPublishSettings settings;
        settings.Host = "127.0.0.1";
        settings.Port = FreePort(); // nothing listens there
        settings.Protocol = TPublishProtocol::Ftp;
        QTemporaryDir folder;
        QFile feed(folder.filePath("feed.xml"));
        QVERIFY(feed.open(QIODevice::WriteOnly));
        feed.write(ShowFeed("Show", 0));
        feed.close();
        TUploadRecord record;
        try {
            Publish(feed.fileName().toStdString(), settings, "", record, {});
            QFAIL("published to a closed port");
        } catch (const TPublishError &error) {
            QVERIFY2(QString(error.what()).contains("refused the connection"), error.what());
        }
    }
};

QTEST_GUILESS_MAIN(PublishTest)
#include "PublishTest.moc"
