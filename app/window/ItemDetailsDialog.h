#pragma once
// The item details dialog (ItemDetailsDialog.ui): guid and isPermaLink, author, categories
// (one a line), comments link and enclosure, and the podcast episode's tags. It holds widget
// text only; the Items page converts between it and the feed's bytes.
#include <QDialog>
#include <QStringList>
#include <functional>
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

// What the dialog asks of the window while it is open.
struct TItemDetailsHelp {
    // Raises what writing the details would refuse; OK then leaves the dialog open.
    std::function<void(const TItemDetailsText &)> Check;
    // The public URL of a local file, "" when the publish settings give none.
    std::function<QString(const QString &fileName)> PublicUrlOf;
    // The item's title (the Items page's, as saved).
    QString ItemTitle;
};

class TItemDetailsDialog : public QDialog {
    Q_OBJECT

public:
    explicit TItemDetailsDialog(QWidget *parent = nullptr);
    ~TItemDetailsDialog() override;

    void SetDetails(const TItemDetailsText &details);
    void SetHelp(const TItemDetailsHelp &help) { help_ = help; }
    // Shows why OK was refused; unset, an error box over the dialog.
    std::function<void(const QString &)> ShowRefusal;
    // The boxes' texts; categories are the memo's non-blank lines, trimmed.
    TItemDetailsText Details() const;
    // What "From File..." does after its dialog: from a file that can be read, its length and
    // type, the URL the publish settings give it when the box is empty, and from an audio file
    // also the duration, its own title when the item and the episode have none, and its cover.
    // A file that cannot be read (or an audio file that holds no audio) changes no box: the
    // dialog says why.
    void FillEnclosureFromFile(const QString &fileName);

    // OK: closes only when the details can be written.
    void accept() override;

private:
    std::unique_ptr<Ui::TItemDetailsDialog> ui;
    TItemDetailsHelp help_;
};
