// feeds.cfg: the exact record bytes on disk, damaged files, capacity cutting, failed saves.
#include "FeedCatalogue.h"

#include "zelException.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <functional>
#include <memory>
#include <sys/wait.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int RecordSize = 92923;
constexpr int SlotOffset(int slot) { return 3 + 920 * slot; }

QByteArray ReadFile(const QString &name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void WriteFile(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The record lives in memory for the whole run; heap copies keep the test's stack small.
std::unique_ptr<TFeedCatalogue> ZeroCatalogue()
{
    return std::make_unique<TFeedCatalogue>();
}

// A length byte and its text, as they sit in the file.
QByteArray Field(const QByteArray &file, int offset)
{
    return file.mid(offset + 1, static_cast<unsigned char>(file[offset]));
}

// Runs work with file permissions in force: in a child process that drops to "nobody" when the
// tests run as the superuser (who would otherwise pass every permission check).
std::string AsUnprivilegedUser(const std::function<std::string()> &work)
{
    if (geteuid() != 0)
        return work();
    int channel[2];
    if (pipe(channel) != 0)
        return "pipe failed";
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        std::string result = "could not drop privileges";
        if (setgid(65534) == 0 && setuid(65534) == 0)
            result = work();
        const ssize_t written = write(channel[1], result.data(), result.size());
        _exit(written == static_cast<ssize_t>(result.size()) ? 0 : 1);
    }
    close(channel[1]);
    std::string result;
    char buffer[512];
    ssize_t got;
    while ((got = read(channel[0], buffer, sizeof buffer)) > 0)
        result.append(buffer, static_cast<std::size_t>(got));
    close(channel[0]);
    waitpid(child, nullptr, 0);
    return result;
}

} // namespace

class FeedCatalogueTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::string Dir() const { return dir_.path().toStdString(); }
    QString CfgName() const { return dir_.filePath(QStringLiteral("feeds.cfg")); }

