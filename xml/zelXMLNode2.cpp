// Element tree operations. Walks over a subtree (destruction, cloning, deep search, taking
// a subtree out of its document) keep an explicit stack, so any depth is safe.
#include "zelXMLNode2.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "zelException.h"
#include "zelXMLNodePool.h"
#include "zelXMLParser2.h"
#include "zelXMLReader.h"
#include "zelStrings.h"

namespace {

// The id index is touched only for nodes of a document that maintains it and is not
// tearing its tree down.
bool IndexApplies(const TzelXMLParser2 *document)
{
    return document && !document->Clearing() && document->NameIndexEnabled();
}

bool HasAngleBracket(std::string_view text)
{
    return !text.empty() && (std::memchr(text.data(), '<', text.size()) || std::memchr(text.data(), '>', text.size()));
}

} // namespace

TzelXMLAttribute2 *TzelXMLAttribute2::Clone() const
{
    auto copy = std::make_unique<TzelXMLAttribute2>();
    copy->name_.Assign(name_.View());
    copy->value_.Assign(ValueText());
    copy->kind_ = kind_;
    return copy.release();
}

void TzelXMLAttribute2::DecodeValue() const
{
    value_.Assign(DecodeAttributeText(value_.View(), decoding_));
    decoding_ = TzelValueDecoding::None;
}

TzelVariant TzelXMLAttribute2::Value() const
{
    const std::string_view value = ValueText();
    switch (kind_) {
    case 0: return TzelVariant();
    case 1: return TzelVariant(static_cast<int64_t>(std::strtoll(std::string(value).c_str(), nullptr, 10)));
    case 2: return TzelVariant(std::strtod(std::string(value).c_str(), nullptr));
    case 3: return TzelVariant(value == "True");
    default: return TzelVariant(value);
    }
}

void TzelXMLAttribute2::SetValue(const TzelVariant &value)
{
    if (value.IsString())
        value_.Assign(value.String());
    else
        value_.Assign(value.AsString());
    kind_ = static_cast<uint8_t>(value.Raw().index());
    decoding_ = TzelValueDecoding::None;
}

// Nodes and attributes made with new come from a pool of this thread; the reader builds
// its nodes and attributes in its document's pool. Either way a chunk finds itself from the
// object's address, so delete works the same for both.
static TzelXMLNodePool &LoosePool()
{
    thread_local TzelXMLNodePool looseObjects;
    return looseObjects;
}

void *TzelXMLAttribute2::operator new(size_t size) { return LoosePool().Allocate(size, alignof(TzelXMLAttribute2)); }

void TzelXMLAttribute2::operator delete(void *memory, size_t size) noexcept
{
    if (memory)
        TzelXMLNodePool::Free(memory, size);
}

void *TzelXMLNode2::operator new(size_t size) { return LoosePool().Allocate(size); }

void TzelXMLNode2::operator delete(void *memory, size_t size) noexcept
{
    if (memory)
        TzelXMLNodePool::Free(memory, size);
}

TzelXMLNode2::~TzelXMLNode2()
{
    ReleaseOwnContent();
    DestroyChildren();
    FreeExtras();
}

TzelXMLNodeExtras &TzelXMLNode2::MakeExtras()
{
    if (TzelXMLNodeExtras *extras = Extras())
        return *extras;
    auto *extras = new TzelXMLNodeExtras;
    extras->document = Document();
    documentAndFlags_ = reinterpret_cast<uintptr_t>(extras) | (documentAndFlags_ & FlagMask) | ExtrasFlag;
    return *extras;
}

void TzelXMLNode2::FreeExtras() noexcept
{
    TzelXMLNodeExtras *extras = Extras();
    if (!extras)
        return;
    documentAndFlags_ = reinterpret_cast<uintptr_t>(extras->document) | (documentAndFlags_ & FlagMask & ~ExtrasFlag);
    delete extras;
}

void TzelXMLNode2::CopyKeptMarkup(const TzelXMLNode2 &source, bool withTail)
{
    SetTextFromCDATA(source.TextFromCDATA());
    const TzelXMLNodeExtras *kept = source.Extras();
    if (!kept || (kept->content.empty() && !kept->mixed && (!withTail || kept->tail.empty())))
        return;
    TzelXMLNodeExtras &extras = MakeExtras();
    extras.content = kept->content;
    extras.mixed = kept->mixed;
    if (withTail)
        extras.tail = kept->tail;
}

namespace {

bool IsBlankByte(char c) { return static_cast<unsigned char>(c) <= 32; }

// Two runs of what stands between elements, the second following where an element was.
std::string JoinedAround(std::string_view before, std::string_view after, bool mixed,
                         std::string_view lineStart)
{
    if (mixed) {
        // The blanks before the element laid it out, when blanks lay out what follows it too.
        if (!after.empty() && IsBlankByte(after.front()))
            while (!before.empty() && IsBlankByte(before.back()))
                before.remove_suffix(1);
        return std::string(before) + std::string(after);
    }
    // Between elements on lines of their own only the markup counts: the writer lays it out.
    before = TrimmedText(before);
    after = TrimmedText(after);
    std::string joined(before);
    if (!before.empty() && !after.empty())
        joined += lineStart;
    return joined += after;
}

} // namespace

