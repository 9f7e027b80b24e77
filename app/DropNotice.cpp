#include "DropNotice.h"

#include "zelXMLParser2.h"

std::string TDropNotice::NoticeFor(const TzelXMLParser2 &document, const std::string &path)
{
    const auto &dropped = document.DroppedContent();
    if (dropped.empty() || !noticed_.insert(path).second)
        return {};
    std::string text = "The feed \"" + path + "\" holds content that the editor cannot keep. The next save of this feed "
                       "will not write back:";
    for (const std::string &what : dropped)
        text += "\n- " + what;
    return text;
}
