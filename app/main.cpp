// Tolvane RSS Editor: starts the one window over the catalogue beside the executable.
#include "AppTitle.h"
#include "Clock.h"
#include "Dialogs.h"
#include "Unit1.h"

#include <QApplication>
#include <QFile>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(AppTitle);

    TQtDialogs dialogs;
    TSystemClock clock;
    const std::string directory =
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    TForm1 form(directory, dialogs, clock);
    dialogs.SetParent(&form);
    form.show();
    return application.exec();
}
