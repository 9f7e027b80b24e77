#include "PublishSecret.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <qt6keychain/keychain.h>

#include <memory>

namespace {

const QString Service = QStringLiteral("Tolvane RSS Editor publishing");

// What a keyring job answered, kept apart from the job: the caller may stop waiting first.
struct TKeyringAnswer {
    bool Finished = false;
    QKeychain::Error Error = QKeychain::NoError;
    QString Text;
};

// Starts a keyring job and waits for its answer; a keyring that does not answer in time counts
// as none. The job is the keyring's until it answers: a desktop prompt ("choose a password for
// the new keyring") may answer long after the wait, and the keyring library then calls back
// into the job. So the job is never destroyed here: it deletes itself once it has answered
// (however late, cancelled or not), and only lives under the application until then.
std::shared_ptr<const TKeyringAnswer> Finish(QKeychain::Job *job, std::chrono::milliseconds wait)
{
    auto answer = std::make_shared<TKeyringAnswer>();
    job->setParent(QCoreApplication::instance());
    job->setAutoDelete(true);
    job->setInsecureFallback(false); // never a plain file
    QObject::connect(job, &QKeychain::Job::finished, job, [answer](QKeychain::Job *done) {
        answer->Finished = true;
        answer->Error = done->error();
        if (const auto *read = qobject_cast<const QKeychain::ReadPasswordJob *>(done))
            answer->Text = read->textData();
    });
    job->start();
    if (answer->Finished || wait <= std::chrono::milliseconds(0))
        return answer;
    QEventLoop loop;
    QObject::connect(job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(wait, &loop, &QEventLoop::quit);
    loop.exec();
    return answer;
}

bool Succeeded(const TKeyringAnswer &answer)
{
    return answer.Finished && answer.Error == QKeychain::NoError;
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
    auto *job = new QKeychain::ReadPasswordJob(Service);
    job->setKey(QString::fromStdString(name));
    const auto answer = Finish(job, wait_);
    if (!Succeeded(*answer))
        return std::nullopt;
    const std::string password = answer->Text.toStdString();
    session_[name] = password;
    return password;
}

bool TPublishSecret::Remember(const std::string &name, const std::string &password)
{
    session_[name] = password;
    auto *job = new QKeychain::WritePasswordJob(Service);
    job->setKey(QString::fromStdString(name));
    job->setTextData(QString::fromStdString(password));
    return Succeeded(*Finish(job, wait_));
}

void TPublishSecret::Forget(const std::string &name)
{
    session_.erase(name);
    auto *job = new QKeychain::DeletePasswordJob(Service);
    job->setKey(QString::fromStdString(name));
    Finish(job, wait_);
}