TzelXMLNode2 *TzelXMLNode2::ExtractChildKeepingTail(int position, std::string_view lineStart)
{
    const TzelXMLNode2 *child = children_.Items(position); // raises outside the list
    const std::string_view tail = child ? child->KeptTail() : std::string_view();
    if (tail.empty())
        return children_.Extract(position);
    const bool mixed = MixedContent();
    if (position > 0) {
        TzelXMLNode2 *previous = children_.Items(position - 1);
        if (!previous)
            throw Exception("The markup after the element cannot be kept without it.");
        previous->SetKeptTail(JoinedAround(previous->KeptTail(), tail, mixed, lineStart));
        return children_.Extract(position);
    }
    // The first child: what followed it ends this element's content, which then is written
    // as kept. A text that would not be written as it stands cannot go before it.
    std::string_view content = KeptContent();
    const std::string_view text = TextView();
    if (content.empty() && !text.empty()) {
        if (text.find_first_of("<>&") != std::string_view::npos)
            throw Exception("The markup after the element cannot be kept without it.");
        content = text;
    }
    std::string joined = JoinedAround(content, tail, mixed, lineStart);
    const std::string readable = ReadableText(joined);
    TzelXMLNode2 *extracted = children_.Extract(position);
    SetText(readable);
    SetKeptContent(joined);
    return extracted;
}

void TzelXMLNode2::SetKeptTail(std::string_view tail)
{
    if (!tail.empty() || Extras())
        MakeExtras().tail.assign(tail);
}

void TzelXMLNode2::SetKeptContent(std::string_view content)
{
    if (!content.empty() || Extras())
        MakeExtras().content.assign(content);
}

void TzelXMLNode2::ReleaseOwnContent()
{
    TzelXMLParser2 *document = Document();
    if (IndexApplies(document))
        document->UnindexNode(this);
    attributes_.Clear();
    if (IndexApplies(document))
        for (TzelXMLNode2 *child : children_)
            if (child)
                document->UnindexNode(child);
}

void TzelXMLNode2::DestroyChildren()
{
    if (children_.Count() == 0) {
        children_.ReleaseStorage();
        return;
    }
    // Children are handed to a work stack (last child deepest, so the first child is
    // destroyed first) instead of being destroyed recursively.
    std::vector<TzelXMLNode2 *> pending;
    auto takeChildren = [&pending](TzelXMLNode2 *node) {
        for (int i = node->children_.Count() - 1; i >= 0; --i)
            pending.push_back(node->children_.ItemUnchecked(i));
        node->children_.ForgetAll();
        node->children_.ReleaseStorage();
    };
    takeChildren(this);
    while (!pending.empty()) {
        TzelXMLNode2 *node = pending.back();
        pending.pop_back();
        if (!node)
            continue;
        node->ReleaseOwnContent();
        takeChildren(node);
        node->SetDocument(nullptr); // its index work is done; the destructor finds nothing left
        delete node;
    }
}

void TzelXMLNode2::SetName(std::string_view name) { name_.Assign(name); }

void TzelXMLNode2::SetText(std::string_view text) noexcept
{
    if (text == text_.View())
        return; // also keeps what was kept of the text's source form
    try {
        const bool needsCDATA = HasAngleBracket(text);
        text_.Assign(text);
        SetTextNeedsCDATA(needsCDATA);
        SetTextFromCDATA(false);
        if (TzelXMLNodeExtras *extras = Extras())
            extras->content.clear();
    } catch (...) {
        // Setting a text never reports a failure.
    }
}

void TzelXMLNode2::AppendChild(TzelXMLNode2 *node)
{
    children_.Add(node);
    if (!node)
        return;
    node->SetDocument(IsDocument() ? static_cast<TzelXMLParser2 *>(this) : Document());
    TzelXMLParser2 *document = node->Document();
    if (document && !document->Parsing() && document->NameIndexEnabled())
        document->IndexNode(node);
}

void TzelXMLNode2::InsertChild(int position, TzelXMLNode2 *node) { children_.Insert(position, node); }

void TzelXMLNode2::DeleteChild(TzelXMLNode2 *node)
{
    int position = node ? children_.IndexOf(node) : -1;
    if (position < 0)
        TzelPointerList::RaiseIndexError(-1);
    delete node; // destroyed while still listed, then the entry goes
    children_.RemoveAt(position);
}

