#pragma once
// The element tree: TzelXMLNode2 (an element: one name, one text, ordered attributes and
// ordered child elements) and TzelXMLAttribute2 (a name and a TzelVariant value).
//
// Access: every field is read through an accessor named after it (Name(), Text(),
// TextNeedsCDATA(), Document(), Children(), Attributes()) and changed through the Set...
// operations and the child operations below. Name() and Text() return copies; NameView()
// and TextView() return views that stay valid until the node is changed or destroyed.
//
// Ownership (raw pointers, single owner): a node owns its children and attributes.
// new TzelXMLNode2 / CloneTree() give a node the caller owns until AppendChild or
// InsertChild takes it over (or the caller deletes it). A listed child is destroyed by
// DeleteChild or together with its parent. Nodes taken out of Children() with
// Delete/Extract/SetCount belong to the caller; Children().DeleteTrailing(n) cuts a list
// to n entries AND destroys the cut nodes.
//
// Names and texts are 8-bit byte strings, compared exactly and case-sensitively.
// Deep trees are fine: destruction, CloneTree and FindChild(deep) use no recursion.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "zelAttributeDecoding.h"
#include "zelNodeString.h"
#include "zelXMLNodeExtras.h"
#include "zelVariant.h"
#include "zelXMLNodeList2.h"

class TzelXMLParser2;

class TzelXMLAttribute2 {
public:
    TzelXMLAttribute2() = default;
    TzelXMLAttribute2(const TzelXMLAttribute2 &) = delete;
    TzelXMLAttribute2 &operator=(const TzelXMLAttribute2 &) = delete;
    // Attributes live in pooled chunks like nodes (see TzelXMLNodePool); new and delete
    // work as usual.
    static void *operator new(size_t size);
    static void operator delete(void *memory, size_t size) noexcept;

    std::string Name() const { return std::string(name_.View()); }
    std::string_view NameView() const { return name_.View(); }
    // The value as it was set (a string, a number, a boolean or empty).
    TzelVariant Value() const;
    // The value as text, as Value().AsString() gives it; valid until the attribute changes.
    std::string_view ValueText() const
    {
        if (decoding_ != TzelValueDecoding::None)
            DecodeValue();
        return value_.View();
    }
    void SetName(std::string_view name) { name_.Assign(name); }
    void SetValue(const TzelVariant &value);
    // A new attribute with the same name and a copy of the value; the caller owns it.
    TzelXMLAttribute2 *Clone() const;

    // Called when the attribute leaves its list without being destroyed: it stops
    // borrowing bytes from the document it was read from.
    static void TakenOutOfList(TzelXMLAttribute2 *attribute)
    {
        attribute->name_.MakeOwned();
        attribute->value_.MakeOwned();
    }

private:
    friend class TzelXMLReader;
    friend class TzelXMLNode2;
    // The value is kept as its text (AsString) and the kind it was set as; numbers and
    // booleans are read back from their text exactly. Read attributes borrow both strings
    // from the document's source text, like nodes. 28 bytes in all.
    TzelNodeString name_;
    // A read value holding a "&" stays in its written form (decoding_ says how it reads)
    // until ValueText first decodes it into an owned copy; a tree keeps no second copy of
    // values nobody reads. The attribute belongs to one thread, like its tree.
    mutable TzelNodeString value_;
    uint8_t kind_ = StringKind;
    mutable TzelValueDecoding decoding_ = TzelValueDecoding::None;
    static constexpr uint8_t StringKind = 4; // TzelVariant::Storage's index of std::string

    void DecodeValue() const;
};

class TzelXMLNode2 {
public:
    // Create: empty name and text, TextNeedsCDATA false, no Document, no children/attributes.
    TzelXMLNode2() = default;
    // Destroys attributes, then the whole subtree (leaving the document's id index first
    // when that is switched on). Not virtual: delete a document through TzelXMLParser2*.
    ~TzelXMLNode2();
    TzelXMLNode2(const TzelXMLNode2 &) = delete;
    TzelXMLNode2 &operator=(const TzelXMLNode2 &) = delete;
    // Nodes live in pooled chunks (see TzelXMLNodePool); new and delete work as usual.
    static void *operator new(size_t size);
    static void operator delete(void *memory, size_t size) noexcept;

