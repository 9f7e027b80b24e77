// TForm1: creation from the design, destruction, and the seams the pages share.
#include "Unit1.h"
#include "ui_Unit1.h"

#include "AppTitle.h"
#include "Clock.h"
#include "DeferredIcon.h"
#include "DesignFont.h"
#include "Dialogs.h"
#include "ErrorDetails.h"
#include "FeedCommands.h"
#include "FeedFileChecks.h"
#include "JpegImage.h"
#include "LineBreaks.h"
#include "TextFunctions.h"
#include "WindowStyle.h"
#include "zelXMLDataSet2.h"
#include "zelStrings.h"
#include "zelXMLParser2.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabBar>
#include <exception>

// Qt resources compiled into a static library must be registered by hand.
static void RegisterResources() { Q_INIT_RESOURCE(resources); }

namespace {

// A PNG of the resources, read by Qt's own PNG reader: asked to guess the format, an image
// reader first loads every image format plugin to ask each.
QIcon ResourcePng(const QString &path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QIcon(QPixmap::fromImage(reader.read()));
}

constexpr int ClientWidth = 640;
constexpr int ClientHeight = 372;

// Messages carry file names and feed text as bytes: show them as UTF-8 when they are, else
// as Latin-1, so no byte is lost.
QString MessageText(const char *bytes)
{
    const std::string_view text(bytes ? bytes : "");
    return TFeedTextCodec(EncodingFor({}, text)).ToText(text);
}

} // namespace

TForm1::TForm1(std::string catalogueDirectory, TDialogs &dialogs, const TClock &clock,
               QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TForm1>()),
      catalogueDirectory_(std::move(catalogueDirectory)), dialogs_(dialogs), clock_(clock),
      catalogue_(std::make_unique<TFeedCatalogue>()) // all zero bytes until it is read
{
    SetUpWindow();
    XMLDataSet1 = std::make_unique<TzelXMLDataSet2>();
    XMLDataSet1->SetReadOnly(false);
    ConnectHandlers();
    FormCreate();
}

TForm1::~TForm1()
{
    qApp->removeEventFilter(this);
    FormDestroy();
}

void TForm1::SetUpWindow()
{
    RegisterResources();
    UseWindowStyle();
    setFont(DesignFont()); // before the controls: each lays out its text when it is made
    ui->setupUi(this);
    setWindowTitle(AppTitle);
    // A 128-pixel picture, read when the desktop asks for it.
    setWindowIcon(DeferredIcon([] { return ResourcePng(QStringLiteral(":/tolvane-rss-editor.png")); }));

    const QIcon add = ResourcePng(QStringLiteral(":/add.png")), clone = ResourcePng(QStringLiteral(":/clone.png")),
                remove = ResourcePng(QStringLiteral(":/delete.png")), save = ResourcePng(QStringLiteral(":/save.png"));
    ui->SpeedButton2->setIcon(add);
    ui->BitBtn1->setIcon(save);
    ui->SpeedButton4->setIcon(remove);
    ui->SpeedButton1->setIcon(add);
    ui->SpeedButton5->setIcon(clone);
    ui->SpeedButton7->setIcon(remove);
    ui->SpeedButton6->setIcon(save);

    ui->Image1->setPixmap(QPixmap::fromImage(LoadJpeg(QStringLiteral(":/logo.jpg"))));

    // A fixed client area below the menu bar, centred on the desktop.
    centralWidget()->setFixedSize(ClientWidth, ClientHeight);
    setFixedSize(ClientWidth, ClientHeight + menuBar()->sizeHint().height());
    if (QScreen *desktop = screen())
        move(desktop->availableGeometry().center() - rect().center());

    // Tabs as low as the design's, so the pages hold their controls at the given sizes. The
    // style sheet is the tab bar's own: set on the tab widget it would restyle every control
    // on the pages too, and polishing them through it is a good part of the start-up.
    ui->PageControl1->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { height: 20px; }"));
    ui->PageControl1->setCurrentIndex(0);
    shownPage_ = 0;
}

void TForm1::RunGuarded(const std::function<void()> &command)
{
    try {
        command();
    } catch (const std::exception &error) {
        const TErrorText text = SplitErrorText(MessageText(error.what()));
        if (text.Details.isEmpty())
            dialogs_.ShowError(text.Summary);
        else
            dialogs_.ShowErrorWithDetails(text.Summary, text.Details);
    } catch (...) {
        dialogs_.ShowError(QStringLiteral("Unknown error."));
    }
}

void TForm1::WriteCatalogueNow()
{
    const std::string failure = SaveCatalogue(*catalogue_, catalogueDirectory_);
    if (!failure.empty())
        dialogs_.ShowError(MessageText(failure.c_str()) +
                           QStringLiteral("\nThe feed list is kept and written again at exit."));
}

std::string TForm1::NewDateStamp() const { return DateStamp(clock_.Now()); }

TFeedTextCodec TForm1::DocumentCodec() const
{
    if (!documentEncoding_)
        documentEncoding_ = DocumentEncoding(*document_);
    return TFeedTextCodec(*documentEncoding_);
}

void TForm1::LoadDocument(const std::string &path)
{
    // The file is as the editor last read or wrote it, and the document is what reading it
    // gives: nothing to read.
    if (documentIsKnownFile_ && knownFile_.Unchanged(path))
        return;
    RefuseIrregularFile(path); // a fifo or device would block the read
    documentEncoding_.reset(); // also when the read fails: the document has changed
    documentIsKnownFile_ = false;
    itemListIsDocument_ = false;
    itemTreeUndo_.Clear(); // their children are gone with the tree
    // The document borrows the known bytes instead of copying them: a feed is held once.
    if (knownFile_.Unchanged(path)) {
        document_->SetSharedSourceText(knownFile_.SharedBytes()); // written by the editor: not read back
        knownFile_.ForgetLayout();
    } else {
        knownFile_.Forget();
        // The stamp first: a write after it changes the stamp, so the bytes are not trusted.
        const std::optional<TFileStamp> stamp = StampOf(path);
        auto bytes = std::make_shared<std::string>(LoadStringFromFile(path));
        document_->SetSharedSourceText(bytes);
        if (stamp)
            knownFile_.Remember(path, std::move(bytes), *stamp);
    }
    documentIsKnownFile_ = knownFile_.Unchanged(path);
    fileLineBreak_ = LineBreakOf(document_->SourceText());
    DeclareUndeclaredUtf8(*document_);
    const std::string notice = dropNotice_.NoticeFor(*document_, path);
    if (!notice.empty())
        dialogs_.ShowMessage(QString::fromUtf8(notice));
}

std::string TForm1::SelectedFeedPath() const
{
    const int row = ui->ListBox1->currentRow();
    if (row < 0 || row >= EntryCount(*catalogue_))
        return {};
    return EntryPath(*catalogue_, row);
}

std::string TForm1::FeedForCommand()
{
    if (EntryCount(*catalogue_) == 0) {
        dialogs_.ShowMessage(QStringLiteral("Feeds is empty!"));
        return {};
    }
    return SelectedFeedPath();
}

void TForm1::SelectRowQuietly(QListWidget *list, int row)
{
    const QSignalBlocker quiet(list);
    list->setCurrentRow(row);
}

void TForm1::SelectRowQuietly(TItemListView *list, int row)
{
    const QSignalBlocker quiet(list);
    list->setCurrentRow(row);
}

int TForm1::ActivePageIndex() const { return ui->PageControl1->currentIndex(); }
