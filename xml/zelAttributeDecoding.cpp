// Decoding a read attribute value, in one pass, in either mode.
#include "zelAttributeDecoding.h"

#include <utility>

#include "zelXMLReference.h"

namespace {

// Attribute values in XML-compatible mode, in one pass: the five predefined entities are
// decoded, other references stay as written, and "&amp;" stays as written when the
// decoded "&" would start a reference the writer keeps (see XmlReferenceLength; anyEntity
// when the document has a DTD), so every "&" kept that starts such a reference is one (the
// writer writes those as they are and escapes every other "&").
std::string DecodeAttributeValue(std::string_view value, bool anyEntity)
{
    static constexpr std::pair<std::string_view, char> Entities[] = {
        {"&lt;", '<'}, {"&gt;", '>'}, {"&apos;", '\''}, {"&quot;", '"'}, {"&amp;", '&'}};
    std::string decoded;
    decoded.reserve(value.size());
    for (size_t i = 0; i < value.size();) {
        if (value[i] == '&') {
            bool done = false;
            for (const auto &[entity, character] : Entities) {
                if (value.compare(i, entity.size(), entity) != 0)
                    continue;
                if (character == '&' && XmlReferenceLength(value.substr(i + 4), 0, anyEntity) > 0) // as if the ";" were the "&"
                    break; // "&amp;" before "#65;" or "name;": kept
                decoded += character;
                i += entity.size();
                done = true;
                break;
            }
            if (done)
                continue;
        }
        decoded += value[i++];
    }
    return decoded;
}

// Attribute values in the default mode: the five predefined entities decoded in one pass, each
// once, so "&amp;lt;" gives "&lt;" (what replacing each entity in turn, "&amp;" last, gives).
std::string DecodePredefinedEntities(std::string_view value)
{
    static constexpr std::pair<std::string_view, char> Entities[] = {
        {"&lt;", '<'}, {"&gt;", '>'}, {"&apos;", '\''}, {"&quot;", '"'}, {"&amp;", '&'}};
    std::string decoded;
    decoded.reserve(value.size());
    for (size_t i = 0; i < value.size();) {
        const size_t ampersand = value.find('&', i);
        decoded.append(value, i, ampersand == std::string_view::npos ? std::string_view::npos : ampersand - i);
        if (ampersand == std::string_view::npos)
            break;
        i = ampersand;
        char character = '&';
        size_t length = 1;
        for (const auto &[entity, decodedAs] : Entities)
            if (value.compare(i, entity.size(), entity) == 0) {
                character = decodedAs;
                length = entity.size();
                break;
            }
        decoded += character;
        i += length;
    }
    return decoded;
}

} // namespace

std::string DecodeAttributeText(std::string_view written, TzelValueDecoding decoding)
{
    switch (decoding) {
    case TzelValueDecoding::Predefined: return DecodePredefinedEntities(written);
    case TzelValueDecoding::Xml: return DecodeAttributeValue(written, false);
    case TzelValueDecoding::XmlAnyEntity: return DecodeAttributeValue(written, true);
    default: return std::string(written);
    }
}
