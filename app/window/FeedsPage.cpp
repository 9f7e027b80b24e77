// The Feeds page: the catalogue's list and the selected feed's channel title, description,
// link and date. What a command does to the feed document is in FeedCommands.
#include "Unit1.h"
#include "ui_Unit1.h"

#include "Dialogs.h"
#include "FeedCommands.h"
#include "zelXMLParser2.h"

#include <QFile>
#include <QSignalBlocker>
#include <algorithm>
#include <array>
#include <limits>

namespace {

// The user may type at most this many characters into the title, description and link boxes.
constexpr int TypedLengthLimit = 255;

const QString FeedFileFilter = QStringLiteral("XML (*.xml);;All (*)");

// Catalogue texts carry no encoding of their own: UTF-8 when they are valid UTF-8, else Latin-1.
TFeedTextCodec CodecForBytes(const std::string &bytes)
{
    return TFeedTextCodec(EncodingFor({}, bytes));
}

std::array<QLineEdit *, 4> FeedBoxes(Ui::TForm1 &ui)
{
    return {ui.Edit1, ui.Edit2, ui.Edit3, ui.Edit4};
}

void StoreChannelFields(TFeedCatalogue &catalogue, int index, const TChannelFields &fields)
{
    StoreEntryFields(catalogue, index, fields.Title, fields.Description, fields.Link,
                     fields.Date);
}

} // namespace

void TForm1::ShowFeedField(int box, const std::string &bytes, const TFeedTextCodec &codec)
{
    QLineEdit *edit = FeedBoxes(*ui)[box];
    const QString text = codec.ToText(bytes);
    // The length limit is for typing only: a longer text from a file is shown whole.
    // The date box has no limit at all (a line edit's default stops at 32767).
    edit->setMaxLength(box < 3 ? std::max<int>(TypedLengthLimit, text.size())
                               : std::numeric_limits<int>::max());
    edit->setText(text);
    shownFields_[box] = {bytes, edit->text()};
}

std::string TForm1::FeedFieldBytes(int box, const TFeedTextCodec &codec) const
{
    const QString text = FeedBoxes(*ui)[box]->text();
    if (text == shownFields_[box].Text)
        return shownFields_[box].Bytes;
    return codec.ToBytes(text);
}

void TForm1::ShowSlot(int index)
{
    const std::array<std::string, 4> fields = {
        EntryTitle(*catalogue_, index), EntryDescription(*catalogue_, index),
        EntryLink(*catalogue_, index), EntryDate(*catalogue_, index)};
    for (int box = 0; box < 4; ++box)
        ShowFeedField(box, fields[box], CodecForBytes(fields[box]));
    feedRowShown_ = index;
}

TChannelFields TForm1::TypedChannelFields(const TFeedTextCodec &codec) const
{
    return {FeedFieldBytes(0, codec), FeedFieldBytes(1, codec), FeedFieldBytes(2, codec),
            FeedFieldBytes(3, codec)};
}

TChannelFields TForm1::SavedChannelFields(const TFeedTextCodec &codec) const
{
    // The file is the truth: a box the user did not type in gives the value the file holds now
    // (not what the box shows, which may be the list's older or shortened copy), so a save
    // never writes over another program's change a value nobody typed.
    const TChannelFields file = ReadChannelFields(*document_, SelectedFeedPath());
    const std::array<const std::string *, 4> fileValues = {&file.Title, &file.Description,
                                                           &file.Link, &file.Date};
    std::array<std::string, 4> bytes;
    for (int box = 0; box < 4; ++box)
        bytes[box] = FeedBoxes(*ui)[box]->text() == shownFields_[box].Text ? *fileValues[box]
                                                                             : FeedFieldBytes(box, codec);
    return {bytes[0], bytes[1], bytes[2], bytes[3]};
}

void TForm1::ShowChannelOfDocument(int index)
{
    // A feed that did not read whole, or has no channel, keeps the list's copy in the boxes.
    if (!document_->LastError().empty() || !document_->FindChild("channel", false))
        return;
    const TChannelFields fields = ReadChannelFields(*document_, EntryPath(*catalogue_, index));
    const TFeedTextCodec codec = DocumentCodec();
    ShowFeedField(0, fields.Title, codec);
    ShowFeedField(1, fields.Description, codec);
    ShowFeedField(2, fields.Link, codec);
    ShowFeedField(3, fields.Date, codec);
    feedRowShown_ = index;
    // The list's copy follows the file; feeds.cfg is written only when the copy changed.
    const auto cached = [&] {
        return std::array<std::string, 4>{EntryTitle(*catalogue_, index), EntryDescription(*catalogue_, index),
                                          EntryLink(*catalogue_, index), EntryDate(*catalogue_, index)};
    };
    const std::array<std::string, 4> before = cached();
    StoreChannelFields(*catalogue_, index, fields);
    if (cached() == before)
        return;
    WriteCatalogueNow();
    const std::string line = FeedListLine(EntryTitle(*catalogue_, index));
    if (QListWidgetItem *item = ui->ListBox1->item(index))
        item->setText(CodecForBytes(line).ToText(line));
}

