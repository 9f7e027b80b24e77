#pragma once
// Feed > Publish Settings...: where and how the selected feed is published. The password box
// starts empty; what is typed goes to the keyring, never into the settings. The dialog says
// whether a password is stored and can forget it, browses for the key file, media folder and
// certificate, disables what the chosen protocol does not use, and tests the connection.
#include "PublishSettings.h"
#include "Transfer.h"

#include <QDialog>
#include <functional>
#include <memory>

namespace Ui {
class PublishSettingsDialog;
}
class TPublishSecret;

// The question about a server's unknown host key.
QString HostKeyQuestion(const THostKey &key);

class TPublishSettingsDialog : public QDialog {
    Q_OBJECT

public:
    explicit TPublishSettingsDialog(QWidget *parent = nullptr);
    ~TPublishSettingsDialog() override;

    // secret: the session's passwords, to say whether one is stored and to forget it; may be null.
    void SetSettings(const TPublishSettings &settings, TPublishSecret *secret = nullptr);
    // The shown settings with the boxes' edits (the known hosts file is kept as it was).
    TPublishSettings Settings() const;
    QString Password() const;

    // How Browse... picks a file or, with folder, a folder; "" when cancelled. A file dialog
    // unless replaced.
    std::function<QString(bool folder, const QString &current)> ChooseFile;
    // The host key question Test Connection asks (HostKeyQuestion's text); unset: refused.
    std::function<bool(const THostKey &key)> AskHostKey;
    // What Test Connection does: logs in, lists the remote folder, says what it found.
    void TestConnection();

private:
    void ShowProtocolFields();
    void ShowPasswordState();

    std::unique_ptr<Ui::PublishSettingsDialog> ui;
    TPublishSettings settings_;
    TPublishSecret *secret_ = nullptr;
};
