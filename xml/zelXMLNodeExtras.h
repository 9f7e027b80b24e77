#pragma once
// TzelXMLNodeExtras: what an element read in XML-compatible mode keeps beside its Text so
// that a save gives other readers back what they read: the content before its first child
// as it was written (comments, processing instructions, CDATA sections, text around them),
// the markup and text after its end tag up to the next sibling, and whether text stands
// between its children. Only the few elements that need it carry one; it also holds the
// element's Document link (see TzelXMLNode2), so an element stays 48 bytes.
#include <string>

class TzelXMLParser2;

struct alignas(16) TzelXMLNodeExtras {
    TzelXMLParser2 *document = nullptr;
    // The content before the first child, byte for byte; written instead of Text while Text
    // is unchanged.
    std::string content;
    // After the end tag: comments, processing instructions and, in mixed content, text.
    std::string tail;
    // Text stands between the children: the element is written without added line breaks
    // or indentation inside it.
    bool mixed = false;
};
