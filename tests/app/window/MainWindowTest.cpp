// The window's frame: start-up state, layout, menu keys on both pages, key releases, the page
// guard, the exit question and what closing leaves in feeds.cfg.
#include "WindowFixture.h"
#include "ui_Unit1.h"

#include <QApplication>
#include <QFontDatabase>
#include <QMenuBar>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QSignalSpy>

#include <algorithm>
#include <memory>

namespace {

const std::string ItemsXml = "    <item>\r\n"
                             "      <title>First</title>\r\n"
                             "    </item>\r\n"
                             "    <item>\r\n"
                             "      <title>Second</title>\r\n"
                             "    </item>\r\n";

// One feed with two items, catalogued; returns its path.
std::string OneFeed(TWindowFixture &window)
{
    const std::string path = window.WriteFeed(
        "one.xml", FeedBytes("One", "First feed", "http://one.example/", "Sun, 4 Feb 2007 10:00:00 -0800",
                             "UTF-8", ItemsXml));
    window.WriteCatalogue({{path, "One", "First feed", "http://one.example/", "Sun, 4 Feb 2007"}});
    return path;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void startsWithoutCatalogue()
    {
        TWindowFixture window;
        window.Start();
        QCOMPARE(window.Form->windowTitle(), QString("Tolvane RSS Editor"));
        QCOMPARE(window.Form->centralWidget()->size(), QSize(640, 372));
        QCOMPARE(window.Form->minimumSize(), window.Form->maximumSize()); // not resizable
        QCOMPARE(window.Pages()->currentIndex(), 0);
        QCOMPARE(window.Pages()->tabText(0), QString("Feeds"));
        QCOMPARE(window.Pages()->tabText(1), QString("Items"));
        QVERIFY(window.Widget<QMenu>("open1")->isEnabled());
        QVERIFY(!window.Widget<QMenu>("Items1")->isEnabled());
        QVERIFY(!window.Widget<QMenu>("Items1")->menuAction()->isEnabled());
        QCOMPARE(window.List("ListBox1")->count(), 0);
        // A new catalogue has both options off: "Auto" comes up cleared and the date box
        // editable, although the design has it checked.
        QVERIFY(!window.Widget<QCheckBox>("CheckBox1")->isChecked());
        QVERIFY(window.Edit("Edit8")->isEnabled());
        QVERIFY(!window.Widget<QCheckBox>("CheckBox2")->isChecked());
        QCOMPARE(window.ReadCatalogueFile(), std::string(92923, '\0'));
        QVERIFY(window.Dialogs.Shown.empty());
    }

    // The start-up reads some pictures late and names the font by an installed family: what the
    // window shows is still the design's. Each picture is compared with the one Qt makes the
    // plain way, at a small and a large size, normal and disabled.
    void picturesAndFontAreTheDesigns()
    {
        TWindowFixture window;
        window.Start();
        auto *style = qobject_cast<QProxyStyle *>(QApplication::style());
        QVERIFY(style); // the editor's style over the desktop's
        const std::unique_ptr<QStyle> plain(QStyleFactory::create(style->baseStyle()->name()));
        struct Picture {
            const char *name;
            QIcon shown, made;
        };
        const Picture pictures[] = {
            {"window icon", window.Form->windowIcon(), QIcon(":/tolvane-rss-editor.png")},
            {"Add Feed", window.Widget<QToolButton>("SpeedButton2")->icon(), QIcon(":/add.png")},
            {"Save Feed", window.Widget<QToolButton>("BitBtn1")->icon(), QIcon(":/save.png")},
            {"Delete Feed", window.Widget<QToolButton>("SpeedButton4")->icon(), QIcon(":/delete.png")},
            {"Clone Item", window.Widget<QToolButton>("SpeedButton5")->icon(), QIcon(":/clone.png")},
            {"Save Item", window.Widget<QToolButton>("SpeedButton6")->icon(), QIcon(":/save.png")},
            {"menu overflow", style->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton),
             plain->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton)},
            {"vertical overflow", style->standardIcon(QStyle::SP_ToolBarVerticalExtensionButton),
             plain->standardIcon(QStyle::SP_ToolBarVerticalExtensionButton)},
        };
        for (const Picture &picture : pictures) {
            QVERIFY2(!picture.made.isNull() && !picture.shown.isNull(), picture.name);
            QCOMPARE(picture.shown.availableSizes(), picture.made.availableSizes());
            for (const int side : {16, 128})
                for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
                    const QPixmap shown = picture.shown.pixmap(QSize(side, side), 1.0, mode);
                    QVERIFY2(shown.toImage() == picture.made.pixmap(QSize(side, side), 1.0, mode).toImage(),
                             qPrintable(QString("%1 at %2, mode %3").arg(picture.name).arg(side).arg(mode)));
                    QCOMPARE(picture.shown.actualSize(QSize(side, side), mode), shown.size());
                }
        }
        // Every control shows the window's font: an installed family (or the desktop's sans
        // serif) at the design's 8 points. The menus are windows of their own, in the desktop's.
        const QFont font = window.Form->font();
        QCOMPARE(font.pointSize(), 8);
        // A family several foundries make is listed as "Nimbus Sans [UKWN]".
        const QStringList installed = QFontDatabase::families();
        QVERIFY2(font.family() == "Sans Serif" || installed.contains(font.family()) ||
                     std::any_of(installed.begin(), installed.end(),
                                 [&](const QString &family) { return family.startsWith(font.family() + " ["); }),
                 qPrintable(font.family()));
        for (const QWidget *control : window.Form->findChildren<QWidget *>())
            QVERIFY2(control->isWindow() ||
                         (control->font().family() == font.family() && control->font().pointSize() == 8),
                     qPrintable(control->objectName()));
    }

    void optionsComeFromCatalogue()
    {
        TWindowFixture window;
        window.WriteCatalogue({}, /*autoDate=*/1, /*autoLink=*/1);
        window.Start();
        QVERIFY(window.Widget<QCheckBox>("CheckBox1")->isChecked());
        QVERIFY(!window.Edit("Edit8")->isEnabled());
        QVERIFY(window.Widget<QCheckBox>("CheckBox2")->isChecked());
    }

    void layoutMatchesDesign()
    {
        TWindowFixture window;
        window.Start();
        struct Place {
            const char *name;
            QRect rect;
            const char *tip;
        };
        const Place places[] = {
            {"SpeedButton2", {3, 3, 25, 25}, "Add Feed"},
            {"BitBtn1", {34, 3, 25, 25}, "Save Feed"},
            {"SpeedButton4", {66, 3, 25, 25}, "Delete Feed"},
            {"ListBox1", {3, 34, 166, 268}, ""},
            {"Edit1", {234, 58, 391, 21}, ""},
            {"Edit2", {234, 85, 391, 21}, ""},
            {"Edit3", {234, 112, 391, 21}, ""},
            {"Button1", {234, 139, 75, 25}, ""},
            {"Edit4", {315, 141, 310, 21}, ""},
            {"SpeedButton1", {3, 3, 25, 25}, "Add Item"},
            {"SpeedButton5", {35, 3, 25, 25}, "Clone Item"},
            {"SpeedButton7", {65, 3, 25, 25}, "Delete Item"},
            {"SpeedButton6", {98, 3, 25, 25}, "Save Feed"},
            {"Label11", {157, 11, 71, 13}, ""},
            {"Edit6", {234, 6, 196, 21}, ""},
            {"CheckBox2", {440, 8, 185, 17}, ""},
            {"ListBox2", {3, 34, 166, 266}, ""},
            {"Edit5", {234, 34, 398, 21}, ""},
            {"Memo1", {234, 61, 398, 181}, ""},
            {"Edit7", {234, 248, 398, 21}, ""},
            {"CheckBox1", {235, 280, 46, 17}, ""},
            {"Edit8", {280, 277, 265, 21}, ""},
            {"Button2", {554, 275, 75, 25}, ""},
            {"PageControl1", {0, 0, 640, 331}, ""},
            {"Panel1", {0, 331, 640, 41}, ""},
            {"Image1", {438, 2, 200, 37}, ""},
        };
        for (const Place &place : places) {
            QWidget *widget = window.Widget<QWidget>(place.name);
            QVERIFY2(widget->geometry() == place.rect, place.name);
            QCOMPARE(widget->toolTip(), QString(place.tip));
        }
        // The pages are tall enough for their lists.
        QVERIFY(window.Widget<QWidget>("TabSheet1")->height() >= 34 + 268);
        for (const char *hidden : {"Label11", "Edit6", "CheckBox2"})
            QVERIFY2(window.Widget<QWidget>(hidden)->isHidden(), hidden);
        QCOMPARE(window.Widget<QLabel>("Label11")->text(), QString("Words in quots"));
        QCOMPARE(window.Widget<QCheckBox>("CheckBox2")->text(), QString("Auto Link"));
        QCOMPARE(window.Widget<QPushButton>("Button1")->text(), QString("Set Date"));
        QCOMPARE(window.Widget<QPushButton>("Button2")->text(), QString("< Set Date"));
        QCOMPARE(window.Widget<QLabel>("Label4")->text(), QString("Data"));
        QVERIFY(!window.Widget<QLabel>("Image1")->pixmap().isNull());
        // Menus in order, with their key texts.
        QStringList captions;
        for (QMenu *menu : {window.Widget<QMenu>("open1"), window.Widget<QMenu>("Items1"),
                            window.Widget<QMenu>("EditMenu")}) {
            captions << menu->title();
            for (QAction *action : menu->actions())
                captions << (action->isSeparator() ? QString("-") : action->text());
        }
        QCOMPARE(captions, QStringList({"Feed", "Add\tCtrl+O", "Save\tCtrl+S", "Delete\tDel", "-",
                                        "New Feed...\tCtrl+Shift+N", "Check Feed\tF7",
                                        "Podcast...\tCtrl+Shift+P", "-", "Publish Settings...",
                                        "Publish\tCtrl+Shift+U", "-", "Exit\tCtrl+X",
                                        "Items", "Add\tCtrl+N", "Clone\tIns", "Delete\tDel", "Save\tCtrl+S",
                                        "-", "Details...\tCtrl+D", "Show Notes...", "Preview",
                                        "-", "Exit\tCtrl+X", "Edit",
                                        "Undo\tCtrl+Z"}));
        // Tab order of the Feeds page.
        QWidget *widget = window.List("ListBox1");
        QStringList order;
        for (int step = 0; step < 6; ++step, widget = widget->nextInFocusChain()) {
            while (widget->focusPolicy() == Qt::NoFocus || !widget->isVisibleTo(window.Form.get()))
                widget = widget->nextInFocusChain();
            order << widget->objectName();
        }
        QCOMPARE(order, QStringList({"ListBox1", "Edit1", "Edit2", "Button1", "Edit4", "Edit3"}));
    }

    void feedsPageKeys()
    {
        TWindowFixture window;
        const std::string path = OneFeed(window);
        window.Start();
        QSignalSpy add(window.Action("Add1"), &QAction::triggered);
        QSignalSpy clone(window.Action("CloneItem1"), &QAction::triggered);
        QSignalSpy addItem(window.Action("Add2"), &QAction::triggered);
        QLineEdit *title = window.Edit("Edit1");
        title->setFocus();
        title->setCursorPosition(0);

        // Del inside the title box asks the delete question instead of deleting a character.
        QTest::keyClick(title, Qt::Key_Delete);
        QCOMPARE(window.Dialogs.Log(), QStringList({"warning: Delete selected feed?"}));
        QCOMPARE(title->text(), QString("One"));
        QCOMPARE(window.List("ListBox1")->count(), 1); // answered No

        // Ctrl+X there asks the exit question instead of cutting.
        title->selectAll();
        QTest::keyClick(title, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(window.Dialogs.Log().last(), QString("confirm: Exit Tolvane RSS Editor?"));
        QCOMPARE(title->text(), QString("One"));
        QVERIFY(window.Form->isVisible());

        QTest::keyClick(title, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(add.count(), 1);
        QCOMPARE(window.Dialogs.Log().last(), QString("open: XML (*.xml);;All (*)"));

        // Keys of the disabled Items menu do nothing here; Ctrl+Shift+O is no command's key.
        QTest::keyClick(title, Qt::Key_N, Qt::ControlModifier);
        QTest::keyClick(title, Qt::Key_Insert);
        QTest::keyClick(title, Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(addItem.count(), 0);
        QCOMPARE(clone.count(), 0);
        QCOMPARE(add.count(), 1);
        QCOMPARE(window.Dialogs.Shown.size(), size_t(3));

        // Ctrl+S saves the feed, whatever the state of the Save button.
        window.Tool("BitBtn1")->setEnabled(false);
        QTest::keyClick(title, Qt::Key_End);
        QTest::keyClicks(title, "!");
        QTest::keyClick(title, Qt::Key_S, Qt::ControlModifier);
        // (The untouched date keeps the file's whole value, not the list's shorter copy.)
        QCOMPARE(window.ReadFile("one.xml"),
                 FeedBytes("One!", "First feed", "http://one.example/", "Sun, 4 Feb 2007 10:00:00 -0800",
                           "UTF-8", ItemsXml));
        QCOMPARE(window.Dialogs.Shown.size(), size_t(3));
    }

    void itemsPageKeys()
    {
        TWindowFixture window;
        OneFeed(window);
        window.Start();
        window.ClickTab(1);
        QCOMPARE(window.Pages()->currentIndex(), 1);
        QSignalSpy addItem(window.Action("Add2"), &QAction::triggered);
        QSignalSpy clone(window.Action("CloneItem1"), &QAction::triggered);
        QSignalSpy saveFeed(window.Action("Save1"), &QAction::triggered);
        QSignalSpy saveItem(window.Action("Save2"), &QAction::triggered);
        QSignalSpy deleteItem(window.Action("Delete2"), &QAction::triggered);
        QLineEdit *title = window.Edit("Edit5");
        title->setText("Item title");
        title->setFocus();
        title->setCursorPosition(0);

        // Del and Ctrl+X belong to the disabled Feed menu first: taken, nothing happens.
        QTest::keyClick(title, Qt::Key_Delete);
        title->selectAll();
        QTest::keyClick(title, Qt::Key_X, Qt::ControlModifier);
        QTest::keyClick(title, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(title->text(), QString("Item title"));
        QVERIFY(window.Dialogs.Shown.empty());
        QCOMPARE(deleteItem.count(), 0);
        QVERIFY(window.Form->isVisible());
        // The memo does not see Del either.
        QPlainTextEdit *memo = window.Widget<QPlainTextEdit>("Memo1");
        memo->setPlainText("abc");
        memo->setFocus();
        memo->moveCursor(QTextCursor::Start);
        QTest::keyClick(memo, Qt::Key_Delete);
        QCOMPARE(memo->toPlainText(), QString("abc"));

        QTest::keyClick(title, Qt::Key_N, Qt::ControlModifier);
        QTest::keyClick(title, Qt::Key_Insert);
        QCOMPARE(addItem.count(), 1);
        QCOMPARE(clone.count(), 1);
        // Ctrl+S: the press is taken by the disabled Feed menu; neither Save command runs
        // from the menu (the item is saved on the release instead).
        QTest::keyClick(title, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(saveFeed.count(), 0);
        QCOMPARE(saveItem.count(), 0);
    }

    // Under a Cyrillic or Greek layout the keys produce other letters; shortcuts match the
    // Latin key of the physical key (from its X11 key code, or its Windows virtual key).
    void shortcutsMatchTheLatinKeyUnderAnotherLayout()
    {
        TWindowFixture window;
        OneFeed(window);
        window.Start();
        QLineEdit *title = window.Edit("Edit1");
        title->setFocus();
        title->setCursorPosition(0);
        // X11 key codes (evdev + 8): O is 32, S is 39; 0x6dd and 0x6d9 are Cyrillic keysyms.
        const auto send = [&](QWidget *target, int key, Qt::KeyboardModifiers modifiers, quint32 scanCode,
                              quint32 virtualKey, const QString &text) {
            for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
                QKeyEvent event(type, key, modifiers, scanCode, virtualKey, 0, text);
                QApplication::sendEvent(target, &event);
            }
        };
        send(title, 0x429, Qt::ControlModifier, 32, 0x6dd, QString::fromUtf8("щ")); // Ctrl+O
        QCOMPARE(window.Dialogs.Log(), QStringList({"open: XML (*.xml);;All (*)"}));
        send(title, 0x44b, Qt::NoModifier, 39, 0x6d9, QString::fromUtf8("ы")); // typed, no command
        QCOMPARE(title->text(), QString::fromUtf8("ыOne"));
        send(title, 0x44b, Qt::ControlModifier, 0, 0, QString::fromUtf8("ы")); // no key place: no command
        QCOMPARE(window.ReadFile("one.xml").find("<title>One</title>") != std::string::npos, true);
        send(title, 0x44b, Qt::ControlModifier, 39, 0x6d9, QString::fromUtf8("ы")); // Ctrl+S
        QVERIFY(window.ReadFile("one.xml").find("<title>\xD1\x8BOne</title>") != std::string::npos);
        title->setCursorPosition(0);
        send(title, 0x3c3, Qt::NoModifier, 0, 'S', QString::fromUtf8("σ"));
        send(title, 0x3c3, Qt::ControlModifier, 0, 'S', QString::fromUtf8("σ")); // Windows: VK_S
        QVERIFY(window.ReadFile("one.xml").find("<title>\xCF\x83\xD1\x8BOne</title>") != std::string::npos);
        QCOMPARE(window.Dialogs.Log(), QStringList({"open: XML (*.xml);;All (*)"}));

        // On the Items page Ctrl+S saves on the release, with the same key.
        window.ClickTab(1);
        window.TypeInto(window.Edit("Edit5"), "Typed");
        send(window.Edit("Edit5"), 0x44b, Qt::ControlModifier, 39, 0x6d9, QString::fromUtf8("ы"));
        QVERIFY(window.ReadFile("one.xml").find("<title>Typed</title>") != std::string::npos);
        QCOMPARE(window.Dialogs.Shown.size(), size_t(1));
    }

    void enterReleaseInMemoIsTaken()
    {
        TWindowFixture window;
        OneFeed(window);
        window.Start();
        window.ClickTab(1);
        QPlainTextEdit *memo = window.Widget<QPlainTextEdit>("Memo1");
        memo->setFocus();
        // An event filter after the window's: it sees only what the window lets through.
        struct Seen : QObject {
            int releases = 0;
            bool eventFilter(QObject *, QEvent *event) override
            {
                if (event->type() == QEvent::KeyRelease)
                    ++releases;
                return false;
            }
        } seen;
        memo->installEventFilter(&seen);
        QTest::keyRelease(memo, Qt::Key_Return);
        QTest::keyRelease(memo, Qt::Key_A);
        QCOMPARE(seen.releases, 1);
        memo->removeEventFilter(&seen);
    }

    void pageGuard()
    {
        TWindowFixture window;
        window.Start();
        // Empty catalogue: a message and the Feeds page stays.
        window.ClickTab(1);
        QCOMPARE(window.Pages()->currentIndex(), 0);
        QCOMPARE(window.Dialogs.Log(), QStringList({"message: Feeds is empty!"}));
    }

    void pageGuardWithFeeds()
    {
        TWindowFixture window;
        const std::string path = OneFeed(window);
        const std::string missing = window.PathBytes("missing.xml");
        window.WriteCatalogue({{path, "One", "", "", ""}, {missing, "Gone", "", "", ""}});
        window.Start();

        window.ClickRow("ListBox1", 1); // the missing feed: selected without a message
        QVERIFY(window.Dialogs.Shown.empty());
        window.ClickTab(1);
        QCOMPARE(window.Pages()->currentIndex(), 0);
        QCOMPARE(window.Dialogs.Log(), QStringList({"message: The feed file \"" + window.PathOf("missing.xml") +
                                                    "\" is missing, so its items cannot be shown."}));
        window.Dialogs.Shown.clear();

        window.ClickRow("ListBox1", 0);
        window.ClickTab(1);
        QCOMPARE(window.Pages()->currentIndex(), 1);
        QVERIFY(!window.Widget<QMenu>("open1")->isEnabled());
        QVERIFY(window.Widget<QMenu>("Items1")->isEnabled());
        QCOMPARE(window.ListLines("ListBox2"), QStringList({"First", "Second"}));
        QCOMPARE(window.CurrentRow("ListBox2"), 0);
        QCOMPARE(window.Form->focusWidget(), window.Edit("Edit5"));

        // The feed file disappears: the Feeds page is reached all the same.
        QVERIFY(QFile::rename(window.PathOf("one.xml"), window.PathOf("away.xml")));
        window.ClickTab(0);
        QCOMPARE(window.Pages()->currentIndex(), 0);
        QVERIFY(window.Widget<QMenu>("open1")->isEnabled());
        QVERIFY(!window.Widget<QMenu>("Items1")->isEnabled());
        QVERIFY(window.Dialogs.Shown.empty());
    }

    void folderInPlaceOfFeedIsRefused()
    {
        TWindowFixture window;
        const std::string path = OneFeed(window);
        window.Start();
        QVERIFY(QFile::remove(window.PathOf("one.xml")));
        QVERIFY(QDir(window.Directory.path()).mkdir("one.xml")); // exists, but is no file
        window.ClickTab(1);
        QCOMPARE(window.Pages()->currentIndex(), 0);
        QCOMPARE(window.Dialogs.Log(), QStringList({"message: The feed file \"" + window.PathOf("one.xml") +
                                                    "\" is not a regular file, so its items cannot be shown."}));
    }

    void exitNoKeepsWindowAndFile()
    {
        TWindowFixture window;
        OneFeed(window);
        const std::string before = window.ReadCatalogueFile();
        window.Start();
        window.Widget<QCheckBox>("CheckBox2")->setChecked(true); // written at once
        QCOMPARE(window.ReadCatalogueFile().substr(1), "\x01" + before.substr(2));
        QVERIFY(QFile::remove(window.CataloguePath()));
        window.Action("Exit1")->trigger();
        QCOMPARE(window.Dialogs.Log(), QStringList({"confirm: Exit Tolvane RSS Editor?"}));
        QVERIFY(window.Form->isVisible());
        QCOMPARE(window.ReadCatalogueFile(), std::string("<missing>"));
    }

    void exitYesWritesCatalogue()
    {
        TWindowFixture window;
        OneFeed(window);
        std::string expected = window.ReadCatalogueFile();
        window.Start();
        window.Widget<QCheckBox>("CheckBox1")->setChecked(false);
        window.Widget<QCheckBox>("CheckBox2")->setChecked(true);
        window.Dialogs.Answers = {true};
        QTest::keyClick(window.List("ListBox1"), Qt::Key_X, Qt::ControlModifier);
        QVERIFY(!window.Form->isVisible());
        QCOMPARE(window.Dialogs.Log(), QStringList({"confirm: Exit Tolvane RSS Editor?"}));
        expected[0] = 0; // AutoDate
        expected[1] = 1; // AutoLink
        QCOMPARE(window.ReadCatalogueFile(), expected);
    }

    void exitYesWritesUnchangedCatalogueToo()
    {
        TWindowFixture window;
        window.WriteFile("feeds.cfg", std::string(100000, '\0')); // longer than the record
        window.Start();
        window.Dialogs.Answers = {true};
        window.Form->close();
        QCOMPARE(window.ReadCatalogueFile(), std::string(92923, '\0'));
    }

    void exitTellsWhenCatalogueCannotBeWritten()
    {
        TWindowFixture window;
        QVERIFY(QDir(window.Directory.path()).mkdir("feeds.cfg")); // no file can take its place
        window.Start();
        window.Dialogs.Answers = {true};
        window.Form->close();
        QVERIFY(!window.Form->isVisible()); // the window closes all the same
        QCOMPARE(window.Dialogs.Shown.size(), size_t(2));
        QCOMPARE(window.Dialogs.Shown[1].Kind, QString("error"));
        QVERIFY2(window.Dialogs.Shown[1].Text.contains(window.CataloguePath()),
                 qPrintable(window.Dialogs.Shown[1].Text));
    }

    void reshowDoesNotRebuildFeedsPage()
    {
        TWindowFixture window;
        OneFeed(window);
        window.Start();
        window.TypeInto(window.Edit("Edit2"), "typed");
        window.Form->hide();
        window.Form->show();
        window.Form->activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(window.Form.get()));
        QCOMPARE(window.Edit("Edit2")->text(), QString("typed"));
    }

    void menuDeleteFollowsPage()
    {
        TWindowFixture window;
        OneFeed(window);
        window.Start();
        window.Action("Delete1")->trigger();
        QCOMPARE(window.Dialogs.Log(), QStringList({"warning: Delete selected feed?"}));
        window.ClickTab(1);
        window.Dialogs.Shown.clear();
        window.Action("Delete2")->trigger(); // Delete Item asks nothing
        QVERIFY(window.Dialogs.Shown.empty());
    }

    void errorsShowInErrorBox()
    {
        TWindowFixture window;
        OneFeed(window);
        window.Start();
        QVERIFY(QFile::remove(window.PathOf("one.xml")));
        window.Action("Save1")->trigger();
        QCOMPARE(window.Dialogs.Shown.size(), size_t(1));
        QCOMPARE(window.Dialogs.Shown[0].Kind, QString("error"));
        QVERIFY2(window.Dialogs.Shown[0].Text.startsWith("Cannot open file"),
                 qPrintable(window.Dialogs.Shown[0].Text));
        QVERIFY(window.Form->isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
