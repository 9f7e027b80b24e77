#pragma once
// The writer: a document's XML text with the fixed layout (declaration line, root element,
// two spaces of indent per level, CR LF between lines, no line break at the end).
#include <string>

class TzelXMLNode2;
class TzelXMLParser2;

class TzelXMLWriter {
public:
    enum TextPolicy {
        // Raise an Exception for what would not read back as it is: a CDATA text holding
        // "]]>", an element or attribute name the reader would read differently (one
        // holding ">" or a space, starting with "/", "!--" or "![CDATA[", ...), or elements
        // nested deeper than the reader takes.
        RefuseUnwritableText,
        // Write every text as it is (for showing a partial document in an error text).
        WriteTextAsItIs,
    };
    static std::string BuildXmlText(const TzelXMLParser2 &document, TextPolicy policy);
    // What the element holds between its start and end tags, written as inside mixed content
    // (no line breaks or indentation added): the content as read while it is unchanged.
    static std::string BuildContentText(const TzelXMLNode2 &element, bool xml);
};
