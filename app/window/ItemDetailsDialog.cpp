#include "ItemDetailsDialog.h"
#include "ui_ItemDetailsDialog.h"

#include "ItemDetails.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpressionValidator>

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
    return details;
}

void TItemDetailsDialog::FillEnclosureFromFile(const QString &fileName)
{
    try {
        const TEnclosureFile file = EnclosureOfFile(fileName);
        ui->EnclosureLengthEdit->setText(QString::fromStdString(file.Length));
        ui->EnclosureTypeEdit->setText(QString::fromStdString(file.Type));
    } catch (const std::exception &error) {
        QMessageBox::critical(this, windowTitle(), QString::fromUtf8(error.what()));
    }
}
