// Undo with Ctrl+Z: typed edits go first, then the editor's writes to the feed file are taken
// back one by one to the exact earlier bytes, and an undo over another program's change is
// refused.
#include "UndoHistory.h"
#include "TestBytes.h"
#include "WindowFixture.h"
#include "zelStrings.h"

namespace {

std::string Item(const std::string &title)
{
    return "    <item>\r\n      <title>" + title + "</title>\r\n      <description>d</description>\r\n"
           "      <link>l</link>\r\n      <pubDate>p</pubDate>\r\n    </item>\r\n";
}

} // namespace

class UndoHistoryTest : public QObject {
    Q_OBJECT

private slots:
    void undoesStepByStep()
    {
        TWindowFixture window;
        const std::string path = window.WriteFeed(
            "feed.xml", FeedBytes("News", "All", "http://x/", "d", "UTF-8", Item("A") + Item("B") + Item("C")));
        window.WriteCatalogue({{path, "News", "All", "http://x/", "d"}});
        window.Start();
        window.ClickTab(1);
        QLineEdit *title = window.Edit("Edit5");
        const auto file = [&] { return window.ReadFile("feed.xml"); };
        const auto undo = [&] { QTest::keyClick(title, Qt::Key_Z, Qt::ControlModifier); };

        std::vector<std::string> bytes = {file()};
        window.Click(window.Tool("SpeedButton7")); // delete A
        bytes.push_back(file());
        QTest::keyClick(title, Qt::Key_Insert); // clone B
        bytes.push_back(file());
        window.TypeInto(title, "B2");
        QTest::keyClick(title, Qt::Key_S, Qt::ControlModifier); // save the copy
        bytes.push_back(file());
        QCOMPARE(window.ListLines("ListBox2"), QStringList({"B2", "B", "C"}));

        // Typed but not saved: the first undo takes the typing back and writes nothing.
        window.TypeInto(title, "typed");
        undo();
        QCOMPARE(title->text(), QString("B2"));
        COMPARE_BYTES(file(), bytes[3]);

        for (int step = 2; step >= 0; --step) {
            undo();
            COMPARE_BYTES(file(), bytes[size_t(step)]);
        }
        QCOMPARE(window.ListLines("ListBox2"), QStringList({"A", "B", "C"}));
        QCOMPARE(title->text(), QString("A"));
        undo();
        QCOMPARE(window.Dialogs.Log(), QStringList({"message: Nothing to undo for this feed."}));

        // Another program writes the file after the editor: undo leaves it alone.
        window.Click(window.Tool("SpeedButton7"));
        window.WriteFile("feed.xml", "changed elsewhere");
        undo();
        COMPARE_BYTES(file(), "changed elsewhere");
        QCOMPARE(window.Dialogs.Log().last(),
                 "error: Undo is refused: the feed \"" + QString::fromStdString(path) +
                     "\" was changed by another program since the editor wrote it. The file stays as it is now.");

        // Save Feed on the Feeds page is taken back too, with its line in the list.
        window.WriteFile("feed.xml", bytes[0]);
        window.ClickTab(0);
        window.TypeInto(window.Edit("Edit1"), "Renamed");
        QTest::keyClick(window.Edit("Edit1"), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(window.ListLines("ListBox1"), QStringList({"Renamed"}));
        QTest::keyClick(window.Edit("Edit1"), Qt::Key_Z, Qt::ControlModifier);
        COMPARE_BYTES(file(), bytes[0]);
        QCOMPARE(window.ListLines("ListBox1"), QStringList({"News"}));
        QCOMPARE(window.Edit("Edit1")->text(), QString("News"));
        QVERIFY(window.ReadCatalogueFile().find("Renamed") == std::string::npos); // written again
    }

    // Steps are a chain per file: a rewrite with the same bytes is no step, and another
    // program's write between two commands cuts the older steps off.
    void stepsFollowTheFile()
    {
        QTemporaryDir directory;
        const std::string path = QFile::encodeName(directory.filePath("f.xml")).toStdString();
        const auto write = [&](const std::string &bytes) { SaveStringToFile(path, bytes); };
        const auto command = [&](TUndoHistory &history, const std::string &bytes) {
            const TUndoHistory::TRecording recording(history, path);
            write(bytes);
        };
        TUndoHistory history;
        write("A");
        command(history, "B");
        command(history, "B"); // the same bytes again
        command(history, "CC");
        history.Undo(path);
        QCOMPARE(LoadStringFromFile(path), std::string("B"));
        history.Undo(path);
        QCOMPARE(LoadStringFromFile(path), std::string("A"));
        QVERIFY(!history.CanUndo(path));

        command(history, "B");
        write("other program"); // between two commands of the editor
        command(history, "D");
        history.Undo(path);
        QCOMPARE(LoadStringFromFile(path), std::string("other program"));
        QVERIFY(!history.CanUndo(path));
    }
};

QTEST_MAIN(UndoHistoryTest)
#include "UndoHistoryTest.moc"
