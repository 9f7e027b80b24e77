#include "PublishProgressDialog.h"
#include "ui_PublishProgressDialog.h"

#include <QLocale>
#include <QPushButton>

namespace {

QString Size(std::int64_t bytes) { return QLocale().formattedDataSize(bytes); }

QString TimeLeft(double seconds)
{
    if (seconds < 60)
        return QStringLiteral("%1 s left").arg(std::max(1, int(seconds + 0.5)));
    const int minutes = int(seconds / 60 + 0.5);
    return minutes < 60 ? QStringLiteral("%1 min left").arg(minutes)
                        : QStringLiteral("%1 h %2 min left").arg(minutes / 60).arg(minutes % 60);
}

} // namespace

TPublishProgressDialog::TPublishProgressDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::PublishProgressDialog>())
{
    ui->setupUi(this);
    ui->Progress->setRange(0, 1000);
    connect(ui->Buttons, &QDialogButtonBox::rejected, this, &TPublishProgressDialog::reject);
}

TPublishProgressDialog::~TPublishProgressDialog() = default;

void TPublishProgressDialog::FileStarted(const TPublishStep &step)
{
    step_ = step;
    if (!runTimer_.isValid())
        runTimer_.start();
    if (!cancel_)
        ui->FileLabel->setText(tr("File %1 of %2: %3 (%4)")
                                   .arg(step.Index)
                                   .arg(step.Count)
                                   .arg(QString::fromStdString(step.Name), Size(step.Size)));
    ShowProgress(0);
}

void TPublishProgressDialog::ShowProgress(std::int64_t sent)
{
    const std::int64_t done = step_.DoneBefore + std::min(sent, step_.Size);
    if (step_.Total > 0)
        ui->Progress->setValue(int(done * 1000 / step_.Total));
    // The time left at the pace so far, once there is a pace to go by.
    const double seconds = runTimer_.isValid() ? runTimer_.elapsed() / 1000.0 : 0;
    const QString left = seconds > 1 && done > 0 ? QStringLiteral(", ") + TimeLeft(seconds * double(step_.Total - done) / double(done))
                                                 : QString();
    ui->BytesLabel->setText(tr("%1 of %2%3").arg(Size(done), Size(step_.Total), left));
}

void TPublishProgressDialog::reject()
{
    cancel_ = true;
    ui->FileLabel->setText(tr("Cancelling..."));
    ui->Buttons->button(QDialogButtonBox::Cancel)->setEnabled(false);
}
