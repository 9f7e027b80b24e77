#pragma once
// Items > Show Notes... (ShowNotesDialog.ui): the episode's notes as HTML source beside a live,
// safe preview. The buttons put the markup podcast directories take in notes (paragraphs, line
// breaks, bold, italic, links, bulleted and numbered lists) around the selection; whatever else
// the notes hold is shown and kept as written.
#include <QDialog>
#include <functional>
#include <memory>

namespace Ui {
class TShowNotesDialog;
}
class TSafePreview;

struct TShowNotesText {
    QString Notes;
    bool SummaryIntoDescription = false; // checked from the start when the description is empty
};

class TShowNotesDialog : public QDialog {
    Q_OBJECT

public:
    explicit TShowNotesDialog(QWidget *parent = nullptr);
    ~TShowNotesDialog() override;

    void SetNotes(const TShowNotesText &notes);
    TShowNotesText Notes() const;
    TSafePreview &Preview() const;
    // "Preview Episode...": shows the episode with the notes as typed. Unset: the button is off.
    void SetEpisodePreview(std::function<void(const QString &notes)> preview);

private:
    // Replaces the selection (or inserts at the cursor) with what the markup makes of it.
    void Format(const std::function<QString(const QString &selected)> &markup);
    void RenderPreview();

    std::unique_ptr<Ui::TShowNotesDialog> ui;
    std::function<void(const QString &)> episodePreview_;
};
