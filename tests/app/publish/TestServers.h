#pragma once
// Real servers on 127.0.0.1 for the publishing tests, started and stopped by the test itself on
// free ports: rclone for SFTP and WebDAV over HTTPS, pyftpdlib for FTP and FTPS, OpenSSH's sshd,
// Python's http.server for the public web address. Keys and certificates are made fresh in the
// test's folder.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QThread>

#include <csignal>
#include <memory>
#include <unistd.h>

// The Debian interpreter: it has pyftpdlib, whatever python3 comes first on the PATH.
inline const QString SystemPython = QStringLiteral("/usr/bin/python3");

inline int FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

inline bool RunTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// A self-signed certificate for 127.0.0.1 (and the further addresses given, "IP:127.0.0.2"):
// cert.pem and key.pem in folder.
inline bool MakeCertificate(const QDir &folder, const QString &moreAddresses = {})
{
    const QString names = "subjectAltName=IP:127.0.0.1" + (moreAddresses.isEmpty() ? QString() : "," + moreAddresses);
    return RunTool(QStringLiteral("openssl"),
                   {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                    "/CN=127.0.0.1", "-addext", names, "-keyout",
                    folder.filePath("key.pem"), "-out", folder.filePath("cert.pem")});
}

// An SSH key pair without a passphrase: path and path.pub.
inline bool MakeSshKey(const QString &path)
{
    return RunTool(QStringLiteral("ssh-keygen"), {"-q", "-t", "ed25519", "-N", "", "-f", path});
}

// A configuration for OpenSSH's sshd on 127.0.0.1:port that lets in by key only (the keys in
// authorizedKeys) and serves SFTP.
inline bool WriteSshdConfig(const QString &path, int port, const QString &hostKey, const QString &authorizedKeys)
{
    QFile config(path);
    if (!config.open(QIODevice::WriteOnly))
        return false;
    config.write("ListenAddress 127.0.0.1\nPort " + QByteArray::number(port) + "\nHostKey " + hostKey.toUtf8() +
                 "\nAuthorizedKeysFile " + authorizedKeys.toUtf8() +
                 "\nPasswordAuthentication no\nKbdInteractiveAuthentication no\n"
                 "PermitRootLogin prohibit-password\nStrictModes no\nUsePAM no\n"
                 "PidFile none\nSubsystem sftp /usr/lib/openssh/sftp-server\n");
    return true;
}

// Empty when OpenSSH's sshd can serve the test; otherwise why not. As root, sshd confines its
// unprivileged part to /run/sshd, which the system's sshd set-up makes and a fresh machine or
// container may lack, so it is made here; as another user, sshd needs no such folder and lets
// in only that user, which is whom the test logs in as.
inline QString WhySshdCannotRun()
{
    if (!QFileInfo(QStringLiteral("/usr/sbin/sshd")).isExecutable())
        return QStringLiteral("/usr/sbin/sshd is missing: install openssh-server (deps.sh)");
    if (geteuid() == 0 && !QDir().mkpath(QStringLiteral("/run/sshd")))
        return QStringLiteral("/run/sshd, which sshd needs when run as root, cannot be made");
    return {};
}

// A server process listening on Port once Start returns true; killed when it goes.
class TServerProcess {
public:
    int Port = 0;
    bool ShowsErrors = true; // the server's error output goes to the program's