    std::string Name() const { return std::string(name_.View()); }
    std::string_view NameView() const { return name_.View(); }
    std::string Text() const { return std::string(text_.View()); }
    std::string_view TextView() const { return text_.View(); }
    // True exactly when Text holds a "<" or a ">"; the writer then uses a CDATA section.
    bool TextNeedsCDATA() const { return (documentAndFlags_ & CDataFlag) != 0; }
    // The document whose id index this node belongs to, or null (not an owner).
    TzelXMLParser2 *Document() const
    {
        const uintptr_t pointer = documentAndFlags_ & ~FlagMask;
        if (documentAndFlags_ & ExtrasFlag)
            return reinterpret_cast<const TzelXMLNodeExtras *>(pointer)->document;
        return reinterpret_cast<TzelXMLParser2 *>(pointer);
    }

    // What an XML-compatible read kept beside the tree (see TzelXMLNodeExtras); setting a
    // different text forgets the first two.
    // The text was read from one CDATA section and is written back as one.
    bool TextFromCDATA() const { return (documentAndFlags_ & CDataSourceFlag) != 0; }
    // The content before the first child as written in the source, or empty.
    std::string_view KeptContent() const { return Extras() ? std::string_view(Extras()->content) : std::string_view(); }
    // The markup (and in mixed content, text) after the end tag, as written, or empty.
    std::string_view KeptTail() const { return Extras() ? std::string_view(Extras()->tail) : std::string_view(); }
    // Text stands between the children.
    bool MixedContent() const { return Extras() && Extras()->mixed; }

    TzelXMLNodeList2<TzelXMLNode2> &Children() { return children_; }
    const TzelXMLNodeList2<TzelXMLNode2> &Children() const { return children_; }
    TzelXMLNodeList2<TzelXMLAttribute2> &Attributes() { return attributes_; }
    const TzelXMLNodeList2<TzelXMLAttribute2> &Attributes() const { return attributes_; }

    void SetName(std::string_view name);
    // Sets Text and recomputes TextNeedsCDATA. Never raises. Setting the text it already
    // has changes nothing (what was kept of its source form stays).
    void SetText(std::string_view text) noexcept;

    // Appends the node (taking it over), sets its Document to this node's document (or to
    // this node when it is a document) and enters it in the id index when that is on; a
    // duplicate id raises "Found duplicate id ..." and the node stays appended.
    void AppendChild(TzelXMLNode2 *node);
    // Inserts at 0..ChildCount (ChildCount appends); no Document link, no indexing.
    // Outside that range raises "List index out of bounds (%d)"; the node stays the caller's.
    void InsertChild(int position, TzelXMLNode2 *node);
    // Destroys a child and removes it. A node that is not a child (or null) raises
    // "List index out of bounds (-1)" and nothing is destroyed.
    void DeleteChild(TzelXMLNode2 *node);
    // Set what KeptTail and KeptContent give (to put back what ExtractChildKeepingTail moved).
    void SetKeptTail(std::string_view tail);
    void SetKeptContent(std::string_view content);
    // Takes the child at position out of the list (the caller owns it) and leaves the markup
    // and text that followed it where they stood: after the child before it, or at the end of
    // this element's own content. Blanks that laid out the child go with it; in an element laid
    // out line by line, pieces of markup that come together are parted by lineStart (the
    // writer's line break and the children's indent). Raises, changing nothing, for a first
    // child whose parent's text could not be written before that markup as it is.
    TzelXMLNode2 *ExtractChildKeepingTail(int position, std::string_view lineStart);
    // First child (deep: first descendant in pre-order) whose name equals name; null if none.
    // This node itself is never compared.
    TzelXMLNode2 *FindChild(std::string_view name, bool deep = false) const;
    // FindChild(name, false), or else a new child of that name appended with AppendChild.
    TzelXMLNode2 *ChildOrNew(std::string_view name);
    int ChildCount() const { return children_.Count(); }
    // The child at position; null at or past the end; a negative position raises.
    TzelXMLNode2 *ChildAt(int position) const;
    // Deep copy (name, text, attributes, all descendants) as a plain node with no Document;
    // the caller owns it. Cloning a document gives a plain node too.
    TzelXMLNode2 *CloneTree() const;

