// Feed > Publish Settings... and Feed > Publish: the selected feed's server, and its upload on a
// worker thread while the progress dialog shows the bytes and the speed and offers Cancel. The
// window keeps painting; the dialog is modal, so the feed cannot change under the upload.
#include "Unit1.h"
#include "ui_Unit1.h"

#include "Dialogs.h"
#include "PublishProgressDialog.h"
#include "PublishSettings.h"
#include "Publisher.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <stdexcept>

namespace {

// Publish settings are filed under the feed's absolute path, as --publish finds them.
std::string SettingsKey(const std::string &feedPath)
{
    return QFileInfo(QString::fromStdString(feedPath)).absoluteFilePath().toStdString();
}

bool NeedsPassword(const TPublishSettings &settings)
{
    return !(settings.Protocol == TPublishProtocol::Sftp && !settings.KeyFile.empty());
}

} // namespace

void TForm1::PublishSettings1Click()
{
    const std::string path = FeedForCommand();
    if (path.empty())
        return;
    const std::string file = PublishSettingsFile();
    TPublishSettings settings = LoadPublishSettings(file, SettingsKey(path));
    QString password;
    if (!dialogs_.EditPublishSettings(settings, password))
        return;
    SavePublishSettings(file, SettingsKey(path), settings);
    if (!password.isEmpty())
        publishSecret_.Remember(SecretName(settings), password.toStdString());
}

void TForm1::Publish1Click()
{
    if (FeedForCommand().empty())
        return;
    // What goes up is the file: edits still in the boxes are settled first.
    if (!SettleUnsavedEdits())
        return;
    const std::string path = SettingsKey(SelectedFeedPath());
    const std::string file = PublishSettingsFile();
    bool found = false;
    TPublishSettings settings = LoadPublishSettings(file, path, &found);
    if (!found) {
        PublishSettings1Click();
        settings = LoadPublishSettings(file, path, &found);
        if (!found)
            return;
    }
    const std::string secretName = SecretName(settings);
    std::optional<std::string> password = publishSecret_.Find(secretName);
    if (!password && NeedsPassword(settings)) {
        QString typed;
        if (!dialogs_.AskPassword(QStringLiteral("Password for %1@%2:")
                                      .arg(QString::fromStdString(settings.User),
                                           QString::fromStdString(settings.Host)),
                                  typed))
            return;
        publishSecret_.Remember(secretName, typed.toStdString());
        password = typed.toStdString();
    }

    TPublishProgressDialog progress(this);
    TUploadRecord record = LoadUploadRecord(file, path);
    TPublishHooks hooks;
    hooks.FileStarted = [&progress](const std::string &name, std::int64_t size) {
        QMetaObject::invokeMethod(
            &progress, [&progress, name = QString::fromStdString(name), size] {
                progress.FileStarted(name, size);
            },
            Qt::QueuedConnection);
    };
    QElapsedTimer lastShown;
    hooks.Transfer.Progress = [&progress, &lastShown](std::int64_t sent, std::int64_t total) {
        // A few updates a second are enough for the eye.
        if (!lastShown.isValid() || lastShown.elapsed() >= 100 || sent == total) {
            lastShown.start();
            QMetaObject::invokeMethod(
                &progress, [&progress, sent, total] { progress.ShowProgress(sent, total); },
                Qt::QueuedConnection);
        }
        return !progress.CancelRequested();
    };
    hooks.Transfer.AcceptNewHostKey = [this](const std::string &host, const std::string &fingerprint) {
        bool trusted = false;
        const QString question =
            QStringLiteral("The server %1 is not known yet. Its host key has the fingerprint\n%2\n"
                           "Compare it with the one your provider gives. Trust this key and "
                           "remember it in known_hosts?")
                .arg(QString::fromStdString(host), QString::fromStdString(fingerprint));
        QMetaObject::invokeMethod(
            this, [this, &trusted, &question] { trusted = dialogs_.AskWarning(question); },
            Qt::BlockingQueuedConnection);
        return trusted;
    };

    TPublishReport report;
    std::string failure;
    TPublishFailure kind = TPublishFailure::Other;
    QThread *worker = QThread::create([&] {
        try {
            report = Publish(path, settings, password.value_or(std::string()), record, hooks);
        } catch (const TPublishError &error) {
            failure = error.what();
            kind = error.Failure;
        } catch (const std::exception &error) {
            failure = error.what();
        }
    });
    connect(worker, &QThread::finished, &progress, &QDialog::accept);
    worker->start();
    progress.exec(); // returns once the worker has finished
    worker->wait();
    delete worker;

    SaveUploadRecord(file, path, record);
    if (!failure.empty()) {
        if (kind == TPublishFailure::Authentication)
            publishSecret_.Forget(secretName); // asked again next time
        throw std::runtime_error(failure);
    }
    dialogs_.ShowMessage(QString::fromStdString(ReportText(report)));
}
