// Items > Details (and a double click on a row): the selected item's guid, author,
// categories, comments and enclosure, and its podcast episode tags, edited in their dialog and written like any item
// command: the file at once, then the list again.
#include "Unit1.h"
#include "ui_Unit1.h"

#include "Dialogs.h"
#include "ItemCommands.h"
#include "ItemDetails.h"
#include "ItemDetailsDialog.h"
#include "PublishPlan.h"
#include "PublishSettings.h"
#include "TypedUrl.h"

#include <QFileInfo>

namespace {

constexpr std::pair<std::string TEpisodeTags::*, QString TEpisodeText::*> EpisodeFields[] = {
    {&TEpisodeTags::Title, &TEpisodeText::Title},
    {&TEpisodeTags::Episode, &TEpisodeText::Episode},
    {&TEpisodeTags::Season, &TEpisodeText::Season},
    {&TEpisodeTags::EpisodeType, &TEpisodeText::EpisodeType},
    {&TEpisodeTags::Explicit, &TEpisodeText::Explicit},
    {&TEpisodeTags::Duration, &TEpisodeText::Duration},
    {&TEpisodeTags::ImageHref, &TEpisodeText::ImageHref},
    {&TEpisodeTags::TranscriptUrl, &TEpisodeText::TranscriptUrl},
    {&TEpisodeTags::TranscriptType, &TEpisodeText::TranscriptType},
    {&TEpisodeTags::TranscriptLanguage, &TEpisodeText::TranscriptLanguage},
    {&TEpisodeTags::ChaptersUrl, &TEpisodeText::ChaptersUrl},
    {&TEpisodeTags::ChaptersType, &TEpisodeText::ChaptersType},
};

TItemDetailsText DetailsText(const TItemDetails &details, const TFeedTextCodec &codec)
{
    TItemDetailsText text;
    text.Guid = codec.ToText(details.Guid);
    text.GuidIsPermaLink = details.GuidIsPermaLink;
    text.Author = codec.ToText(details.Author);
    for (const std::string &category : details.Categories)
        text.Categories << codec.ToText(category);
    text.Comments = codec.ToText(details.Comments);
    text.EnclosureUrl = codec.ToText(details.EnclosureUrl);
    text.EnclosureLength = codec.ToText(details.EnclosureLength);
    text.EnclosureType = codec.ToText(details.EnclosureType);
    for (const auto &[bytes, shown] : EpisodeFields)
        text.Episode.*shown = codec.ToText(details.Episode.*bytes);
    return text;
}

// A URL box: as it was when untouched, else written as a URI.
std::string UrlBytes(const QString &text, const std::string &shown, const TFeedTextCodec &codec)
{
    return codec.ToBytes(text == codec.ToText(shown) ? text : EncodedUrl(text), shown);
}

// Every text converted before anything changes; untouched ones keep their bytes.
TItemDetails DetailsBytes(const TItemDetailsText &text, const TItemDetails &shown,
                          const TFeedTextCodec &codec)
{
    TItemDetails details;
    details.Guid = codec.ToBytes(text.Guid, shown.Guid);
    details.GuidIsPermaLink = text.GuidIsPermaLink;
    details.Author = codec.ToBytes(text.Author, shown.Author);
    for (qsizetype i = 0; i < text.Categories.size(); ++i)
        details.Categories.push_back(codec.ToBytes(
            text.Categories[i], size_t(i) < shown.Categories.size() ? shown.Categories[i] : ""));
    details.Comments = codec.ToBytes(text.Comments, shown.Comments);
    details.EnclosureUrl = UrlBytes(text.EnclosureUrl, shown.EnclosureUrl, codec);
    details.EnclosureLength = codec.ToBytes(text.EnclosureLength, shown.EnclosureLength);
    details.EnclosureType = codec.ToBytes(text.EnclosureType, shown.EnclosureType);
    for (const auto &[bytes, typed] : EpisodeFields)
        details.Episode.*bytes = codec.ToBytes(text.Episode.*typed, shown.Episode.*bytes);
    for (const auto &[bytes, typed] : {std::pair{&TEpisodeTags::ImageHref, &TEpisodeText::ImageHref},
                                       {&TEpisodeTags::TranscriptUrl, &TEpisodeText::TranscriptUrl},
                                       {&TEpisodeTags::ChaptersUrl, &TEpisodeText::ChaptersUrl}})
        details.Episode.*bytes = UrlBytes(text.Episode.*typed, shown.Episode.*bytes, codec);
    return details;
}

} // namespace

void TForm1::ItemDetails1Click()
{
    const int row = SettledChosenRow();
    if (row < 0)
        return;
    const std::string path = SelectedFeedPath();
    const TFeedTextCodec codec = DocumentCodec();
    const TItemDetails shown = ReadItemDetails(*document_, path, FirstItemIndex, row);
    TItemDetailsText text = DetailsText(shown, codec);
    TItemDetailsHelp help;
    // OK on what the file holds writes nothing, so it refuses nothing either (an enclosure
    // another program wrote without its length stays as it is).
    help.Check = [&](const TItemDetailsText &typed) {
        if (const TItemDetails details = DetailsBytes(typed, shown, codec); details != shown)
            CheckDetails(details);
    };
    const TPublishSettings settings = LoadPublishSettings(
        PublishSettingsFile(), QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString());
    help.PublicUrlOf = [&](const QString &file) {
        return QString::fromStdString(PublicUrlOfLocalFile(file.toStdString(), path, settings));
    };
    // A new item's "(untitled)" is no title of its own.
    const QString title = codec.ToText(ReadItem(*document_, path, FirstItemIndex, row).Title);
    help.ItemTitle = title == QStringLiteral("(untitled)") ? QString() : title;
    if (!dialogs_.EditItemDetails(text, help))
        return;
    const TItemDetails typed = DetailsBytes(text, shown, codec);
    if (typed == shown)
        return;
    RunItemCommand(
        [&](TLaidOutText *before, int first, int row) {
            return WriteItemDetails(*document_, path, first, row, typed, before);
        },
        TRowChange::Changed, row);
}
