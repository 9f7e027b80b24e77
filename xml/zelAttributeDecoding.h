#pragma once
// How a read attribute value that holds a "&" becomes its value. The reader leaves such a
// value in its written form, borrowed from the source text, and the attribute decodes it the
// first time it is asked (see TzelXMLAttribute2::ValueText): a tree then holds no second copy
// of every value that carries an entity.
#include <cstdint>
#include <string>
#include <string_view>

enum class TzelValueDecoding : uint8_t {
    None,       // the value is as it stands
    Predefined, // default mode: the five predefined entities, each decoded once
    Xml,        // XML-compatible mode, no DTD
    XmlAnyEntity, // XML-compatible mode in a document with a DTD
};

std::string DecodeAttributeText(std::string_view written, TzelValueDecoding decoding);
