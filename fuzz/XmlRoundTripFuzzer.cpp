// Round trip: read a text, write the tree back, read the written text again. Whenever the
// first read succeeds and the writer accepts the tree, the second read must succeed too and
// give the same tree (names, texts, attributes and children, all the way down) and the
// same declaration version and encoding, and writing that tree again must give the same
// bytes. Anything else aborts, and so do crashes, leaks and undefined behaviour under the
// sanitizers. Every input goes through the engine's own mode and its XML-compatible mode.
#include "zelException.h"
#include "zelXMLParser2.h"
#include "zelXMLReference.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

[[noreturn]] void Fail(const char *what, std::string_view first, std::string_view second)
{
    std::fprintf(stderr, "round trip: %s\n  first:  \"%.*s\"\n  second: \"%.*s\"\n", what,
                 static_cast<int>(first.size()), first.data(), static_cast<int>(second.size()), second.data());
    std::abort();
}

// What the writer makes of an attribute value read from a document with a DOCTYPE: a reference
// to an entity the DOCTYPE does not declare (which made the source not well-formed) is written
// as text, its "&" escaped, and so reads back as "&amp;name;".
std::string WrittenAsText(const std::string &value, const TzelDeclaredEntities *entities)
{
    if (!entities)
        return value;
    std::string result;
    for (size_t at = 0; at < value.size(); ++at) {
        result += value[at];
        if (value[at] == '&' && XmlReferenceLength(value, at, true) && !KeptReferenceLength(value, at, entities))
            result += "amp;";
    }
    return result;
}

// Walks both trees side by side with an explicit stack (trees may be deep).
void CompareTrees(const TzelXMLNode2 &first, const TzelXMLNode2 &second, const TzelDeclaredEntities *entities)
{
    std::vector<std::pair<const TzelXMLNode2 *, const TzelXMLNode2 *>> pending{{&first, &second}};
    while (!pending.empty()) {
        const auto [a, b] = pending.back();
        pending.pop_back();
        if (a->NameView() != b->NameView())
            Fail("element names differ", a->NameView(), b->NameView());
        if (a->TextView() != b->TextView())
            Fail("texts differ", a->TextView(), b->TextView());
        if (a->TextNeedsCDATA() != b->TextNeedsCDATA())
            Fail("CDATA flags differ", a->TextView(), b->TextView());
        if (a->Attributes().Count() != b->Attributes().Count())
            Fail("attribute counts differ", a->NameView(), b->NameView());
        for (int i = 0; i < a->Attributes().Count(); ++i) {
            const TzelXMLAttribute2 *x = a->Attributes()[i];
            const TzelXMLAttribute2 *y = b->Attributes()[i];
            if (x->Name() != y->Name())
                Fail("attribute names differ", x->Name(), y->Name());
            const std::string xv = x->Value().AsString(), yv = y->Value().AsString();
            if (xv != yv && WrittenAsText(xv, entities) != yv)
                Fail("attribute values differ", xv, yv);
        }
        if (a->ChildCount() != b->ChildCount())
            Fail("child counts differ", a->NameView(), b->NameView());
        for (int i = 0; i < a->ChildCount(); ++i)
            pending.emplace_back(a->ChildAt(i), b->ChildAt(i));
    }
}

// One round trip in the engine's own mode or in its XML-compatible mode.
void RoundTrip(const std::string &text, bool xml)
{
    TzelXMLParser2 first;
    first.SetXmlCompatible(xml);
    try {
        first.SetSourceText(text);
    } catch (const Exception &) {
        return; // a malformed declaration attribute is raised, by design
    }
    if (!first.LastError().empty())
        return;

    std::string written;
    try {
        written = first.BuildXmlText();
    } catch (const Exception &) {
        return; // the writer refuses a text it cannot write back readably ("]]>")
    }

    TzelXMLParser2 second;
    second.SetXmlCompatible(xml);
    try {
        second.SetSourceText(written);
    } catch (const Exception &e) {
        Fail("the written text raises on reading", e.what(), written);
    }
    if (!second.LastError().empty())
        Fail("the written text does not read back", second.LastError(), written);
    std::optional<TzelDeclaredEntities> declared;
    if (xml && first.Prolog().find("<!DOCTYPE") != std::string::npos)
        declared.emplace(first.Prolog());
    CompareTrees(first, second, declared ? &*declared : nullptr);

    // The writer keeps the declaration's version and encoding (with defaults for empty ones;
    // a UTF-16 file with no encoding declared is labelled UTF-16).
    for (const char *name : {"version", "encoding"}) {
        std::string expected = first.Declaration().AttributeValue(std::string(name)).AsString();
        if (expected.empty())
            expected = name[0] == 'v' ? "1.0" : first.IsUtf16() ? "UTF-16" : "ISO-8859-1";
        const std::string got = second.Declaration().AttributeValue(std::string(name)).AsString();
        if (got != expected)
            Fail("declaration values differ", expected, got);
    }

    // Writing the tree read back gives the same bytes again.
    std::string rewritten;
    try {
        rewritten = second.BuildXmlText();
    } catch (const Exception &e) {
        Fail("the tree read back is refused by the writer", e.what(), written);
    }
    if (rewritten != written)
        Fail("the text written twice differs", written, rewritten);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    RoundTrip(text, false);
    RoundTrip(text, true);
    return 0;
}
