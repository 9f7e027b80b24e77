// The Items page: the item list of the feed selected on the Feeds page and its commands.
// First cut: the list and the option check boxes; the item commands are still to come.
#include "Unit1.h"
#include "ui_Unit1.h"

#include "FeedCommands.h"
#include "TextFunctions.h"
#include "zelXMLParser2.h"

void TForm1::ItemsUpdate()
{
    const int previousRow = ui->ListBox2->currentRow();
    document_->LoadFromFile(SelectedFeedPath());
    const TzelXMLNode2 &channel = RequireChannel(*document_, SelectedFeedPath());
    const int childCount = channel.ChildCount();
    int first = 0;
    while (first < childCount && channel.ChildAt(first)->NameView() != "item")
        ++first;
    {
        const QSignalBlocker quiet(ui->ListBox2);
        ui->ListBox2->clear();
    }
    if (first == childCount) {
        ui->SpeedButton5->setEnabled(false);
        ui->SpeedButton6->setEnabled(false);
        ui->SpeedButton7->setEnabled(false);
        FirstItemIndex = childCount;
        return;
    }
    FirstItemIndex = first;
    const TFeedTextCodec codec = DocumentCodec();
    {
        const QSignalBlocker quiet(ui->ListBox2);
        for (int position = first; position < childCount; ++position) {
            const TzelXMLNode2 *title = channel.ChildAt(position)->FindChild("title");
            std::string text = title ? title->Text() : std::string();
            DecodeQuot(text);
            ui->ListBox2->addItem(codec.ToText(text));
        }
    }
    const int rows = ui->ListBox2->count();
    SelectRowQuietly(ui->ListBox2, previousRow < rows ? previousRow : rows - 1);
    ListBox2Click();
}

void TForm1::ListBox2Click() {}

void TForm1::SpeedButton1Click() {}

void TForm1::SpeedButton5Click() {}

void TForm1::SpeedButton7Click() {}

void TForm1::SpeedButton6Click() {}

void TForm1::Button2Click() { ui->Edit8->setText(QString::fromUtf8(NewDateStamp())); }

void TForm1::CheckBox1Click()
{
    ui->Edit8->setEnabled(!ui->CheckBox1->isChecked());
    SetAutoDate(*catalogue_, ui->CheckBox1->isChecked() ? 1 : 0);
}

void TForm1::Edit5Change() { ui->SpeedButton6->setEnabled(true); }

void TForm1::Edit6Change() {}

void TForm1::CheckBox2Click() { SetAutoLink(*catalogue_, ui->CheckBox2->isChecked() ? 1 : 0); }

void TForm1::Edit6DblClick() { ui->Edit6->selectAll(); }
