#pragma once
// The one-time notice of what the next save of a feed would not write back (what the reader
// found and could not keep), given when the feed is opened and before anything writes it.
#include <set>
#include <string>

class TzelXMLParser2;

class TDropNotice {
public:
    // The notice for the feed just loaded from path, or "" when nothing would be lost, when
    // the feed has no channel (nothing will save it) or when the feed was already the subject
    // of a notice in this run.
    std::string NoticeFor(const TzelXMLParser2 &document, const std::string &path);

private:
    std::set<std::string> noticed_;
};

// One line per thing the reader could not keep, each starting "\n- ", with where it starts.
std::string DroppedLines(const TzelXMLParser2 &document);
