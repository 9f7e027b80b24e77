// Feed files named on the command line: new ones are added as Add Feed adds them, known ones
// are not added twice, a file that cannot be read is reported, and the last one is selected.
#include "CommandLineFiles.h"
#include "WindowFixture.h"

class CommandLineFilesTest : public QObject {
    Q_OBJECT

private slots:
    void addsAndSelectsTheNamedFeeds()
    {
        TWindowFixture window;
        const std::string a = window.WriteFeed("a.xml", FeedBytes("Alpha", "A", "http://a/", "d1"));
        const std::string b = window.WriteFeed("b.xml", FeedBytes("Beta", "B", "http://b/", "d2"));
        window.WriteFeed("c.xml", FeedBytes("Gamma", "C", "http://c/", "d3"));
        window.WriteCatalogue({{a, "Alpha", "A", "http://a/", "d1"}});
        window.Start();

        // Relative names are taken from the working folder.
        const QString working = QDir::currentPath();
        QVERIFY(QDir::setCurrent(window.Directory.path()));
        const std::vector<std::string> paths = FeedFileArguments(
            {"TolvaneRssEditor", "--", "b.xml", window.PathOf("a.xml"), "missing.xml", "./c.xml", "b.xml"});
        QVERIFY(QDir::setCurrent(working));
        QCOMPARE(paths.size(), size_t(5));
        QCOMPARE(paths[0], b);

        window.Form->OpenFeedFiles(paths);
        QCOMPARE(window.ListLines("ListBox1"), QStringList({"Alpha", "Beta", "Gamma"}));
        QCOMPARE(window.List("ListBox1")->currentRow(), 1); // b.xml was named last
        QCOMPARE(window.FeedBoxes(), QStringList({"Beta", "B", "http://b/", "d2"}));
        QCOMPARE(window.Dialogs.Log(),
                 QStringList({"error: Cannot open file \"" + window.PathOf("missing.xml") +
                              "\". No such file or directory"}));
    }
};

QTEST_MAIN(CommandLineFilesTest)
#include "CommandLineFilesTest.moc"
