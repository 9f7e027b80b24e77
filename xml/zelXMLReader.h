#pragma once
// The reader: turns a document's SourceText into its element tree.
#include <string>
#include <string_view>

class TzelXMLParser2;
class TzelXMLNode2;

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
    TagKind ReadStartTag(TzelXMLNode2 *parent, int level, TzelXMLNode2 *&element);
    void ReadEndTag(TzelXMLNode2 *element);
    void ParseTextContent(TzelXMLNode2 *element);
    void ParseAttributes(TzelXMLNode2 *element, std::string_view text, bool indexElement);
    std::string ComposeError(const std::string &message) const;

    // 1-based position of c at or after from; 0 when there is none.
    size_t Find(char c, size_t from) const;
    size_t Find(std::string_view pattern, size_t from) const;
    bool StartsAt(size_t position, std::string_view marker) const;
    // Bytes at 1-based positions first..last (empty when last < first).
    std::string_view Slice(size_t first, size_t last) const;

    TzelXMLParser2 &document_;
    std::string_view source_;
    size_t position_ = 1; // the read position, 1-based; 0 after a failed search for "<"
    size_t pendingTagEnd_ = 0; // the ">" of an end tag found by ReadStartTag
};
