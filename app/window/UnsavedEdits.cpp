// Edits typed into a page's boxes are never dropped without a word: choosing another feed or
// item, changing pages, exiting and the commands that show something else ask first. The
// mark is a comparison with what the program last showed (the Save buttons are also lit by
// the program's own fills, so they cannot tell). Refreshes after a command never ask.
#include "Unit1.h"
#include "ui_Unit1.h"

#include "Dialogs.h"
#include "FeedCatalogue.h"

QStringList TForm1::ItemFieldTexts() const
{
    return {ui->Edit5->text(), ui->Memo1->toPlainText(), ui->Edit7->text(), ui->Edit8->text()};
}

bool TForm1::FeedEditsPending() const
{
    if (feedRowShown_ < 0 || feedRowShown_ >= EntryCount(*catalogue_))
        return false;
    const QLineEdit *boxes[4] = {ui->Edit1, ui->Edit2, ui->Edit3, ui->Edit4};
    for (int box = 0; box < 4; ++box)
        if (boxes[box]->text() != shownFields_[box].Text)
            return true;
    return false;
}

bool TForm1::ItemEditsPending() const
{
    return itemRowShown_ >= 0 && itemRowShown_ < ui->ListBox2->count() &&
           ItemFieldTexts() != itemFieldsShown_;
}

void TForm1::DropUnsavedEdits()
{
    if (ActivePageIndex() == 0) {
        if (FeedEditsPending())
            PutBackShownFeedFields();
    } else if (ItemEditsPending()) {
        SelectRowQuietly(ui->ListBox2, itemRowShown_);
        ListBox2Click();
    }
}

bool TForm1::SettleUnsavedEdits()
{
    const bool feeds = ActivePageIndex() == 0;
    if (feeds ? !FeedEditsPending() : !ItemEditsPending())
        return true;
    const QString name = feeds ? ui->ListBox1->item(feedRowShown_)->text() : itemFieldsShown_[0];
    switch (dialogs_.AskSaveChanges(QStringLiteral("Save changes to \"%1\"?").arg(name))) {
    case TSaveChangesAnswer::Yes:
        // The Save of the page works on the selected line: the one the boxes belong to.
        if (feeds) {
            const int row = feedRowShown_;
            SelectRowQuietly(ui->ListBox1, row);
            BitBtn1Click();
            // The save lists the feeds again from the first line: the page stays on this one,
            // which the command that asked (a page change, a check's finding) goes on with.
            SelectFeed(row);
        } else {
            SelectRowQuietly(ui->ListBox2, itemRowShown_);
            SpeedButton6Click();
        }
        return true;
    case TSaveChangesAnswer::No:
        DropUnsavedEdits();
        return true;
    case TSaveChangesAnswer::Cancel:
        break;
    }
    return false;
}

void TForm1::FeedRowChosen()
{
    const int chosen = ui->ListBox1->currentRow();
    if (!SettleUnsavedEdits()) {
        SelectRowQuietly(ui->ListBox1, feedRowShown_);
        return;
    }
    SelectRowQuietly(ui->ListBox1, chosen);
    ListBox1Click();
}

void TForm1::ItemRowChosen()
{
    const int chosen = ui->ListBox2->currentRow();
    if (!SettleUnsavedEdits()) {
        SelectRowQuietly(ui->ListBox2, itemRowShown_);
        return;
    }
    SelectRowQuietly(ui->ListBox2, chosen);
    ListBox2Click();
}
