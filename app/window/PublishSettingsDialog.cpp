#include "PublishSettingsDialog.h"
#include "ui_PublishSettingsDialog.h"

#include "ConnectionTest.h"
#include "PublishSecret.h"

#include <QEventLoop>
#include <QFileDialog>
#include <QPushButton>
#include <QThread>

namespace {

QString Text(const std::string &bytes) { return QString::fromStdString(bytes); }
std::string Bytes(const QLineEdit *box) { return box->text().trimmed().toStdString(); }

} // namespace

QString HostKeyQuestion(const THostKey &key)
{
    return QStringLiteral("The server %1 port %2 is not known yet. Its %3 host key has the fingerprint\n%4\n"
                          "Compare it with the one your provider gives. Trust this key and remember "
                          "it in known_hosts?")
        .arg(Text(key.Host))
        .arg(key.Port)
        .arg(Text(key.KeyType), Text(key.Fingerprint));
}

TPublishSettingsDialog::TPublishSettingsDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::PublishSettingsDialog>())
{
    ui->setupUi(this);
    ChooseFile = [this](bool folder, const QString &current) {
        return folder ? QFileDialog::getExistingDirectory(this, QString(), current)
                      : QFileDialog::getOpenFileName(this, QString(), current);
    };
    const auto browse = [this](QToolButton *button, QLineEdit *box, bool folder) {
        connect(button, &QToolButton::clicked, this, [this, box, folder] {
            const QString chosen = ChooseFile(folder, box->text());
            if (!chosen.isEmpty())
                box->setText(chosen);
        });
    };
    browse(ui->KeyFileBrowse, ui->KeyFile, false);
    browse(ui->MediaFolderBrowse, ui->MediaFolder, true);
    browse(ui->CaFileBrowse, ui->CaFile, false);
    connect(ui->Protocol, &QComboBox::currentTextChanged, this, [this] {
        ShowProtocolFields();
        ShowPasswordState();
    });
    for (QLineEdit *box : {ui->Host, ui->User})
        connect(box, &QLineEdit::editingFinished, this, &TPublishSettingsDialog::ShowPasswordState);
    connect(ui->Port, &QSpinBox::editingFinished, this, &TPublishSettingsDialog::ShowPasswordState);
    connect(ui->ForgetPasswordButton, &QPushButton::clicked, this, [this] {
        if (secret_)
            secret_->Forget(SecretName(Settings()));
        ShowPasswordState();
    });
    connect(ui->TestConnectionButton, &QPushButton::clicked, this, &TPublishSettingsDialog::TestConnection);
    ShowProtocolFields();
}

TPublishSettingsDialog::~TPublishSettingsDialog() = default;

void TPublishSettingsDialog::SetSettings(const TPublishSettings &settings, TPublishSecret *secret)
{
    settings_ = settings;
    secret_ = secret;
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
    ui->UploadLinksOutside->setChecked(settings.UploadLinksOutside);
    ShowProtocolFields();
    ShowPasswordState();
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
    settings.UploadLinksOutside = ui->UploadLinksOutside->isChecked();
    return settings;
}

QString TPublishSettingsDialog::Password() const { return ui->Password->text(); }

void TPublishSettingsDialog::ShowProtocolFields()
{
    // A key file is SFTP's; a certificate to trust is for the protocols over TLS.
    const QString protocol = ui->Protocol->currentText();
    const bool sftp = protocol == QLatin1String("SFTP");
    const bool tls = protocol == QLatin1String("FTPS") || protocol == QLatin1String("WebDAV");
    for (QWidget *widget : {static_cast<QWidget *>(ui->KeyFile), static_cast<QWidget *>(ui->KeyFileBrowse),
                            static_cast<QWidget *>(ui->KeyFileLabel)})
        widget->setEnabled(sftp);
    for (QWidget *widget : {static_cast<QWidget *>(ui->CaFile), static_cast<QWidget *>(ui->CaFileBrowse),
                            static_cast<QWidget *>(ui->CaFileLabel)})
        widget->setEnabled(tls);
}

void TPublishSettingsDialog::ShowPasswordState()
{
    const TPublishSettings settings = Settings();
    if (!secret_ || settings.Host.empty()) {
        ui->PasswordState->setText(QString());
        ui->ForgetPasswordButton->setEnabled(false);
        return;
    }
    const std::string name = SecretName(settings);
    const bool stored = secret_->Find(name).has_value();
    ui->PasswordState->setText(stored ? QStringLiteral("A password is stored for %1.").arg(Text(name))
                                      : QStringLiteral("No password is stored for %1.").arg(Text(name)));
    ui->ForgetPasswordButton->setEnabled(stored);
}

void TPublishSettingsDialog::TestConnection()
{
    const TPublishSettings settings = Settings();
    std::string password = Password().toStdString();
    if (password.empty() && secret_)
        password = secret_->Find(SecretName(settings)).value_or(std::string());
    ui->TestResult->setText(QStringLiteral("Connecting to %1...").arg(Text(settings.Host)));
    ui->TestConnectionButton->setEnabled(false);
    TTransferHooks hooks;
    hooks.AcceptNewHostKey = [this](const THostKey &key) {
        bool trusted = false;
        QMetaObject::invokeMethod(this, [this, &trusted, &key] { trusted = AskHostKey && AskHostKey(key); },
                                  Qt::BlockingQueuedConnection);
        return trusted;
    };
    // Off the dialog's thread, so the dialog keeps painting and can ask about a host key.
    std::string result;
    QEventLoop loop;
    QThread *worker = QThread::create([&] { result = ::TestConnection(settings, password, hooks); });
    connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec();
    worker->wait();
    delete worker;
    ui->TestResult->setText(Text(result));
    ui->TestConnectionButton->setEnabled(true);
}
