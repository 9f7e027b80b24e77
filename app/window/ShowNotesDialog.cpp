#include "ShowNotesDialog.h"
#include "ui_ShowNotesDialog.h"

#include "NotesHtml.h"
#include "SafePreview.h"

#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextList>

TShowNotesDialog::TShowNotesDialog(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TShowNotesDialog>())
{
    ui->setupUi(this);
    ui->Splitter->setSizes({430, 430});
    ui->RichEdit->setAcceptRichText(false); // pasted text comes as text; formatting is the buttons'
    connect(ui->Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui->Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ui->NotesEdit, &QPlainTextEdit::textChanged, this, &TShowNotesDialog::RenderPreview);
    connect(ui->RichEdit, &QTextEdit::textChanged, this, &TShowNotesDialog::TextViewChanged);
    connect(ui->EditorTabs, &QTabWidget::currentChanged, this, [this](int tab) {
        if (tab == 0)
            LoadTextView();
    });
    Button(QStringLiteral("bold"), [](const QString &s) { return InlineMarkup(s, QStringLiteral("strong")); });
    Button(QStringLiteral("italic"), [](const QString &s) { return InlineMarkup(s, QStringLiteral("em")); });
    Button(QStringLiteral("paragraph"), ParagraphMarkup);
    Button(QStringLiteral("break"), [](const QString &s) { return s + QStringLiteral("<br>"); });
    Button(QStringLiteral("bullets"), [](const QString &s) { return ListMarkup(s, false); });
    Button(QStringLiteral("numbers"), [](const QString &s) { return ListMarkup(s, true); });
    Button(QStringLiteral("link"), [this](const QString &s) { return LinkMarkup(s, ui->LinkEdit->text()); });
    connect(ui->PreviewButton, &QPushButton::clicked, this, [this] {
        if (episodePreview_)
            episodePreview_(ui->NotesEdit->toPlainText());
    });
    ui->PreviewButton->setEnabled(false);
}

TShowNotesDialog::~TShowNotesDialog() = default;

void TShowNotesDialog::Button(const QString &button, const std::function<QString(const QString &)> &markup)
{
    QToolButton *tool = button == u"bold"        ? ui->BoldButton
                        : button == u"italic"    ? ui->ItalicButton
                        : button == u"paragraph" ? ui->ParagraphButton
                        : button == u"break"     ? ui->BreakButton
                        : button == u"bullets"   ? ui->BulletsButton
                        : button == u"numbers"   ? ui->NumbersButton
                                                 : ui->LinkButton;
    connect(tool, &QToolButton::clicked, this, [this, button, markup] {
        if (button == u"link" && ui->LinkEdit->text().trimmed().isEmpty())
            return; // a link needs its address
        if (TextViewShowing())
            FormatText(button);
        else
            Format(markup);
    });
}

void TShowNotesDialog::SetNotes(const TShowNotesText &notes)
{
    ui->NotesEdit->setPlainText(notes.Notes);
    ui->SummaryCheck->setChecked(notes.SummaryIntoDescription);
    const bool textView = OnlyOfferedMarkup(notes.Notes);
    ui->EditorTabs->setCurrentIndex(textView ? 0 : 1);
    LoadTextView();
    RenderPreview();
}

TShowNotesText TShowNotesDialog::Notes() const
{
    return {ui->NotesEdit->toPlainText(), ui->SummaryCheck->isChecked()};
}

TSafePreview &TShowNotesDialog::Preview() const { return *ui->NotesPreview; }

void TShowNotesDialog::SetEpisodePreview(std::function<void(const QString &)> preview)
{
    episodePreview_ = std::move(preview);
    ui->PreviewButton->setEnabled(bool(episodePreview_));
}

bool TShowNotesDialog::TextViewShowing() const
{
    return ui->EditorTabs->currentIndex() == 0 && ui->TextTab->isEnabled();
}

void TShowNotesDialog::LoadTextView()
{
    const QString source = ui->NotesEdit->toPlainText();
    const bool offered = OnlyOfferedMarkup(source);
    ui->TextTab->setEnabled(offered);
    ui->EditorTabs->setTabEnabled(0, offered);
    ui->SourceLabel->setText(offered ? QStringLiteral("Markup the buttons do not offer stays as written.")
                                     : QStringLiteral("These notes hold markup the Text view does not edit; "
                                                      "edit them here as HTML, and that markup stays as written."));
    if (!offered)
        return;
    loadingTextView_ = true;
    ui->RichEdit->setHtml(DescriptionAsHtml(source)); // plain notes as text
    loadingTextView_ = false;
}

void TShowNotesDialog::TextViewChanged()
{
    // Only the author's edits in the Text view rewrite the source; loading it does not.
    if (loadingTextView_)
        return;
    ui->NotesEdit->setPlainText(OfferedHtml(*ui->RichEdit->document()));
}

void TShowNotesDialog::FormatText(const QString &button)
{
    QTextEdit &edit = *ui->RichEdit;
    QTextCursor cursor = edit.textCursor();
    QTextCharFormat format;
    if (button == u"bold") {
        format.setFontWeight(edit.currentCharFormat().fontWeight() >= QFont::DemiBold ? QFont::Normal : QFont::Bold);
    } else if (button == u"italic") {
        format.setFontItalic(!edit.currentCharFormat().fontItalic());
    } else if (button == u"link") {
        const QString url = ui->LinkEdit->text().trimmed();
        format.setAnchor(true);
        format.setAnchorHref(url);
        format.setForeground(palette().link());
        format.setFontUnderline(true);
        if (!cursor.hasSelection()) {
            cursor.insertText(url, format);
            edit.setTextCursor(cursor);
            edit.setCurrentCharFormat({}); // typing after the link is no part of it
            edit.setFocus();
            return;
        }
    } else if (button == u"break") {
        cursor.insertText(QString(QChar::LineSeparator));
    } else if (button == u"paragraph") {
        // Out of a list, else a new paragraph.
        if (QTextList *list = cursor.currentList()) {
            list->remove(cursor.block());
            QTextBlockFormat block = cursor.blockFormat();
            block.setIndent(0);
            cursor.setBlockFormat(block);
        } else {
            cursor.insertBlock();
        }
    } else {
        cursor.createList(button == u"numbers" ? QTextListFormat::ListDecimal : QTextListFormat::ListDisc);
    }
    if (format.isValid() && !format.properties().isEmpty()) {
        cursor.mergeCharFormat(format);
        edit.mergeCurrentCharFormat(format);
    }
    edit.setTextCursor(cursor);
    edit.setFocus();
}

void TShowNotesDialog::Format(const std::function<QString(const QString &)> &markup)
{
    QTextCursor cursor = ui->NotesEdit->textCursor();
    QString selected = cursor.selectedText();
    selected.replace(QChar(0x2029), u'\n');
    const QString made = markup(selected);
    cursor.insertText(made);
    // With nothing selected the cursor goes inside the new markup, where typing continues.
    if (selected.isEmpty()) {
        const qsizetype empty = made.indexOf(QStringLiteral("></"));
        if (empty >= 0)
            cursor.setPosition(cursor.position() - int(made.size() - empty - 1));
    }
    ui->NotesEdit->setTextCursor(cursor);
    ui->NotesEdit->setFocus();
}

void TShowNotesDialog::RenderPreview()
{
    TSafePreview &preview = *ui->NotesPreview;
    const int scroll = preview.verticalScrollBar()->value();
    preview.setHtml(SafeNotesHtml(ui->NotesEdit->toPlainText()));
    preview.verticalScrollBar()->setValue(scroll);
}
