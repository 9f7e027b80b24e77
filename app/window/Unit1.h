#pragma once
// TForm1: the editor's one window. The design (controls, places, captions, tool tips) is
// Unit1.ui; this class owns the catalogue record and the shared document object and holds the
// handlers. Unit1.cpp creates and destroys the window, MainFrame.cpp holds the frame (menus,
// page guard, close), WindowKeys.cpp and WindowMouse.cpp the event filter's rules, FeedsPage.cpp
// the Feeds page and ItemsPage.cpp the Items page.
#include "DropNotice.h"
#include "FeedCatalogue.h"
#include "FeedTextCodec.h"
#include "ItemCommands.h"
#include "ItemTreeUndo.h"
#include "KnownFeedFile.h"
#include "PublishSecret.h"
#include "UndoHistory.h"

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Ui {
class TForm1;
}
class QAbstractItemView;
class QAction;
class QKeyEvent;
class QListWidget;
class TItemListView;
class QMenu;
class QMouseEvent;
class TClock;
struct TChannelFields;
struct TPreviewPages;
class TDialogs;
class TFeedCheckDialog;
class TzelXMLDataSet2;
class TzelXMLParser2;

class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    // catalogueDirectory: where feeds.cfg lives (the real program: the executable's directory).
    // dialogs and clock must outlive the window.
    TForm1(std::string catalogueDirectory, TDialogs &dialogs, const TClock &clock,
           QWidget *parent = nullptr);
    ~TForm1() override;

    // ---- frame (MainFrame.cpp) ----
    void FormCreate();
    void FormActivate();
    void FormCloseQuery(bool &CanClose);
    void FormClose();
    void FormDestroy();
    void Exit1Click();
    void Delete1Click();
    void PageControl1Changing(bool &AllowChange);
    void PageControl1Change();
    // Key is set to 0 when the release is consumed.
    void FormKeyUp(int &Key, Qt::KeyboardModifiers Shift);
    void Image1Click();

    // ---- Feeds page (FeedsPage.cpp) ----
    void FeedListUpdate();
    void ListBox1Click();
    void SpeedButton2Click(); // Add Feed
    void BitBtn1Click();      // Save Feed
    void SpeedButton4Click(); // Delete Feed
    void Button1Click();      // Set Date
    void Edit1Change();       // Edit1..Edit4 changed: the modified mark

    // ---- Items page (ItemsPage.cpp) ----
    void ItemsUpdate();
    void ListBox2Click();
    void SpeedButton1Click(); // Add Item
    void SpeedButton5Click(); // Clone Item
    void SpeedButton7Click(); // Delete Item
    void SpeedButton6Click(); // Save Item
    void Button2Click();      // "< Set Date"
    void CheckBox1Click();    // "Auto"
    void Edit5Change();       // Edit5, Memo1, Edit7, Edit8 changed: enables the Save button
    void Edit6Change();       // the quoted word changed
    void CheckBox2Click();    // "Auto Link"
    void Edit6DblClick();

    // ---- Check Feed (FeedCheckHandler.cpp) ----
    void CheckFeed1Click();        // checks the selected feed's file, findings in the dialog
    void ShowCheckedItem(int row); // a finding's item, selected on the Items page

    // Position among the channel's children of the first "item" (row r = child r + this).
    int FirstItemIndex = 0;

    // ---- beyond the specified commands, one file each ----
    void New1Click();         // Feed > New Feed (NewFeedHandler.cpp)
    void ItemDetails1Click(); // Items > Details, double click on a row (ItemDetailsHandler.cpp)
    void Undo1Click();        // Edit > Undo (UndoHandler.cpp)
    void Podcast1Click();     // Feed > Podcast... (PodcastHandler.cpp)
    // Adds each feed not in the catalogue yet, as Add Feed would, and selects the last one
    // named (CommandLineFilesHandler.cpp).
    void OpenFeedFiles(const std::vector<std::string> &paths);
    // When the showing page's boxes hold edits not saved yet, asks "Save changes to ...?":
    // Yes saves as the page's Save does, No puts back what was shown; false on Cancel
    // (UnsavedEdits.cpp).
    bool SettleUnsavedEdits();
    // Feed > Publish Settings... and Feed > Publish (PublishHandler.cpp): the selected feed's
    // server, and its upload off the window's thread with a progress dialog.
    void PublishSettings1Click();
    void Publish1Click();
    // Items > Show Notes... (ShowNotesHandler.cpp): the episode's content:encoded.
    void ShowNotes1Click();
    // Items > Preview (PreviewHandler.cpp): the episode and its show as apps show them.
    void Preview1Click();
    // The preview's pages for the row's episode; notes: stands in for its notes when given.
    TPreviewPages PreviewPages(int row, const QString *notes) const;

    // ---- what the pages share ----
    // The general error handler: runs the command, shows an exception's message in an error
    // box and returns. Every handler started by the user or by Qt runs inside it.
    void RunGuarded(const std::function<void()> &command);
    // Writes the catalogue after a change to it, so a crash loses nothing; a failure is shown.
    void WriteCatalogueNow();
    // A fresh date stamp from the window's clock.
    std::string NewDateStamp() const;
    // The conversion for the document in memory (its declaration and bytes decide). Worked
    // out once per load: the bytes only change when a file is read.
    TFeedTextCodec DocumentCodec() const;
    // Reads the feed at path into the shared document (every load goes through here).
    void LoadDocument(const std::string &path);
    // The Path of the catalogue slot selected in ListBox1 ("" when no line is selected).
    std::string SelectedFeedPath() const;
    // The selected feed's path for a Feed menu command; "" (after saying "Feeds is empty!" when
    // the list is) when there is none to work on.
    std::string FeedForCommand();
    // Selects a row from the program: the list's click handler does not run.
    static void SelectRowQuietly(QListWidget *list, int row);
    static void SelectRowQuietly(TItemListView *list, int row);
    // Index of the page showing (0 Feeds, 1 Items).
    int ActivePageIndex() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // One menu command with the key it carries, in menu order.
    struct TMenuCommand {
        QAction *Action;
        QMenu *Menu;
        int Key; // Qt key | modifiers, compared exactly
    };

    void SetUpWindow();
    void ConnectHandlers();
    // ---- events (MainFrame.cpp dispatches; WindowKeys.cpp and WindowMouse.cpp decide) ----
    // Menu command resolution of a key press: true when the key belongs to a command.
    bool HandleShortcut(int keyWithModifiers);
    // Each returns true when the event is taken (the focused control does not see it).
    bool FilterKeyPress(const QKeyEvent &event);
    bool FilterKeyRelease(const QKeyEvent &event);
    bool FilterMouseButton(QWidget &widget, QMouseEvent &event);
    void RememberListRowAtPress(const QWidget &widget);
    bool FilterFooterClick(const QWidget &widget, const QMouseEvent &event);
    bool FilterQuotedWordDoubleClick(const QWidget &widget, QMouseEvent &event);
    bool FilterWheel(const QWidget &widget) const;
    void PageControl1CurrentChanged(int index);
    // Makes the list's selection its current row alone (the lists' selection handler).
    static void KeepSelectionOnCurrentRow(QAbstractItemView &list);
    // Shows bytes of the catalogue in an edit box and remembers them, so an untouched box
    // gives its bytes back unchanged.
    void ShowFeedField(int box, const std::string &bytes, const TFeedTextCodec &codec);
    // The box's bytes: as shown when untouched, otherwise its text in the codec's encoding
    // (a character the encoding cannot hold raises).
    std::string FeedFieldBytes(int box, const TFeedTextCodec &codec) const;
    // Fills the four boxes from a catalogue slot.
    void ShowSlot(int index);
    // All four boxes' bytes, every one encoded before any is used: a refused character
    // stores nothing.
    TChannelFields TypedChannelFields(const TFeedTextCodec &codec) const;
    // What Save Feed writes: the boxes the user typed in, and for the others the values the
    // loaded file holds.
    TChannelFields SavedChannelFields(const TFeedTextCodec &codec) const;
    // Fills the boxes from the channel of the document just read for catalogue line index, and
    // brings the line's cached copy up to date.
    void ShowChannelOfDocument(int index);
    // The boxes as the program last filled them (the typing dropped).
    void PutBackShownFeedFields();
    // Save Feed is lit exactly while the boxes hold typing.

    std::unique_ptr<Ui::TForm1> ui;
    std::string catalogueDirectory_;
    TDialogs &dialogs_;
    const TClock &clock_;
    std::unique_ptr<TFeedCatalogue> catalogue_;
    std::unique_ptr<TzelXMLParser2> document_;
    // The document's encoding, found on first use after a load (a UTF-8 check of the whole file
    // when it has no declaration).
    mutable std::optional<TTextEncoding> documentEncoding_;
    TDropNotice dropNotice_;
    // The window's XML table dataset component: created with it, writable, never opened.
    std::unique_ptr<TzelXMLDataSet2> XMLDataSet1;
    std::vector<TMenuCommand> menuCommands_;
    TFeedCheckDialog *feedCheckDialog_ = nullptr; // created on first use, a child of the window
    TPublishSecret publishSecret_; // publishing passwords for this session
    bool activated_ = false;     // FormActivate ran (first show)
    bool changingPage_ = false;  // the page guard allowed the change being made
    int listBox1RowAtPress_ = -1; // ListBox1's current row when the left button went down
    int listBox2RowAtPress_ = -1; // the same for ListBox2
    int shownPage_ = 0;
    struct TShownField {
        std::string Bytes;
        QString Text;
    };
    TShownField shownFields_[4]; // Edit1..Edit4 as last filled by the program

    // ---- Items page (ItemsPage.cpp) ----
    void ClearItemList();
    // LoadDocument for the Items page: a read that empties the document empties the list too.
    void LoadListedDocument(const std::string &path);
    // Fills the list from the document in memory.
    void FillItemList();
    // The line ListBox2 shows for a row: the listed child's title as the document holds it.
    QString ItemRowText(int row) const;
    // Selects the row that was current (or the last) and shows it; no rows turn Clone, Save
    // and Delete off.
    void ShowRowAfterListing(int previousRow);
    // Runs an item command: keeps its undo step and the bytes it wrote, and shows the list as
    // the file now has it, redoing only the row the command changed when the document is
    // known to be what the file reads as, and reading the file otherwise.
    // The command gets the text laid out before (or null), the first item's position and the
    // row to work on, which may have moved since the user chose it (see FollowFileOnDisk).
    // chosenItem: the command works on the row's item (Add does not).
    enum class TRowChange { Inserted, Removed, Changed };
    using TItemCommand = std::function<TWrittenFeed(TLaidOutText *, int first, int row)>;
    void RunItemCommand(const TItemCommand &command, TRowChange change, int row,
                        bool chosenItem = true);
    // Before an item command writes: when another program changed the file since the editor
    // last read or wrote it, the file is read again and listed, and row becomes the row of the
    // chosen item in it. The fields keep what they show. Raises a message naming the file when
    // the item is no longer in it as it was.
    void FollowFileOnDisk(int &row, bool chosenItem);
    // The Items page's chosen row for a dialog that writes its item (Details, Show Notes): typed
    // edits settled first, as the list is read again afterwards, and the file followed, so the
    // dialog shows the item as the file has it now. -1 when no row is chosen or the user
    // cancelled the save question.
    int SettledChosenRow();
    // Shows the selected row's item from the document, and puts back into the fields what the
    // user had typed in them, still pending.
    void ShowItemKeepingTyping();
    void ItemsRelist(TRowChange change, int row, bool listWasDocument);
    // The line break typed description lines take when the description has none: the one of
    // the feed's text as last read or written.
    std::string fileLineBreak_ = "\r\n";
    void NoteWrittenText(const std::string &bytes);
    TItemFields shownItem_;    // the item's bytes as last shown, so untouched fields keep them
    QString shownMemoText_;    // Memo1's raw text right after it was filled
    bool showingItem_ = false; // ListBox2Click is filling the fields

    // ---- beyond the specified commands ----
    // Add Feed once a file is chosen (also for files named on the command line).
    void AddFeedFile(const QString &chosen);
    // Selects a catalogue line and shows its feed, as the user's choice of it would.
    void SelectFeed(int index);
    // The boxes differ from what the program last showed in them.
    bool FeedEditsPending() const;
    bool ItemEditsPending() const;
    QStringList ItemFieldTexts() const;
    // Puts back what the showing page last showed.
    void DropUnsavedEdits();
    // A line or row chosen by the user: unsaved edits are settled first.
    void FeedRowChosen();
    void ItemRowChosen();

    TUndoHistory undoHistory_;
    // The selected feed's file as last read or written, so an unchanged file is not read again.
    TKnownFeedFile knownFile_;
    bool documentIsKnownFile_ = false; // the document is what reading knownFile_'s bytes gives
    bool itemListIsDocument_ = false;  // ListBox2 holds the document's rows
    TItemTreeUndo itemTreeUndo_;       // item commands taken back in the document itself
    // Edit > Undo of an item command in the document itself; false when it cannot be.
    bool UndoItemCommandInDocument(const std::string &path);
    int feedRowShown_ = -1;       // the catalogue line the Feeds page's boxes show
    int itemRowShown_ = -1;       // the row the Items page's fields show
    QStringList itemFieldsShown_; // Edit5, Memo1, Edit7, Edit8 once the item was shown
};