TzelXMLNode2 *TzelXMLNode2::FindChild(std::string_view name, bool deep) const
{
    if (!deep) {
        for (TzelXMLNode2 *child : children_)
            if (child && child->name_.View() == name)
                return child;
        return nullptr;
    }
    // Pre-order: a match below a child wins over that child's later siblings.
    std::vector<std::pair<const TzelXMLNode2 *, int>> path{{this, 0}};
    while (!path.empty()) {
        auto &[parent, next] = path.back();
        if (next >= parent->children_.Count()) {
            path.pop_back();
            continue;
        }
        TzelXMLNode2 *child = parent->children_.ItemUnchecked(next++);
        if (!child)
            continue;
        if (child->name_.View() == name)
            return child;
        if (child->children_.Count() > 0)
            path.emplace_back(child, 0);
    }
    return nullptr;
}

TzelXMLNode2 *TzelXMLNode2::ChildOrNew(std::string_view name)
{
    if (TzelXMLNode2 *found = FindChild(name, false))
        return found;
    auto *node = new TzelXMLNode2;
    try {
        node->SetName(name);
    } catch (...) {
        delete node;
        throw;
    }
    AppendChild(node);
    return node;
}

TzelXMLNode2 *TzelXMLNode2::ChildAt(int position) const
{
    return position < children_.Count() ? children_.Items(position) : nullptr;
}

TzelXMLNode2 *TzelXMLNode2::CloneTree() const
{
    auto copyOne = [this](const TzelXMLNode2 *source) {
        auto copy = std::make_unique<TzelXMLNode2>();
        copy->SetName(source->name_.View());
        copy->SetText(source->text_.View());
        // The copy is a new sibling: what followed the original stays with the original.
        copy->CopyKeptMarkup(*source, source != this);
        for (TzelXMLAttribute2 *attribute : source->attributes_)
            if (attribute)
                copy->attributes_.Add(attribute->Clone());
        return copy;
    };
    std::unique_ptr<TzelXMLNode2> root = copyOne(this);
    std::vector<std::pair<const TzelXMLNode2 *, TzelXMLNode2 *>> pending{{this, root.get()}};
    while (!pending.empty()) {
        auto [source, copy] = pending.back();
        pending.pop_back();
        copy->children_.Reserve(source->children_.Count());
        for (TzelXMLNode2 *child : source->children_) {
            if (!child)
                continue;
            std::unique_ptr<TzelXMLNode2> childCopy = copyOne(child);
            copy->children_.Add(childCopy.get());
            pending.emplace_back(child, childCopy.release());
        }
    }
    return root.release();
}

int TzelXMLNode2::AttributeIndex(std::string_view name) const
{
    for (int i = 0; i < attributes_.Count(); ++i) {
        TzelXMLAttribute2 *attribute = attributes_.ItemUnchecked(i);
        if (attribute && attribute->NameView() == name)
            return i;
    }
    return -1;
}

TzelVariant TzelXMLNode2::AttributeValue(const TzelVariant &key) const
{
    TzelXMLAttribute2 *attribute = nullptr;
    if (key.IsInteger()) {
        int64_t position = key.Integer();
        if (position < attributes_.Count()) {
            if (position < 0)
                TzelPointerList::RaiseIndexError(position < INT32_MIN ? INT32_MIN : static_cast<int>(position));
            attribute = attributes_.ItemUnchecked(position);
        }
    } else if (key.IsString()) {
        int position = AttributeIndex(key.String());
        if (position >= 0)
            attribute = attributes_.ItemUnchecked(position);
    }
    return attribute ? attribute->Value() : TzelVariant(std::string());
}

void TzelXMLNode2::AppendAttribute(std::string_view name, std::string_view value)
{
    auto attribute = std::make_unique<TzelXMLAttribute2>();
    attribute->SetName(name);
    attribute->value_.Assign(value);
    attributes_.Add(attribute.get());
    attribute.release();
}

void TzelXMLNode2::TakenOutOfList(TzelXMLNode2 *node)
{
    // The subtree leaves its document: drop its index entries and document links (so a
    // later destruction never reaches back into a document that may be gone) and copy the
    // bytes it borrowed from the document's source text.
    std::vector<TzelXMLNode2 *> pending{node};
    while (!pending.empty()) {
        TzelXMLNode2 *current = pending.back();
        pending.pop_back();
        if (IndexApplies(current->Document()))
            current->Document()->UnindexNode(current);
        current->SetDocument(nullptr);
        current->name_.MakeOwned();
        current->text_.MakeOwned();
        for (TzelXMLAttribute2 *attribute : current->attributes_)
            if (attribute)
                TzelXMLAttribute2::TakenOutOfList(attribute);
        for (TzelXMLNode2 *child : current->children_)
            if (child)
                pending.push_back(child);
    }
}

static_assert(sizeof(TzelXMLNode2) <= 48, "a node stays at 48 bytes");
static_assert(sizeof(TzelXMLAttribute2) <= 28 && alignof(TzelXMLAttribute2) == 4, "an attribute stays at 28 bytes, 4-aligned");
static_assert(alignof(TzelXMLNodeExtras) > TzelXMLNode2::FlagMask, "the flags live in the low bits of the extras' address");
