#pragma once
// The reader: turns a document's SourceText into its element tree.
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "zelScan.h"

class TzelXMLParser2;
class TzelXMLNode2;
class TzelXMLAttribute2;

// What a reader reads from an element's content as written: the text with comments and processing
// instructions taken out and CDATA sections unwrapped, trimmed.
std::string ReadableText(std::string_view content);

class TzelXMLReader {
public:
    // Reads document.SourceText() into the document (emptied first). Returns "" on success,
    // otherwise the composed error text: message, " near ", an excerpt, CR LF,
    // "Error position=" and the position, CR LF, the document text built so far.
    // An error in the declaration's attributes is raised instead.
    static std::string ParseXml(TzelXMLParser2 &document);

private:
    enum class TagKind { EndTag, EmptyElement, ElementWithContent };

    explicit TzelXMLReader(TzelXMLParser2 &document);
    void ParseBody();

    // XML-compatible mode (see TzelXMLParser2::XmlCompatible).
    // What stands between two tags: text, comments, processing instructions, CDATA sections.
    struct Content {
        size_t end = 0;            // the "<" of the next start or end tag
        bool markup = false;       // holds a comment, processing instruction or CDATA section
        bool characterData = false; // holds text or a CDATA section
        bool otherMarkup = false;  // holds a comment or processing instruction
        size_t sections = 0;       // CDATA sections
        size_t sectionStart = 0, sectionEnd = 0; // the first section's content
    };
    // Scans from `from` to the next start or end tag; missingTag is raised when none follows.
    Content ScanContent(size_t from, const char *missingTag);
    // Skips a comment, processing instruction or DOCTYPE starting at the read position;
    // returns false when none starts there.
    bool SkipMarkup();
    void ReadProlog(size_t start);
    void ReadEpilog();
    // Keeps what follows a child that has just ended, up to the next tag, as its tail.
    void KeepTail(TzelXMLNode2 *child);
    size_t FindTagEndOutsideQuotes(size_t from) const;
    TagKind ReadStartTag(bool topLevel, int level, TzelXMLNode2 *&element);
    // The tags a feed is mostly made of: "<name>", "<name/>" or "</name>" with a name of
    // plain bytes, after blanks only. Reads one such tag as ReadStartTag would and returns
    // true; returns false, having changed nothing, for any other tag.
    bool ReadPlainTag(TagKind &kind, TzelXMLNode2 *&element);
    // A new element listed (or to be listed) in the innermost open element.
    TzelXMLNode2 *AddChild(int level);
    TzelXMLNode2 *NewElement();
    // Lists the children read for the innermost open element in it, in one exact-size block.
    void CloseInnermost();
    // After an error: lists what was read so far, so the partial tree is complete.
    void ListPendingChildren() noexcept;
    void ReadEndTag(TzelXMLNode2 *element);
    void ParseTextContent(TzelXMLNode2 *element);
    // Inside mixed content: the element's text (and every text below top) keeps the blanks
    // around it as written, as its kept content.
    void KeepBlanks(TzelXMLNode2 *element);
    void KeepBlanksBelow(TzelXMLNode2 *top);
    // The blanks in the source right before the element's start tag.
    std::string_view BlanksBefore(const TzelXMLNode2 *element) const;
    void ParseAttributes(TzelXMLNode2 *element, std::string_view text, bool indexElement);
    TzelXMLAttribute2 &AddAttribute(std::string_view name, std::string_view value);
    // Lists the attributes gathered for the element (which has none yet) in one block.
    void ListPendingAttributes(TzelXMLNode2 *element);
    std::string ComposeError(const std::string &message) const;

    // 1-based position of c at or after from; 0 when there is none.
    size_t Find(char c, size_t from) const;
    size_t Find(std::string_view pattern, size_t from) const;
    // Find for a byte that is usually near (the next "<" after a tag is a few blanks away, a
    // tag's ">" rarely far): an inline scan of 16 bytes at a time, where a library call would
    // cost more than the search and a plain loop is slow on a tag of many attributes.
    size_t FindNear(char c, size_t from) const
    {
        if (from < 1 || from > source_.size())
            return 0;
        if (source_[from - 1] == c)
            return from;
        const size_t at = FindFirstOf(source_.data(), from - 1, source_.size(), c);
        return at < source_.size() ? at + 1 : 0;
    }
    size_t FindTagStart(size_t from) const { return FindNear('<', from); }
    size_t FindTagEnd(size_t from) const { return FindNear('>', from); }
    template <size_t N>
    bool StartsAt(size_t position, const char (&marker)[N]) const
    {
        return position >= 1 && source_.size() - (position - 1) >= N - 1 &&
               std::memcmp(source_.data() + position - 1, marker, N - 1) == 0;
    }
    // Bytes at 1-based positions first..last (empty when last < first).
    std::string_view Slice(size_t first, size_t last) const;
    // "line 2, column 7" of a 1-based byte position, for messages.
    std::string LineAndColumn(size_t position) const;

    TzelXMLParser2 &document_;
    std::string_view source_;
    const bool xml_; // XML-compatible mode
    size_t position_ = 1; // the read position, 1-based; 0 after a failed search for "<"
    size_t pendingTagEnd_ = 0; // the ">" of an end tag found by ReadStartTag

    // Elements whose end tag is still to come, root first, with where their children start
    // in pendingChildren_ (children are collected there and listed when the element ends).
    struct OpenElement {
        TzelXMLNode2 *node;
        size_t firstChild;
        size_t contentStart = 0, contentEnd = 0; // its content before the first child
        bool direct = false; // its children go straight into its own list (see ListDirectly)
    };
    // An element with many children lists them itself from then on, in a list that grows
    // by doubling (a large block grows without copying), instead of gathering them all in
    // pendingChildren_ and copying them once more when it ends.
    static constexpr size_t DirectListThreshold = 1024;
    void ListDirectly(OpenElement &parent);
    std::vector<OpenElement> open_;
    std::vector<TzelXMLNode2 *> pendingChildren_;
    std::vector<TzelXMLAttribute2 *> pendingAttributes_;
    // Open elements with mixed content; and whether the prolog holds a DTD, whose entities
    // attribute values may refer to.
    size_t mixedOpen_ = 0;
    bool anyEntity_ = false;
};
