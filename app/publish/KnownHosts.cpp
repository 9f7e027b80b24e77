#include "KnownHosts.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageAuthenticationCode>

std::string KnownHostName(const std::string &host, int port)
{
    return port == 22 ? host : "[" + host + "]:" + std::to_string(port);
}

namespace {

bool FieldNames(const QByteArray &field, const QByteArray &name)
{
    if (field.startsWith("|1|")) {
        const QList<QByteArray> parts = field.split('|'); // "", "1", salt, hash
        if (parts.size() != 4)
            return false;
        return QMessageAuthenticationCode::hash(name, QByteArray::fromBase64(parts[2]),
                                                QCryptographicHash::Sha1) == QByteArray::fromBase64(parts[3]);
    }
    for (const QByteArray &pattern : field.split(','))
        if (pattern == name)
            return true;
    return false;
}

} // namespace

bool KnownHostsHasName(const std::string &file, const std::string &name)
{
    QFile known(QString::fromStdString(file));
    if (!known.open(QIODevice::ReadOnly))
        return false;
    const QByteArray wanted = QByteArray::fromStdString(name);
    while (!known.atEnd()) {
        const QByteArray line = known.readLine().trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.first().startsWith('@')) // a marker (@revoked, @cert-authority) before the names
            fields.removeFirst();
        if (!fields.isEmpty() && FieldNames(fields.first(), wanted))
            return true;
    }
    return false;
}

bool AddKnownHost(const std::string &file, const std::string &name, const std::string &keyType,
                  const std::string &keyBase64)
{
    const QString path = QString::fromStdString(file);
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir(folder).exists()) {
        if (!QDir().mkpath(folder))
            return false;
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QFile known(path);
    if (!known.open(QIODevice::ReadWrite | QIODevice::Append))
        return false;
    // A last line without its line break must not run into the new one.
    if (known.size() > 0 && known.seek(known.size() - 1) && known.read(1) != "\n")
        known.write("\n");
    const QByteArray line = QByteArray::fromStdString(name + " " + keyType + " " + keyBase64 + "\n");
    return known.write(line) == line.size() && known.flush();
}
