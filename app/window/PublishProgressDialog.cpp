#include "PublishProgressDialog.h"
#include "ui_PublishProgressDialog.h"

#include <QLocale>
#include <QPushButton>

TPublishProgressDialog::TPublishProgressDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::PublishProgressDialog>())
{
    ui->setupUi(this);
    connect(ui->Buttons, &QDialogButtonBox::rejected, this, &TPublishProgressDialog::reject);
}

TPublishProgressDialog::~TPublishProgressDialog() = default;

void TPublishProgressDialog::FileStarted(const QString &name, std::int64_t size)
{
    ui->FileLabel->setText(tr("Uploading %1 (%2)").arg(name, QLocale().formattedDataSize(size)));
    ui->Progress->setValue(0);
    fileTimer_.start();
}

void TPublishProgressDialog::ShowProgress(std::int64_t sent, std::int64_t total)
{
    if (total > 0)
        ui->Progress->setValue(int(sent * 100 / total));
    const double seconds = fileTimer_.isValid() ? fileTimer_.elapsed() / 1000.0 : 0;
    const QString speed = seconds > 0.2
                              ? QLocale().formattedDataSize(std::int64_t(sent / seconds)) + "/s"
                              : QString();
    ui->BytesLabel->setText(tr("%1 of %2  %3")
                                .arg(QLocale().formattedDataSize(sent),
                                     QLocale().formattedDataSize(total), speed));
}

void TPublishProgressDialog::reject()
{
    cancel_ = true;
    ui->FileLabel->setText(tr("Cancelling..."));
    ui->Buttons->button(QDialogButtonBox::Cancel)->setEnabled(false);
}
