#pragma once
// Texts and attribute values as XML readers read them: references decoded, a CDATA section as
// its text, comments and processing instructions left out, every line break one LF. Two forms
// of the same content ("x &#38; y" and "x &amp; y", CR LF and LF) read the same.
#include <string>
#include <string_view>

class TzelXMLAttribute2;
class TzelXMLNode2;

// The element's own text (before its first child), trimmed as the reader trims it.
std::string ElementTextAsRead(const TzelXMLNode2 &element);

// The attribute's value; blanks written in it are read as spaces, as XML reads them.
std::string AttributeValueAsRead(const TzelXMLAttribute2 &attribute);

// Written text with XML's own references decoded (a character reference as UTF-8, or in a
// single-byte text as its byte, kept as written when that byte cannot hold it); other
// references, which only a DTD gives a meaning, stay as written.
std::string DecodedReferences(std::string_view written, bool utf8 = true);
