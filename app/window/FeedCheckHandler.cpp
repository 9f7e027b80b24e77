// Feed > Check Feed: the selected feed's file goes through FeedCheck and the findings show in
// a dialog that stays open; a double click on an item's finding shows that item.
#include "Unit1.h"
#include "ui_Unit1.h"

#include "Dialogs.h"
#include "FeedCheck.h"
#include "FeedCheckDialog.h"
#include "zelStrings.h"

void TForm1::CheckFeed1Click()
{
    const std::string path = FeedForCommand();
    if (path.empty())
        return;
    // The file as it is on disk: that is what readers will get.
    const std::vector<TFeedFinding> findings = CheckFeed(LoadStringFromFile(path));
    if (!feedCheckDialog_) {
        feedCheckDialog_ = new TFeedCheckDialog(this);
        connect(feedCheckDialog_, &TFeedCheckDialog::ItemChosen, this,
                [this](int row) { RunGuarded([this, row] { ShowCheckedItem(row); }); });
    }
    feedCheckDialog_->ShowFindings(path, ui->ListBox1->currentItem()->text(), findings);
    feedCheckDialog_->show();
    feedCheckDialog_->raise();
    feedCheckDialog_->activateWindow();
}

void TForm1::ShowCheckedItem(int row)
{
    // The dialog stays open while the user works: its rows only fit the feed it checked.
    if (SelectedFeedPath() != feedCheckDialog_->FeedPath()) {
        dialogs_.ShowMessage(QStringLiteral("These findings are about another feed. "
                                            "Check the selected feed again."));
        return;
    }
    if (ActivePageIndex() != 1) {
        ui->PageControl1->setCurrentIndex(1); // through the page guard, which lists the items
        if (ActivePageIndex() != 1)
            return; // refused: the feed's file is gone
    }
    if (row >= ui->ListBox2->count()) {
        dialogs_.ShowMessage(QStringLiteral("The feed has fewer items now. Check it again."));
        return;
    }
    SelectRowQuietly(ui->ListBox2, row);
    ListBox2Click();
    activateWindow();
    raise();
}
