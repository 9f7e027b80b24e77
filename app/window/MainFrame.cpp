// The window's frame: start-up and close, the menu commands, the event filter's dispatch,
// the page-change guard and the footer's web link.
#include "Unit1.h"
#include "ui_Unit1.h"

#include "AppTitle.h"
#include "Dialogs.h"
#include "FeedCommands.h"
#include "FeedFileChecks.h"
#include "Platform.h"
#include "zelXMLParser2.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QItemSelectionModel>
#include <QSignalBlocker>
#include <QMouseEvent>

namespace {

const QString WebAddress = QStringLiteral("https://www.example.org/");

} // namespace

// ---- wiring ----

void TForm1::KeepSelectionOnCurrentRow(QAbstractItemView &list)
{
    QItemSelectionModel *selection = list.selectionModel();
    const QModelIndex current = list.currentIndex();
    if (current.isValid() && selection->selectedIndexes() != QModelIndexList{current})
        selection->select(current, QItemSelectionModel::ClearAndSelect);
}

void TForm1::ConnectHandlers()
{
    // Every handler Qt starts runs inside the general error handler.
    const auto guarded = [this](void (TForm1::*handler)()) {
        return [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); };
    };

    // Feeds page.
    connect(ui->SpeedButton2, &QToolButton::clicked, this, guarded(&TForm1::SpeedButton2Click));
    connect(ui->BitBtn1, &QToolButton::clicked, this, guarded(&TForm1::BitBtn1Click));
    connect(ui->SpeedButton4, &QToolButton::clicked, this, guarded(&TForm1::SpeedButton4Click));
    connect(ui->Button1, &QPushButton::clicked, this, guarded(&TForm1::Button1Click));
    // Rows selected by the program go through SelectRowQuietly, so this is the user's choice.
    connect(ui->ListBox1, &QListWidget::currentRowChanged, this, guarded(&TForm1::FeedRowChosen));
    // A click on the line already selected selects it again: the feed is shown once more.
    connect(ui->ListBox1, &QListWidget::pressed, this, [this](const QModelIndex &index) {
        if (index.row() == listBox1RowAtPress_)
            RunGuarded([this] { FeedRowChosen(); });
    });
    // The selected line is the current one, alone: a Ctrl+click or Ctrl+Space would leave none,
    // and a click answered Cancel would leave the clicked line lit beside the current one.
    connect(ui->ListBox1, &QListWidget::itemSelectionChanged, this, [this] {
        KeepSelectionOnCurrentRow(*ui->ListBox1);
    });
    // textChanged fires only when the text really changes, typed or set.
    for (QLineEdit *box : {ui->Edit1, ui->Edit2, ui->Edit3, ui->Edit4})
        connect(box, &QLineEdit::textChanged, this, guarded(&TForm1::Edit1Change));

    // Items page.
    connect(ui->SpeedButton1, &QToolButton::clicked, this, guarded(&TForm1::SpeedButton1Click));
    connect(ui->SpeedButton5, &QToolButton::clicked, this, guarded(&TForm1::SpeedButton5Click));
    connect(ui->SpeedButton7, &QToolButton::clicked, this, guarded(&TForm1::SpeedButton7Click));
    connect(ui->SpeedButton6, &QToolButton::clicked, this, guarded(&TForm1::SpeedButton6Click));
    connect(ui->Button2, &QPushButton::clicked, this, guarded(&TForm1::Button2Click));
    connect(ui->ListBox2, &TItemListView::currentRowChanged, this, guarded(&TForm1::ItemRowChosen));
    ui->ListBox2->Rows().SetRowText([this](int row) { return ItemRowText(row); });
    // A click on the row already selected shows its item again (after asking about edits).
    connect(ui->ListBox2, &QAbstractItemView::pressed, this, [this](const QModelIndex &index) {
        if (index.row() == listBox2RowAtPress_)
            RunGuarded([this] { ItemRowChosen(); });
    });
    connect(ui->ListBox2, &QAbstractItemView::doubleClicked, this,
            guarded(&TForm1::ItemDetails1Click));
    // The commands work on the current row, so it is the one lit (and the one a screen reader
    // reads as selected), whatever the mouse did: a click on empty space, a Ctrl+click, a click
    // on another row whose question was answered Cancel (the view selects the clicked row after
    // the question has put the current row back).
    connect(ui->ListBox2, &TItemListView::itemSelectionChanged, this, [this] {
        KeepSelectionOnCurrentRow(*ui->ListBox2);
    });
    for (QLineEdit *box : {ui->Edit5, ui->Edit7, ui->Edit8})
        connect(box, &QLineEdit::textChanged, this, guarded(&TForm1::Edit5Change));
    // QPlainTextEdit signals every setPlainText, even with the same text.
    connect(ui->Memo1, &QPlainTextEdit::textChanged, this, guarded(&TForm1::Edit5Change));
    connect(ui->Edit6, &QLineEdit::textChanged, this, guarded(&TForm1::Edit6Change));
    // A state change, whether clicked or set by the program, runs the click handler.
    connect(ui->CheckBox1, &QCheckBox::toggled, this, guarded(&TForm1::CheckBox1Click));
    connect(ui->CheckBox2, &QCheckBox::toggled, this, guarded(&TForm1::CheckBox2Click));

    // Menus. The shortcut texts are part of the captions; the keys are resolved in
    // eventFilter, never by Qt's shortcut map.
    connect(ui->Add1, &QAction::triggered, this, guarded(&TForm1::SpeedButton2Click));
    connect(ui->Save1, &QAction::triggered, this, guarded(&TForm1::BitBtn1Click));
    connect(ui->Delete1, &QAction::triggered, this, guarded(&TForm1::Delete1Click));
    connect(ui->CheckFeed1, &QAction::triggered, this, guarded(&TForm1::CheckFeed1Click));
    connect(ui->Podcast1, &QAction::triggered, this, guarded(&TForm1::Podcast1Click));
    connect(ui->Exit1, &QAction::triggered, this, guarded(&TForm1::Exit1Click));
    connect(ui->Add2, &QAction::triggered, this, guarded(&TForm1::SpeedButton1Click));
    connect(ui->CloneItem1, &QAction::triggered, this, guarded(&TForm1::SpeedButton5Click));
    connect(ui->Delete2, &QAction::triggered, this, guarded(&TForm1::Delete1Click));
    connect(ui->Save2, &QAction::triggered, this, guarded(&TForm1::SpeedButton6Click));
    connect(ui->Exit2, &QAction::triggered, this, guarded(&TForm1::Exit1Click));
    connect(ui->New1, &QAction::triggered, this, guarded(&TForm1::New1Click));
    connect(ui->ItemDetails1, &QAction::triggered, this, guarded(&TForm1::ItemDetails1Click));
    connect(ui->Undo1, &QAction::triggered, this, guarded(&TForm1::Undo1Click));
    connect(ui->PublishSettings1, &QAction::triggered, this, guarded(&TForm1::PublishSettings1Click));
    connect(ui->Publish1, &QAction::triggered, this, guarded(&TForm1::Publish1Click));
    // Items > Show Notes... and Preview carry no key.
    connect(ui->ShowNotes1, &QAction::triggered, this, guarded(&TForm1::ShowNotes1Click));
    connect(ui->Preview1, &QAction::triggered, this, guarded(&TForm1::Preview1Click));

    menuCommands_ = {
        {ui->Add1, ui->open1, int(Qt::ControlModifier) | Qt::Key_O},
        {ui->Save1, ui->open1, int(Qt::ControlModifier) | Qt::Key_S},
        {ui->Delete1, ui->open1, Qt::Key_Delete},
        {ui->New1, ui->open1, int(Qt::ControlModifier | Qt::ShiftModifier) | Qt::Key_N},
        {ui->CheckFeed1, ui->open1, Qt::Key_F7},
        {ui->Podcast1, ui->open1, int(Qt::ControlModifier | Qt::ShiftModifier) | Qt::Key_P},
        {ui->Exit1, ui->open1, int(Qt::ControlModifier) | Qt::Key_X},
        {ui->Add2, ui->Items1, int(Qt::ControlModifier) | Qt::Key_N},
        {ui->CloneItem1, ui->Items1, Qt::Key_Insert},
        {ui->Delete2, ui->Items1, Qt::Key_Delete},
        {ui->Save2, ui->Items1, int(Qt::ControlModifier) | Qt::Key_S},
        {ui->ItemDetails1, ui->Items1, int(Qt::ControlModifier) | Qt::Key_D},
        {ui->Exit2, ui->Items1, int(Qt::ControlModifier) | Qt::Key_X},
        {ui->Undo1, ui->EditMenu, int(Qt::ControlModifier) | Qt::Key_Z},
    };
    // Publish sits in the Feed menu; its key is carried by no other command.
    menuCommands_.push_back(
        {ui->Publish1, ui->open1, int(Qt::ControlModifier | Qt::ShiftModifier) | Qt::Key_U});

    connect(ui->PageControl1, &QTabWidget::currentChanged, this,
            &TForm1::PageControl1CurrentChanged);

    // The window sees key presses and releases before the focused control.
    qApp->installEventFilter(this);
}

