#include "WrittenForm.h"

#include "zelStrings.h"
#include "zelXMLParser2.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace {

std::string DeclarationValue(const TzelXMLParser2 &document, const char *name)
{
    return document.Declaration().AttributeValue(name).AsString();
}

bool SubtreeHasMixedContent(const TzelXMLNode2 &top)
{
    std::vector<const TzelXMLNode2 *> pending{&top};
    while (!pending.empty()) {
        const TzelXMLNode2 *node = pending.back();
        pending.pop_back();
        if (node->MixedContent())
            return true;
        for (const TzelXMLNode2 *child : node->Children())
            if (child)
                pending.push_back(child);
    }
    return false;
}

} // namespace

std::string SaveDocument(const TzelXMLParser2 &document, const std::string &path)
{
    std::string text = document.BuildXmlText();
    SaveStringToFile(path, text);
    return text;
}

TWrittenFeed SaveChangedDocument(const TzelXMLParser2 &document, const std::string &path,
                                 const TLaidOutText *before, TChannelChange change)
{
    TWrittenFeed written;
    const TzelXMLNode2 *channel = document.FindChild("channel", false);
    // A channel left without children is written in another form: laid out whole.
    if (!before || !channel || channel->ChildCount() == 0) {
        written.Bytes = SaveDocument(document, path);
        return written;
    }
    TChannelLines after;
    std::vector<TTextPatch> patches = ChannelPatches(before->Lines, document, change, after);
    std::string &text = *before->Text;
    // Offsets are the text's before any patch: they apply from its end back.
    written.BytesUnchanged = std::all_of(patches.begin(), patches.end(), [&](const TTextPatch &patch) {
        return patch.Length == patch.Bytes.size() && text.compare(patch.Offset, patch.Length, patch.Bytes) == 0;
    });
    ApplyPatches(text, patches);
    try {
        SaveStringToFile(path, text);
    } catch (...) {
        ApplyPatchesBackwards(text, patches);
        throw;
    }
    written.Bytes = std::move(text);
    written.Lines = std::move(after);
    written.UndoPatches = std::move(patches);
    return written;
}

TWrittenFeed SaveAndTakeWrittenForm(TzelXMLParser2 &document, const std::string &path,
                                    const TLaidOutText *before, TChannelChange change,
                                    TzelXMLNode2 *changed)
{
    TWrittenFeed written = SaveChangedDocument(document, path, before, change);
    switch (TakeWrittenForm(document, changed)) {
    case TWrittenForm::Unknown:
        written.Lines.reset();
        break;
    case TWrittenForm::TextsTrimmed:
        written.StaleChild = change.Position;
        if (written.Lines)
            written.Lines->Stale = change.Position;
        written.DocumentIsFile = true;
        break;
    case TWrittenForm::Same:
        written.DocumentIsFile = true;
        break;
    }
    return written;
}

TWrittenForm TakeWrittenForm(TzelXMLParser2 &document, TzelXMLNode2 *changed)
{
    if (!document.XmlCompatible() || document.MixedContent())
        return TWrittenForm::Unknown;
    const TzelXMLNode2 *channel = document.FindChild("channel", false);
    if ((channel && channel->MixedContent()) || (changed && SubtreeHasMixedContent(*changed)))
        return TWrittenForm::Unknown;

    // The declaration as the writer wrote it, in its order.
    std::string version = DeclarationValue(document, "version");
    std::string encoding = DeclarationValue(document, "encoding");
    const std::string standalone = DeclarationValue(document, "standalone");
    if (version.empty())
        version = "1.0";
    if (encoding.empty())
        encoding = document.IsUtf16() ? "UTF-16" : "ISO-8859-1";
    TzelXMLNode2 &declaration = document.Declaration();
    declaration.Attributes().Clear();
    declaration.AppendAttribute("version", version);
    declaration.AppendAttribute("encoding", encoding);
    if (!standalone.empty())
        declaration.AppendAttribute("standalone", standalone);

    // Texts the reader gave are trimmed already: only the ones the command set can change.
    bool trimmed = false;
    std::vector<TzelXMLNode2 *> pending;
    if (changed)
        pending.push_back(changed);
    while (!pending.empty()) {
        TzelXMLNode2 *node = pending.back();
        pending.pop_back();
        const std::string_view text = node->TextView();
        // A "]]>" goes out split over CDATA sections, whose text the reader keeps untrimmed:
        // the file is read instead (the document is read anew, so what changed here is moot).
        if (text.find("]]>") != std::string_view::npos)
            return TWrittenForm::Unknown;
        if (TrimmedText(text).size() != text.size()) {
            node->SetText(std::string(TrimmedText(text)));
            trimmed = true;
        }
        for (TzelXMLNode2 *child : node->Children())
            if (child)
                pending.push_back(child);
    }
    return trimmed ? TWrittenForm::TextsTrimmed : TWrittenForm::Same;
}