    bool Start(const QString &program, const QStringList &arguments)
    {
        process_ = std::make_unique<QProcess>();
        process_->setProcessChannelMode(ShowsErrors ? QProcess::ForwardedErrorChannel : QProcess::SeparateChannels);
        process_->setStandardOutputFile(QProcess::nullDevice());
        if (!ShowsErrors)
            process_->setStandardErrorFile(QProcess::nullDevice());
        process_->start(program, arguments);
        if (!process_->waitForStarted(10000))
            return false;
        // Ready when it accepts a connection; a server that never does fails within seconds.
        for (int attempt = 0; attempt < 150; ++attempt) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, quint16(Port));
            if (probe.waitForConnected(100))
                return true;
            if (process_->state() == QProcess::NotRunning)
                return false;
            QThread::msleep(100);
        }
        return false;
    }
    // Ends the server at once, as a crash or a dropped line would.
    void Kill()
    {
        if (process_ && process_->state() != QProcess::NotRunning) {
            process_->kill();
            process_->waitForFinished(10000);
        }
    }
    // Stops and continues the server: connections stay open, nothing answers.
    void Pause() const { ::kill(pid_t(process_->processId()), SIGSTOP); }
    void Resume() const { ::kill(pid_t(process_->processId()), SIGCONT); }
    ~TServerProcess()
    {
        if (process_)
            Resume();
        Kill();
    }

private:
    std::unique_ptr<QProcess> process_;
};

// pyftpdlib over root on port; given a certificate and its key, explicit FTPS ("AUTH TLS") with
// both the commands and the data encrypted. Options after them, "name=value": "passive=PORT,PORT,..."
// the ports passive data connections may use, "masquerade=ADDRESS" the address PASV answers with.
inline const char *const FtpServerScript = R"(
import sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer
root, port = sys.argv[1], int(sys.argv[2])
files = [argument for argument in sys.argv[3:] if "=" not in argument]
options = dict(argument.split("=", 1) for argument in sys.argv[3:] if "=" in argument)
handler = FTPHandler
if len(files) == 2:
    from pyftpdlib.handlers import TLS_FTPHandler, TLS_DTPHandler
    class DataHandler(TLS_DTPHandler):
        # pyftpdlib 1.5.7 takes a data connection that is readable before its transfer command
        # for a closed one; curl starts TLS on it at once, so the handshake must be read.
        def readable(self):
            return self._ssl_accepting or super().readable()
    handler = TLS_FTPHandler
    handler.certfile, handler.keyfile = files
    handler.tls_control_required = handler.tls_data_required = True
    handler.dtp_handler = DataHandler
if "passive" in options:
    handler.passive_ports = [int(port) for port in options["passive"].split(",")]
handler.masquerade_address = options.get("masquerade")
authorizer = DummyAuthorizer()
authorizer.add_user("author", "secret", root, perm="elradfmwMT")
handler.authorizer = authorizer
FTPServer(("127.0.0.1", port), handler).serve_forever()
)";

// A web server over root on port for the public address, with byte ranges (Python's http.server
// has none), that can be told to misbehave for a file name: "wrong-length=NAME" (a Content-Length
// 7 bytes too many), "wrong-type=NAME" (served as text/plain), "no-ranges=NAME" (a range request
// gets the whole file with 200), "missing=NAME" (404), "same-size=NAME" (other bytes of the
// same length).
inline const char *const WebServerScript = R"py(
import http.server, os, re, sys, urllib.parse
root, port = sys.argv[1], int(sys.argv[2])
faults = {}
for argument in sys.argv[3:]:
    kind, name = argument.split("=", 1)
    faults.setdefault(name, set()).add(kind)
types = {".mp3": "audio/mpeg", ".m4a": "audio/x-m4a", ".xml": "application/rss+xml", ".png": "image/png",
         ".jpg": "image/jpeg", ".vtt": "text/vtt", ".json": "application/json+chapters"}