private slots:
    void init()
    {
        QFile::remove(CfgName());
    }

    void savedRecordHasTheFieldsAtTheirOffsets()
    {
        auto catalogue = ZeroCatalogue();
        AppendEntry(*catalogue, "/feeds/a.xml", "A title", "A description", "http://a/", "Mon, 5 Feb 2007");
        AppendEntry(*catalogue, "/feeds/b.xml", "B", "Bd", "http://b/", "Tue");
        SetAutoDate(*catalogue, 1);
        SetAutoLink(*catalogue, 0);
        QCOMPARE(SaveCatalogue(*catalogue, Dir()), std::string());

        const QByteArray file = ReadFile(CfgName());
        QCOMPARE(file.size(), RecordSize);
        QCOMPARE(file[0], char(1));
        QCOMPARE(file[1], char(0));
        QCOMPARE(file[2], char(2));
        QCOMPARE(Field(file, SlotOffset(0)), QByteArray("/feeds/a.xml"));
        QCOMPARE(Field(file, SlotOffset(0) + 256), QByteArray("A title"));
        QCOMPARE(Field(file, SlotOffset(0) + 357), QByteArray("A description"));
        QCOMPARE(Field(file, SlotOffset(0) + 613), QByteArray("http://a/"));
        QCOMPARE(Field(file, SlotOffset(0) + 869), QByteArray("Mon, 5 Feb 2007"));
        QCOMPARE(Field(file, SlotOffset(1)), QByteArray("/feeds/b.xml"));
        QCOMPARE(Field(file, SlotOffset(1) + 869), QByteArray("Tue"));
        // Everything else is still zero.
        QCOMPARE(file.mid(SlotOffset(2)), QByteArray(RecordSize - SlotOffset(2), '\0'));

        // The record loads back as it was saved.
        auto loaded = ZeroCatalogue();
        QCOMPARE(LoadCatalogue(*loaded, Dir()), std::string());
        QCOMPARE(EntryCount(*loaded), 2);
        QVERIFY(AutoDateOption(*loaded));
        QVERIFY(!AutoLinkOption(*loaded));
        QCOMPARE(EntryTitle(*loaded, 0), std::string("A title"));
        QCOMPARE(EntryLink(*loaded, 1), std::string("http://b/"));
        QCOMPARE(EntryDescription(*loaded, 1), std::string("Bd"));
    }

    void saveLeavesNoTemporaryFileBehind()
    {
        auto catalogue = ZeroCatalogue();
        QCOMPARE(SaveCatalogue(*catalogue, Dir()), std::string());
        QCOMPARE(SaveCatalogue(*catalogue, Dir()), std::string());
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"feeds.cfg"});
    }

    void missingFileStartsEmptyAndIsCreated()
    {
        auto catalogue = ZeroCatalogue();
        LoadCatalogue(*catalogue, Dir());
        QCOMPARE(EntryCount(*catalogue), 0);
        QVERIFY(!AutoDateOption(*catalogue));
        QVERIFY(!AutoLinkOption(*catalogue));
        QCOMPARE(ReadFile(CfgName()), QByteArray(RecordSize, '\0'));
    }

    void shortFileIsPaddedWithZerosAndRewritten()
    {
        QByteArray start(1000, '\0');
        start[0] = 1;
        start[2] = 1;
        start[SlotOffset(0) + 256] = 2;
        start[SlotOffset(0) + 257] = 'H';
        start[SlotOffset(0) + 258] = 'i';
        start[999] = 'z';
        WriteFile(CfgName(), start);

        auto catalogue = ZeroCatalogue();
        LoadCatalogue(*catalogue, Dir());
        QCOMPARE(EntryCount(*catalogue), 1);
        QVERIFY(AutoDateOption(*catalogue));
        QCOMPARE(EntryTitle(*catalogue, 0), std::string("Hi"));
        QCOMPARE(ReadFile(CfgName()), start + QByteArray(RecordSize - 1000, '\0'));
    }

    void longFileUsesTheFirstRecordAndIsCutAtSave()
    {
        QByteArray bytes(100000, 'x');
        bytes.replace(0, 3, QByteArray("\x00\x01\x01", 3));
        bytes[SlotOffset(0) + 869] = 3; // date "xxx"
        WriteFile(CfgName(), bytes);

        auto catalogue = ZeroCatalogue();
        LoadCatalogue(*catalogue, Dir());
        QCOMPARE(EntryCount(*catalogue), 1);
        QVERIFY(AutoLinkOption(*catalogue));
        QCOMPARE(EntryDate(*catalogue, 0), std::string("xxx"));
        QCOMPARE(ReadFile(CfgName()).size(), 100000); // read whole: left untouched at start

        QCOMPARE(SaveCatalogue(*catalogue, Dir()), std::string());
        QCOMPARE(ReadFile(CfgName()), bytes.left(RecordSize));
    }

    void oversizedCountAndLengthsAreClampedButKept()
    {
        QByteArray bytes(RecordSize, 'y');
        bytes[0] = 0;
        bytes[1] = 0;
        bytes[2] = char(200);
        for (int slot = 0; slot < 101; ++slot) {
            for (int offset : {0, 256, 357, 613, 869})
                bytes[SlotOffset(slot) + offset] = char(255);
        }
        WriteFile(CfgName(), bytes);

        auto catalogue = ZeroCatalogue();
        LoadCatalogue(*catalogue, Dir());
        QCOMPARE(EntryCount(*catalogue), 100);
        QCOMPARE(EntryPath(*catalogue, 99), std::string(255, 'y'));
        QCOMPARE(EntryTitle(*catalogue, 99), std::string(100, 'y'));
        QCOMPARE(EntryDescription(*catalogue, 0), std::string(255, 'y'));
        QCOMPARE(EntryLink(*catalogue, 0), std::string(255, 'y'));
        QCOMPARE(EntryDate(*catalogue, 100), std::string(50, 'y'));

        // A full catalogue refuses to grow.
        QVERIFY_THROWS_EXCEPTION(Exception, AppendEntry(*catalogue, "p", "t", "d", "l", "x"));
        // Saving keeps the out-of-range bytes as they were read.
        QCOMPARE(SaveCatalogue(*catalogue, Dir()), std::string());
        QCOMPARE(ReadFile(CfgName()), bytes);

        // Removing works on the 100 entries in use and never reaches slot 100.
        RemoveEntry(*catalogue, 0);
        QCOMPARE(EntryCount(*catalogue), 99);
        QCOMPARE(int(catalogue->Count), 99);
    }

    void slotIndexOutsideTheRecordIsRefused()
    {
        auto catalogue = ZeroCatalogue();
        try {
            EntryTitle(*catalogue, 101);
            QFAIL("no error for slot 101");
        } catch (const EListError &error) {
            QCOMPARE(std::string(error.what()), std::string("List index out of bounds (101)"));
        }
        QVERIFY_THROWS_EXCEPTION(EListError, StoreEntryFields(*catalogue, -1, "t", "d", "l", "x"));
        QCOMPARE(EntryTitle(*catalogue, 100), std::string()); // slot 100 exists
    }

    void textsAreCutToTheirCapacities()
    {
        auto catalogue = ZeroCatalogue();
        const std::string path(300, 'p'), title(150, 't'), text(400, 'd'), date(60, '9');
        AppendEntry(*catalogue, path, title, text, text, date);
        QCOMPARE(EntryPath(*catalogue, 0), std::string(255, 'p'));
        QCOMPARE(EntryTitle(*catalogue, 0), std::string(100, 't'));
        QCOMPARE(EntryDescription(*catalogue, 0), std::string(255, 'd'));
        QCOMPARE(EntryLink(*catalogue, 0), std::string(255, 'd'));
        QCOMPARE(EntryDate(*catalogue, 0), std::string(50, '9'));

        StoreEntryFields(*catalogue, 0, "short", std::string(101, 'T'), "", "d");
        QCOMPARE(EntryPath(*catalogue, 0), std::string(255, 'p')); // Path stays
        QCOMPARE(EntryTitle(*catalogue, 0), std::string("short"));
        QCOMPARE(EntryDescription(*catalogue, 0), std::string(101, 'T'));
        QCOMPARE(EntryLink(*catalogue, 0), std::string());
    }

    void cuttingNeverSplitsAUtf8Character()
    {
        const std::string e = "\xC3\xA9";        // é, 2 bytes
        const std::string euro = "\xE2\x82\xAC"; // €, 3 bytes
        QCOMPARE(CutToCapacity(std::string(98, 'a') + e + "b", 100), std::string(98, 'a') + e);
        QCOMPARE(CutToCapacity(std::string(99, 'a') + e, 100), std::string(99, 'a'));
        QCOMPARE(CutToCapacity(std::string(98, 'a') + euro, 100), std::string(98, 'a'));
        QCOMPARE(CutToCapacity(std::string(97, 'a') + euro + "z", 100), std::string(97, 'a') + euro);
        // Latin-1 text (not valid UTF-8) is cut at the byte.
        const std::string latin = std::string(99, 'a') + "\xE9\xE9";
        QCOMPARE(CutToCapacity(latin, 100), latin.substr(0, 100));

        auto catalogue = ZeroCatalogue();
        std::string title;
        for (int i = 0; i < 60; ++i)
            title += e; // 120 bytes
        AppendEntry(*catalogue, "p", title, "", "", "");
        QCOMPARE(EntryTitle(*catalogue, 0), title.substr(0, 100));
        title = "x" + title; // now every character straddles an even byte
        StoreEntryFields(*catalogue, 0, title, "", "", "");
        QCOMPARE(EntryTitle(*catalogue, 0), title.substr(0, 99));
    }

    void appendWritesOnlyLengthAndTextBytes()
    {
        auto catalogue = ZeroCatalogue();
        std::memset(&catalogue->Entries[0], 'q', sizeof(TFeedEntry));
        AppendEntry(*catalogue, "ab", "T", "", "L", "D");
        const auto *slot = reinterpret_cast<const char *>(&catalogue->Entries[0]);
        QCOMPARE(QByteArray(slot, 4), QByteArray("\x02" "abq"));
        QCOMPARE(QByteArray(slot + 256, 3), QByteArray("\x01" "Tq"));
        QCOMPARE(QByteArray(slot + 357, 2), QByteArray("\x00" "q", 2));
    }

    void removeMovesLaterSlotsDownAndKeepsTheOldLast()
    {
        auto catalogue = ZeroCatalogue();
        RemoveEntry(*catalogue, 0); // empty: nothing happens
        QCOMPARE(EntryCount(*catalogue), 0);
        for (const char *name : {"one", "two", "three"})
            AppendEntry(*catalogue, name, name, "", "", "");
        RemoveEntry(*catalogue, 0);
        QCOMPARE(EntryCount(*catalogue), 2);
        QCOMPARE(EntryTitle(*catalogue, 0), std::string("two"));
        QCOMPARE(EntryTitle(*catalogue, 1), std::string("three"));
        QCOMPARE(EntryTitle(*catalogue, 2), std::string("three")); // the old last slot stays
        RemoveEntry(*catalogue, 1); // the last entry: only the count changes
        QCOMPARE(EntryCount(*catalogue), 1);
        QCOMPARE(EntryPath(*catalogue, 0), std::string("two"));
        RemoveEntry(*catalogue, 5); // not in use: nothing happens
        QCOMPARE(EntryCount(*catalogue), 1);

        QCOMPARE(SaveCatalogue(*catalogue, Dir()), std::string());
        const QByteArray file = ReadFile(CfgName());
        QCOMPARE(Field(file, SlotOffset(2)), QByteArray("three"));
    }

    void appendFillsUpToOneHundred()
    {
        auto catalogue = ZeroCatalogue();
        for (int i = 0; i < 99; ++i)
            AppendEntry(*catalogue, "p", "t", "d", "l", "x");
        QCOMPARE(EntryCount(*catalogue), 99);
        AppendEntry(*catalogue, "last", "t", "d", "l", "x");
        QCOMPARE(EntryCount(*catalogue), 100);
        QCOMPARE(EntryPath(*catalogue, 99), std::string("last"));
        QVERIFY_THROWS_EXCEPTION(Exception, AppendEntry(*catalogue, "p", "t", "d", "l", "x"));
        QCOMPARE(EntryCount(*catalogue), 100);
        QCOMPARE(EntryPath(*catalogue, 100), std::string());
    }

    void failedSaveSaysWhichFileAndWhy()
    {
        auto catalogue = ZeroCatalogue();
        AppendEntry(*catalogue, "p", "t", "d", "l", "x");

        const std::string missing = Dir() + "/no-such-folder";
        const std::string message = SaveCatalogue(*catalogue, missing);
        QVERIFY2(message.find(missing + "/feeds.cfg") != std::string::npos, message.c_str());
        QVERIFY2(message.find("No such file or directory") != std::string::npos, message.c_str());

        // feeds.cfg that is a folder cannot be replaced.
        QVERIFY(QDir(dir_.path()).mkdir(QStringLiteral("feeds.cfg")));
        const std::string folderMessage = SaveCatalogue(*catalogue, Dir());
        QVERIFY(QDir(dir_.path()).rmdir(QStringLiteral("feeds.cfg")));
        QVERIFY2(folderMessage.find(Dir() + "/feeds.cfg") != std::string::npos, folderMessage.c_str());
        QVERIFY2(folderMessage.find("directory") != std::string::npos, folderMessage.c_str());
    }

    void feedsCfgThatIsNotAFileIsLeftAlone()
    {
        // A fifo would block a plain read forever.
        QVERIFY(mkfifo(CfgName().toLocal8Bit().constData(), 0644) == 0);
        auto catalogue = ZeroCatalogue();
        const std::string message = LoadCatalogue(*catalogue, Dir());
        QVERIFY2(message.find("not a regular file") != std::string::npos, message.c_str());
        QCOMPARE(EntryCount(*catalogue), 0);
        struct stat info;
        QVERIFY(stat(CfgName().toLocal8Bit().constData(), &info) == 0 && S_ISFIFO(info.st_mode));
        QVERIFY(QFile::remove(CfgName()));
    }

    void readOnlyFolderRefusesTheSaveAndKeepsTheFile()
    {
        QTemporaryDir folder;
        const QString cfg = folder.filePath(QStringLiteral("feeds.cfg"));
        WriteFile(cfg, QByteArray(RecordSize, '\x07'));
        QVERIFY(chmod(folder.path().toLocal8Bit().constData(), 0555) == 0);
        QVERIFY(chmod(cfg.toLocal8Bit().constData(), 0666) == 0);

        const std::string directory = folder.path().toStdString();
        const std::string message = AsUnprivilegedUser([&] {
            auto catalogue = ZeroCatalogue();
            return SaveCatalogue(*catalogue, directory);
        });
        chmod(folder.path().toLocal8Bit().constData(), 0755);
        QVERIFY2(message.find(directory + "/feeds.cfg") != std::string::npos, message.c_str());
        QVERIFY2(message.find("Permission denied") != std::string::npos, message.c_str());
        QCOMPARE(ReadFile(cfg), QByteArray(RecordSize, '\x07'));
    }

    void readOnlyFileCountsAsUnreadableAndStaysOnDisk()
    {
        // The folder is writable, so only the file's own permission keeps it from being replaced.
        QTemporaryDir folder;
        const QString cfg = folder.filePath(QStringLiteral("feeds.cfg"));
        QByteArray bytes(RecordSize, '\0');
        bytes[2] = 1;
        WriteFile(cfg, bytes);
        QVERIFY(chmod(cfg.toLocal8Bit().constData(), 0444) == 0);
        QVERIFY(chmod(folder.path().toLocal8Bit().constData(), 0777) == 0);

        const std::string directory = folder.path().toStdString();
        const std::string outcome = AsUnprivilegedUser([&] {
            auto catalogue = ZeroCatalogue();
            const std::string message = LoadCatalogue(*catalogue, directory);
            return std::to_string(EntryCount(*catalogue)) + "|" + message;
        });
        QVERIFY2(outcome.rfind("0|", 0) == 0, outcome.c_str());
        QVERIFY2(outcome.find("Permission denied") != std::string::npos, outcome.c_str());
        QCOMPARE(ReadFile(cfg), bytes);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"feeds.cfg"});
    }
};

QTEST_GUILESS_MAIN(FeedCatalogueTest)
#include "FeedCatalogueTest.moc"
