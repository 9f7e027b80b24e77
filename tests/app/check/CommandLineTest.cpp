// The real program's command line: --check, --help and --version with their output and exit
// status, run without any display (a window or a display connection would fail the run), and
// the real-world feed fixtures through --check without a crash or a hang.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray GoodFeed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                            "<rss version=\"2.0\"><channel><title>News</title>\n"
                            "<link>https://example.org/</link><description>All</description>\n"
                            "<item><title>One</title></item><item><title>Two</title></item>\n"
                            "<item><title>Three</title><pubDate>Mon, 32 Foo 2007</pubDate></item>\n"
                            "</channel></rss>\n";

// Six items, five of them with the same relative link.
const QByteArray ManyFeed = "<rss version=\"2.0\">\n<channel><title>Many</title><link></link><description>D</description>\n"
                            "<item><title>A</title><link>/x</link></item>\n"
                            "<item><title>B</title><link>/x</link></item>\n"
                            "<item></item>\n"
                            "<item><title>D</title><link>/x</link></item>\n"
                            "<item><title>E</title><link>/x</link></item>\n"
                            "<item><title>F</title><link>/x</link></item>\n"
                            "</channel></rss>\n";

struct TRun {
    int Status = -1;
    QString Out, Err;
};

// Runs the program without a display: a start of the window would end it with an error.
TRun RunProgram(const QStringList &arguments, const QString &folder, int timeoutMs = 60000)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(EDITOR_PROGRAM), arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(folder_.isValid());
        QByteArray good = GoodFeed;
        good.replace("<pubDate>Mon, 32 Foo 2007</pubDate>", "");
        QByteArray warned = good;
        warned.replace("https://example.org/", "");
        const std::pair<const char *, QByteArray> files[] = {
            {"good.xml", good}, {"bad.xml", GoodFeed}, {"warned.xml", warned}, {"-bad.xml", GoodFeed},
            {"many.xml", ManyFeed}};
        for (const auto &[name, bytes] : files) {
            QFile file(folder_.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(bytes), bytes.size());
        }
    }

    void commands_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QString badLine = "bad.xml:5: item 3 \"Three\": error: pubDate \"Mon, 32 Foo 2007\" is "
                                "not an RFC 822 date\n";
        QTest::newRow("good") << QStringList{"--check", "good.xml"} << 0 << "" << "";
        QTest::newRow("warnings only")
            << QStringList{"--check", "warned.xml"} << 0
            << "warned.xml:3: channel: warning: link is empty\n" << "";
        QTest::newRow("json")
            << QStringList{"--format=json", "--check", "good.xml", "bad.xml", "warned.xml"} << 1
            << "{\"file\":\"bad.xml\",\"line\":5,\"severity\":\"error\",\"place\":\"item\",\"item\":3,"
               "\"title\":\"Three\",\"element\":\"pubDate\",\"message\":\"pubDate \\\"Mon, 32 Foo "
               "2007\\\" is not an RFC 822 date\"}\n"
               "{\"file\":\"warned.xml\",\"line\":3,\"severity\":\"warning\",\"place\":\"channel\","
               "\"element\":\"link\",\"message\":\"link is empty\"}\n"
            << "";
        QTest::newRow("error") << QStringList{"--check", "good.xml", "bad.xml"} << 1 << badLine << "";
        QTest::newRow("unreadable")
            << QStringList{"--check", "bad.xml", "missing.xml", "good.xml"} << 2 << badLine
            << "TolvaneRssEditor: cannot read missing.xml: Cannot open file \"missing.xml\". No "
               "such file or directory\n";
        QTest::newRow("folder") << QStringList{"--check", "."} << 2 << ""
                                << "TolvaneRssEditor: cannot read .: Cannot open file \".\". Is a directory\n";
        QTest::newRow("no file") << QStringList{"--check"} << 2 << ""
                                 << "TolvaneRssEditor: --check needs at least one feed file (see --help)\n";
        QTest::newRow("unknown option")
            << QStringList{"--check", "--quiet", "good.xml"} << 2 << ""
            << "TolvaneRssEditor: unknown option --quiet (see --help)\n";
        QTest::newRow("file named like an option")
            << QStringList{"--check", "--", "bad.xml"} << 1 << badLine << "";
        QTest::newRow("file name starting with a dash")
            << QStringList{"--check", "--", "-bad.xml"} << 1 << "-" + badLine << "";
        // Scripts read one line per finding; --summary says the same words of many items once.
        const QString manyLink = "error: link \"/x\" is not an absolute URL\n";
        QTest::newRow("each finding")
            << QStringList{"--check", "many.xml"} << 1
            << "many.xml:2: channel: warning: link is empty\n"
               "many.xml:3: item 1 \"A\": " + manyLink + "many.xml:4: item 2 \"B\": " + manyLink +
                   "many.xml:5: item 3: error: the item has neither a title nor a description\n"
                   "many.xml:6: item 4 \"D\": " + manyLink + "many.xml:7: item 5 \"E\": " + manyLink +
                   "many.xml:8: item 6 \"F\": " + manyLink
            << "";
        QTest::newRow("summary")
            << QStringList{"--check", "--summary", "many.xml"} << 1
            << "many.xml:2: channel: warning: link is empty\n"
               "many.xml:3: item 1, 2, 4 and 2 more: " + manyLink +
                   "many.xml:5: item 3: error: the item has neither a title nor a description\n"
            << "";
        QTest::newRow("summary as json")
            << QStringList{"--summary", "--check", "--format=json", "many.xml"} << 1
            << "{\"file\":\"many.xml\",\"line\":2,\"severity\":\"warning\",\"place\":\"channel\","
               "\"element\":\"link\",\"message\":\"link is empty\"}\n"
               "{\"file\":\"many.xml\",\"line\":3,\"severity\":\"error\",\"place\":\"item\",\"item\":1,"
               "\"title\":\"A\",\"count\":5,\"items\":[1,2,4,5,6],\"element\":\"link\",\"message\":"
               "\"link \\\"/x\\\" is not an absolute URL\"}\n"
               "{\"file\":\"many.xml\",\"line\":5,\"severity\":\"error\",\"place\":\"item\",\"item\":3,"
               "\"count\":1,\"items\":[3],\"element\":\"item\",\"message\":\"the item has neither a title "
               "nor a description\"}\n"
            << "";
        QTest::newRow("version") << QStringList{"--version"} << 0 << "TolvaneRssEditor 1.0\n" << "";
    }

    void commands()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const TRun run = RunProgram(arguments, folder_.path());
        QCOMPARE(run.Err, err);
        QCOMPARE(run.Out, out);
        QCOMPARE(run.Status, status);
    }

    void help()
    {
        const TRun run = RunProgram({"--check", "bad.xml", "--help"}, folder_.path());
        QCOMPARE(run.Status, 0);
        QVERIFY2(run.Out.startsWith("Usage: TolvaneRssEditor "), qPrintable(run.Out));
        for (const char *option : {"--check FILE...", "--summary", "--format=json", "--help", "--version"})
            QVERIFY2(run.Out.contains(option), option);
        QCOMPARE(run.Err, QString());
    }

    // Every fixture in one run: the run ends on its own, and every line it prints is one
    // finding about one of the files.
    void realFeeds()
    {
        const QDir fixtures(QStringLiteral(FEED_FIXTURES));
        if (!fixtures.exists())
            QSKIP("the feed fixtures are not beside this checkout");
        QStringList arguments{"--check"};
        for (const QString &name : fixtures.entryList({"*.xml"}, QDir::Files, QDir::Name))
            arguments << fixtures.filePath(name);
        QVERIFY(arguments.size() > 500);
        const QString good = folder_.filePath("good.xml"); // among them, one with nothing to find
        arguments << good;
        const TRun run = RunProgram(arguments, fixtures.path(), 240000);
        QCOMPARE(run.Err, QString());
        QCOMPARE(run.Status, 1); // some fixtures are Atom, RDF or broken on purpose
        const QRegularExpression line(
            "^(.+\\.xml)(:[0-9]+)?: (document|channel|item [0-9]+( \".*\")?): (error|warning): [^\\n]+$");
        QSet<QString> filesWithFindings;
        for (const QString &text : run.Out.split('\n', Qt::SkipEmptyParts)) {
            const QRegularExpressionMatch match = line.match(text);
            QVERIFY2(match.hasMatch(), qPrintable(text));
            QVERIFY2(arguments.contains(match.captured(1)), qPrintable(text));
            filesWithFindings << match.captured(1);
        }
        // The Atom and RDF files alone are a few hundred.
        QVERIFY(filesWithFindings.size() > 300);
        QVERIFY(!filesWithFindings.contains(good));
    }

private:
    QTemporaryDir folder_;
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
