// Items > Show Notes...: the selected episode's content:encoded edited as HTML beside a safe
// preview, written like any item command (one write, one undo step); a plain-text summary goes
// into the description when it is empty or the author asks.
#include "Unit1.h"
#include "ui_Unit1.h"

#include "Dialogs.h"
#include "FeedCommands.h"
#include "NotesHtml.h"
#include "PreviewDialog.h"
#include "ShowNotes.h"
#include "ShowNotesDialog.h"
#include "zelException.h"
#include "zelXMLParser2.h"

#include <optional>

namespace {

// The summary in the feed's encoding: a character the encoding cannot hold (a curly quote read
// from "&rsquo;" in an ISO-8859-1 feed) is written as a character reference, which readers read
// as that character; one XML cannot hold at all is left out.
std::string SummaryBytes(const QString &summary, const TFeedTextCodec &codec)
{
    try {
        return codec.ToBytes(summary);
    } catch (const std::exception &) {
    }
    std::string bytes;
    for (const char32_t character : summary.toStdU32String()) {
        const QString one = QString::fromUcs4(&character, 1);
        try {
            bytes += codec.ToBytes(one);
        } catch (const std::exception &) {
            if (character >= 0x20 && character != 0xFFFE && character != 0xFFFF)
                bytes += "&#" + std::to_string(unsigned(character)) + ";";
        }
    }
    return bytes;
}

} // namespace

void TForm1::ShowNotes1Click()
{
    const int row = SettledChosenRow();
    if (row < 0)
        return;
    const std::string path = SelectedFeedPath();
    RequireWholeDocument(*document_, path);
    const TzelXMLNode2 &channel = RequireChannel(*document_, path);
    const TzelXMLNode2 &item = RequireListedItem(channel, path, FirstItemIndex, row, "it has no show notes");
    const TFeedTextCodec codec = DocumentCodec();
    const std::string shownNotes = ReadShowNotes(*document_, channel, item);
    const std::string description = ReadItem(*document_, path, FirstItemIndex, row).Description;
    TShowNotesText text{codec.ToText(shownNotes),
                        description.find_first_not_of(" \t\r\n") == std::string::npos};
    const auto previewEpisode = [&](const QString &typed) {
        // Runs from a button of the open dialog: a failure is shown there, not thrown through it.
        RunGuarded([&] { dialogs_.ShowPreview(PreviewPages(row, &typed), 0); });
    };
    if (!dialogs_.EditShowNotes(text, previewEpisode))
        return;
    // Every text converted before anything changes; untouched notes keep their bytes.
    const std::string notes = codec.ToBytes(text.Notes, shownNotes);
    std::optional<std::string> summary;
    if (text.SummaryIntoDescription)
        summary = SummaryBytes(NotesSummary(text.Notes), codec);
    if (summary == description)
        summary.reset();
    if (notes == shownNotes && !summary)
        return;
    RunItemCommand(
        [&](TLaidOutText *before, int first, int row) {
            return WriteShowNotes(*document_, path, first, row, notes, summary ? &*summary : nullptr, before);
        },
        TRowChange::Changed, row);
}
