#include "PublishSecret.h"

#include <QEventLoop>
#include <QTimer>
#include <qt6keychain/keychain.h>

namespace {

const QString Service = QStringLiteral("Tolvane RSS Editor publishing");

// Runs a keyring job to its end; a keyring that does not answer within seconds counts as none.
bool Finish(QKeychain::Job &job)
{
    job.setAutoDelete(false);
    job.setInsecureFallback(false); // never a plain file
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    bool finished = false;
    QObject::connect(&job, &QKeychain::Job::finished, [&finished] { finished = true; });
    job.start();
    if (!finished)
        loop.exec();
    return finished && job.error() == QKeychain::NoError;
}

} // namespace

std::string SecretName(const TPublishSettings &settings)
{
    return std::string(ProtocolName(settings.Protocol)) + " " + settings.User + "@" + settings.Host +
           ":" + std::to_string(EffectivePort(settings));
}

std::optional<std::string> TPublishSecret::Find(const std::string &name)
{
    if (const auto known = session_.find(name); known != session_.end())
        return known->second;
    QKeychain::ReadPasswordJob job(Service);
    job.setKey(QString::fromStdString(name));
    if (!Finish(job))
        return std::nullopt;
    const std::string password = job.textData().toStdString();
    session_[name] = password;
    return password;
}

bool TPublishSecret::Remember(const std::string &name, const std::string &password)
{
    session_[name] = password;
    QKeychain::WritePasswordJob job(Service);
    job.setKey(QString::fromStdString(name));
    job.setTextData(QString::fromStdString(password));
    return Finish(job);
}

void TPublishSecret::Forget(const std::string &name)
{
    session_.erase(name);
    QKeychain::DeletePasswordJob job(Service);
    job.setKey(QString::fromStdString(name));
    Finish(job);
}
