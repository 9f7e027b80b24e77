// Feed > Podcast...: the selected feed's show tags for the podcast directories, edited in their
// dialog and written at once, one undo step, like Save Feed.
#include "Unit1.h"
#include "ui_Unit1.h"

#include "Dialogs.h"
#include "FeedCommands.h"
#include "PodcastTags.h"
#include "PublishPlan.h"
#include "PublishSettings.h"
#include "zelXMLParser2.h"

#include <QFileInfo>

namespace {

// Where the feed says it is published: its self link (atom:link rel="self"), else the
// itunes:new-feed-url it moved to.
QString FeedUrlOf(const TzelXMLNode2 &channel, const TShowTags &tags, const TFeedTextCodec &codec)
{
    for (int p = 0; p < channel.ChildCount(); ++p) {
        const TzelXMLNode2 *child = channel.ChildAt(p);
        if (!child || !child->NameView().ends_with(":link"))
            continue;
        const int rel = child->AttributeIndex("rel"), href = child->AttributeIndex("href");
        if (rel >= 0 && href >= 0 && child->Attributes()[rel]->ValueText() == "self")
            return codec.ToText(child->Attributes()[href]->ValueText());
    }
    return codec.ToText(tags.NewFeedUrl);
}

} // namespace

void TForm1::Podcast1Click()
{
    const std::string path = FeedForCommand();
    if (path.empty())
        return;
    if (!SettleUnsavedEdits())
        return;
    const TUndoHistory::TRecording undoStep(undoHistory_, path);
    LoadDocument(path);
    RequireWholeDocument(*document_, path);
    TzelXMLNode2 &channel = RequireChannel(*document_, path);
    const TFeedTextCodec codec = DocumentCodec();
    TShowTags tags = ReadShowTags(*document_, channel);
    const TShowTags shown = tags;
    // A picture below the media folder gets the URL Publish will upload it to.
    const std::string settingsKey = QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString();
    const TPublishSettings publishing = LoadPublishSettings(PublishSettingsFile(), settingsKey);
    const TPublicUrlOf publicUrlOf = [&](const QString &file) {
        return QString::fromStdString(PublicUrlOfLocalFile(file.toStdString(), settingsKey, publishing));
    };
    if (!dialogs_.EditPodcast(tags, codec, FeedUrlOf(channel, tags, codec), publicUrlOf) || tags == shown)
        return;
    // The channel changes in memory: the file is read again when next needed.
    documentIsKnownFile_ = false;
    itemListIsDocument_ = false;
    itemTreeUndo_.Clear();
    ApplyShowTags(*document_, channel, tags);
    document_->SaveToFile(path);
}
