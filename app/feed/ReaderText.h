#pragma once
// Texts as readers read them, for the dialogs that show a feed's tags (Item Details, the podcast
// dialog), and the forms those texts are stored in again. Shown: references decoded (XML's own
// and character references; a named entity, which only a DOCTYPE can give a meaning, stays as
// written), a CDATA section's text as it is, comments left out. Stored: every character is
// itself, so a typed "&" is an ampersand and never starts a reference: "Zoë & Friends" is
// written "Zoë &amp; Friends" and "&nbsp;" typed is "&amp;nbsp;".
#include <string>
#include <string_view>

class TzelXMLNode2;
class TzelXMLParser2;

// What the conversions need to know of the document: whether a character reference decodes to
// UTF-8 (else to ISO-8859-1, and one above U+00FF stays as written), whether it is read in
// XML-compatible mode (else an attribute value is read fully decoded and written fully
// escaped), and whether it has a DOCTYPE (where the writer may keep a named reference in an
// attribute value).
struct TReaderForm {
    bool Utf8 = true;
    bool Xml = true;
    bool HasDoctype = true;
};
TReaderForm ReaderFormOf(const TzelXMLParser2 &document);

// An element's text (its content as written when the reader kept it), trimmed.
std::string ReadersText(const TzelXMLNode2 &element, TReaderForm form);
// An attribute's value as TzelXMLAttribute2::ValueText gives it.
std::string ReadersValue(std::string_view valueText, TReaderForm form);

// What to set as an element's text (TzelXMLNode2::SetText) so readers read text.
std::string StoredText(std::string_view text);
// What to set as an attribute's value so readers read text.
std::string StoredValue(std::string_view text, TReaderForm form);
