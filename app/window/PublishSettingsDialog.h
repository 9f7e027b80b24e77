#pragma once
// Feed > Publish Settings...: where and how the selected feed is published. The password box
// starts empty; what is typed goes to the keyring, never into the settings.
#include "PublishSettings.h"

#include <QDialog>
#include <memory>

namespace Ui {
class PublishSettingsDialog;
}

class TPublishSettingsDialog : public QDialog {
    Q_OBJECT

public:
    explicit TPublishSettingsDialog(QWidget *parent = nullptr);
    ~TPublishSettingsDialog() override;

    void SetSettings(const TPublishSettings &settings);
    // The shown settings with the boxes' edits (the known hosts file is kept as it was).
    TPublishSettings Settings() const;
    QString Password() const;

private:
    std::unique_ptr<Ui::PublishSettingsDialog> ui;
    TPublishSettings settings_;
};