    // Position of the first attribute named name, -1 if none.
    int AttributeIndex(std::string_view name) const;
    // The value of the attribute at an integer position or with a string name; the empty
    // string when there is none or the key is of another kind. A negative position raises.
    TzelVariant AttributeValue(const TzelVariant &key) const;
    // Adds an attribute holding value as a string at the end (an existing one of the same
    // name stays, and is still the one found by name).
    void AppendAttribute(std::string_view name, std::string_view value);

    // Called by the list when this node leaves it without being destroyed: the node (and
    // its subtree) stops borrowing bytes from the document it came from.
    static void TakenOutOfList(TzelXMLNode2 *node);

    static constexpr uintptr_t FlagMask = 15; // the low bits of the Document link hold flags

private:
    friend class TzelXMLParser2;
    friend class TzelXMLReader;
    friend class TzelXMLWriter;

    // Steps that run before a node's memory goes: leave the id index, destroy attributes,
    // unindex the direct children. The children themselves are left in the list.
    void ReleaseOwnContent();
    // Destroys every listed child and its subtree without recursion.
    void DestroyChildren();

    static constexpr uintptr_t CDataFlag = 1;       // TextNeedsCDATA
    static constexpr uintptr_t DocumentFlag = 2;    // this node is a TzelXMLParser2
    static constexpr uintptr_t ExtrasFlag = 4;      // the pointer is a TzelXMLNodeExtras
    static constexpr uintptr_t CDataSourceFlag = 8; // TextFromCDATA

    void SetDocument(TzelXMLParser2 *document)
    {
        if (documentAndFlags_ & ExtrasFlag)
            Extras()->document = document;
        else
            documentAndFlags_ = reinterpret_cast<uintptr_t>(document) | (documentAndFlags_ & FlagMask);
    }
    void SetTextNeedsCDATA(bool needed) { documentAndFlags_ = (documentAndFlags_ & ~CDataFlag) | (needed ? CDataFlag : 0); }
    void SetTextFromCDATA(bool fromCDATA)
    {
        documentAndFlags_ = (documentAndFlags_ & ~CDataSourceFlag) | (fromCDATA ? CDataSourceFlag : 0);
    }
    TzelXMLNodeExtras *Extras() const
    {
        return (documentAndFlags_ & ExtrasFlag) ? reinterpret_cast<TzelXMLNodeExtras *>(documentAndFlags_ & ~FlagMask)
                                                : nullptr;
    }
    // The node's extras, made on first use.
    TzelXMLNodeExtras &MakeExtras();
    void FreeExtras() noexcept;
    // Copies the source's CDATA mark and extras (its tail only when asked).
    void CopyKeptMarkup(const TzelXMLNode2 &source, bool withTail);
    bool IsDocument() const { return (documentAndFlags_ & DocumentFlag) != 0; }

    // 48 bytes in all: the two strings, the Document link (or the extras holding it) with
    // four flags in its low bits (documents and extras are 16-aligned), and the two
    // one-pointer lists.
    TzelNodeString name_;
    TzelNodeString text_;
    uintptr_t documentAndFlags_ = 0;
    TzelXMLNodeList2<TzelXMLNode2> children_;
    TzelXMLNodeList2<TzelXMLAttribute2> attributes_;
};