class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    def log_message(self, *arguments):
        pass
    def do_HEAD(self):
        self.answer(False)
    def do_GET(self):
        self.answer(True)
    def answer(self, withBody):
        path = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path)
        full = os.path.normpath(os.path.join(root, path.lstrip("/")))
        name = os.path.basename(full)
        fault = faults.get(name, set())
        if not full.startswith(os.path.normpath(root)) or "missing" in fault or not os.path.isfile(full):
            self.send_response(404)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        with open(full, "rb") as file:
            data = file.read()
        if "same-size" in fault:
            data = bytes(255 - byte for byte in data)
        status, part = 200, data
        wanted = re.fullmatch(r"bytes=(\d+)-(\d*)", self.headers.get("Range", ""))
        if wanted and "no-ranges" not in fault:
            start = int(wanted.group(1))
            end = min(int(wanted.group(2)) if wanted.group(2) else len(data) - 1, len(data) - 1)
            if start >= len(data):
                self.send_response(416)
                self.send_header("Content-Length", "0")
                self.end_headers()
                return
            status, part = 206, data[start:end + 1]
        self.send_response(status)
        if status == 206:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, end, len(data)))
        self.send_header("Accept-Ranges", "none" if "no-ranges" in fault else "bytes")
        self.send_header("Content-Type", "text/plain" if "wrong-type" in fault else
                         types.get(os.path.splitext(name)[1], "application/octet-stream"))
        wrongLength = "wrong-length" in fault and status == 200
        self.send_header("Content-Length", str(len(part) + (7 if wrongLength else 0)))
        if wrongLength:
            self.send_header("Connection", "close")
            self.close_connection = True
        self.end_headers()
        if withBody:
            self.wfile.write(part)
http.server.ThreadingHTTPServer(("127.0.0.1", port), Handler).serve_forever()
)py";

// pyftpdlib over root on port with faults, each an argument "name=value": "log=FILE" writes every
// command line received (passwords included) and the TLS version of each connection; "quota=N"
// answers 552 and drops the data connection once an upload passed N bytes; "short=NAME" keeps
// only the first 1000 bytes of NAME's temporary upload file yet answers 226; "cert=FILE" and
// "key=FILE" make it FTPS, as FtpServerScript does.
inline const char *const FaultyFtpServerScript = R"py(
import os, sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, DTPHandler
from pyftpdlib.servers import FTPServer
root, port = sys.argv[1], int(sys.argv[2])
options = dict(argument.split("=", 1) for argument in sys.argv[3:])
def note(text):
    if "log" in options:
        with open(options["log"], "a") as log:
            log.write(text + "\n")
def tlsVersion(channel):
    version = getattr(channel.socket, "get_protocol_version_name", None)
    return version() if version else "plain"
handler, dataBase = FTPHandler, DTPHandler
if "cert" in options:
    from pyftpdlib.handlers import TLS_FTPHandler, TLS_DTPHandler
    class TlsData(TLS_DTPHandler):
        def readable(self):
            return self._ssl_accepting or super().readable()
    handler, dataBase = TLS_FTPHandler, TlsData
    handler.certfile, handler.keyfile = options["cert"], options["key"]
    handler.tls_control_required = handler.tls_data_required = True
class Data(dataBase):
    def handle_read(self):
        name = os.path.basename(getattr(self.file_obj, "name", "") or "")
        if "quota" in options and self.receive and self.tot_bytes_received >= int(options["quota"]):
            self._resp = ("552 Disk quota exceeded; transfer aborted.", lambda *arguments: None)
            self.close()
            return
        if options.get("short") and name == "." + options["short"] + ".uploading":
            chunk = self.recv(self.ac_in_buffer_size)
            kept = max(0, 1000 - self.tot_bytes_received)
            self.tot_bytes_received += len(chunk)
            if not chunk:
                self.transfer_finished = True
            self.file_obj.write(chunk[:kept])
            return
        super().handle_read()
    def close(self):
        if not self._closed:
            note("data " + tlsVersion(self))
        super().close()
if "cert" not in options: # the TLS handler reads through its own event handler
    Data.handle_read_event = Data.handle_read
class Commands(handler):
    dtp_handler = Data
    def pre_process_command(self, line, cmd, arg):
        note(line + " [" + tlsVersion(self) + "]")
        return super().pre_process_command(line, cmd, arg)
authorizer = DummyAuthorizer()
authorizer.add_user("author", "secret", root, perm="elradfmwMT")
Commands.authorizer = authorizer
FTPServer(("127.0.0.1", port), Commands).serve_forever()
)py";
