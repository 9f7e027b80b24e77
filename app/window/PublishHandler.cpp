// Feed > Publish Settings... and Feed > Publish: the selected feed's server, and its upload on a
// worker thread while the progress dialog shows the run and offers Cancel. The window keeps
// painting; the dialog is modal, so the feed cannot change under the upload. Check Feed runs
// first, as for --publish: a feed with errors goes up only when the author says so.
#include "Unit1.h"
#include "ui_Unit1.h"

#include "Dialogs.h"
#include "FeedCheck.h"
#include "PublishProgressDialog.h"
#include "PublishSettingsDialog.h"
#include "PublishSettings.h"
#include "Publisher.h"
#include "zelStrings.h"

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

// The check's findings as lines, at most a screenful.
QString FindingLines(const std::vector<TFeedFinding> &findings)
{
    constexpr std::size_t shown = 15;
    QStringList lines;
    for (std::size_t index = 0; index < findings.size() && index < shown; ++index)
        lines << QString::fromStdString(FindingLine(findings[index]));
    if (findings.size() > shown)
        lines << QStringLiteral("... and %1 more (Feed > Check Feed lists them all)").arg(findings.size() - shown);
    return lines.join(u'\n');
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
    if (!dialogs_.EditPublishSettings(settings, password, publishSecret_))
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
    // What --publish refuses is not published from here either, unless the author says so.
    const std::vector<TFeedFinding> findings = CheckFeed(LoadStringFromFile(path));
    if (HasError(findings) &&
        !dialogs_.AskCaution(QStringLiteral("%1 has errors that feed readers or the podcast directories may "
                                            "refuse:\n%2\n\nPublish it anyway?")
                                 .arg(QFileInfo(QString::fromStdString(path)).fileName(), FindingLines(findings))))
        return;
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
    hooks.FileStarted = [&progress](const TPublishStep &step) {
        QMetaObject::invokeMethod(&progress, [&progress, step] { progress.FileStarted(step); },
                                  Qt::QueuedConnection);
    };
    QElapsedTimer lastShown;
    hooks.Transfer.Progress = [&progress, &lastShown](std::int64_t sent, std::int64_t total) {
        // A few updates a second are enough for the eye.
        if (!lastShown.isValid() || lastShown.elapsed() >= 100 || sent == total) {
            lastShown.start();
            QMetaObject::invokeMethod(&progress, [&progress, sent] { progress.ShowProgress(sent); },
                                      Qt::QueuedConnection);
        }
        return !progress.CancelRequested();
    };
    hooks.Transfer.AcceptNewHostKey = [this](const THostKey &key) {
        bool trusted = false;
        const QString question = HostKeyQuestion(key);
        QMetaObject::invokeMethod(
            this, [this, &trusted, &question] { trusted = dialogs_.AskCaution(question); },
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
    if (kind == TPublishFailure::Cancelled) {
        // The author's own choice is no error; the feed is only replaced once it is whole.
        dialogs_.ShowMessage(QStringLiteral("Publishing cancelled; the old feed is untouched"));
        return;
    }
    if (!failure.empty()) {
        if (kind == TPublishFailure::Authentication)
            publishSecret_.Forget(secretName); // asked again next time
        throw std::runtime_error(failure);
    }
    QString text = QString::fromStdString(ReportText(report));
    if (!findings.empty())
        text += QStringLiteral("\nCheck Feed found:\n") + FindingLines(findings);
    dialogs_.ShowMessage(text);
}
