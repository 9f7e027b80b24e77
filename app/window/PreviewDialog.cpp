#include "PreviewDialog.h"
#include "ui_PreviewDialog.h"

#include "EpisodePreview.h"
#include "SafePreview.h"

TPreviewDialog::TPreviewDialog(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TPreviewDialog>())
{
    ui->setupUi(this);
    connect(ui->Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

TPreviewDialog::~TPreviewDialog() = default;

void TPreviewDialog::SetPages(const TPreviewPages &pages)
{
    for (TSafePreview *view : {ui->EpisodeView, ui->ShowView})
        view->ForgetImages();
    if (!pages.EpisodeImage.isNull())
        ui->EpisodeView->ServeImage(EpisodeImageName, pages.EpisodeImage);
    if (!pages.ShowImage.isNull())
        ui->ShowView->ServeImage(ShowImageName, pages.ShowImage);
    ui->EpisodeView->setHtml(pages.EpisodeHtml);
    ui->ShowView->setHtml(pages.ShowHtml);
}

TSafePreview &TPreviewDialog::EpisodeView() const { return *ui->EpisodeView; }

TSafePreview &TPreviewDialog::ShowView() const { return *ui->ShowView; }

void TPreviewDialog::ShowPage(int page) { ui->Pages->setCurrentIndex(page); }
