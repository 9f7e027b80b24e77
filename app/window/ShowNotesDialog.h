#pragma once
// Items > Show Notes... (ShowNotesDialog.ui): the episode's notes beside a live, safe preview.
// The Text view edits them as formatted text; the HTML view shows and edits their source. The
// buttons give the markup podcast directories take in notes (paragraphs, line breaks, bold,
// italic, links, bulleted and numbered lists): in the Text view as formatting, in the HTML view
// around the selection. The source is what is written: notes holding other markup (a table, say)
// are edited as HTML only, so that markup stays as written; notes left alone keep their bytes.
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
    bool TextViewShowing() const;
    // The HTML view: replaces the selection (or inserts at the cursor) with the markup made of it.
    void Format(const std::function<QString(const QString &selected)> &markup);
    // The Text view: the button's formatting at the cursor or on the selection.
    void FormatText(const QString &button);
    void Button(const QString &button, const std::function<QString(const QString &)> &markup);
    // The Text view follows the source when it can show all of it; otherwise it is off.
    void LoadTextView();
    void TextViewChanged();
    void RenderPreview();

    std::unique_ptr<Ui::TShowNotesDialog> ui;
    std::function<void(const QString &)> episodePreview_;
    bool loadingTextView_ = false;
};
