// The Items page: the item list of the feed selected on the Feeds page, the item shown in the
// fields, the item commands, and the quoted-word assist. What a command does to the document
// is in ItemCommands; these handlers move values between it and the widgets.
#include "Unit1.h"
#include "ui_Unit1.h"

#include "FeedCatalogue.h"
#include "ItemCommands.h"
#include "ItemFoundAgain.h"
#include "LineBreaks.h"
#include "QuotedWord.h"
#include "zelException.h"
#include "zelXMLParser2.h"

#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTextDocument>

#include <algorithm>
#include <filesystem>
#include <optional>

namespace {

// Clone, Save and Delete.
void SetItemButtons(Ui::TForm1 &ui, bool enabled)
{
    ui.SpeedButton5->setEnabled(enabled);
    ui.SpeedButton6->setEnabled(enabled);
    ui.SpeedButton7->setEnabled(enabled);
}

// The row Clone and Delete work on, -1 when there is none; an empty list turns them off.
int RowToChange(Ui::TForm1 &ui)
{
    if (ui.ListBox2->count() == 0) {
        SetItemButtons(ui, false);
        return -1;
    }
    return ui.ListBox2->currentRow();
}

// The description's bytes: the shown bytes when the memo still holds what it was given,
// otherwise its text in the feed's encoding with the lines broken as the file breaks them.
// toPlainText() would turn non-breaking spaces into plain ones, so the raw text is read.
std::string MemoBytes(const QPlainTextEdit &memo, const TFeedTextCodec &codec,
                      const std::string &shownBytes, const QString &shownText,
                      std::string_view lineBreak)
{
    QString text = memo.document()->toRawText();
    if (text == shownText)
        return shownBytes;
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n'); // a typed Shift+Enter breaks the line too
    return WithLineBreaks(codec.ToBytes(text), lineBreak);
}

} // namespace

void TForm1::ItemsUpdate()
{
    const int previousRow = ui->ListBox2->currentRow();
    LoadListedDocument(SelectedFeedPath());
    if (!itemListIsDocument_) // the file unchanged since it was listed: the rows stay
        FillItemList();
    ShowRowAfterListing(previousRow);
}

void TForm1::LoadListedDocument(const std::string &path)
{
    try {
        LoadDocument(path);
    } catch (...) {
        // A declaration that could not be read leaves the document emptied: its rows are gone,
        // and no command may work on them. A file that could not be read leaves it as it was.
        if (!document_->FindChild("channel"))
            ClearItemList();
        throw;
    }
}

void TForm1::FillItemList()
{
    // Listing is counting: each row reads its item when it is shown (ItemRowText).
    const TzelXMLNode2 *channel = document_->FindChild("channel", false);
    FirstItemIndex = channel ? FirstItemPosition(*channel) : 0;
    {
        const QSignalBlocker quiet(ui->ListBox2);
        ui->ListBox2->Rows().Relist(channel ? channel->ChildCount() - FirstItemIndex : 0);
    }
    itemListIsDocument_ = true;
}

QString TForm1::ItemRowText(int row) const
{
    const TzelXMLNode2 *channel = document_->FindChild("channel", false);
    const int position = FirstItemIndex + row;
    if (!channel || row < 0 || position >= channel->ChildCount())
        return {};
    return DocumentCodec().ToText(ItemRow(channel->ChildAt(position)));
}

void TForm1::ShowRowAfterListing(int previousRow)
{
    const int count = ui->ListBox2->count();
    if (count == 0) { // the channel has no item
        SetItemButtons(*ui, false);
        itemRowShown_ = -1; // what the fields show belongs to no item any more
        return;
    }
    // After a list with no row selected (an emptied channel got an item back), the first.
    SelectRowQuietly(ui->ListBox2, std::clamp(previousRow, 0, count - 1));
    ListBox2Click();
}

