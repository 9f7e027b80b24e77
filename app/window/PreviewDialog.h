#pragma once
// Items > Preview (PreviewDialog.ui): the episode as podcast apps show it, and the show's page
// with its latest episodes. Pictures come only from local copies handed in; nothing is fetched.
#include <QDialog>
#include <QImage>
#include <memory>

namespace Ui {
class TPreviewDialog;
}
class TSafePreview;

struct TPreviewPages {
    QString EpisodeHtml, ShowHtml; // see EpisodePageHtml, ShowPageHtml
    QImage EpisodeImage, ShowImage; // null when there is no local copy
};

class TPreviewDialog : public QDialog {
    Q_OBJECT

public:
    explicit TPreviewDialog(QWidget *parent = nullptr);
    ~TPreviewDialog() override;

    void SetPages(const TPreviewPages &pages);
    TSafePreview &EpisodeView() const;
    TSafePreview &ShowView() const;
    // 0 the episode, 1 the show.
    void ShowPage(int page);

private:
    std::unique_ptr<Ui::TPreviewDialog> ui;
};
