#pragma once
// TzelXMLParser2: the XML document. It is itself the root element (a TzelXMLNode2): after a
// read, its Name(), Text(), Attributes() and Children() are those of the file's root element,
// so an RSS "channel" is FindChild("channel") on the document itself.
//
// Reading: SetSourceText / LoadFromFile replace the whole tree. Malformed elements raise
// nothing: LastError() holds the reader's error text and the tree holds what was read before
// the error. A malformed declaration attribute raises. Writing: BuildXmlText() gives the
// text, SaveToFile writes it. A tree the writer could not write so that it reads back the
// same (a text holding "]]>", which would end its CDATA section early, an element or
// attribute name the reader would read differently, such as "" or "/a", or nesting deeper
// than MaxNestingDepth) makes both raise an Exception naming the element; the file is then
// left untouched.
//
// Lifetime: create with new (or as a plain object) and delete through TzelXMLParser2*.
// Nodes read from a text borrow their bytes from SourceText(); they stay valid as long as
// they are in this document's tree (a node taken out of the tree copies its bytes).
#include <memory>
#include <string>
#include <vector>

#include "zelHash.h"
#include "zelUtf16.h"
#include "zelXMLNode2.h"
#include "zelXMLNodePool.h"

class alignas(16) TzelXMLParser2 : public TzelXMLNode2 {
public:
    // Elements may nest at most this deep (the root is level 1); deeper input is refused with
    // an ordinary reader error in LastError().
    static constexpr int MaxNestingDepth = 1000;

    TzelXMLParser2();
    virtual ~TzelXMLParser2();
    // A document is an ordinary heap object, not a pooled node.
    static void *operator new(size_t size) { return ::operator new(size); }
    static void operator delete(void *memory) { ::operator delete(memory); }

    // Stores the text and reads it into the tree (see the header comment for errors). The
    // old tree goes first; a text passed by reference is then copied into the old text's
    // memory, so reading the same feed again does not hold two texts and a tree at once.
    virtual void SetSourceText(std::string &&text);
    void SetSourceText(const std::string &text);
    // Reads a text the caller shares instead of copying it: the document keeps it alive while
    // its nodes borrow from it and never changes it (one copy of a large file in memory).
    void SetSharedSourceText(std::shared_ptr<const std::string> text);
    // Reads the whole file, then as SetSourceText. A file that cannot be read raises
    // ("Cannot open file ...") and the document keeps its previous content.
    virtual void LoadFromFile(const std::string &path);
    // Writes BuildXmlText() to path, replacing the file ("Cannot create file ..." on failure).
    void SaveToFile(const std::string &path) const;
    // The document's XML text: declaration line, CR LF, the root element indented by two
    // spaces per level, lines separated by CR LF, no line break at the end.
    std::string BuildXmlText() const;

    // The text last set or loaded, byte for byte.
    const std::string &SourceText() const { return sharedText_ ? *sharedText_ : sourceText_; }
    // Empty after a successful read, otherwise the reader's error text.
    const std::string &LastError() const { return lastError_; }
    // Holds the declaration's pseudo-attributes (version, encoding, ...) of the text last
    // read; not part of the tree. The writer takes version and encoding from it.
    TzelXMLNode2 &Declaration() { return declaration_; }
    const TzelXMLNode2 &Declaration() const { return declaration_; }

    // The id index: element name -> (id value -> node). Maintained only while
    // NameIndexEnabled is true (false at creation).
    bool NameIndexEnabled() const { return nameIndexEnabled_; }
    void SetNameIndexEnabled(bool enabled) { nameIndexEnabled_ = enabled; }
    using TIdTable = TObjectHash<TzelXMLNode2>;          // id value -> node (not owning)
    using TNameIndex = TObjectHash<TIdTable>;            // element name -> id table (owning)
    const TNameIndex &NameIndex() const { return nameIndex_; }
    // Registers the node and every descendant carrying an id (links each visited node to
    // this document). A second node of the same name and id raises
    // "Found duplicate id <id> in name index <name>".
    void IndexNode(TzelXMLNode2 *node);
    // Removes the node's own entry (by name and id), if any. Descendants are not visited.
    void UnindexNode(TzelXMLNode2 *node);

    // XML-compatible mode (false at creation). The reader then takes the forms well-formed
    // XML allows beyond the engine's own subset: any blank after a name and around "=",
    // blanks before an end tag's ">", a ">" inside attribute values, comments, processing
    // instructions and CDATA sections wherever content may stand, text after child
    // elements, and comments, processing instructions and a DOCTYPE before and after the
    // root. It keeps them for the writer: the prolog and a UTF-8 byte-order mark byte for
    // byte, CDATA sections, comments and mixed content (see TzelXMLNode2's kept markup),
    // character and entity references in attribute values. The writer then writes a "&"
    // in a text that starts no reference as a CDATA section of its own ("<![CDATA[&]]>"), so
    // the file stays well-formed and the text reads back as it was. Input the default mode refuses with an error is refused with the same
    // message and position when it is an error in XML as well.
    bool XmlCompatible() const { return xmlCompatible_; }
    void SetXmlCompatible(bool enabled) { xmlCompatible_ = enabled; }
    // What the last XML-compatible read found and the writer gives back as it was.
    bool HasByteOrderMark() const { return byteOrderMark_; }
    // A file with a UTF-16 byte-order mark: SourceText() holds its UTF-8 form, and
    // BuildXmlText() gives UTF-16 again (labelled UTF-16 when no encoding is declared).
    bool IsUtf16() const { return utf16Order_ != TUtf16Order::None; }
    // Between the declaration (or the start, when there is none) and the root element; kept
    // only when it holds markup.
    const std::string &Prolog() const { return prolog_; }
    // After the root element: comments and processing instructions.
    const std::string &Epilog() const { return epilog_; }
    // What the last read found and a save would not write back, one line each (empty when
    // nothing is lost). Counted in XML-compatible mode only.
    const std::vector<std::string> &DroppedContent() const { return droppedContent_; }

    bool Parsing() const { return parsing_; }
    bool Clearing() const { return clearing_; }
    // Minimum growth step of the writer's buffer.
    int OutputGrowth() const { return outputGrowth_; }

private:
    friend class TzelXMLReader;
    friend class TzelXMLNode2;

    // Empties the id index, the root's attributes and children, its name and text, and the
    // declaration's attributes (a read starts from here).
    void ResetForRead();
    // Reads SourceText (in its UTF-8 form) into the tree.
    void ReadSourceText();

    std::string sourceText_;
    std::shared_ptr<const std::string> sharedText_; // when set, the source text instead of sourceText_
    std::string lastError_;
    std::string prolog_;
    std::string epilog_;
    std::vector<std::string> droppedContent_;
    TzelXMLNode2 declaration_;
    TNameIndex nameIndex_;
    TzelXMLNodePool nodePool_; // the reader's nodes
    int outputGrowth_ = 0x10000;
    bool parsing_ = false;
    bool nameIndexEnabled_ = false;
    bool xmlCompatible_ = false;
    bool byteOrderMark_ = false;
    TUtf16Order utf16Order_ = TUtf16Order::None;
    bool clearing_ = false;
};
