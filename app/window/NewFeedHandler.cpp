// Feed > New Feed: a new feed file, added to the catalogue and selected.
#include "Unit1.h"
#include "ui_Unit1.h"

#include "CommandLineFiles.h"
#include "Dialogs.h"
#include "FeedCatalogue.h"
#include "NewFeed.h"
#include "zelException.h"

#include <QFile>
#include <QFileInfo>

void TForm1::New1Click()
{
    if (!SettleUnsavedEdits())
        return;
    const QString chosen = dialogs_.SaveFileName(QStringLiteral("XML (*.xml);;All (*)"));
    if (chosen.isEmpty())
        return;
    if (EntryCount(*catalogue_) >= MaxFeeds) {
        dialogs_.ShowMessage(QStringLiteral("Max 100 Feeds!"));
        return;
    }
    const std::string path = QFile::encodeName(chosen).toStdString();
    // The catalogue keeps 255 bytes of a path: a longer one would name another file.
    if (path.size() > PathCapacity)
        throw Exception("The path \"" + path + "\" is longer than the feed list keeps (" +
                        std::to_string(PathCapacity) + " bytes). Choose a shorter one.");
    const std::string title = QFileInfo(chosen).completeBaseName().toUtf8().toStdString();
    const std::string stamp = NewDateStamp();
    CreateNewFeed(path, title, stamp);
    // A listed file that was replaced keeps its line, which now shows the new channel.
    int slot = CatalogueSlotOf(*catalogue_, path);
    if (slot < 0) {
        AddFeedFile(chosen);
        slot = EntryCount(*catalogue_) - 1;
    } else {
        StoreEntryFields(*catalogue_, slot, title, "", "", stamp);
        WriteCatalogueNow();
        FeedListUpdate();
    }
    SelectFeed(slot);
}

void TForm1::SelectFeed(int index)
{
    SelectRowQuietly(ui->ListBox1, index);
    ListBox1Click();
}
