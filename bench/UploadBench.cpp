// Uploads over a slow link: publishing a large episode with the editor's own code against each
// protocol's command-line client, to the same server through the same delaying proxy.
//
//   uploadbench [--rounds N] [--megabytes N] [--delay MS] [sftp] [ftps] [webdav]
//
// Defaults: 3 rounds, 100 MB, 25 ms each way, all three protocols. An episode of random bytes
// (nothing for compression to gain) and a feed pointing at it are written to a fresh folder;
// the servers the publishing tests use are started on 127.0.0.1 (OpenSSH's sshd for SFTP,
// pyftpdlib for explicit FTPS, rclone for WebDAV over HTTPS), each behind a proxy on 127.0.0.2
// that holds every chunk 25 ms in each direction (TDelayProxy; for FTPS also the passive data
// ports, which the server names with 127.0.0.2). Taking turns each round:
//   the editor  Publish of the feed, timed from its start until the episode is in place (its
//               connection, the upload under a temporary name, the size check, the rename);
//               the feed and the live checks after it are not timed
//   the client  sftp -b (put), lftp (put), curl -T over HTTP/1.1, the editor's HTTP version
// Each uploaded copy is compared with the episode. Printed: the median MB/s (10^6 bytes) of
// each and the editor's ratio to the client, PASS or FAIL against 0.80x. The exit status is 0
// when every ratio holds.
#include "Publisher.h"
#include "publish/TestServers.h"

#include "DelayProxy.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

constexpr double Target = 0.80;
const QString ProxyAddress = QStringLiteral("127.0.0.2");
const QString EpisodeName = QStringLiteral("episode.mp3");

struct TOptions {
    int Rounds = 3;
    qint64 Megabytes = 100;
    int DelayMs = 25;
    QStringList Protocols;
};

// A program the bench needs and the Debian package that has it.
struct TTool {
    QString Program;
    QString Package;
    QStringList Protocols; // those that need it
};

