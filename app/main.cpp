// Tolvane RSS Editor: starts the one window over the catalogue beside the executable (or, for
// an installed copy, in the user's configuration folder).
#include "AppTitle.h"
#include "CatalogueLocation.h"
#include "Clock.h"
#include "Dialogs.h"
#include "Unit1.h"

#include <QApplication>
#include <QFile>
#include <QStandardPaths>

int main(int argc, char *argv[])
{
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
        IsWritableDirectory(executableDirectory));
    TForm1 form(directory, dialogs, clock);
    dialogs.SetParent(&form);
    form.show();
    return application.exec();
}
