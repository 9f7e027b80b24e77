// Items > Preview: the selected episode and its show as podcast apps lay them out. Pictures
// come from their local copies (an address under the publish settings' public folder), never
// from the web.
#include "Unit1.h"
#include "ui_Unit1.h"

#include "Dialogs.h"
#include "EpisodePreview.h"
#include "FeedCommands.h"
#include "PreviewDialog.h"
#include "PublishPlan.h"
#include "PublishSettings.h"
#include "zelException.h"
#include "zelXMLParser2.h"

#include <QFileInfo>
#include <QImageReader>

namespace {

// The picture at the address's local copy; null when there is none or it does not read.
QImage LocalPicture(const QString &url, const std::string &feedPath, const TPublishSettings &settings)
{
    const std::string local = LocalCopyOf(url.toStdString(), feedPath, settings);
    if (local.empty())
        return {};
    QImageReader reader(QString::fromStdString(local));
    reader.setAutoTransform(true);
    return reader.read();
}

} // namespace

TPreviewPages TForm1::PreviewPages(int row, const QString *notes) const
{
    const std::string path = SelectedFeedPath();
    const TzelXMLNode2 &channel = RequireChannel(*document_, path);
    const TzelXMLNode2 &item = RequireListedItem(channel, path, FirstItemIndex, row);
    const TFeedTextCodec codec = DocumentCodec();
    const TEpisodeFacts episode = ReadEpisodeFacts(*document_, channel, item, codec, notes);
    const TShowFacts show = ReadShowFacts(*document_, channel, codec);
    // Filed under the feed's absolute path, as Publish Settings... files them.
    const TPublishSettings settings = LoadPublishSettings(
        PublishSettingsFile(), QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString());
    TPreviewPages pages;
    pages.EpisodeImage = LocalPicture(episode.ImageUrl, path, settings);
    pages.ShowImage = LocalPicture(show.ImageUrl, path, settings);
    pages.EpisodeHtml = EpisodePageHtml(episode, !pages.EpisodeImage.isNull());
    pages.ShowHtml = ShowPageHtml(show, !pages.ShowImage.isNull());
    return pages;
}

void TForm1::Preview1Click()
{
    if (ActivePageIndex() != 1 || ui->ListBox2->currentRow() < 0)
        return;
    int row = ui->ListBox2->currentRow();
    // The episode as the file has it now (typed edits not saved yet are not in it).
    FollowFileOnDisk(row, true);
    dialogs_.ShowPreview(PreviewPages(row, nullptr), 0);
}
