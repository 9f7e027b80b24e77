// Edit > Undo (Ctrl+Z on either page): typed edits not saved yet are the latest change and go
// first; otherwise the last change the editor wrote to the selected feed's file is taken back
// and the page shows the file as it is again.
#include "Unit1.h"
#include "ui_Unit1.h"

#include "Dialogs.h"
#include "FeedCatalogue.h"
#include "FeedCommands.h"
#include "ItemTreeUndo.h"
#include "zelXMLParser2.h"

void TForm1::Undo1Click()
{
    const bool feeds = ActivePageIndex() == 0;
    if (feeds ? FeedEditsPending() : ItemEditsPending()) {
        DropUnsavedEdits();
        return;
    }
    const std::string path = SelectedFeedPath();
    if (path.empty() || !undoHistory_.CanUndo(path)) {
        dialogs_.ShowMessage(QStringLiteral("Nothing to undo for this feed."));
        return;
    }
    // An item command on the document as it left it is taken back in the document itself.
    if (!feeds && UndoItemCommandInDocument(path))
        return;
    itemTreeUndo_.Clear();
    // The bytes written back are kept: the feed is read from them, not from the file.
    documentIsKnownFile_ = false;
    std::optional<std::string> known;
    if (knownFile_.Unchanged(path))
        known = knownFile_.TakeBytes();
    std::optional<std::string> restored = undoHistory_.Undo(path, std::move(known));
    const std::optional<TFileStamp> stamp = StampOf(path);
    if (restored && stamp)
        knownFile_.Remember(path, std::move(*restored), *stamp);
    else
        knownFile_.Forget();
    if (!feeds) {
        ItemsUpdate();
        return;
    }
    // The catalogue line follows the channel as the file now has it.
    const int index = ui->ListBox1->currentRow();
    LoadDocument(path);
    RequireWholeDocument(*document_, path);
    const TChannelFields fields = ReadChannelFields(*document_, path);
    StoreEntryFields(*catalogue_, index, fields.Title, fields.Description, fields.Link, fields.Date);
    WriteCatalogueNow();
    FeedListUpdate();
    SelectFeed(index);
}

bool TForm1::UndoItemCommandInDocument(const std::string &path)
{
    const std::optional<TFileStamp> now = StampOf(path);
    std::optional<TItemTreeStep> step;
    if (documentIsKnownFile_ && now && knownFile_.Unchanged(path))
        step = itemTreeUndo_.Take(path, *now);
    if (!step) {
        itemTreeUndo_.Clear(); // the document is no longer the one those steps left
        return false;
    }
    const bool listWasDocument = itemListIsDocument_;
    documentIsKnownFile_ = false;
    itemListIsDocument_ = false;
    std::optional<std::string> restored = undoHistory_.Undo(path, knownFile_.TakeBytes());
    const std::optional<TFileStamp> stamp = StampOf(path);
    if (!restored || !stamp) {
        knownFile_.Forget();
        return false;
    }
    const TChannelChange undone = ApplyTreeStep(*document_, *step);
    NoteWrittenText(*restored);
    documentEncoding_.reset();
    if (step->WriterTextStale >= -1)
        knownFile_.RememberWritten(path, std::move(*restored), *stamp, std::nullopt,
                                   step->WriterTextStale);
    else
        knownFile_.Remember(path, std::move(*restored), *stamp);
    documentIsKnownFile_ = true;
    ItemsRelist(undone.Kind == TChannelChange::Inserted  ? TRowChange::Inserted
                : undone.Kind == TChannelChange::Removed ? TRowChange::Removed
                                                         : TRowChange::Changed,
                undone.Position - FirstItemIndex, listWasDocument);
    return true;
}