void TForm1::FollowFileOnDisk(int &row, bool chosenItem)
{
    const std::string path = SelectedFeedPath();
    if (knownFile_.Unchanged(path))
        return;
    // A file another program deleted holds nothing newer to lose: Add writes the feed anew
    // from the document. (A command on a chosen item needs the item in the file.)
    std::error_code error;
    if (!chosenItem && !std::filesystem::exists(std::filesystem::path(path), error) && !error) {
        documentIsKnownFile_ = false;
        return;
    }
    // Another program wrote the file since the editor read or wrote it: its version counts. The
    // chosen item is known by what it holds, and the fields keep what they show, typed or not.
    std::string signature;
    if (chosenItem)
        if (const TzelXMLNode2 *channel = document_->FindChild("channel", false))
            if (const TzelXMLNode2 *item = row >= 0 ? channel->ChildAt(FirstItemIndex + row) : nullptr)
                signature = ItemSignature(*item);
    const QString title = ui->ListBox2->RowText(row);
    LoadListedDocument(path);
    FillItemList();
    const TzelXMLNode2 *channel = document_->FindChild("channel", false);
    const int found = !chosenItem ? row
                      : signature.empty() || !channel
                          ? -1
                          : FindItemAgain(*channel, FirstItemIndex, signature, row);
    const int count = ui->ListBox2->count();
    const int shown = found >= 0 ? found : std::min(row, count - 1);
    SelectRowQuietly(ui->ListBox2, shown);
    if (itemRowShown_ >= 0)
        itemRowShown_ = shown; // typed edits stay pending on the row now selected
    SetItemButtons(*ui, count > 0);
    // Refused: the fields show the file as it is now, but for what the user typed, which
    // stays pending there (a later Save must not write the vanished item's values back).
    if (found < 0 && shown >= 0 && itemRowShown_ >= 0 && ActivePageIndex() == 1)
        ShowItemKeepingTyping();
    if (found < 0)
        throw Exception("The feed \"" + path +
                        "\" changed on disk since it was read, and the item \"" +
                        title.toStdString() +
                        "\" is no longer in it as it was. Nothing was written; the list shows the "
                        "feed as it is now.");
    row = found;
}

void TForm1::RunItemCommand(const TItemCommand &command, TRowChange change, int row, bool chosenItem)
{
    const std::string path = SelectedFeedPath();
    FollowFileOnDisk(row, chosenItem);
    const int first = FirstItemIndex;
    const bool listWasDocument = itemListIsDocument_ && documentIsKnownFile_;
    // The bytes the file holds before the command are the undo step's: known ones are not read.
    // When the editor wrote them from this document, only the changed item is laid out anew,
    // in place, and the step keeps what takes it back.
    std::optional<TUndoHistory::TRecording> undoStep;
    std::optional<TLaidOutText> before;
    std::string text;
    TFileStamp beforeStamp;
    if (knownFile_.Unchanged(path)) {
        std::optional<TChannelLines> lines;
        if (documentIsKnownFile_)
            lines = knownFile_.ChannelLines(*document_);
        beforeStamp = knownFile_.Stamp();
        if (lines) {
            text = knownFile_.TakeBytes();
            before = TLaidOutText{&text, std::move(*lines)};
        } else {
            undoStep.emplace(undoHistory_, path, knownFile_.TakeBytes(), beforeStamp);
        }
    } else {
        undoStep.emplace(undoHistory_, path);
    }
    // What undoing it in the document needs, while the document is what the file reads as.
    const TChannelChange channelChange{change == TRowChange::Inserted  ? TChannelChange::Inserted
                                       : change == TRowChange::Removed ? TChannelChange::Removed
                                                                       : TChannelChange::Replaced,
                                       FirstItemIndex + row};
    std::optional<TItemTreeStep> treeStep;
    if (documentIsKnownFile_)
        treeStep = PrepareTreeStep(*document_, channelChange);
    if (treeStep && before)
        treeStep->WriterTextStale = before->Lines.Stale;
    // Until the command tells what it wrote, neither the document nor the list is the file's.
    documentIsKnownFile_ = false;
    itemListIsDocument_ = false;
    TWrittenFeed written = command(before ? &*before : nullptr, first, row);
    if (const std::optional<TFileStamp> stamp = StampOf(path)) {
        bool stepKept = true;
        if (undoStep) {
            stepKept = undoStep->Written(written.Bytes, *stamp);
        } else if (written.UndoPatches.empty() && text != written.Bytes) {
            // laid out whole after all
            undoHistory_.Record(path, std::move(text), beforeStamp, *stamp);
        } else if (written.UndoPatches.empty() || written.BytesUnchanged) {
            undoHistory_.Restamp(path, beforeStamp, *stamp);
            stepKept = false;
        } else {
            undoHistory_.RecordPatches(path, std::move(written.UndoPatches), beforeStamp, *stamp);
        }
        NoteWrittenText(written.Bytes);
        knownFile_.RememberWritten(path, std::move(written.Bytes), *stamp,
                                   std::move(written.Lines), written.StaleChild);
        documentIsKnownFile_ = written.DocumentIsFile;
        if (treeStep && stepKept && documentIsKnownFile_) {
            treeStep->Path = path;
            treeStep->Written = *stamp;
            itemTreeUndo_.Push(std::move(*treeStep));
        }
    }
    undoStep.reset();
    if (!documentIsKnownFile_) {
        if (chosenItem)
            SelectRowQuietly(ui->ListBox2, row);
        ItemsUpdate(); // the file is read as it is
        return;
    }
    documentEncoding_.reset(); // the declaration is the one written
    if (chosenItem)
        SelectRowQuietly(ui->ListBox2, row);
    ItemsRelist(change, row, listWasDocument);
}

