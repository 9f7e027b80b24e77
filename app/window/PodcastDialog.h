#pragma once
// Feed > Podcast... (PodcastDialog.ui): the show's tags for the podcast directories. Categories
// are picked from Apple's list, never typed; a local copy of the cover art is shown with what
// the directories would say of it; the podcast:guid is made from the feed's URL on request.
// The dialog shows the tags as readers read them, through the feed's codec, and gives bytes
// back, so a field left alone keeps its bytes; a URL typed anew is written as a URI.
#include "Dialogs.h"
#include "FeedTextCodec.h"
#include "PodcastTags.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TPodcastDialog;
}
class QComboBox;

class TPodcastDialog : public QDialog {
    Q_OBJECT

public:
    explicit TPodcastDialog(QWidget *parent = nullptr);
    ~TPodcastDialog() override;

    // feedUrl: where the feed says it is published (its self link), to make the guid from.
    void SetTags(const TShowTags &tags, const TFeedTextCodec &codec, const QString &feedUrl);
    // The tags as bytes of the feed; raises for a character the feed's encoding cannot hold.
    TShowTags Tags() const;
    // Where a local picture will be served once published (Publish Settings' public folder).
    void SetPublicUrlOf(const TPublicUrlOf &publicUrlOf) { publicUrlOf_ = publicUrlOf; }
    // What "From File..." does after its dialog: shows the picture, its size and format, and
    // at once what the directories would object to; a picture that Publish will upload gives
    // the Image URL it will have.
    void FillImageFromFile(const QString &fileName);
    // What "Make from Feed URL" does.
    void MakeGuid();

private:
    void FillSubcategories(int row);
    QComboBox *CategoryCombo(int row) const;
    QComboBox *SubcategoryCombo(int row) const;

    std::unique_ptr<Ui::TPodcastDialog> ui;
    TShowTags shown_;
    TFeedTextCodec codec_;
    TPublicUrlOf publicUrlOf_;
};
