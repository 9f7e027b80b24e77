#include "DropNotice.h"

#include "zelXMLParser2.h"

std::string TDropNotice::NoticeFor(const TzelXMLParser2 &document, const std::string &path)
{
    const auto &dropped = document.DroppedContent();
    // Without a channel nothing will save the feed: the command that needs it says why.
    if (dropped.empty() || !document.FindChild("channel", false) || !noticed_.insert(path).second)
        return {};
    return "The feed \"" + path + "\" is not well-formed XML. The editor cannot keep what makes it so, and the "
           "next save of this feed will not write back:" + DroppedLines(document);
}

std::string DroppedLines(const TzelXMLParser2 &document)
{
    std::string lines;
    for (const std::string &what : document.DroppedContent())
        lines += "\n- " + what;
    return lines;
}
