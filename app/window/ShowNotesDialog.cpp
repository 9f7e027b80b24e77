#include "ShowNotesDialog.h"
#include "ui_ShowNotesDialog.h"

#include "NotesHtml.h"
#include "SafePreview.h"

#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>

TShowNotesDialog::TShowNotesDialog(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TShowNotesDialog>())
{
    ui->setupUi(this);
    ui->Splitter->setSizes({430, 430});
    connect(ui->Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui->Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ui->NotesEdit, &QPlainTextEdit::textChanged, this, &TShowNotesDialog::RenderPreview);
    connect(ui->BoldButton, &QToolButton::clicked, this,
            [this] { Format([](const QString &s) { return InlineMarkup(s, QStringLiteral("strong")); }); });
    connect(ui->ItalicButton, &QToolButton::clicked, this,
            [this] { Format([](const QString &s) { return InlineMarkup(s, QStringLiteral("em")); }); });
    connect(ui->ParagraphButton, &QToolButton::clicked, this, [this] { Format(ParagraphMarkup); });
    connect(ui->BreakButton, &QToolButton::clicked, this,
            [this] { Format([](const QString &s) { return s + QStringLiteral("<br>"); }); });
    connect(ui->BulletsButton, &QToolButton::clicked, this,
            [this] { Format([](const QString &s) { return ListMarkup(s, false); }); });
    connect(ui->NumbersButton, &QToolButton::clicked, this,
            [this] { Format([](const QString &s) { return ListMarkup(s, true); }); });
    connect(ui->LinkButton, &QToolButton::clicked, this, [this] {
        const QString url = ui->LinkEdit->text().trimmed();
        if (!url.isEmpty())
            Format([&](const QString &s) { return LinkMarkup(s, url); });
    });
    connect(ui->PreviewButton, &QPushButton::clicked, this, [this] {
        if (episodePreview_)
            episodePreview_(ui->NotesEdit->toPlainText());
    });
    ui->PreviewButton->setEnabled(false);
}

TShowNotesDialog::~TShowNotesDialog() = default;

void TShowNotesDialog::SetNotes(const TShowNotesText &notes)
{
    ui->NotesEdit->setPlainText(notes.Notes);
    ui->SummaryCheck->setChecked(notes.SummaryIntoDescription);
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
    const int scroll = preview.verticalScrollBar() ? preview.verticalScrollBar()->value() : 0;
    preview.setHtml(SafeNotesHtml(ui->NotesEdit->toPlainText()));
    if (preview.verticalScrollBar())
        preview.verticalScrollBar()->setValue(scroll);
}
