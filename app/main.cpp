// Tolvane RSS Editor: starts the one window over the catalogue beside the executable (or, for
// an installed copy, in the user's configuration folder).
#include "AppTitle.h"
#include "CatalogueLocation.h"
#include "CommandLineFiles.h"
#include "Clock.h"
#include "CommandLine.h"
#include "Dialogs.h"
#include "PublishCommandLine.h"
#include "Unit1.h"

#include <QApplication>
#include <QFile>
#include <QStandardPaths>
#include <iostream>

int main(int argc, char *argv[])
{
    // --check, --publish, --help and --version need no window: they run before the toolkit asks
    // for a display, so they work in scripts and on machines without one.
    if (const std::optional<int> status = RunPublishCommand(argc, argv, std::cout, std::cerr))
        return *status;
    if (const std::optional<int> status =
            RunCommandLine(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr))
        return *status;

    QApplication application(argc, argv);
    QApplication::setApplicationName(AppTitle);

    TQtDialogs dialogs;
    TSystemClock clock;
    const std::string executableDirectory =
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    const std::string directory = CatalogueDirectory(
        executableDirectory,
        QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
            .toStdString(),
        IsWritableDirectory(executableDirectory) &&
            !IsInstalledProgramDirectory(executableDirectory));
    TForm1 form(directory, dialogs, clock);
    dialogs.SetParent(&form);
    form.show();
    form.OpenFeedFiles(FeedFileArguments(QCoreApplication::arguments()));
    return application.exec();
}
