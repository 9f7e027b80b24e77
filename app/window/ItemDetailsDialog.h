#pragma once
// The item details dialog (ItemDetailsDialog.ui): guid and isPermaLink, author, categories
// (one a line), comments link and enclosure, and the podcast episode's tags. It holds widget
// text only; the Items page converts between it and the feed's bytes.
#include <QDialog>
#include <QStringList>
#include <memory>

namespace Ui {
class TItemDetailsDialog;
}

// The episode's podcast tags as shown, one box each (see TEpisodeTags).
struct TEpisodeText {
    QString Title, Episode, Season, EpisodeType, Explicit, Duration, ImageHref;
    QString TranscriptUrl, TranscriptType, TranscriptLanguage, ChaptersUrl, ChaptersType;
};

struct TItemDetailsText {
    QString Guid;
    bool GuidIsPermaLink = true;
    QString Author;
    QStringList Categories;
    QString Comments;
    QString EnclosureUrl;
    QString EnclosureLength;
    QString EnclosureType;
    TEpisodeText Episode;
};

class TItemDetailsDialog : public QDialog {
    Q_OBJECT

public:
    explicit TItemDetailsDialog(QWidget *parent = nullptr);
    ~TItemDetailsDialog() override;

    void SetDetails(const TItemDetailsText &details);
    // The boxes' texts; categories are the memo's non-blank lines, trimmed.
    TItemDetailsText Details() const;
    // Fills length and type from a local file (what "From File..." does after its dialog); from
    // an audio file also the duration, and the file's own title when the episode has none, and
    // shows the cover the file embeds.
    void FillEnclosureFromFile(const QString &fileName);

private:
    // Duration, title and cover of an audio file, as its tags and its audio say.
    void ShowMediaFacts(const QString &fileName);

    std::unique_ptr<Ui::TItemDetailsDialog> ui;
};