// ---- start and end ----

void TForm1::FormCreate()
{
    WriteRegistryFlag();
    document_ = std::make_unique<TzelXMLParser2>();
    // Real feeds use more of XML than the engine's own subset; the editor reads and keeps it.
    document_->SetXmlCompatible(true);
    LoadCatalogue(*catalogue_, catalogueDirectory_); // problems with the file are not reported
    ui->CheckBox1->setChecked(AutoDateOption(*catalogue_));
    ui->CheckBox2->setChecked(AutoLinkOption(*catalogue_));
}

void TForm1::FormActivate() { FeedListUpdate(); }

void TForm1::FormCloseQuery(bool &CanClose)
{
    CanClose = dialogs_.AskConfirmation(QStringLiteral("Exit Tolvane RSS Editor?"));
}

void TForm1::FormClose()
{
    const std::string failure = SaveCatalogue(*catalogue_, catalogueDirectory_);
    if (!failure.empty())
        dialogs_.ShowError(TFeedTextCodec(EncodingFor({}, failure)).ToText(failure) +
                           QStringLiteral("\nThe changes to the feed list since start are lost."));
}

void TForm1::FormDestroy() { document_.reset(); }

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // Qt activates the window again after every message box and file dialog; the Feeds page
    // is filled once, when the window first shows, so typed edits survive those boxes.
    if (!activated_) {
        activated_ = true;
        RunGuarded([this] { FormActivate(); });
    }
}

