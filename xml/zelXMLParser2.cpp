// The document: ties the reader, the writer and the file helpers to the tree, and keeps
// the optional id index.
#include "zelXMLParser2.h"

#include <memory>
#include <vector>

#include "zelStrings.h"
#include "zelUtf16.h"
#include "zelXMLReader.h"
#include "zelXMLWriter.h"

TzelXMLParser2::TzelXMLParser2()
{
    static_assert(alignof(TzelXMLParser2) > FlagMask, "the flags live in the low bits of a document's address");
    documentAndFlags_ |= DocumentFlag;
    nameIndex_.OwnsObjects(true);
}

TzelXMLParser2::~TzelXMLParser2()
{
    // The tree goes here, while the document's own fields are still alive: every node
    // destroyed sees Clearing and leaves the index alone.
    clearing_ = true;
    nameIndex_.Clear();
    declaration_.Attributes().Clear();
    attributes_.Clear();
    DestroyChildren();
}

void TzelXMLParser2::ResetForRead()
{
    nameIndex_.Clear();
    attributes_.Clear();
    clearing_ = true;
    DestroyChildren();
    clearing_ = false;
    nodePool_.Release();
    name_.Borrow({});
    SetText({});
    SetTextFromCDATA(false);
    FreeExtras(); // what the root kept of the previous text
    declaration_.Attributes().Clear();
    prolog_.clear();
    epilog_.clear();
    droppedContent_.clear();
    byteOrderMark_ = false;
}

void TzelXMLParser2::SetSourceText(std::string &&text)
{
    // The old tree borrows bytes from the old text, so it goes before the text is replaced.
    ResetForRead();
    sourceText_ = std::move(text);
    sharedText_.reset();
    ReadSourceText();
}

void TzelXMLParser2::SetSharedSourceText(std::shared_ptr<const std::string> text)
{
    ResetForRead();
    sharedText_ = text ? std::move(text) : std::make_shared<const std::string>();
    std::string().swap(sourceText_);
    ReadSourceText();
}

void TzelXMLParser2::SetSourceText(const std::string &text)
{
    // A text this document holds and a read empties (its prolog, for one) is copied first.
    bool heldHere = &text == &prolog_ || &text == &epilog_ || &text == sharedText_.get();
    for (const std::string &line : droppedContent_)
        heldHere = heldHere || &text == &line;
    if (heldHere) {
        SetSourceText(std::string(text));
        return;
    }
    ResetForRead();
    if (&text != &sourceText_)
        sourceText_.assign(text); // into the old text's memory when it is large enough
    sharedText_.reset();
    ReadSourceText();
}

void TzelXMLParser2::ReadSourceText()
{
    utf16Order_ = xmlCompatible_ ? Utf16OrderOf(SourceText()) : TUtf16Order::None;
    std::optional<std::string> utf8 = Utf16ToUtf8(SourceText(), utf16Order_);
    if (utf8) {
        sourceText_ = std::move(*utf8);
        sharedText_.reset(); // the UTF-8 form is the document's own
    } else {
        utf16Order_ = TUtf16Order::None; // not UTF-16 after all: read as it is
    }
    lastError_ = TzelXMLReader::ParseXml(*this);
}

void TzelXMLParser2::LoadFromFile(const std::string &path)
{
    SetSourceText(LoadStringFromFile(path));
}

void TzelXMLParser2::SaveToFile(const std::string &path) const
{
    SaveStringToFile(path, BuildXmlText());
}

std::string TzelXMLParser2::BuildXmlText() const
{
    std::string text = TzelXMLWriter::BuildXmlText(*this, TzelXMLWriter::RefuseUnwritableText);
    if (utf16Order_ != TUtf16Order::None)
        return Utf8ToUtf16(text, utf16Order_);
    return text; // moved out, where a conditional expression would copy the whole text
}

void TzelXMLParser2::IndexNode(TzelXMLNode2 *node)
{
    // Pre-order, like a recursive walk: the node, then each child's subtree in order. A
    // duplicate stops everything, so nothing below or after it is registered.
    std::vector<TzelXMLNode2 *> pending{node};
    while (!pending.empty()) {
        TzelXMLNode2 *current = pending.back();
        pending.pop_back();
        if (!current)
            continue;
        const std::string id = current->AttributeValue("id").AsString();
        current->SetDocument(this);
        if (!id.empty()) {
            const std::string_view name = current->NameView();
            TIdTable *table;
            if (nameIndex_.Exists(name)) {
                table = nameIndex_.GetObject(name);
            } else {
                auto created = std::make_unique<TIdTable>();
                table = created.get();
                nameIndex_.SetObject(name, created.release());
            }
            if (table->Exists(id))
                throw Exception("Found duplicate id " + id + " in name index " + std::string(name));
            table->SetObject(id, current);
        }
        for (int i = current->children_.Count() - 1; i >= 0; --i)
            pending.push_back(current->children_.ItemUnchecked(i));
    }
}

void TzelXMLParser2::UnindexNode(TzelXMLNode2 *node)
{
    if (!node)
        return;
    const std::string id = node->AttributeValue("id").AsString();
    const std::string_view name = node->NameView();
    // A nameless node can never have been registered; asking the index about an empty
    // key would raise, and this runs from destructors.
    if (id.empty() || name.empty() || !nameIndex_.Exists(name))
        return;
    TIdTable *table = nameIndex_.GetObject(name);
    if (table && table->Exists(id))
        table->Delete(id);
}
