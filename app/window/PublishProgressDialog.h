#pragma once
// The progress of a publishing run as a whole: file k of n, the bytes of all files sent so far,
// the time left at the pace so far, and Cancel. The dialog closes when the run ends, never
// before: Cancel (or closing the box) only asks the run to stop, which it does at the
// transfer's next progress report.
#include "Publisher.h"

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

    void FileStarted(const TPublishStep &step);
    // Bytes of the running file sent so far.
    void ShowProgress(std::int64_t sent);
    void reject() override; // Cancel, Escape, the close button

private:
    std::unique_ptr<Ui::PublishProgressDialog> ui;
    std::atomic<bool> cancel_ = false;
    TPublishStep step_;
    QElapsedTimer runTimer_;
};
