#include "ItemDetailsDialog.h"
#include "ui_ItemDetailsDialog.h"

#include "CoverArt.h"
#include "ItemDetails.h"
#include "MediaFacts.h"
#include "PodcastTags.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpressionValidator>

namespace {

constexpr std::pair<QLineEdit *Ui::TItemDetailsDialog::*, QString TEpisodeText::*> EpisodeEdits[] = {
    {&Ui::TItemDetailsDialog::ItunesTitleEdit, &TEpisodeText::Title},
    {&Ui::TItemDetailsDialog::EpisodeNumberEdit, &TEpisodeText::Episode},
    {&Ui::TItemDetailsDialog::SeasonEdit, &TEpisodeText::Season},
    {&Ui::TItemDetailsDialog::DurationEdit, &TEpisodeText::Duration},
    {&Ui::TItemDetailsDialog::EpisodeImageEdit, &TEpisodeText::ImageHref},
    {&Ui::TItemDetailsDialog::TranscriptUrlEdit, &TEpisodeText::TranscriptUrl},
    {&Ui::TItemDetailsDialog::TranscriptTypeEdit, &TEpisodeText::TranscriptType},
    {&Ui::TItemDetailsDialog::TranscriptLanguageEdit, &TEpisodeText::TranscriptLanguage},
    {&Ui::TItemDetailsDialog::ChaptersUrlEdit, &TEpisodeText::ChaptersUrl},
    {&Ui::TItemDetailsDialog::ChaptersTypeEdit, &TEpisodeText::ChaptersType},
};

constexpr std::pair<QComboBox *Ui::TItemDetailsDialog::*, QString TEpisodeText::*> EpisodeCombos[] = {
    {&Ui::TItemDetailsDialog::EpisodeTypeCombo, &TEpisodeText::EpisodeType},
    {&Ui::TItemDetailsDialog::EpisodeExplicitCombo, &TEpisodeText::Explicit},
};

} // namespace

TItemDetailsDialog::TItemDetailsDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TItemDetailsDialog>())
{
    ui->setupUi(this);
    ui->EnclosureLengthEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    connect(ui->ChooseFileButton, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("Enclosure File"));
        if (!file.isEmpty())
            FillEnclosureFromFile(file);
    });
}

TItemDetailsDialog::~TItemDetailsDialog() = default;

void TItemDetailsDialog::SetDetails(const TItemDetailsText &details)
{
    ui->GuidEdit->setText(details.Guid);
    ui->PermaLinkCheck->setChecked(details.GuidIsPermaLink);
    ui->AuthorEdit->setText(details.Author);
    ui->CategoriesMemo->setPlainText(details.Categories.join(u'\n'));
    ui->CommentsEdit->setText(details.Comments);
    ui->EnclosureUrlEdit->setText(details.EnclosureUrl);
    ui->EnclosureLengthEdit->setText(details.EnclosureLength);
    ui->EnclosureTypeEdit->setText(details.EnclosureType);
    for (const auto &[box, member] : EpisodeEdits)
        (ui.get()->*box)->setText(details.Episode.*member);
    // A value outside the choices shows as it is, and stays so.
    for (const auto &[box, member] : EpisodeCombos) {
        QComboBox *combo = ui.get()->*box;
        if (combo->findText(details.Episode.*member) < 0)
            combo->addItem(details.Episode.*member);
        combo->setCurrentIndex(combo->findText(details.Episode.*member));
    }
}

TItemDetailsText TItemDetailsDialog::Details() const
{
    TItemDetailsText details;
    details.Guid = ui->GuidEdit->text();
    details.GuidIsPermaLink = ui->PermaLinkCheck->isChecked();
    details.Author = ui->AuthorEdit->text();
    for (const QString &line : ui->CategoriesMemo->toPlainText().split(u'\n'))
        if (!line.trimmed().isEmpty())
            details.Categories << line.trimmed();
    details.Comments = ui->CommentsEdit->text();
    details.EnclosureUrl = ui->EnclosureUrlEdit->text();
    details.EnclosureLength = ui->EnclosureLengthEdit->text();
    details.EnclosureType = ui->EnclosureTypeEdit->text();
    for (const auto &[box, member] : EpisodeEdits)
        details.Episode.*member = (ui.get()->*box)->text().trimmed();
    for (const auto &[box, member] : EpisodeCombos)
        details.Episode.*member = (ui.get()->*box)->currentText();
    return details;
}

void TItemDetailsDialog::accept()
{
    if (help_.Check) {
        try {
            help_.Check(Details());
        } catch (const std::exception &error) {
            const QString message = QString::fromUtf8(error.what());
            if (ShowRefusal)
                ShowRefusal(message);
            else {
                QMessageBox box(QMessageBox::Critical, windowTitle(), message, QMessageBox::Ok, this);
                box.setTextFormat(Qt::PlainText); // a refusal quotes what was typed
                box.exec();
            }
            return;
        }
    }
    QDialog::accept();
}

void TItemDetailsDialog::FillEnclosureFromFile(const QString &fileName)
{
    // Everything is read first: a file that fails changes nothing.
    TEnclosureFile file;
    TMediaFacts facts;
    const bool media = [&] {
        try {
            file = EnclosureOfFile(fileName);
            // An enclosure may be any file; one that says it is audio or video must hold some.
            if (!file.Type.starts_with("audio/") && !file.Type.starts_with("video/"))
                return false;
            facts = ReadMediaFacts(fileName);
            return true;
        } catch (const std::exception &error) {
            file = {};
            ui->MediaInfoLabel->setText(QString::fromUtf8(error.what()));
            return false;
        }
    }();
    if (file.Length.empty())
        return;
    ui->EnclosureLengthEdit->setText(QString::fromStdString(file.Length));
    ui->EnclosureTypeEdit->setText(QString::fromStdString(file.Type));
    if (ui->EnclosureUrlEdit->text().trimmed().isEmpty() && help_.PublicUrlOf)
        ui->EnclosureUrlEdit->setText(help_.PublicUrlOf(fileName));
    ui->CoverPreview->clear();
    if (!media) {
        ui->MediaInfoLabel->setText(QStringLiteral("The file is no audio: it has no duration."));
        return;
    }
    ui->DurationEdit->setText(QString::fromStdString(DurationText(facts.DurationSeconds)));
    if (help_.ItemTitle.trimmed().isEmpty() && ui->ItunesTitleEdit->text().trimmed().isEmpty())
        ui->ItunesTitleEdit->setText(facts.Title);
    QString info = QStringLiteral("The file's title: %1.")
                       .arg(facts.Title.isEmpty() ? QStringLiteral("none") : u'"' + facts.Title + u'"');
    if (!facts.Cover.isNull()) {
        ui->CoverPreview->setPixmap(QPixmap::fromImage(facts.Cover.scaled(
            ui->CoverPreview->minimumSize(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        const QStringList problems = CoverArtProblems(facts.Cover, facts.CoverFormat);
        info += QStringLiteral(" Its cover: %1%2").arg(CoverArtSummary(facts.Cover, facts.CoverFormat),
                                                      problems.isEmpty() ? QStringLiteral(".")
                                                                         : QStringLiteral(": ") + problems.join(u' '));
    }
    ui->MediaInfoLabel->setText(info);
}
