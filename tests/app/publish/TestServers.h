#pragma once
// Real servers on 127.0.0.1 for the publishing tests, started and stopped by the test itself on
// free ports: rclone for SFTP and WebDAV over HTTPS, pyftpdlib for FTP and FTPS, OpenSSH's sshd,
// Python's http.server for the public web address. Keys and certificates are made fresh in the
// test's folder.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QThread>

#include <csignal>
#include <memory>

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

// A self-signed certificate for 127.0.0.1: cert.pem and key.pem in folder.
inline bool MakeCertificate(const QDir &folder)
{
    return RunTool(QStringLiteral("openssl"),
                   {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                    "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout",
                    folder.filePath("key.pem"), "-out", folder.filePath("cert.pem")});
}

// An SSH key pair without a passphrase: path and path.pub.
inline bool MakeSshKey(const QString &path)
{
    return RunTool(QStringLiteral("ssh-keygen"), {"-q", "-t", "ed25519", "-N", "", "-f", path});
}

// A server process listening on Port once Start returns true; killed when it goes.
class TServerProcess {
public:
    int Port = 0;

    bool Start(const QString &program, const QStringList &arguments)
    {
        process_ = std::make_unique<QProcess>();
        process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_->setStandardOutputFile(QProcess::nullDevice());
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
// both the commands and the data encrypted.
inline const char *const FtpServerScript = R"(
import sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer
root, port = sys.argv[1], int(sys.argv[2])
handler = FTPHandler
if len(sys.argv) > 4:
    from pyftpdlib.handlers import TLS_FTPHandler, TLS_DTPHandler
    class DataHandler(TLS_DTPHandler):
        # pyftpdlib 1.5.7 takes a data connection that is readable before its transfer command
        # for a closed one; curl starts TLS on it at once, so the handshake must be read.
        def readable(self):
            return self._ssl_accepting or super().readable()
    handler = TLS_FTPHandler
    handler.certfile, handler.keyfile = sys.argv[3], sys.argv[4]
    handler.tls_control_required = handler.tls_data_required = True
    handler.dtp_handler = DataHandler
authorizer = DummyAuthorizer()
authorizer.add_user("author", "secret", root, perm="elradfmwMT")
handler.authorizer = authorizer
FTPServer(("127.0.0.1", port), handler).serve_forever()
)";
