// Start-up: the editor's window against an empty Qt window, each from a fresh process until
// its first show has been handled, taking turns.
//
//   startupbench [RUNS]        default: 21
//   startupbench --editor FOLDER, startupbench --empty: one child, for a profiler
//
// Each run starts this program again (so loading the libraries counts) in one of two modes
// and takes the wall time until the child has shown its window, let Qt handle what the show
// posted, and exited. The editor starts as it does for a user, over a catalogue of one feed
// that is already there: the parent writes it once, before the runs. Printed: the median of each, and the editor's ratio to the empty window
// with PASS or FAIL (at most 1.20). The platform is offscreen unless QT_QPA_PLATFORM names
// another (for example xcb with DISPLAY set).
#include "Clock.h"
#include "Dialogs.h"
#include "FeedCatalogue.h"
#include "Unit1.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace {

// A box at start-up would stop the measurement: report it and quit.
class TFailingDialogs : public TDialogs {
public:
    void ShowMessage(const QString &text) override { Fail(text); }
    void ShowError(const QString &text) override { Fail(text); }
    bool AskWarning(const QString &text) override { return Fail(text); }
    bool AskConfirmation(const QString &text) override { return Fail(text); }
    QString OpenFileName(const QString &) override { return {}; }
    QString SaveFileName(const QString &) override { return {}; }
    TSaveChangesAnswer AskSaveChanges(const QString &text) override
    {
        Fail(text);
        return TSaveChangesAnswer::Cancel;
    }
    bool EditItemDetails(TItemDetailsText &, const TItemDetailsHelp &) override { return false; }

private:
    static bool Fail(const QString &text)
    {
        std::fprintf(stderr, "unexpected box: %s\n", qPrintable(text));
        std::exit(1);
    }
};

// A catalogue of one feed in folder, as a user's editor finds it: false when it cannot be written.
bool WriteCatalogue(const QString &folder)
{
    const std::string path = QFile::encodeName(folder).toStdString();
    QFile feed(folder + QStringLiteral("/feed.xml"));
    if (!feed.open(QIODevice::WriteOnly) ||
        feed.write("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<rss version=\"2.0\">\r\n  <channel>\r\n"
                   "    <title>T</title>\r\n  </channel>\r\n</rss>") < 0)
        return false;
    feed.close();
    auto catalogue = std::make_unique<TFeedCatalogue>();
    AppendEntry(*catalogue, path + "/feed.xml", "T", "", "", "");
    return SaveCatalogue(*catalogue, path).empty();
}

// The child: one window shown, the events its show posted handled, then the exit. The editor's
// window starts over the catalogue in folder.
int ShowAndExit(int argc, char **argv, const char *folder)
{
    QApplication application(argc, argv);
    if (!folder) {
        QWidget window;
        window.show();
        QCoreApplication::processEvents();
        return 0;
    }
    TFailingDialogs dialogs;
    TSystemClock clock;
    TForm1 form(folder, dialogs, clock);
    form.show();
    QCoreApplication::processEvents();
    return 0;
}

double RunChild(const char *self, const char *mode, const char *folder = nullptr)
{
    char *arguments[] = {const_cast<char *>(self), const_cast<char *>(mode), const_cast<char *>(folder), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    int status = 0;
    if (posix_spawn(&child, self, nullptr, nullptr, arguments, environ) != 0 || waitpid(child, &status, 0) != child ||
        !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "the %s child failed\n", mode);
        std::exit(1);
    }
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 2 && std::strcmp(argv[1], "--empty") == 0)
        return ShowAndExit(argc, argv, nullptr);
    if (argc == 3 && std::strcmp(argv[1], "--editor") == 0)
        return ShowAndExit(argc, argv, argv[2]);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    const QTemporaryDir folder;
    const QByteArray folderName = QFile::encodeName(folder.path());
    if (!folder.isValid() || !WriteCatalogue(folder.path())) {
        std::fprintf(stderr, "cannot write the catalogue in %s\n", folderName.constData());
        return 1;
    }
    std::vector<double> empty, editor;
    for (int run = 0; run < runs; ++run) {
        empty.push_back(RunChild("/proc/self/exe", "--empty"));
        editor.push_back(RunChild("/proc/self/exe", "--editor", folderName.constData()));
    }
    const double ratio = Median(editor) / Median(empty);
    std::printf("start-up to the first show, median of %d runs each (platform %s):\n", runs,
                qgetenv("QT_QPA_PLATFORM").constData());
    std::printf("  empty Qt window  %7.1f ms\n  editor window    %7.1f ms\n", Median(empty), Median(editor));
    std::printf("  target editor start-up at most 1.20x an empty Qt window: %.2fx  %s\n", ratio,
                ratio <= 1.2 ? "PASS" : "FAIL");
    return 0;
}
