#pragma once
// The progress of a publishing run: the file going up, its bytes and the speed, and Cancel.
// The dialog closes when the run ends, never before: Cancel (or closing the box) only asks the
// run to stop, which it does at the transfer's next progress report.
#include <QDialog>
#include <QElapsedTimer>
#include <atomic>
#include <cstdint>
#include <memory>

namespace Ui {
class PublishProgressDialog;
}

class TPublishProgressDialog : public QDialog {
    Q_OBJECT

public:
    explicit TPublishProgressDialog(QWidget *parent = nullptr);
    ~TPublishProgressDialog() override;

    // Safe from any thread: whether the author asked to stop.
    bool CancelRequested() const { return cancel_; }

    void FileStarted(const QString &name, std::int64_t size);
    void ShowProgress(std::int64_t sent, std::int64_t total);
    void reject() override; // Cancel, Escape, the close button

private:
    std::unique_ptr<Ui::PublishProgressDialog> ui;
    std::atomic<bool> cancel_ = false;
    QElapsedTimer fileTimer_;
};
