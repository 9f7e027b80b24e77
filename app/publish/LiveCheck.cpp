#include "LiveCheck.h"

#include "PictureSize.h"
#include "Transfer.h"

#include <QString>

namespace {

// Enough of a picture's start to hold its size, even behind a large block of metadata.
constexpr std::size_t PictureHeadBytes = 256 * 1024;

std::string Lower(const std::string &text) { return QString::fromStdString(text).trimmed().toLower().toStdString(); }

void CheckTarget(const TLiveTarget &target, const std::string &caFile, std::vector<std::string> &misses)
{
    const std::string named = target.Name + (target.IsCover ? " (the cover)" : "");
    const auto miss = [&](const std::string &what) { misses.push_back("Not live: " + named + " " + what); };

    const TPublicAnswer head = AskPublicUrl(target.Url, caFile, {}, 0);
    if (!head.Failure.empty()) {
        miss("could not be fetched from " + target.Url + ": " + head.Failure + ".");
        return;
    }
    if (head.Status != 200) {
        miss("answered HTTP " + std::to_string(head.Status) + " at " + target.Url + ", not 200.");
        return;
    }
    if (target.Length >= 0 && head.ContentLength != target.Length)
        miss("is served with Content-Length " +
             (head.ContentLength < 0 ? std::string("missing") : std::to_string(head.ContentLength)) +
             ", but the feed gives " + std::to_string(target.Length) + " bytes.");
    const std::string wanted = Lower(target.Type);
    if (!wanted.empty() && head.ContentType != wanted)
        miss("is served as " + (head.ContentType.empty() ? std::string("no type") : head.ContentType) +
             ", but the feed gives " + wanted + ".");
    else if (wanted.empty() && target.IsCover && head.ContentType.rfind("image/", 0) != 0)
        miss("is served as " + (head.ContentType.empty() ? std::string("no type") : head.ContentType) +
             ", not as a picture.");

    const TPublicAnswer range = AskPublicUrl(target.Url, caFile, "0-1", 2);
    if (!range.Failure.empty())
        miss("failed a byte range request: " + range.Failure + ".");
    else if (range.Status != 206)
        miss("answered a byte range request (Range: bytes=0-1) with HTTP " + std::to_string(range.Status) +
             ", not 206: players cannot seek, and Apple refuses such episodes.");

    if (!target.IsCover)
        return;
    const TPublicAnswer picture = AskPublicUrl(target.Url, caFile, "0-" + std::to_string(PictureHeadBytes - 1),
                                               PictureHeadBytes);
    TPictureSize size;
    if (!picture.Failure.empty() || (picture.Status != 200 && picture.Status != 206))
        miss("could not be read as a picture.");
    else if (!ReadPictureSize(picture.Body, size))
        miss("is not a JPEG or PNG picture as served.");
    else if (size.Width != size.Height || size.Width < 1400 || size.Width > 3000)
        miss("is " + std::to_string(size.Width) + " × " + std::to_string(size.Height) +
             " pixels as served; the directories take 1400 to 3000 pixels, square.");
}

} // namespace

std::vector<std::string> LiveCheckMisses(const std::vector<TLiveTarget> &targets, const std::string &caFile)
{
    std::vector<std::string> misses;
    for (const TLiveTarget &target : targets)
        CheckTarget(target, caFile, misses);
    return misses;
}
