// Where feeds.cfg lives: beside the executable when that folder is writable, otherwise in the
// user's configuration folder, which takes a copy of the executable's feeds.cfg the first time.
#include "CatalogueLocation.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

std::string Read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<missing>";
}

void Write(const QString &path, const std::string &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), qint64(bytes.size()));
}

} // namespace

class CatalogueLocationTest : public QObject {
    Q_OBJECT

private slots:
    void chosenFolderAndFirstCopy()
    {
        QTemporaryDir root;
        const QString program = root.filePath("bin"), config = root.filePath("config/Tolvane RSS Editor");
        QVERIFY(QDir().mkpath(program));
        const std::string record = std::string("\x01\x00\x02", 3) + std::string(92920, '\xAB');
        Write(program + "/feeds.cfg", record);
        const std::string programBytes = QFile::encodeName(program).toStdString();
        const std::string configBytes = QFile::encodeName(config).toStdString();

        QVERIFY(IsWritableDirectory(programBytes));
        QVERIFY(!IsWritableDirectory(QFile::encodeName(root.filePath("absent")).toStdString()));
        // A writable folder keeps its feeds.cfg; nothing is copied.
        QCOMPARE(CatalogueDirectory(programBytes, configBytes, true), programBytes);
        QVERIFY(!QDir(config).exists());

        // An installed copy: the configuration folder is made and takes the record's bytes.
        QCOMPARE(CatalogueDirectory(programBytes, configBytes, false), configBytes);
        QCOMPARE(Read(config + "/feeds.cfg"), record);
        // From then on the user's own file is kept, whatever lies beside the executable.
        Write(config + "/feeds.cfg", "own");
        QCOMPARE(CatalogueDirectory(programBytes, configBytes, false), configBytes);
        QCOMPARE(Read(config + "/feeds.cfg"), std::string("own"));

        // Nothing beside the executable: nothing is made up.
        const std::string other = QFile::encodeName(root.filePath("other")).toStdString();
        QCOMPARE(CatalogueDirectory(QFile::encodeName(root.filePath("absent")).toStdString(), other, false),
                 other);
        QCOMPARE(Read(root.filePath("other/feeds.cfg")), std::string("<missing>"));
    }
};

QTEST_MAIN(CatalogueLocationTest)
#include "CatalogueLocationTest.moc"