void TForm1::closeEvent(QCloseEvent *event)
{
    bool canClose = false;
    RunGuarded([this, &canClose] {
        bool answer = true;
        FormCloseQuery(answer);
        canClose = answer && SettleUnsavedEdits();
    });
    if (!canClose) {
        event->ignore();
        return;
    }
    RunGuarded([this] { FormClose(); });
    event->accept();
}

// ---- commands ----

void TForm1::Exit1Click() { close(); }

void TForm1::Delete1Click()
{
    // The click is performed even when the page's delete button is disabled.
    if (ActivePageIndex() == 0)
        SpeedButton4Click();
    else
        SpeedButton7Click();
}

void TForm1::Image1Click() { OpenWebPage(WebAddress); }

// ---- events ----

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        break;
    default:
        return false;
    }
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != this)
        return false;
    // Each concern has its own part: keys in WindowKeys.cpp, mouse and wheel in WindowMouse.cpp.
    switch (event->type()) {
    case QEvent::KeyPress:
        return FilterKeyPress(*static_cast<QKeyEvent *>(event));
    case QEvent::KeyRelease:
        return FilterKeyRelease(*static_cast<QKeyEvent *>(event));
    case QEvent::Wheel:
        return FilterWheel(*widget);
    default:
        return FilterMouseButton(*widget, *static_cast<QMouseEvent *>(event));
    }
}

// ---- pages ----

void TForm1::PageControl1CurrentChanged(int index)
{
    if (changingPage_)
        return;
    // Qt has already switched: put the old page back, ask the guard, and switch again only
    // when it allows. The handlers therefore see the old page as active while the guard runs.
    {
        const QSignalBlocker quiet(ui->PageControl1);
        ui->PageControl1->setCurrentIndex(shownPage_);
    }
    bool settled = false;
    RunGuarded([this, &settled] { settled = SettleUnsavedEdits(); });
    if (!settled)
        return;
    bool allow = false;
    RunGuarded([this, &allow] { PageControl1Changing(allow); });
    if (!allow)
        return;
    changingPage_ = true;
    {
        // The focus moves into the new page; a list gaining it with no current row would
        // select one itself and run its click handler, which is the user's alone.
        const QSignalBlocker quietFeeds(ui->ListBox1), quietItems(ui->ListBox2);
        ui->PageControl1->setCurrentIndex(index);
    }
    changingPage_ = false;
    shownPage_ = index;
    RunGuarded([this] { PageControl1Change(); });
}

void TForm1::PageControl1Changing(bool &AllowChange)
{
    AllowChange = false;
    if (EntryCount(*catalogue_) == 0) {
        dialogs_.ShowMessage(QStringLiteral("Feeds is empty!"));
        return;
    }
    const std::string path = SelectedFeedPath();
    if (ActivePageIndex() == 1) {
        // Leaving the Items page is never refused: the Feeds page needs no file. The item list
        // is reloaded first when the file is still there (an error is shown, the change made).
        AllowChange = true;
        if (FeedFileExists(path))
            ItemsUpdate();
        return;
    }
    if (!FeedFileExists(path)) {
        const std::string message = MissingFeedMessage(path);
        dialogs_.ShowMessage(TFeedTextCodec(EncodingFor({}, message)).ToText(message));
        return;
    }
    ItemsUpdate();
    AllowChange = true;
}

void TForm1::PageControl1Change()
{
    const bool itemsShowing = ActivePageIndex() == 1;
    ui->open1->setEnabled(!itemsShowing);
    ui->Items1->setEnabled(itemsShowing);
    // Leaving the Items page read the feed again: the Feeds page shows its channel as it is.
    const std::string path = SelectedFeedPath();
    if (!itemsShowing && !path.empty() && documentIsKnownFile_ && knownFile_.Unchanged(path))
        ShowChannelOfDocument(ui->ListBox1->currentRow());
    if (itemsShowing && ui->ListBox2->count() > 0) {
        SelectRowQuietly(ui->ListBox2, 0);
        ListBox2Click();
        ui->Edit5->selectAll();
        ui->Edit5->setFocus();
    }
}