// What is missing for the protocols asked for, one line each.
QStringList MissingTools(const QStringList &protocols)
{
    const std::vector<TTool> tools = {
        {"/usr/sbin/sshd", "openssh-server", {"sftp"}},
        {"sftp", "openssh-client", {"sftp"}},
        {"ssh-keygen", "openssh-client", {"sftp"}},
        {"openssl", "openssl", {"ftps", "webdav"}},
        {"lftp", "lftp", {"ftps"}},
        {"rclone", "rclone", {"webdav"}},
        {"curl", "curl", {"webdav"}},
        {"/usr/bin/python3", "python3", {"sftp", "ftps", "webdav"}},
    };
    QStringList missing;
    for (const TTool &tool : tools) {
        const bool needed = std::any_of(tool.Protocols.begin(), tool.Protocols.end(),
                                        [&](const QString &protocol) { return protocols.contains(protocol); });
        if (needed && QStandardPaths::findExecutable(tool.Program).isEmpty() && !QFile::exists(tool.Program))
            missing << tool.Program + " (Debian package " + tool.Package + ")";
    }
    if (protocols.contains("ftps") && !RunTool(SystemPython, {"-c", "import pyftpdlib, OpenSSL"}))
        missing << "pyftpdlib with TLS for /usr/bin/python3 (Debian packages python3-pyftpdlib, python3-openssl)";
    if (protocols.contains("sftp") && QFile::exists("/usr/sbin/sshd")) {
        if (const QString why = WhySshdCannotRun(); !why.isEmpty())
            missing << why;
    }
    return missing;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double SecondsSince(TClock::time_point start)
{
    return std::chrono::duration<double>(TClock::now() - start).count();
}

// Random bytes, so that no compression on the way makes the upload cheaper.
void WriteEpisode(const QString &path, qint64 bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write " + path.toStdString());
    std::mt19937_64 random(std::random_device{}());
    std::vector<std::uint64_t> block(1 << 17);
    for (qint64 written = 0; written < bytes;) {
        for (std::uint64_t &word : block)
            word = random();
        const qint64 part = std::min<qint64>(bytes - written, qint64(block.size() * sizeof block[0]));
        if (file.write(reinterpret_cast<const char *>(block.data()), part) != part)
            throw std::runtime_error("cannot write " + path.toStdString());
        written += part;
    }
}

bool SameBytes(const QString &one, const QString &other)
{
    QFile first(one), second(other);
    if (!first.open(QIODevice::ReadOnly) || !second.open(QIODevice::ReadOnly) || first.size() != second.size())
        return false;
    while (!first.atEnd())
        if (first.read(1 << 20) != second.read(1 << 20))
            return false;
    return true;
}

// The folder of the run: the episode and its feed, the served folder, keys and certificate, and
// the plain web server for the feed's public address (the editor checks what it published).
class TBench {
public:
    QTemporaryDir Folder;
    TOptions Options;
    TServerProcess Web;

    QString Local(const QString &name) const { return Folder.filePath("local/" + name); }
    QString Served(const QString &name = {}) const { return Folder.filePath("served/feeds/" + name); }
    qint64 EpisodeBytes() const { return Options.Megabytes * 1000 * 1000; }

    void Prepare()
    {
        if (!Folder.isValid() || !QDir(Folder.path()).mkpath("local") || !QDir(Folder.path()).mkpath("served/feeds"))
            throw std::runtime_error("cannot make a folder for the run");
        WriteEpisode(Local(EpisodeName), EpisodeBytes());
        Web.ShowsErrors = false;
        Web.Port = FreePort();
        if (!Web.Start(SystemPython, {"-c", WebServerScript, Folder.filePath("served"), QString::number(Web.Port)}))
            throw std::runtime_error("the web server for the public address did not start");
        const QByteArray publicFolder = "http://127.0.0.1:" + QByteArray::number(Web.Port) + "/feeds/";
        QFile feed(Local("show.xml"));
        if (!feed.open(QIODevice::WriteOnly) ||
            feed.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel><title>Bench"
                       "</title><link>https://example.org/</link><description>An episode</description>\n"
                       "<item><title>Episode 1</title><enclosure url=\"" + publicFolder + EpisodeName.toUtf8() +
                       "\" length=\"" + QByteArray::number(EpisodeBytes()) + "\" type=\"audio/mpeg\"/></item>\n"
                       "</channel></rss>\n") < 0)
            throw std::runtime_error("cannot write the feed");
        if (!MakeCertificate(QDir(Folder.path()), "IP:" + ProxyAddress) || !MakeSshKey(Folder.filePath("hostkey")) ||
            !MakeSshKey(Folder.filePath("userkey")))
            throw std::runtime_error("openssl or ssh-keygen failed");
    }

    // The served folder emptied, so that every upload starts from nothing.
    void ClearServed() const
    {
        QDir served(Served());
        for (const QString &name : served.entryList(QDir::Files | QDir::Hidden))
            served.remove(name);
    }

    void RequireUploaded(const QString &who) const
    {
        if (!SameBytes(Served(EpisodeName), Local(EpisodeName)))
            throw std::runtime_error(who.toStdString() + " did not upload the episode whole");
    }

    // The editor's Publish, timed until the episode is in place (the feed is the next file).
    double EditorUpload(const TPublishSettings &settings, const std::string &password) const
    {
        TUploadRecord record; // nothing uploaded before: the episode goes up whole
        std::optional<double> seconds;
        TPublishHooks hooks;
        hooks.Transfer.AcceptNewHostKey = [](const THostKey &) { return true; };
        const TClock::time_point start = TClock::now();
        hooks.FileStarted = [&](const TPublishStep &step) {
            if (step.Index == 2)
                seconds = SecondsSince(start);
        };
        const TPublishReport report = Publish(Local("show.xml").toStdString(), settings, password, record, hooks);
        if (!seconds || !PublishedAsSent(report))
            throw std::runtime_error("the editor's publish went wrong: " + ReportText(report));
        RequireUploaded("the editor");
        return *seconds;
    }

    // A client's upload: the program's whole run, its connection included.
    double ClientUpload(const QString &program, const QStringList &arguments) const
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        const TClock::time_point start = TClock::now();
        process.start(program, arguments);
        const bool finished = process.waitForStarted(10000) && process.waitForFinished(600000);
        const double seconds = SecondsSince(start);
        if (!finished) {
            process.kill();
            process.waitForFinished(5000);
        }
        if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            throw std::runtime_error((program + " failed: " + QString::fromLocal8Bit(process.readAll())).toStdString());
        RequireUploaded(program);
        return seconds;
    }
};

// One protocol's server, the proxy in front of it, the editor's settings and the client's command.
struct TProtocolRun {
    QString Name;   // "SFTP"
    QString Client; // how the client is named in the table
    TServerProcess Server;
    std::unique_ptr<TDelayProxy> Proxy;
    TProtocolRun() { Server.ShowsErrors = false; }
    TPublishSettings Settings;
    std::string Password = "secret";
    QString Program;
    QStringList Arguments;
};

void StartProxy(TProtocolRun &run, const TBench &bench, const std::vector<int> &ports)
{
    run.Proxy = std::make_unique<TDelayProxy>(std::chrono::milliseconds(bench.Options.DelayMs));
    for (int port : ports)
        if (const std::string why = run.Proxy->Forward(ProxyAddress.toStdString(), "127.0.0.1", port); !why.empty())
            throw std::runtime_error("the proxy " + why);
}

