#include "PublishSettingsDialog.h"
#include "ui_PublishSettingsDialog.h"

namespace {

QString Text(const std::string &bytes) { return QString::fromStdString(bytes); }
std::string Bytes(const QLineEdit *box) { return box->text().trimmed().toStdString(); }

} // namespace

TPublishSettingsDialog::TPublishSettingsDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::PublishSettingsDialog>())
{
    ui->setupUi(this);
}

TPublishSettingsDialog::~TPublishSettingsDialog() = default;

void TPublishSettingsDialog::SetSettings(const TPublishSettings &settings)
{
    settings_ = settings;
    ui->Protocol->setCurrentText(QLatin1String(ProtocolName(settings.Protocol)));
    ui->Host->setText(Text(settings.Host));
    ui->Port->setValue(settings.Port);
    ui->User->setText(Text(settings.User));
    ui->Password->clear();
    ui->KeyFile->setText(Text(settings.KeyFile));
    ui->RemoteFolder->setText(Text(settings.RemoteFolder));
    ui->PublicUrl->setText(Text(settings.PublicUrl));
    ui->MediaFolder->setText(Text(settings.MediaFolder));
    ui->CaFile->setText(Text(settings.CaFile));
    ui->UploadEpisodes->setChecked(settings.UploadEpisodes);
    ui->CompareChecksums->setChecked(settings.CompareChecksums);
}

TPublishSettings TPublishSettingsDialog::Settings() const
{
    TPublishSettings settings = settings_;
    for (TPublishProtocol protocol : {TPublishProtocol::Sftp, TPublishProtocol::Ftps,
                                      TPublishProtocol::Ftp, TPublishProtocol::WebDav})
        if (ui->Protocol->currentText() == QLatin1String(ProtocolName(protocol)))
            settings.Protocol = protocol;
    settings.Host = Bytes(ui->Host);
    settings.Port = ui->Port->value();
    settings.User = Bytes(ui->User);
    settings.KeyFile = Bytes(ui->KeyFile);
    settings.RemoteFolder = Bytes(ui->RemoteFolder);
    settings.PublicUrl = Bytes(ui->PublicUrl);
    settings.MediaFolder = Bytes(ui->MediaFolder);
    settings.CaFile = Bytes(ui->CaFile);
    settings.UploadEpisodes = ui->UploadEpisodes->isChecked();
    settings.CompareChecksums = ui->CompareChecksums->isChecked();
    return settings;
}

QString TPublishSettingsDialog::Password() const { return ui->Password->text(); }
