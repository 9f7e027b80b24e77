#pragma once
// An attribute of the element libxml2's reader stands on, as bytes.
#include <libxml/xmlreader.h>

#include <string>

// The value, and whether the element has the attribute at all (an empty value is there).
inline std::string AttributeOf(xmlTextReaderPtr reader, const char *name, bool &present)
{
    xmlChar *value = xmlTextReaderGetAttribute(reader, BAD_CAST name);
    present = value != nullptr;
    std::string text = value ? reinterpret_cast<const char *>(value) : "";
    xmlFree(value);
    return text;
}

inline std::string AttributeOf(xmlTextReaderPtr reader, const char *name)
{
    bool present = false;
    return AttributeOf(reader, name, present);
}