void StartSftp(TProtocolRun &run, const TBench &bench)
{
    const QDir folder(bench.Folder.path());
    run.Server.Port = FreePort();
    if (!QFile::exists(folder.filePath("authorized_keys")) &&
        !QFile::copy(folder.filePath("userkey.pub"), folder.filePath("authorized_keys")))
        throw std::runtime_error("cannot write authorized_keys");
    if (!WriteSshdConfig(folder.filePath("sshd_config"), run.Server.Port, folder.filePath("hostkey"),
                         folder.filePath("authorized_keys")) ||
        !run.Server.Start("/usr/sbin/sshd", {"-D", "-e", "-f", folder.filePath("sshd_config")}))
        throw std::runtime_error("sshd did not start");
    StartProxy(run, bench, {run.Server.Port});
    const QString user = QString::fromLocal8Bit(getpwuid(geteuid())->pw_name);
    run.Settings.Protocol = TPublishProtocol::Sftp;
    run.Settings.User = user.toStdString();
    run.Settings.KeyFile = folder.filePath("userkey").toStdString();
    run.Settings.RemoteFolder = bench.Served().toStdString();
    run.Settings.KnownHostsFile = folder.filePath("known_hosts").toStdString();
    run.Password.clear();
    QFile batch(folder.filePath("sftp-batch"));
    if (!batch.open(QIODevice::WriteOnly) ||
        batch.write("put \"" + bench.Local(EpisodeName).toUtf8() + "\" \"" + bench.Served(EpisodeName).toUtf8() + "\"\n") < 0)
        throw std::runtime_error("cannot write the sftp batch file");
    run.Client = "sftp";
    run.Program = "sftp";
    // No configuration files: the client's own defaults (64 requests of 32 KiB in flight).
    run.Arguments = {"-q", "-F", "/dev/null", "-b", batch.fileName(), "-P", QString::number(run.Server.Port),
                     "-i", folder.filePath("userkey"), "-o", "IdentitiesOnly=yes", "-o", "BatchMode=yes",
                     "-o", "UserKnownHostsFile=" + folder.filePath("known_hosts"),
                     "-o", "StrictHostKeyChecking=accept-new", user + "@" + ProxyAddress};
}

void StartFtps(TProtocolRun &run, const TBench &bench)
{
    const QDir folder(bench.Folder.path());
    run.Server.Port = FreePort();
    std::vector<int> ports = {run.Server.Port};
    QStringList passive;
    while (ports.size() < 5) {
        const int port = FreePort();
        if (std::find(ports.begin(), ports.end(), port) == ports.end()) {
            ports.push_back(port);
            passive << QString::number(port);
        }
    }
    // Passive data connections go to the address PASV names (EPSV: the control connection's),
    // so both are the proxy's.
    if (!run.Server.Start(SystemPython, {"-c", FtpServerScript, folder.filePath("served"), QString::number(run.Server.Port),
                                         folder.filePath("cert.pem"), folder.filePath("key.pem"),
                                         "passive=" + passive.join(","), "masquerade=" + ProxyAddress}))
        throw std::runtime_error("the FTPS server did not start");
    StartProxy(run, bench, ports);
    run.Settings.Protocol = TPublishProtocol::Ftps;
    run.Settings.User = "author";
    run.Settings.RemoteFolder = "feeds";
    run.Settings.CaFile = folder.filePath("cert.pem").toStdString();
    run.Client = "lftp";
    run.Program = "lftp";
    const QString script = "set cmd:fail-exit true; set net:max-retries 1; set net:timeout 30; "
                           "set ftp:ssl-force true; set ftp:ssl-protect-data true; set ftp:passive-mode true; "
                           "set ssl:ca-file \"" + folder.filePath("cert.pem") + "\"; "
                           "open -u author,secret -p " + QString::number(run.Server.Port) + " " + ProxyAddress + "; "
                           "put \"" + bench.Local(EpisodeName) + "\" -o feeds/" + EpisodeName;
    run.Arguments = {"-c", script};
}

void StartWebDav(TProtocolRun &run, const TBench &bench)
{
    const QDir folder(bench.Folder.path());
    run.Server.Port = FreePort();
    // No listing cache: the bench empties the served folder beside the server.
    if (!run.Server.Start("rclone", {"serve", "webdav", folder.filePath("served"), "--cert", folder.filePath("cert.pem"),
                                     "--key", folder.filePath("key.pem"), "--config", folder.filePath("rclone.conf"),
                                     "--addr", "127.0.0.1:" + QString::number(run.Server.Port), "--user", "author",
                                     "--pass", "secret", "--dir-cache-time", "0s"}))
        throw std::runtime_error("rclone serve webdav did not start");
    StartProxy(run, bench, {run.Server.Port});
    run.Settings.Protocol = TPublishProtocol::WebDav;
    run.Settings.User = "author";
    run.Settings.RemoteFolder = "feeds";
    run.Settings.CaFile = folder.filePath("cert.pem").toStdString();
    run.Client = "curl -T";
    run.Program = "curl";
    run.Arguments = {"-sS", "--fail", "--http1.1", "--cacert", folder.filePath("cert.pem"), "-u", "author:secret",
                     "-T", bench.Local(EpisodeName),
                     "https://" + ProxyAddress + ":" + QString::number(run.Server.Port) + "/feeds/" + EpisodeName};
}