void TForm1::ItemsRelist(TRowChange change, int row, bool listWasDocument)
{
    const int previousRow = ui->ListBox2->currentRow();
    const TzelXMLNode2 *channel = document_->FindChild("channel", false);
    const int count = ui->ListBox2->count();
    const int rows = count + (change == TRowChange::Inserted  ? 1
                              : change == TRowChange::Removed ? -1
                                                              : 0);
    // Only the row changed is redone while everything else stayed where it was.
    const bool inPlace = listWasDocument && channel &&
                         FirstItemPosition(*channel) == FirstItemIndex &&
                         channel->ChildCount() - FirstItemIndex == rows && row >= 0 &&
                         row < (change == TRowChange::Inserted ? count + 1 : count);
    if (!inPlace) {
        FillItemList();
    } else {
        const QSignalBlocker quiet(ui->ListBox2);
        if (change == TRowChange::Inserted)
            ui->ListBox2->Rows().InsertRow(row);
        else if (change == TRowChange::Removed)
            ui->ListBox2->Rows().RemoveRow(row);
        else
            ui->ListBox2->Rows().RowChanged(row);
        itemListIsDocument_ = true;
    }
    ShowRowAfterListing(previousRow);
}

void TForm1::NoteWrittenText(const std::string &bytes)
{
    // A UTF-16 file's bytes are not searched: the writer breaks its lines with CR LF.
    fileLineBreak_ = document_->IsUtf16() ? std::string("\r\n") : LineBreakOf(bytes);
}

void TForm1::ClearItemList()
{
    {
        const QSignalBlocker quiet(ui->ListBox2);
        ui->ListBox2->Rows().Relist(0);
    }
    FirstItemIndex = 0;
    SetItemButtons(*ui, false);
}

void TForm1::ListBox2Click()
{
    if (ActivePageIndex() != 1)
        return;
    const int row = ui->ListBox2->currentRow();
    SetItemButtons(*ui, row >= 0);
    if (ui->ListBox2->count() == 0 || row < 0)
        return;
    shownItem_ = ReadItem(*document_, SelectedFeedPath(), FirstItemIndex, row);
    const TFeedTextCodec codec = DocumentCodec();
    // The quoted-word handler reads the link and title set just before the word.
    const QScopedValueRollback<bool> showing(showingItem_, true);
    ui->Edit7->setText(codec.ToText(shownItem_.Link));
    ui->Edit8->setText(codec.ToText(shownItem_.PubDate));
    ui->Edit5->setText(codec.ToText(shownItem_.Title));
    // The assist runs only when the word differs from the last item's (textChanged), so a
    // link typed by hand stays when an item with the same word is shown or listed again.
    ui->Edit6->setText(QuotedWordOf(ui->Edit5->text()));
    ui->Memo1->setPlainText(codec.ToText(shownItem_.Description));
    shownMemoText_ = ui->Memo1->document()->toRawText();
    itemRowShown_ = row;
    itemFieldsShown_ = ItemFieldTexts();
}

void TForm1::ShowItemKeepingTyping()
{
    const QStringList texts = ItemFieldTexts();
    bool typed[4];
    for (int field = 0; field < 4; ++field)
        typed[field] = texts[field] != itemFieldsShown_.value(field);
    // The memo's raw text keeps what toPlainText() would change (non-breaking spaces).
    const QString memoText = ui->Memo1->document()->toRawText();
    ListBox2Click();
    if (typed[0])
        ui->Edit5->setText(texts[0]);
    if (typed[1])
        ui->Memo1->setPlainText(memoText);
    if (typed[2])
        ui->Edit7->setText(texts[2]);
    if (typed[3])
        ui->Edit8->setText(texts[3]);
}

void TForm1::SpeedButton1Click()
{
    if (!SettleUnsavedEdits())
        return;
    const std::string stamp = NewDateStamp();
    RunItemCommand(
        [&](TLaidOutText *before, int first, int) {
            return AddItem(*document_, SelectedFeedPath(), first, stamp, before);
        },
        TRowChange::Inserted, 0, false);
    ui->Edit5->setText(QStringLiteral("(untitled)"));
    ui->Memo1->clear();
    ui->Edit6->clear();
    ui->Edit7->clear();
    ui->Edit8->setText(DocumentCodec().ToText(stamp));
    SelectRowQuietly(ui->ListBox2, 0);
    ListBox2Click();
    ui->Edit5->selectAll();
    ui->Edit5->setFocus();
    SetItemButtons(*ui, true);
}

