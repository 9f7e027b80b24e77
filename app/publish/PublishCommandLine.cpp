#include "PublishCommandLine.h"

#include "CommandLine.h"
#include "FeedCheck.h"
#include "PublishSecret.h"
#include "PublishSettings.h"
#include "Publisher.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>
#include <cstdlib>

namespace {

const char *const ProgramName = "TolvaneRssEditor";

// The password for the run: the environment variable, else the keyring; a key file may need none.
std::optional<std::string> Password(const TPublishSettings &settings)
{
    if (const char *given = std::getenv(PublishPasswordVariable))
        return std::string(given);
    if (auto stored = TPublishSecret().Find(SecretName(settings)))
        return stored;
    if (settings.Protocol == TPublishProtocol::Sftp && !settings.KeyFile.empty())
        return std::string();
    return std::nullopt;
}

int PublishFile(const std::string &file, bool force, std::ostream &out, std::ostream &err)
{
    const std::string path = QFileInfo(QString::fromStdString(file)).absoluteFilePath().toStdString();
    const auto findings = PrintFileCheck(path, file, false, out, err);
    if (!findings)
        return 2;
    if (HasError(*findings) && !force) {
        err << ProgramName << ": " << file
            << " has errors and was not published (--force publishes it anyway)\n";
        return 1;
    }
    const std::string settingsFile = PublishSettingsFile();
    bool found = false;
    const TPublishSettings settings = LoadPublishSettings(settingsFile, path, &found);
    if (!found) {
        err << ProgramName << ": no publish settings for " << file
            << " (set them in the editor: Feed > Publish Settings...)\n";
        return 2;
    }
    const std::optional<std::string> password = Password(settings);
    if (!password) {
        err << ProgramName << ": no password for " << SecretName(settings) << ": set "
            << PublishPasswordVariable << " or save it in the keyring from the editor\n";
        return 2;
    }
    TUploadRecord record = LoadUploadRecord(settingsFile, path);
    TPublishHooks hooks; // a new host key is refused: nobody is there to look at it
    try {
        const TPublishReport report = Publish(path, settings, *password, record, hooks);
        SaveUploadRecord(settingsFile, path, record);
        out << file << ": " << ReportText(report) << "\n";
        return PublishedAsSent(report) ? 0 : 1;
    } catch (const std::exception &error) {
        SaveUploadRecord(settingsFile, path, record);
        err << ProgramName << ": " << file << ": " << error.what() << "\n";
        return 2;
    }
}

} // namespace

std::optional<int> RunPublishCommand(int argc, char *argv[], std::ostream &out, std::ostream &err)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const auto optionsEnd = std::find(arguments.begin(), arguments.end(), "--");
    if (std::find(arguments.begin(), optionsEnd, "--publish") == optionsEnd ||
        std::find(arguments.begin(), optionsEnd, "--help") != optionsEnd)
        return std::nullopt;
    bool force = false;
    std::vector<std::string> files;
    for (auto argument = arguments.begin(); argument != arguments.end(); ++argument) {
        if (argument == optionsEnd || (argument < optionsEnd && *argument == "--publish"))
            continue;
        if (argument < optionsEnd && *argument == "--force") {
            force = true;
            continue;
        }
        if (argument < optionsEnd && argument->size() > 1 && argument->front() == '-') {
            err << ProgramName << ": unknown option " << *argument << " (see --help)\n";
            return 2;
        }
        files.push_back(*argument);
    }
    if (files.size() != 1) {
        err << ProgramName << ": --publish needs one feed file (see --help)\n";
        return 2;
    }
    // The keyring answers through Qt's event loop; no window and no display are needed.
    QCoreApplication application(argc, argv);
    const int status = PublishFile(files.front(), force, out, err);
    out.flush();
    return status;
}