struct TResult {
    QString Name, Client;
    double Editor = 0, Other = 0; // median MB/s
};

TResult Measure(const QString &protocol, const TBench &bench)
{
    TProtocolRun run;
    if (protocol == "sftp")
        StartSftp(run, bench);
    else if (protocol == "ftps")
        StartFtps(run, bench);
    else
        StartWebDav(run, bench);
    run.Name = protocol.toUpper().replace("WEBDAV", "WebDAV");
    run.Settings.Host = ProxyAddress.toStdString();
    run.Settings.Port = run.Server.Port;
    run.Settings.PublicUrl = "http://127.0.0.1:" + std::to_string(bench.Web.Port) + "/feeds/show.xml";
    const double megabytes = double(bench.EpisodeBytes()) / 1e6;
    std::vector<double> editor, client;
    for (int round = 0; round < bench.Options.Rounds; ++round) {
        // Taking turns, so that neither always meets the machine as the other left it.
        for (int turn = 0; turn < 2; ++turn) {
            bench.ClearServed();
            if ((round + turn) % 2 == 0) {
                editor.push_back(megabytes / bench.EditorUpload(run.Settings, run.Password));
                std::printf("  %-6s round %d  editor %8.2f MB/s\n", qPrintable(run.Name), round + 1, editor.back());
            } else {
                client.push_back(megabytes / bench.ClientUpload(run.Program, run.Arguments));
                std::printf("  %-6s round %d  %-7s%8.2f MB/s\n", qPrintable(run.Name), round + 1,
                            qPrintable(run.Client), client.back());
            }
            std::fflush(stdout);
        }
    }
    bench.ClearServed();
    return {run.Name, run.Client, Median(editor), Median(client)};
}

int Usage()
{
    std::fprintf(stderr, "usage: uploadbench [--rounds N] [--megabytes N] [--delay MS] [sftp] [ftps] [webdav]\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    TBench bench;
    QStringList arguments = application.arguments().mid(1);
    while (!arguments.isEmpty()) {
        const QString argument = arguments.takeFirst();
        bool number = true;
        if (argument == "--rounds" && !arguments.isEmpty())
            bench.Options.Rounds = arguments.takeFirst().toInt(&number);
        else if (argument == "--megabytes" && !arguments.isEmpty())
            bench.Options.Megabytes = arguments.takeFirst().toLongLong(&number);
        else if (argument == "--delay" && !arguments.isEmpty())
            bench.Options.DelayMs = arguments.takeFirst().toInt(&number);
        else if (argument == "sftp" || argument == "ftps" || argument == "webdav")
            bench.Options.Protocols << argument;
        else
            return Usage();
        if (!number || bench.Options.Rounds < 1 || bench.Options.Megabytes < 1 || bench.Options.DelayMs < 0)
            return Usage();
    }
    if (bench.Options.Protocols.isEmpty())
        bench.Options.Protocols = {"sftp", "ftps", "webdav"};
    if (const QStringList missing = MissingTools(bench.Options.Protocols); !missing.isEmpty()) {
        std::fprintf(stderr, "uploadbench: cannot run, missing:\n");
        for (const QString &line : missing)
            std::fprintf(stderr, "  %s\n", qPrintable(line));
        std::fprintf(stderr, "./deps.sh --tests installs them.\n");
        return 2;
    }
    std::vector<TResult> results;
    try {
        bench.Prepare();
        std::printf("%lld MB of random bytes, %d ms each way through the proxy on %s, %d rounds\n",
                    bench.Options.Megabytes, bench.Options.DelayMs, qPrintable(ProxyAddress), bench.Options.Rounds);
        for (const QString &protocol : bench.Options.Protocols)
            results.push_back(Measure(protocol, bench));
    } catch (const std::exception &error) {
        std::fprintf(stderr, "uploadbench: %s\n", error.what());
        return 1;
    }
    bool held = true;
    std::printf("\n%-8s %14s %20s %7s\n", "", "editor MB/s", "client MB/s", "ratio");
    for (const TResult &result : results) {
        const double ratio = result.Editor / result.Other;
        held = held && ratio >= Target;
        std::printf("%-8s %14.2f %12.2f %-7s %6.2fx  %s (at least %.2fx)\n", qPrintable(result.Name), result.Editor,
                    result.Other, qPrintable(result.Client), ratio, ratio >= Target ? "PASS" : "FAIL", Target);
    }
    return held ? 0 : 1;
}