void TForm1::SpeedButton5Click()
{
    if (!SettleUnsavedEdits())
        return;
    const int row = RowToChange(*ui);
    if (row < 0)
        return;
    RunItemCommand(
        [&](TLaidOutText *before, int first, int row) {
            return CloneItem(*document_, SelectedFeedPath(), first, row, before);
        },
        TRowChange::Inserted, row);
}

void TForm1::SpeedButton7Click()
{
    const int row = RowToChange(*ui);
    if (row < 0)
        return;
    RunItemCommand(
        [&](TLaidOutText *before, int first, int row) {
            return DeleteItem(*document_, SelectedFeedPath(), first, row, before);
        },
        TRowChange::Removed, row);
    SetItemButtons(*ui, ui->ListBox2->count() > 0);
}

int TForm1::SettledChosenRow()
{
    if (ActivePageIndex() != 1 || ui->ListBox2->currentRow() < 0 || !SettleUnsavedEdits())
        return -1;
    int row = ui->ListBox2->currentRow();
    FollowFileOnDisk(row, true);
    return row;
}

void TForm1::SpeedButton6Click()
{
    int row = ui->ListBox2->currentRow();
    if (row < 0)
        return;
    // The file as it is now decides the encoding and the item the texts go to.
    FollowFileOnDisk(row, true);
    // Every text is converted before anything changes: a character the feed's encoding cannot
    // hold stops the save with a message and the fields keep what was typed.
    const TFeedTextCodec codec = DocumentCodec();
    TItemFields typed;
    typed.Title = codec.ToBytes(ui->Edit5->text(), shownItem_.Title);
    // Typed lines break as the description did, else as the file does.
    const std::string lineBreak =
        LineBreakOf(shownItem_.Description, fileLineBreak_);
    typed.Description =
        MemoBytes(*ui->Memo1, codec, shownItem_.Description, shownMemoText_, lineBreak);
    typed.Link = codec.ToBytes(ui->Edit7->text(), shownItem_.Link);
    if (ui->CheckBox1->isChecked()) {
        typed.PubDate = NewDateStamp();
        ui->Edit8->setText(codec.ToText(typed.PubDate));
    } else {
        // "Auto" off: the date typed by hand is the one stored.
        typed.PubDate = codec.ToBytes(ui->Edit8->text(), shownItem_.PubDate);
    }
    RunItemCommand(
        [&](TLaidOutText *before, int first, int row) {
            return SaveItem(*document_, SelectedFeedPath(), first, row, typed, before);
        },
        TRowChange::Changed, row);
    ui->SpeedButton6->setEnabled(false);
}

void TForm1::Button2Click() { ui->Edit8->setText(DocumentCodec().ToText(NewDateStamp())); }

void TForm1::CheckBox1Click()
{
    ui->Edit8->setEnabled(!ui->CheckBox1->isChecked());
    const std::uint8_t value = ui->CheckBox1->isChecked() ? 1 : 0;
    if (catalogue_->AutoDate == value)
        return; // start-up sets the box from the stored byte: nothing to write
    SetAutoDate(*catalogue_, value);
    WriteCatalogueNow();
}

void TForm1::Edit5Change() { ui->SpeedButton6->setEnabled(true); }

void TForm1::Edit6Change()
{
    const QString title = ui->Edit5->text();
    // Showing an item never rewrites its title: the word goes back only where it came from.
    if (showingItem_ && !QuotedWordFitsTitle(title))
        return;
    const std::optional<QString> newTitle = TitleWithQuotedWord(title, ui->Edit6->text());
    if (!newTitle)
        return;
    ui->Edit5->setText(*newTitle);
    if (!ui->CheckBox2->isChecked())
        return;
    const std::optional<QString> link =
        AutoLinkFor(ui->Edit7->text(), LinkWordFor(ui->Edit6->text(), DocumentCodec()));
    if (link)
        ui->Edit7->setText(*link);
}

void TForm1::CheckBox2Click()
{
    const std::uint8_t value = ui->CheckBox2->isChecked() ? 1 : 0;
    if (catalogue_->AutoLink != value) {
        SetAutoLink(*catalogue_, value);
        WriteCatalogueNow();
    }
    Edit6Change();
}

void TForm1::Edit6DblClick() { ui->Edit6->selectAll(); }