void TForm1::PutBackShownFeedFields()
{
    for (int box = 0; box < 4; ++box)
        FeedBoxes(*ui)[box]->setText(shownFields_[box].Text);
}

void TForm1::FeedListUpdate()
{
    {
        const QSignalBlocker quiet(ui->ListBox1);
        ui->ListBox1->clear();
    }
    for (int box = 0; box < 4; ++box)
        ShowFeedField(box, {}, TFeedTextCodec());
    const int count = EntryCount(*catalogue_);
    if (count == 0)
        return;
    {
        const QSignalBlocker quiet(ui->ListBox1);
        for (int index = 0; index < count; ++index) {
            const std::string line = FeedListLine(EntryTitle(*catalogue_, index));
            ui->ListBox1->addItem(CodecForBytes(line).ToText(line));
        }
    }
    {
        // The row is selected before the list takes the focus, and quietly: a list gaining the
        // focus with no current row would select row 0 itself and run the click handler,
        // which loads that feed's file.
        const QSignalBlocker quiet(ui->ListBox1);
        ui->ListBox1->setCurrentRow(0);
        ui->ListBox1->setFocus();
    }
    ShowSlot(0);
}

void TForm1::ListBox1Click()
{
    const int index = ui->ListBox1->currentRow();
    if (index < 0 || index >= EntryCount(*catalogue_))
        return;
    const std::string path = EntryPath(*catalogue_, index);
    if (!FeedFileExists(path))
        return; // the boxes keep what they show
    LoadDocument(path);
    ShowSlot(index);
    ShowChannelOfDocument(index);
}

void TForm1::SpeedButton2Click()
{
    if (!SettleUnsavedEdits())
        return;
    const QString chosen = dialogs_.OpenFileName(FeedFileFilter);
    if (chosen.isEmpty())
        return;
    AddFeedFile(chosen);
}

void TForm1::AddFeedFile(const QString &chosen)
{
    const int count = EntryCount(*catalogue_);
    if (count >= MaxFeeds) {
        dialogs_.ShowMessage(QStringLiteral("Max 100 Feeds!"));
        return;
    }
    const std::string path(CutToCapacity(QFile::encodeName(chosen).toStdString(), PathCapacity));
    StoreEntryPath(*catalogue_, count, path); // a free slot: harmless if the load fails
    LoadDocument(path);
    // A feed that did not read whole, or lacks what the page shows, is not added.
    RequireWholeDocument(*document_, path);
    const TChannelFields fields = ReadChannelFields(*document_, path);
    const TFeedTextCodec codec = DocumentCodec();
    ShowFeedField(0, fields.Title, codec);
    ShowFeedField(1, fields.Description, codec);
    ShowFeedField(2, fields.Link, codec);
    ShowFeedField(3, fields.Date, codec);
    const TChannelFields shown = TypedChannelFields(codec);
    AppendEntry(*catalogue_, path, shown.Title, shown.Description, shown.Link, shown.Date);
    WriteCatalogueNow();
    FeedListUpdate();
}

void TForm1::BitBtn1Click()
{
    const int index = ui->ListBox1->currentRow();
    if (index < 0 || index >= EntryCount(*catalogue_))
        return;
    const std::string path = EntryPath(*catalogue_, index);
    const TUndoHistory::TRecording undoStep(undoHistory_, path);
    try {
        LoadDocument(path);
    } catch (...) {
        // The catalogue entry takes the boxes' values even when the file cannot be read.
        StoreChannelFields(*catalogue_, index,
                           TypedChannelFields(TFeedTextCodec(TTextEncoding::Utf8)));
        WriteCatalogueNow();
        throw;
    }
    // Never write a partly read tree over the file, nor store half of a refused save.
    RequireWholeDocument(*document_, path);
    // The channel's fields change in memory: the file is read again when next needed.
    documentIsKnownFile_ = false;
    itemListIsDocument_ = false;
    itemTreeUndo_.Clear();
    const TFeedTextCodec codec = DocumentCodec();
    const TChannelFields fields = SavedChannelFields(codec);
    // The build date follows a date the user set; an untouched date box leaves the file's.
    WriteChannelFields(*document_, path, fields, ui->Edit4->text() != shownFields_[3].Text);
    // The file first: a write it refuses stores nothing in the list either, and the boxes keep
    // the typing as typing (Undo takes it back, leaving the feed asks about it).
    document_->SaveToFile(path);
    StoreChannelFields(*catalogue_, index, fields);
    WriteCatalogueNow();
    FeedListUpdate();
    ui->BitBtn1->setEnabled(false);
}

void TForm1::SpeedButton4Click()
{
    if (!dialogs_.AskWarning(QStringLiteral("Delete selected feed?")))
        return;
    if (EntryCount(*catalogue_) == 0)
        return;
    const int index = ui->ListBox1->currentRow();
    if (index < 0)
        return;
    RemoveEntry(*catalogue_, index); // the feed's file stays as it is
    WriteCatalogueNow();
    FeedListUpdate();
}

void TForm1::Button1Click() { ui->Edit4->setText(QString::fromUtf8(NewDateStamp())); }

void TForm1::Edit1Change() { ui->BitBtn1->setEnabled(true); }
