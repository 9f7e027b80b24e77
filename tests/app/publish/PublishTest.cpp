// Publishing against real servers started by the test: one scenario per protocol (SFTP, FTP,
// FTPS, WebDAV over HTTPS) through first publish, republish after an edit, a new episode, a wrong
// password, a server that dies mid-upload, a cancel during the feed's upload, and for SFTP the
// host key asked about, refused and changed. The public feed on the server is only ever the old
// one or the new one, whole.
#include "PublishPlan.h"
#include "PublishSecret.h"
#include "PublishSettings.h"
#include "Publisher.h"
#include "TestServers.h"

#include <curl/curl.h>

#include <QFileInfo>
#include <QMessageAuthenticationCode>
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
    QStringList FtpFaults; // FaultyFtpServerScript's options for FTP and FTPS
    QStringList WebFaults; // WebServerScript's for the public address

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
            if (!WriteSshdConfig(Folder.filePath("sshd_config"), Server.Port, Folder.filePath("hostkey"),
                                 Folder.filePath("authorized_keys")))
                return false;
        }
        Web.Port = FreePort();
        Settings.PublicUrl = "http://127.0.0.1:" + std::to_string(Web.Port) + "/feeds/show.xml";
        if (!Web.Start(SystemPython, QStringList{"-c", WebServerScript, Folder.filePath("served"),
                                                 QString::number(Web.Port)} + WebFaults))
            return false;
        return MakeCertificate(QDir(Folder.path())) && MakeSshKey(Folder.filePath("hostkey")) &&
               StartServer();
    }

    bool StartServer()
    {
        const QString root = Folder.filePath("served");
        const QString address = "127.0.0.1:" + QString::number(Server.Port);
        // No listing cache: the tests change the served folder beside the server.
        const QStringList rcloneCommon = {"--config", Folder.filePath("rclone.conf"), "--addr",
                                          address, "--user", "author", "--pass", "secret",
                                          "--dir-cache-time", "0s"};
        if (Protocol == "OpenSSH")
            return Server.Start("/usr/sbin/sshd", {"-D", "-e", "-f", Folder.filePath("sshd_config")});
        if (Protocol == "SFTP")
            return Server.Start("rclone", QStringList{"serve", "sftp", root, "--key",
                                                      Folder.filePath("hostkey")} + rcloneCommon);
        if (Protocol == "WebDAV")
            return Server.Start("rclone", QStringList{"serve", "webdav", root, "--cert",
                                                      Folder.filePath("cert.pem"), "--key",
                                                      Folder.filePath("key.pem")} + rcloneCommon);
        if (!FtpFaults.isEmpty()) {
            QStringList faulty = QStringList{"-c", FaultyFtpServerScript, root, QString::number(Server.Port)} + FtpFaults;
            if (Protocol == "FTPS")
                faulty << "cert=" + Folder.filePath("cert.pem") << "key=" + Folder.filePath("key.pem");
            return Server.Start(SystemPython, faulty);
        }
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

    // Servers that misbehave, one fault a row, each a real server on 127.0.0.1.
    void faultyServers_data()
    {
        QTest::addColumn<QString>("protocol");
        QTest::addColumn<QStringList>("ftpFaults"); // "LOG" stands for the row's command log
        QTest::addColumn<QStringList>("webFaults");
        QTest::newRow("FTP disk or quota full mid-upload") << "FTP" << QStringList{"quota=1000000"} << QStringList();
        QTest::newRow("episode kept short") << "FTP" << QStringList{"short=ep1.mp3"} << QStringList();
        QTest::newRow("feed kept short") << "FTP" << QStringList{"short=show.xml"} << QStringList();
        QTest::newRow("public feed with other bytes of the same size") << "FTP" << QStringList() << QStringList{"same-size=show.xml"};
        QTest::newRow("episode deleted on the server") << "SFTP" << QStringList() << QStringList();
        QTest::newRow("separate media folder") << "SFTP" << QStringList() << QStringList();
        QTest::newRow("link to a file outside the media folder") << "SFTP" << QStringList() << QStringList();
        QTest::newRow("enclosure path with ..") << "SFTP" << QStringList() << QStringList();
        QTest::newRow("FTPS setting against plain FTP") << "FTP" << QStringList{"log=LOG"} << QStringList();
        QTest::newRow("FTPS with TLS 1.2 on older libcurl") << "FTPS" << QStringList{"log=LOG"} << QStringList();
        QTest::newRow("host keys of two ports on one host") << "SFTP" << QStringList() << QStringList();
        QTest::newRow("leftover of an upload broken off") << "FTP" << QStringList() << QStringList();
        QTest::newRow("live checks of a long back catalogue") << "FTP" << QStringList() << QStringList();
    }

    void faultyServers()
    {
        QFETCH(QString, protocol);
        QFETCH(QStringList, ftpFaults);
        QFETCH(QStringList, webFaults);
        const QString row = QTest::currentDataTag();
        TSite site;
        QVERIFY(site.Folder.isValid());
        const QString log = site.Folder.filePath("commands.log");
        site.FtpFaults = ftpFaults.replaceInStrings("LOG", log);
        site.WebFaults = webFaults;
        QVERIFY2(site.Prepare(protocol), "the test servers did not start");
        site.WriteLocal("ep1.mp3", Audio(200000, '1'));

        if (row == "FTP disk or quota full mid-upload") {
            site.WriteLocal("ep1.mp3", Audio(5000000, '1'));
            const TAttempt full = site.Publish(ShowFeed("Show", 1));
            QVERIFY2(full.Error.startsWith("Publishing failed while uploading ep1.mp3: the server's disk is full, "
                                           "or your quota there is used up."), qPrintable(full.Error));
            QVERIFY(!site.ServedNames().contains("show.xml"));
        } else if (row == "episode kept short") {
            const TAttempt cut = site.Publish(ShowFeed("Show", 1));
            QCOMPARE(cut.Error, QString("The server holds 1000 of the 200000 bytes sent for ep1.mp3, so it was "
                                        "not put in place. Publish again."));
            QCOMPARE(site.ServedNames(), QStringList{".ep1.mp3.uploading"});
        } else if (row == "feed kept short") {
            QFile old(site.Served("show.xml"));
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("the feed published before");
            old.close();
            const TAttempt cut = site.Publish(ShowFeed("Show", 1, 5000));
            QVERIFY2(cut.Error.startsWith("The server holds 1000 of the "), qPrintable(cut.Error));
            QVERIFY2(cut.Error.contains(" bytes sent for show.xml, so it was not put in place."), qPrintable(cut.Error));
            QCOMPARE(site.Read(site.Served("show.xml")), QByteArray("the feed published before"));
        } else if (row == "public feed with other bytes of the same size") {
            const TAttempt differs = site.Publish(ShowFeed("Show", 1));
            QVERIFY2(differs.Error.isEmpty(), qPrintable(differs.Error));
            const QString size = QString::number(site.Read(site.FeedPath()).size());
            QVERIFY2(QString::fromStdString(differs.Report.Difference)
                         .contains("is not what was uploaded (" + size + " bytes there, " + size + " sent)"),
                     differs.Report.Difference.c_str());
            QVERIFY(!PublishedAsSent(differs.Report)); // --publish exits 1
        } else if (row == "episode deleted on the server") {
            QCOMPARE(Names(site.Publish(ShowFeed("Show", 1)).Report.Uploaded), (QStringList{"ep1.mp3", "show.xml"}));
            QVERIFY(QFile::remove(site.Served("ep1.mp3")));
            const TAttempt again = site.Publish(ShowFeed("Show", 1));
            QCOMPARE(Names(again.Report.Uploaded), (QStringList{"ep1.mp3", "show.xml"}));
            QCOMPARE(site.Read(site.Served("ep1.mp3")), Audio(200000, '1'));
        } else if (row == "separate media folder") {
            QVERIFY(QDir(site.Folder.path()).mkpath("media"));
            QFile media(site.Folder.filePath("media/ep1.mp3"));
            QVERIFY(media.open(QIODevice::WriteOnly));
            media.write(Audio(1000, 'm'));
            media.close();
            site.Settings.MediaFolder = site.Folder.filePath("media").toStdString();
            const TAttempt published = site.Publish(ShowFeed("Show", 1));
            QCOMPARE(Names(published.Report.Uploaded), (QStringList{"ep1.mp3", "show.xml"}));
            QCOMPARE(site.Read(site.Served("ep1.mp3")), Audio(1000, 'm'));
        } else if (row == "link to a file outside the media folder") {
            QVERIFY(QFile::remove(site.Local("ep1.mp3")));
            QVERIFY(QFile::link("/etc/passwd", site.Local("ep1.mp3")));
            site.WriteLocal("real2.mp3", Audio(1000, '2'));
            QVERIFY(QFile::link(site.Local("real2.mp3"), site.Local("ep2.mp3"))); // a link that stays inside
            const TAttempt refused = site.Publish(ShowFeed("Show", 2));
            QCOMPARE(Names(refused.Report.Uploaded), (QStringList{"ep2.mp3", "show.xml"}));
            QCOMPARE(Names(refused.Report.LinksOutside), QStringList{site.Local("ep1.mp3")});
            QVERIFY(QString::fromStdString(ReportText(refused.Report))
                        .contains("\nNot uploaded: " + site.Local("ep1.mp3") + " is a link to a file outside the media folder"));
            QVERIFY(!site.ServedNames().contains("ep1.mp3"));
            site.Settings.UploadLinksOutside = true; // the author allowed it
            QCOMPARE(Names(site.Publish(ShowFeed("Show", 2)).Report.Uploaded), (QStringList{"ep1.mp3", "show.xml"}));
        } else if (row == "enclosure path with ..") {
            QFile secret(site.Folder.filePath("secret.mp3")); // beside the feed's folder, not in it
            QVERIFY(secret.open(QIODevice::WriteOnly));
            secret.write("secret");
            secret.close();
            QByteArray feed = ShowFeed("Show", 0);
            feed.replace("</channel>", "<item><enclosure url=\"PUBLIC/../secret.mp3\" length=\"6\" type=\"audio/mpeg\"/>"
                                       "</item><item><enclosure url=\"PUBLIC/x/%2E%2E/%2e%2e/secret.mp3\" length=\"6\" "
                                       "type=\"audio/mpeg\"/></item></channel>");
            const TAttempt published = site.Publish(feed);
            QVERIFY2(published.Error.isEmpty(), qPrintable(published.Error));
            QCOMPARE(Names(published.Report.Uploaded), QStringList{"show.xml"});
            QCOMPARE(QDir(site.Folder.filePath("served")).entryList(QDir::Files), QStringList());
        } else if (row == "FTPS setting against plain FTP") {
            site.Settings.Protocol = TPublishProtocol::Ftps;
            const TAttempt refused = site.Publish(ShowFeed("Show", 1));
            QVERIFY(!refused.Error.isEmpty());
            QVERIFY(site.ServedNames().isEmpty());
            const QByteArray commands = site.Read(log);
            QVERIFY2(commands.contains("AUTH TLS") && !commands.contains("PASS") && !commands.contains("secret"),
                     commands.constData());
        } else if (row == "FTPS with TLS 1.2 on older libcurl") {
            const TAttempt published = site.Publish(ShowFeed("Show", 1));
            QVERIFY2(published.Error.isEmpty(), qPrintable(published.Error));
            const QByteArray commands = site.Read(log);
            QVERIFY2(commands.contains("PASS secret [TLSv1."), commands.constData()); // never in clear
            QVERIFY2(commands.contains("\ndata TLSv1."), commands.constData());
            if (curl_version_info(CURLVERSION_NOW)->version_num < 0x080900)
                QVERIFY2(!commands.contains("TLSv1.3"), commands.constData());
        } else if (row == "leftover of an upload broken off") {
            // An episode's upload broke off, and the episode has left the feed since.
            QFile part(site.Served(".old.mp3.uploading"));
            QVERIFY(part.open(QIODevice::WriteOnly));
            part.write("part");
            part.close();
            site.Record[".old.mp3.uploading"] = "4 0";
            const TAttempt published = site.Publish(ShowFeed("Show", 1));
            QCOMPARE(Names(published.Report.LeftoversRemoved), QStringList{".old.mp3.uploading"});
            QCOMPARE(site.ServedNames(), (QStringList{"ep1.mp3", "show.xml"}));
            QVERIFY(!site.Record.count(".old.mp3.uploading"));
        } else if (row == "live checks of a long back catalogue") {
            // 30 new episodes, each served 4 bytes long where the feed says 1: the checks ask
            // for 25 of them, and say so.
            for (int episode = 1; episode <= 30; ++episode)
                site.WriteLocal(QString("ep%1.mp3").arg(episode), Audio(4, 'e'));
            const TAttempt published = site.Publish(ShowFeed("Show", 30));
            QVERIFY2(published.Error.isEmpty(), qPrintable(published.Error));
            QCOMPARE(published.Report.Uploaded.size(), std::size_t(31));
            QCOMPARE(published.Report.LiveMisses.size(), std::size_t(25));
            QCOMPARE(published.Report.LiveMisses.back(),
                     std::string("Not live: ep25.mp3 is served with Content-Length 4, but the feed gives 1 bytes."));
            QVERIFY(QString::fromStdString(ReportText(published.Report))
                        .endsWith("\nThe live checks asked for the first 25 files uploaded; 5 more were not asked for."));
        } else if (row == "host keys of two ports on one host") {
            QCOMPARE(site.Publish(ShowFeed("Show", 1)).HostKeysAsked.size(), 1);
            const QString knownHosts = QString::fromStdString(site.Settings.KnownHostsFile);
            const QByteArray first = site.Read(knownHosts);
            QVERIFY2(first.startsWith("[127.0.0.1]:" + QByteArray::number(site.Server.Port) + " ssh-ed25519 "),
                     first.constData());
            // Another server with another key on another port of the same host: a new key to ask
            // about, not a changed one.
            TServerProcess other;
            other.Port = FreePort();
            QVERIFY(MakeSshKey(site.Folder.filePath("otherhostkey")));
            QVERIFY(other.Start("rclone", {"serve", "sftp", site.Folder.filePath("served"), "--key",
                                           site.Folder.filePath("otherhostkey"), "--config", site.Folder.filePath("rclone.conf"),
                                           "--addr", "127.0.0.1:" + QString::number(other.Port), "--user", "author",
                                           "--pass", "secret"}));
            const int firstPort = site.Settings.Port;
            site.Settings.Port = other.Port;
            const TAttempt second = site.Publish(ShowFeed("Show, other", 1));
            QVERIFY2(second.Error.isEmpty(), qPrintable(second.Error));
            QCOMPARE(second.HostKeysAsked.size(), 1);
            // The key filed the older way, under the bare host name, still counts for its server.
            QFile known(knownHosts);
            QVERIFY(known.open(QIODevice::WriteOnly | QIODevice::Truncate));
            known.write(first.mid(first.indexOf(' ')).prepend("127.0.0.1"));
            known.close();
            site.Settings.Port = firstPort;
            const TAttempt bare = site.Publish(ShowFeed("Show", 1));
            QVERIFY2(bare.Error.isEmpty(), qPrintable(bare.Error));
            QCOMPARE(bare.HostKeysAsked, QStringList());
            // A hashed entry for the other port, holding the first server's key: that port's key
            // has changed, and is refused without a question.
            const QByteArray salt = "twenty bytes of salt";
            const QByteArray hashedName = QMessageAuthenticationCode::hash(
                "[127.0.0.1]:" + QByteArray::number(other.Port), salt, QCryptographicHash::Sha1);
            QVERIFY(known.open(QIODevice::WriteOnly | QIODevice::Truncate));
            known.write("|1|" + salt.toBase64() + "|" + hashedName.toBase64() + first.mid(first.indexOf(' ')));
            known.close();
            site.Settings.Port = other.Port;
            const TAttempt hashed = site.Publish(ShowFeed("Show", 1));
            QCOMPARE(hashed.HostKeysAsked, QStringList());
            QVERIFY2(hashed.Error.contains("has CHANGED since it was trusted"), qPrintable(hashed.Error));
        }
    }

    // What goes up, from the feed alone: every referenced file below the public folder, once,
    // and nothing that leaves it.
    void planTakesFilesBelowThePublicFolder()
    {
        QTemporaryDir folder;
        const std::string feed =
            "<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\" "
            "xmlns:podcast=\"https://podcastindex.org/namespace/1.0\"><channel>"
            "<itunes:image href=\"https://x.org/pod/art/cover.jpg\"/>"
            "<image><url> https://x.org/pod/art/cover.jpg </url></image>"
            "<item><enclosure url=\"https://x.org/pod/ep1.mp3\" length=\"5\" type=\"audio/mpeg\"/>"
            "<itunes:image href=\"https://x.org/pod/ep1.png\"/>"
            "<podcast:transcript url=\"https://x.org/pod/ep1.vtt\" type=\"text/vtt\"/>"
            "<podcast:chapters url=\"https://x.org/pod/ep1.json\" type=\"application/json+chapters\"/></item>"
            "<item><enclosure url=\"https://x.org/pod/../etc/passwd\"/>"
            "<enclosure url=\"https://x.org/pod/a/%2e%2E/%2E%2e/passwd\"/>"
            "<enclosure url=\"https://cdn.example.org/pod/ep2.mp3\"/>"
            "<enclosure url=\"https://x.org/podcast/ep3.mp3\"/></item></channel></rss>";
        TPublishSettings settings;
        settings.PublicUrl = "https://x.org/pod/feed.xml";
        QStringList names;
        for (const TEpisodeFile &file : EpisodeFiles(feed, folder.filePath("feed.xml").toStdString(), settings))
            names << QString::fromStdString(file.RemoteName + (file.IsCover ? " cover" : "") +
                                            (file.Type.empty() ? "" : " " + file.Type) +
                                            (file.Length.empty() ? "" : " " + file.Length));
        QCOMPARE(names, (QStringList{"art/cover.jpg cover", "ep1.mp3 audio/mpeg 5", "ep1.png", "ep1.vtt text/vtt",
                                     "ep1.json application/json+chapters"}));
        QCOMPARE(PublicUrlOfLocalFile(folder.filePath("art/a b.png").toStdString(),
                                       folder.filePath("feed.xml").toStdString(), settings),
                 std::string("https://x.org/pod/art/a%20b.png"));
        QCOMPARE(PublicUrlOfLocalFile("/etc/passwd", folder.filePath("feed.xml").toStdString(), settings), std::string());
    }

    // A password forgotten is gone for the session too, keyring or not.
    void forgottenPasswordIsNotFound()
    {
        qunsetenv("DBUS_SESSION_BUS_ADDRESS"); // no keyring: the session alone keeps it
        TPublishSecret secret;
        secret.Remember("FTP author@127.0.0.1:21", "secret");
        QCOMPARE(secret.Find("FTP author@127.0.0.1:21"), std::optional<std::string>("secret"));
        secret.Forget("FTP author@127.0.0.1:21");
        QCOMPARE(secret.Find("FTP author@127.0.0.1:21"), std::optional<std::string>());
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
