#include "FeedCheck.h"

#include "CheckText.h"
#include "FeedEncodingCheck.h"
#include "FeedValueForms.h"
#include "FirstRowIndex.h"
#include "KnownNamespaces.h"
#include "ExtensionValueRules.h"
#include "MediaRssRules.h"
#include "NotesMarkupRule.h"
#include "PodcastRules.h"
#include "ReaderAttribute.h"
#include "Rfc822Date.h"
#include "RssElementRules.h"
#include "UrlEquivalence.h"
#include "W3cDateTime.h"

#include <libxml/xmlreader.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>

namespace {

// A name an HTML form gives its field: a letter or "_", then letters, digits, "_", "-", ".", ":".
bool IsFormName(std::string_view name)
{
    const auto letter = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; };
    if (name.empty() || !letter(name.front()))
        return false;
    return std::all_of(name.begin(), name.end(), [&](char c) {
        return letter(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == ':';
    });
}

// "1,2,3": whole numbers separated by commas.
bool IsNumberList(std::string_view text)
{
    for (size_t start = 0;;) {
        const size_t comma = text.find(',', start);
        if (!IsWholeNumber(Trimmed(text.substr(start, comma - start))))
            return false;
        if (comma == std::string_view::npos)
            return true;
        start = comma + 1;
    }
}

// ---- the pass through the document ----

std::string_view Text(const xmlChar *text)
{
    return text ? reinterpret_cast<const char *>(text) : "";
}

// An element the reader is inside of, with the text directly in it so far.
struct TOpenElement {
    std::string Name;      // as written, prefix included
    bool Namespaced = false;
    std::string Uri, Local; // of a namespaced element
    bool Container = false; // one of RSS 2.0's containers, at its place
    bool Based = false;     // an absolute xml:base is in effect: relative URLs resolve against it
    int Line = 0;           // where its start tag is
    std::string Text;
    std::vector<std::string> Children; // the children seen that may not repeat
    std::vector<std::string> Values;   // skipHours' hours or skipDays' days so far
    int ChildCount = 0;                // element children without a namespace

    // Empty again for the next element, keeping the memory its strings have.
    void Reset()
    {
        Name.clear();
        Namespaced = Container = Based = false;
        Uri.clear();
        Local.clear();
        Line = 0;
        Text.clear();
        Children.clear();
        Values.clear();
        ChildCount = 0;
    }
};

// The elements the reader is inside of, from the root. A slot is kept when its element ends and
// serves the next element at that depth, so a feed's many small elements cost no memory
// allocation each. The element that ended last stays readable until the next one starts.
class TOpenElements {
public:
    bool empty() const { return depth_ == 0; }
    size_t size() const { return depth_; }
    TOpenElement &back() { return slots_[depth_ - 1]; }
    const TOpenElement &back() const { return slots_[depth_ - 1]; }
    TOpenElement &operator[](size_t at) { return slots_[at]; }
    const TOpenElement &operator[](size_t at) const { return slots_[at]; }

    // The slot of the element that starts, emptied; it joins the open ones with Enter, so
    // until then back() is still its parent.
    TOpenElement &Next()
    {
        if (depth_ == slots_.size())
            slots_.emplace_back();
        TOpenElement &element = slots_[depth_];
        element.Reset();
        return element;
    }
    void Enter() { ++depth_; }
    // The element that ends leaves the open ones; the reference lasts until Next.
    const TOpenElement &Leave() { return slots_[--depth_]; }

private:
    std::vector<TOpenElement> slots_;
    size_t depth_ = 0;
};

class TFeedReader {
public:
    explicit TFeedReader(std::vector<TFeedFinding> &findings)
        : findings_(findings),
          podcast_([this](TFindingSeverity severity, std::string reason) {
              ReportHere(severity, std::move(reason));
          }),
          media_([this](TFindingSeverity severity, std::string reason) {
              ReportHere(severity, std::move(reason));
          })
    {
    }

    void Run(std::string_view bytes)
    {
        if (Trimmed(bytes).empty()) {
            Report(TFindingSeverity::Error, "the file is empty");
            return;
        }
        if (bytes.size() > static_cast<size_t>(std::numeric_limits<int>::max())) {
            Report(TFindingSeverity::Error, "the file is too large for the XML reader (2 GB at most)");
            return;
        }
        // No network, no external DTD, no entity substitution: the check reads only the bytes
        // it is given, whatever the document points at.
        const int options = XML_PARSE_NONET | XML_PARSE_BIG_LINES;
        std::unique_ptr<xmlTextReader, void (*)(xmlTextReaderPtr)> reader(
            xmlReaderForMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr,
                               options),
            xmlFreeTextReader);
        if (!reader) {
            Report(TFindingSeverity::Error, "the XML reader could not start on this file");
            return;
        }
        xmlTextReaderSetStructuredErrorHandler(reader.get(), OnReaderMessage, this);
        // The document is read without a URL of its own, so only an xml:base gives an element a
        // base; asking for it walks up the tree each time. A text in an encoding other than
        // an ASCII-compatible one (a zero byte, or a first byte that is neither "<", a blank nor
        // UTF-8's byte order mark) is asked all the same.
        const char first = bytes.front();
        mayHaveBase_ = bytes.find("xml:base") != std::string_view::npos ||
                       bytes.find('\0') != std::string_view::npos ||
                       !(first == '<' || first == ' ' || first == '\t' || first == '\r' || first == '\n' ||
                         first == '\xEF');
        int result;
        while ((result = xmlTextReaderRead(reader.get())) == 1)
            Visit(reader.get());
        if (itemOpen_)
            FinishItem(/*whole=*/false);
        if (result == 0 && rootIsRss_ && !channelSeen_)
            Report(TFindingSeverity::Error, "the rss element has no channel");
    }

private:
#if LIBXML_VERSION >= 21200
    static void OnReaderMessage(void *self, const xmlError *error)
#else
    static void OnReaderMessage(void *self, xmlErrorPtr error)
#endif
    {
        static_cast<TFeedReader *>(self)->ReaderMessage(*error);
    }

    void ReaderMessage(const xmlError &error)
    {
        std::string message = error.message ? error.message : "unknown error";
        while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
            message.pop_back();
        for (char &c : message)
            if (c == '\n' || c == '\r')
                c = ' ';
        // The reader repeats itself on some inputs (an entity loop, once per reference).
        if (message == lastReaderMessage_ && error.line == lastReaderLine_)
            return;
        lastReaderMessage_ = message;
        lastReaderLine_ = error.line;
        std::string where;
        if (error.line > 0)
            where = " at line " + std::to_string(error.line) + ", column " + std::to_string(error.int2);
        if (error.level == XML_ERR_FATAL)
            Report(TFindingSeverity::Error, "not well-formed XML" + where + ": " + message);
        else if (error.level == XML_ERR_ERROR)
            Report(TFindingSeverity::Error, "XML error" + where + ": " + message);
        else
            Report(TFindingSeverity::Warning, "XML warning" + where + ": " + message);
        findings_.back().Line = std::max(error.line, 0);
    }

    void Visit(xmlTextReaderPtr reader)
    {
        // Text, blank or not, and CDATA all go into the element's text. Told by the node itself,
        // as the reader's node type would also look for blanks and an xml:space above each text.
        if (const xmlNode *node = xmlTextReaderCurrentNode(reader);
            node && (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE)) {
            if (!open_.empty())
                AddText(open_.back(), Text(xmlTextReaderConstValue(reader)));
            return;
        }
        switch (xmlTextReaderNodeType(reader)) {
        case XML_READER_TYPE_ELEMENT:
            StartElement(reader);
            if (xmlTextReaderIsEmptyElement(reader))
                EndElement();
            break;
        case XML_READER_TYPE_END_ELEMENT:
            EndElement();
            break;
        default:
            break;
        }
    }

    // Blanks before the first text of an element are trimmed off all the same, so the blank
    // lines between a container's children are not kept; a namespaced element's text is also
    // judged as written and keeps them.
    static void AddText(TOpenElement &element, std::string_view text)
    {
        if (!element.Text.empty() || element.Namespaced || !Trimmed(text).empty())
            element.Text += text;
    }

    void StartElement(xmlTextReaderPtr reader)
    {
        TOpenElement &element = open_.Next();
        element.Name = Text(xmlTextReaderConstName(reader));
        element_ = element.Name;
        // The node's own line: the reader itself may have read ahead.
        element.Line = line_ = int(xmlGetLineNo(xmlTextReaderCurrentNode(reader)));
        // A prefix without a declaration is the XML reader's error already.
        const xmlChar *uri = xmlTextReaderConstNamespaceUri(reader);
        element.Namespaced = uri != nullptr || element.Name.find(':') != std::string::npos;
        if (element.Namespaced) {
            element.Uri = Text(uri);
            element.Local = Text(xmlTextReaderConstLocalName(reader));
        }
        const std::string_view parent =
            !open_.empty() && open_.back().Container ? std::string_view(open_.back().Name) : "";
        const xmlChar *base = mayHaveBase_ ? xmlTextReaderConstBaseUri(reader) : nullptr;
        element.Based = base && IsAbsoluteUrl(Text(base));
        based_ = element.Based;
        const bool hasAttributes = xmlTextReaderHasAttributes(reader) == 1;
        if (open_.empty()) {
            StartRoot(reader, element);
        } else if (!parent.empty() && !element.Namespaced) {
            // An element RSS 2.0 does not define is told once, not also for its attributes.
            if (CheckPlace(open_.back(), element.Name) && hasAttributes)
                CheckAttributes(reader, element.Name);
            if (parent == "rss" && element.Name == "channel" && !channelSeen_) {
                channelSeen_ = element.Container = true;
            } else if (parent == "channel") {
                element.Container = IsRssContainer(element.Name);
                if (element.Name == "item")
                    StartItem();
                else if (element.Name == "cloud")
                    CheckCloud(reader);
            } else if (parent == "item") {
                StartItemChild(reader, element.Name);
            }
        }
        if (parent == "channel" && element.Name != "item")
            ++channelChildren_;
        // Beyond the root, only an RSS document is judged.
        if (rootIsRss_ && hasAttributes)
            CheckNamespaceDeclarations(reader);
        if (rootIsRss_ && element.Namespaced && !open_.empty()) {
            podcast_.Start(reader, NameOf(element), NameOf(open_.back()));
            if (element.Uri == Namespaces::Media)
                media_.Start(reader, element.Local, NameOf(open_.back()));
            if (element.Uri == Namespaces::Atom && element.Local == "link")
                CheckAtomLink(reader);
        }
        open_.Enter();
    }

    static TElementName NameOf(const TOpenElement &element)
    {
        return {element.Uri, element.Namespaced ? element.Local : element.Name, element.Name};
    }

    // A well-known prefix bound to a URI that is nearly its own is a slip that hides every
    // element of that namespace from the readers that know it.
    void CheckNamespaceDeclarations(xmlTextReaderPtr reader)
    {
        while (xmlTextReaderMoveToNextAttribute(reader) == 1) {
            if (xmlTextReaderIsNamespaceDecl(reader) != 1)
                continue;
            const std::string_view prefix = Text(xmlTextReaderConstLocalName(reader));
            const std::string_view uri = Text(xmlTextReaderConstValue(reader));
            const std::string_view known = KnownNamespaceUri(prefix);
            switch (JudgeNamespaceDeclaration(prefix, uri)) {
            case TNamespaceDeclaration::Right:
                break;
            case TNamespaceDeclaration::NearMiss:
                Report(TFindingSeverity::Error, "the namespace " + std::string(prefix) + " is declared as " +
                                                    Quoted(uri) + ", not exactly " + Quoted(known) +
                                                    "; namespace URIs are compared exactly");
                break;
            case TNamespaceDeclaration::Variant:
                Report(TFindingSeverity::Warning, "the namespace " + std::string(prefix) + " is declared as " +
                                                      Quoted(uri) + ": many readers know it, but those that "
                                                      "compare namespace URIs exactly know only " + Quoted(known));
                break;
            case TNamespaceDeclaration::Different:
                Report(TFindingSeverity::Warning,
                       "the prefix " + std::string(prefix) + " stands for " + Quoted(uri) +
                           ", not for the usual " + Quoted(known));
                break;
            }
        }
        xmlTextReaderMoveToElement(reader);
    }

    // The feed's own address: atom:link rel="self" is there to give it.
    void CheckAtomLink(xmlTextReaderPtr reader)
    {
        if (Trimmed(AttributeOf(reader, "rel")) != "self")
            return;
        const std::string href(Trimmed(AttributeOf(reader, "href")));
        if (href.empty())
            ReportHere(TFindingSeverity::Error, "atom:link rel=\"self\" has no href");
        else if (!IsAbsoluteUrl(href))
            ReportHere(TFindingSeverity::Error,
                       "atom:link rel=\"self\" href " + Quoted(href) + " is not an absolute URL");
    }

    // A child of one of RSS 2.0's containers: defined there (the answer), and not a second one.
    bool CheckPlace(TOpenElement &container, const std::string &child)
    {
        ++container.ChildCount;
        if (!IsDefinedChild(container.Name, child)) {
            ReportHere(TFindingSeverity::Error, ContainerWords(container.Name) + " holds " + child +
                                                    ", which RSS 2.0 does not define; an extension "
                                                    "element needs a namespace");
            return false;
        }
        if (MayRepeat(container.Name, child))
            return true;
        if (std::find(container.Children.begin(), container.Children.end(), child) ==
            container.Children.end())
            container.Children.push_back(child);
        else if (child == "enclosure") // readers take the first and drop the others
            ReportHere(TFindingSeverity::Warning, ContainerWords(container.Name) +
                                                      " has a second enclosure; most readers play only the first");
        else
            ReportHere(TFindingSeverity::Error, ContainerWords(container.Name) + " has a second " + child);
        return true;
    }

    // RSS 2.0 defines few attributes; any other needs a namespace, as extension elements do.
    void CheckAttributes(xmlTextReaderPtr reader, std::string_view element)
    {
        while (xmlTextReaderMoveToNextAttribute(reader) == 1) {
            if (xmlTextReaderIsNamespaceDecl(reader) == 1 || xmlTextReaderConstNamespaceUri(reader))
                continue;
            const std::string_view name = Text(xmlTextReaderConstName(reader));
            if (!IsDefinedAttribute(element, name))
                ReportHere(TFindingSeverity::Error, std::string(element) + " has the attribute " +
                                                        std::string(name) +
                                                        ", which RSS 2.0 does not define there; an "
                                                        "extension attribute needs a namespace");
        }
        xmlTextReaderMoveToElement(reader);
    }

    static std::string ContainerWords(std::string_view container)
    {
        if (container == "rss")
            return "the rss element";
        if (container == "channel" || container == "item" || container == "image")
            return "the " + std::string(container);
        return std::string(container);
    }

    void StartRoot(xmlTextReaderPtr reader, TOpenElement &root)
    {
        if (root.Name != "rss") {
            Report(TFindingSeverity::Error,
                   "the root element is " + root.Name + ", not rss: this is no RSS 2.0 feed");
            return;
        }
        rootIsRss_ = root.Container = true;
        if (xmlTextReaderHasAttributes(reader) == 1)
            CheckAttributes(reader, "rss");
        bool present = false;
        const std::string version = AttributeOf(reader, "version", present);
        if (!present)
            Report(TFindingSeverity::Error, "the rss element has no version; RSS 2.0 says version=\"2.0\"");
        else if (version != "2.0")
            Report(TFindingSeverity::Error,
                   "the rss element says version=" + Quoted(version) + ", not \"2.0\"");
    }

    void StartItem()
    {
        if (firstItemChild_ < 0)
            firstItemChild_ = channelChildren_;
        itemOpen_ = true;
        item_.Reset();
        item_.Row = channelChildren_ - firstItemChild_;
        podcast_.ItemStarted();
        media_.ItemStarted();
        item_.Line = line_;
        ++channelChildren_;
    }

    void StartItemChild(xmlTextReaderPtr reader, std::string_view name)
    {
        if (name == "guid") {
            bool present = false;
            const std::string permaLink = AttributeOf(reader, "isPermaLink", present);
            guidPermaLink_ = Lowered(Trimmed(permaLink)) != "false";
            guidMarked_ = present && guidPermaLink_;
        } else if (name == "enclosure") {
            CheckEnclosure(reader);
        } else if (name == "source") {
            const std::string url = AttributeOf(reader, "url");
            if (Trimmed(url).empty())
                ReportHere(TFindingSeverity::Error, "source has no url");
            else
                CheckUrl("source url", Trimmed(url));
        }
    }

    // cloud: where readers register for change notices; every attribute is needed for that.
    void CheckCloud(xmlTextReaderPtr reader)
    {
        for (const char *attribute : {"domain", "port", "path", "registerProcedure", "protocol"}) {
            bool present = false;
            AttributeOf(reader, attribute, present);
            if (!present)
                ReportHere(TFindingSeverity::Error, "cloud has no " + std::string(attribute));
        }
        bool present = false;
        const std::string port = AttributeOf(reader, "port", present);
        const long portNumber = WholeNumberUpTo(Trimmed(port), 65535);
        if (present && (portNumber < 1 || portNumber > 65535))
            ReportHere(TFindingSeverity::Error,
                       "cloud port " + Quoted(port) + " is not a port number (1 to 65535)");
        const std::string protocol = AttributeOf(reader, "protocol", present);
        if (present && protocol != "xml-rpc" && protocol != "soap" && protocol != "http-post")
            ReportHere(TFindingSeverity::Error,
                       "cloud protocol " + Quoted(protocol) + " is not xml-rpc, soap or http-post");
    }

    // An hour of skipHours (0 to 23, GMT) or a day of skipDays (its English name), each once.
    void CheckSkipped(std::string_view container, std::string_view value)
    {
        static constexpr std::string_view Days[] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                                    "Friday", "Saturday", "Sunday"};
        const bool hours = container == "skipHours";
        const std::string what = std::string(container) + (hours ? " hour " : " day ");
        if (hours && value == "24") { // older feeds meant midnight; readers take it so
            ReportHere(TFindingSeverity::Warning, what + "\"24\" should be written 0, as RSS 2.0 counts 0 to 23");
            value = "0";
        } else if (hours ? WholeNumberUpTo(value, 23) > 23 || !IsWholeNumber(value)
                  : std::find(std::begin(Days), std::end(Days), value) == std::end(Days)) {
            ReportHere(TFindingSeverity::Error,
                       what + Quoted(value) +
                           (hours ? " is not an hour from 0 to 23" : " is not a day from Monday to Sunday"));
            return;
        }
        // "07" and "7" are the same hour.
        const std::string key = hours ? std::to_string(WholeNumberUpTo(value, 23)) : std::string(value);
        std::vector<std::string> &seen = open_.back().Values;
        if (std::find(seen.begin(), seen.end(), key) != seen.end())
            ReportHere(TFindingSeverity::Error, what + Quoted(value) + " is listed twice");
        else
            seen.push_back(key);
    }

    // A whole number in an element, no greater than largest.
    void CheckNumber(std::string_view name, std::string_view value, long largest,
                     std::string_view unit, long smallest)
    {
        const long number = WholeNumberUpTo(value, largest);
        if (number < 0)
            ReportHere(TFindingSeverity::Error, std::string(name) + " " + Quoted(value) +
                                                    " is not a whole number" + std::string(unit));
        else if (number < smallest)
            ReportHere(TFindingSeverity::Error, std::string(name) + " " + Quoted(value) +
                                                    " is less than " + std::to_string(smallest));
        else if (number > largest)
            ReportHere(TFindingSeverity::Error, std::string(name) + " " + Quoted(value) +
                                                    " is more than " + std::to_string(largest) +
                                                    ", the most RSS 2.0 allows");
    }

    void EndElement()
    {
        if (open_.empty())
            return;
        const TOpenElement &element = open_.Leave();
        // The container it stood in ("" when none of RSS 2.0's).
        const std::string_view parent =
            !open_.empty() && open_.back().Container ? std::string_view(open_.back().Name) : "";
        element_ = element.Name;
        line_ = element.Line;
        if (element.Container)
            FinishContainer(element);
        based_ = element.Based;
        if (rootIsRss_ && element.Namespaced && !open_.empty()) {
            podcast_.End(NameOf(element), Trimmed(element.Text), element.Text, NameOf(open_.back()));
            if (element.Uri == Namespaces::Media)
                media_.End(element.Local, Trimmed(element.Text));
            FinishExtension(element, Trimmed(element.Text));
        } else if (!parent.empty()) {
            FinishChild(parent, element.Name, Trimmed(element.Text));
        }
    }

    // The value of a namespaced element in one of RSS 2.0's containers.
    void FinishExtension(const TOpenElement &element, std::string_view value)
    {
        if (element.Uri == "http://purl.org/rss/1.0/modules/content/" && element.Local == "encoded")
            if (const std::string unsafe = UnsafeNotesMarkup(value); !unsafe.empty())
                ReportHere(TFindingSeverity::Warning, element.Name + " holds " + unsafe + ", which readers strip or refuse");
        if (element.Uri == Namespaces::Geo && (element.Local == "lat" || element.Local == "long")) {
            const double limit = element.Local == "lat" ? 90 : 180;
            if (!IsDecimalNumber(value, true) || std::abs(std::strtod(std::string(value).c_str(), nullptr)) > limit)
                ReportHere(TFindingSeverity::Error,
                           element.Name + " " + Quoted(value) + " is not a number from " +
                               (limit == 90 ? "-90 to 90" : "-180 to 180"));
        } else if (element.Uri == Namespaces::Slash && element.Local == "comments" && !IsWholeNumber(value)) {
            ReportHere(TFindingSeverity::Error, element.Name + " " + Quoted(value) + " is not a whole number");
        } else if (element.Uri == Namespaces::Slash && element.Local == "hit_parade" && !IsNumberList(value)) {
            ReportHere(TFindingSeverity::Error,
                       element.Name + " " + Quoted(value) + " is not whole numbers separated by commas");
        }
        if (const std::string fault = ExtensionValueFault(element.Uri, element.Local, value); !fault.empty())
            ReportHere(TFindingSeverity::Error, element.Name + " " + Quoted(value) + " " + fault);
        // A DCMI period ("name=...; start=...; end=...") is the other form the dcterms: dates take.
        if (element.Uri == Namespaces::DublinCoreTerms && value.find('=') != std::string_view::npos)
            return;
        if (IsW3cDated(element.Uri, element.Local) && !IsW3cDateTime(value))
            ReportHere(TFindingSeverity::Error,
                       element.Name + " " + Quoted(value) +
                           " is not a W3C date-time, such as 2007-02-05T14:03:09Z");
    }

    // Dublin Core's dates and Atom's are written as W3C date-times.
    static bool IsW3cDated(std::string_view uri, std::string_view local)
    {
        if (uri == Namespaces::DublinCore)
            return local == "date";
        if (uri == Namespaces::DublinCoreTerms)
            for (const std::string_view dated : {"date", "created", "modified", "issued", "available",
                                                 "dateAccepted", "dateCopyrighted", "dateSubmitted"})
                if (local == dated)
                    return true;
        if (uri == Namespaces::Atom)
            return local == "updated" || local == "published";
        return false;
    }

    void FinishContainer(const TOpenElement &container)
    {
        for (const std::string_view required : RequiredChildren(container.Name))
            if (std::find(container.Children.begin(), container.Children.end(), required) ==
                container.Children.end())
                ReportHere(TFindingSeverity::Error,
                           ContainerWords(container.Name) + " has no " + std::string(required));
        if ((container.Name == "skipHours" || container.Name == "skipDays") && container.ChildCount == 0)
            ReportHere(TFindingSeverity::Error, container.Name + " has no " +
                                                    (container.Name == "skipHours" ? "hour" : "day"));
        // Text belongs inside the elements; readers drop what stands between them.
        if (const std::string_view stray = Trimmed(container.Text); !stray.empty())
            ReportHere(TFindingSeverity::Error, ContainerWords(container.Name) + " holds the text " +
                                                    Quoted(stray) + " between its elements");
        if (container.Name == "item")
            FinishItem(/*whole=*/true);
        else if (container.Name == "channel")
            FinishChannel();
    }

    // Apple's rules for a show, and for each episode once the channel tells whether it is one.
    void FinishChannel()
    {
        const std::optional<TFindingSeverity> episodeSeverity =
            podcast_.ChannelEnded({channelLanguage_, int(episodesWithoutDescription_.size()) + episodes_});
        if (!episodeSeverity)
            return;
        for (TFeedFinding &finding : episodesWithoutDescription_) {
            finding.Severity = *episodeSeverity;
            finding.Reason = *episodeSeverity == TFindingSeverity::Error
                                 ? "the episode has no description: Apple Podcasts requires one"
                                 : "the episode has no description: Apple Podcasts needs one";
            findings_.push_back(std::move(finding));
        }
    }

    // The value of one of RSS 2.0's elements, now that it has ended.
    void FinishChild(std::string_view parent, std::string_view name, std::string_view value)
    {
        fieldName_ = name;
        if (parent == "channel") {
            if (name == "link")
                CheckLink(name, value);
            else if (name == "docs")
                CheckUrl(name, value);
            else if (name == "managingEditor" || name == "webMaster")
                CheckAddress(name, value);
            else if (name == "pubDate" || name == "lastBuildDate")
                CheckDate(value);
            else if (name == "language")
                CheckLanguage(value);
            else if (name == "ttl")
                CheckNumber(name, value, std::numeric_limits<int>::max(), " of minutes", 1);
        } else if (parent == "image") {
            if (name == "width")
                CheckNumber("image width", value, 144, "", 1);
            else if (name == "height")
                CheckNumber("image height", value, 400, "", 1);
            else if (name == "url" || name == "link")
                CheckUrl("image " + std::string(name), value);
        } else if (parent == "textInput") {
            if (name == "link")
                CheckUrl("textInput link", value);
            else if (name == "name" && !IsFormName(value))
                ReportHere(TFindingSeverity::Error, "textInput name " + Quoted(value) +
                                                        " is no form field name (a letter or _, then "
                                                        "letters, digits, _, - or .)");
        } else if (parent == "skipHours" || parent == "skipDays") {
            CheckSkipped(parent, value);
        } else if (parent == "item") {
            if (name == "title")
                item_.Title = value, item_.HasTitle = true;
            else if (name == "description")
                item_.HasDescription = !value.empty(), item_.HasDescriptionElement = true;
            else if (name == "link")
                CheckLink(name, value);
            else if (name == "comments")
                CheckUrl(name, value);
            else if (name == "author")
                CheckAddress(name, value);
            else if (name == "pubDate")
                CheckDate(value);
            else if (name == "guid")
                CheckGuid(value);
        }
    }

    void FinishItem(bool whole)
    {
        if (whole && !item_.HasTitle && !item_.HasDescriptionElement)
            ReportHere(TFindingSeverity::Error, "the item has neither a title nor a description");
        else if (whole && item_.Title.empty() && !item_.HasDescription) // readers show no text for it
            ReportHere(TFindingSeverity::Warning, item_.HasTitle ? "the item's title is empty"
                                                                 : "the item's description is empty");
        if (item_.HasEnclosure) {
            if (item_.HasDescription)
                ++episodes_;
            else // told once the channel says whether this is a podcast
                episodesWithoutDescription_.push_back({TFindingSeverity::Warning, TFindingPlace::Item,
                                                       item_.Row, item_.Title, {}, "item", item_.Line});
        }
        for (TFeedFinding &finding : item_.Findings) {
            finding.Row = item_.Row;
            finding.ItemTitle = item_.Title;
            findings_.push_back(std::move(finding));
        }
        itemOpen_ = false;
    }

    void CheckLanguage(std::string_view value)
    {
        channelLanguage_ |= !value.empty();
        if (!IsLanguageTag(value))
            ReportHere(TFindingSeverity::Error,
                       "language " + Quoted(value) + " is not a language code such as \"en\" or \"en-us\"");
    }

    // A channel's or item's link: any scheme will do (an ftp link is fine), a script will not.
    void CheckLink(std::string_view name, std::string_view url)
    {
        if (!url.empty() && Lowered(UrlScheme(url)) == "javascript")
            ReportHere(TFindingSeverity::Warning,
                       std::string(name) + " " + Quoted(url) + " runs a script instead of leading to a page");
        else
            CheckUrl(name, url);
    }

    // A URL with blanks or letters beyond ASCII: readers that want a URI refuse it.
    bool CheckEncoded(std::string_view name, std::string_view url)
    {
        if (!NeedsPercentEncoding(url))
            return true;
        ReportHere(TFindingSeverity::Error, std::string(name) + " " + Quoted(url) +
                                                " holds blanks or letters beyond ASCII; a URL has them "
                                                "percent-encoded");
        return false;
    }

    void CheckUrl(std::string_view name, std::string_view url)
    {
        if (url.empty())
            ReportHere(TFindingSeverity::Warning, std::string(name) + " is empty");
        else if (!CheckEncoded(name, url))
            return;
        else if (!IsAbsoluteUrl(url) && !(based_ && IsRelativeUrl(url)))
            ReportHere(TFindingSeverity::Error,
                       std::string(name) + " " + Quoted(url) + " is not an absolute URL");
    }

    // Players fetch enclosures over the web, so only http and https will do.
    void CheckHttpUrl(std::string_view name, std::string_view url)
    {
        if (url.empty())
            ReportHere(TFindingSeverity::Warning, std::string(name) + " is empty");
        else if (!CheckEncoded(name, url))
            return;
        else if (!IsAbsoluteHttpUrl(url))
            ReportHere(TFindingSeverity::Error, std::string(name) + " " + Quoted(url) +
                                                    " is not an absolute http or https URL");
    }

    // managingEditor, webMaster, author: "ann@example.org (Ann Lee)" or the bare address.
    void CheckAddress(std::string_view name, std::string_view text)
    {
        if (Lowered(text).find("(mailto:") != std::string::npos) {
            ReportHere(TFindingSeverity::Error, std::string(name) + " " + Quoted(text) +
                                                    " puts a mailto: link where RSS 2.0 wants the address: "
                                                    "write \"ann@example.org (Ann Lee)\"");
            return;
        }
        switch (AddressForm(text)) {
        case TAddressForm::Address:
            break;
        case TAddressForm::OtherForm:
            ReportHere(TFindingSeverity::Warning,
                       std::string(name) + " " + Quoted(text) +
                           " should be written as the address with the name in parentheses, "
                           "e.g. \"ann@example.org (Ann Lee)\"");
            break;
        case TAddressForm::NoAddress:
            ReportHere(TFindingSeverity::Error,
                       std::string(name) + " " + Quoted(text) + " is not an email address");
            break;
        }
    }

    void CheckDate(std::string_view date)
    {
        const TDateCheck check = CheckRfc822Date(date);
        if (check.Verdict == TDateVerdict::Valid)
            return;
        // Many items may have the same fault: the message is built in one block.
        std::string quoted;
        quoted.reserve(160);
        quoted.append(fieldName_).append(" ");
        AppendQuoted(quoted, date);
        switch (check.Verdict) {
        case TDateVerdict::Valid:
            break;
        case TDateVerdict::NotRfc822:
            ReportHere(TFindingSeverity::Error, std::move(quoted.append(" is not an RFC 822 date")));
            break;
        case TDateVerdict::NoKnownZone:
            ReportHere(TFindingSeverity::Error,
                       check.Detail.empty() ? quoted + " has no time zone"
                                            : quoted + " has the zone " + Quoted(check.Detail) +
                                                  ", which RFC 822 does not name");
            break;
        case TDateVerdict::NotReal:
            ReportHere(TFindingSeverity::Error, std::move(quoted.append(" is not a real date: ").append(check.Detail)));
            break;
        case TDateVerdict::WrongWeekday:
            ReportHere(TFindingSeverity::Error, std::move(quoted.append(" names the wrong weekday: that day is a ")
                                                               .append(check.Detail)));
            break;
        }
    }

    void CheckGuid(std::string_view guid)
    {
        if (guid.empty()) {
            // Marked as no link, an empty guid misleads no reader into fetching it; it only
            // fails to tell the items apart.
            if (!guidPermaLink_)
                ReportHere(TFindingSeverity::Warning, "guid is empty; readers cannot tell the items apart by it");
            else
                ReportHere(TFindingSeverity::Error, "guid is empty");
            return;
        }
        if (const auto [earlier, added] = guidRows_.Add(guid, item_.Row); !added) {
            ReportHere(TFindingSeverity::Error, "guid " + Quoted(guid) + " is also the guid of item " +
                                                    std::to_string(earlier + 1));
        } else if (guidPermaLink_) { // a link is the same guid however its address is written
            if (const auto [first, other] = guidAddresses_.Add(ComparableUrl(guid), item_.Row); !other)
                ReportHere(TFindingSeverity::Error, "guid " + Quoted(guid) + " is the same address as the guid of item " +
                                                        std::to_string(first + 1));
        }
        if (!guidPermaLink_)
            return;
        const std::string scheme = Lowered(UrlScheme(guid));
        const bool absolute = IsAbsoluteUrl(guid);
        if (absolute && scheme != "http" && scheme != "https") {
            // tag:, urn: and the like name the item but lead nowhere.
            ReportHere(TFindingSeverity::Error, "guid " + Quoted(guid) +
                                                    " is no web address but readers take it for a link: "
                                                    "it needs isPermaLink=\"false\"");
            return;
        }
        if (absolute)
            return;
        if (guidMarked_)
            ReportHere(TFindingSeverity::Error, "guid " + Quoted(guid) +
                                                    " is marked isPermaLink=\"true\" but is not an "
                                                    "absolute URL");
        else // isPermaLink defaults to true
            ReportHere(TFindingSeverity::Error,
                       "guid " + Quoted(guid) +
                           " is no URL but readers take it for one: it needs isPermaLink=\"false\"");
    }

    void CheckEnclosure(xmlTextReaderPtr reader)
    {
        bool present = false;
        item_.HasEnclosure = true;
        const std::string url = AttributeOf(reader, "url", present);
        if (Trimmed(url).empty())
            ReportHere(TFindingSeverity::Error, "enclosure has no url");
        else
            CheckHttpUrl("enclosure url", Trimmed(url));
        const std::string length = AttributeOf(reader, "length", present);
        if (!present)
            ReportHere(TFindingSeverity::Error, "enclosure has no length");
        else if (!IsWholeNumber(Trimmed(length)))
            ReportHere(TFindingSeverity::Error,
                       "enclosure length " + Quoted(length) + " is not a whole number");
        const std::string type = AttributeOf(reader, "type", present);
        if (!present)
            ReportHere(TFindingSeverity::Error, "enclosure has no type");
        else if (!IsMimeType(type))
            ReportHere(TFindingSeverity::Error, "enclosure type " + Quoted(type) + " is not a MIME type");
    }

    void Report(TFindingSeverity severity, std::string reason,
                TFindingPlace place = TFindingPlace::Document, std::string element = {})
    {
        findings_.push_back({severity, place, -1, {}, std::move(reason), std::move(element), line_});
    }

    // A finding about the element being read: the item's (shown once the item has ended, with
    // its title) or the channel's.
    void ReportHere(TFindingSeverity severity, std::string reason)
    {
        if (itemOpen_)
            item_.Findings.push_back(
                {severity, TFindingPlace::Item, -1, {}, std::move(reason), element_, line_});
        else
            Report(severity, std::move(reason), TFindingPlace::Channel, element_);
    }

    std::vector<TFeedFinding> &findings_;
    bool mayHaveBase_ = true;
    std::string lastReaderMessage_;
    int lastReaderLine_ = 0;
    bool rootIsRss_ = false;
    bool channelSeen_ = false;
    TOpenElements open_; // from the root to the element being read
    int channelChildren_ = 0;  // element children of the channel so far
    int firstItemChild_ = -1;  // position of the first item among them

    bool itemOpen_ = false;
    struct TItem {
        int Row = -1;
        std::string Title;
        bool HasDescription = false;
        bool HasTitle = false, HasDescriptionElement = false; // the elements, empty or not
        bool HasEnclosure = false;
        int Line = 0;
        std::vector<TFeedFinding> Findings;

        // Empty for the next item, keeping the memory of its title and findings.
        void Reset()
        {
            Row = -1;
            Title.clear();
            HasDescription = HasTitle = HasDescriptionElement = HasEnclosure = false;
            Line = 0;
            Findings.clear();
        }
    } item_;
    TFirstRowIndex guidRows_;      // guid -> row of the item that has it first
    TFirstRowIndex guidAddresses_; // a permalink guid's address as compared -> row
    bool guidPermaLink_ = true;
    bool guidMarked_ = false; // isPermaLink="true" written out

    std::string_view fieldName_; // the element whose value is being checked (its slot's name)
    bool based_ = false;    // that element has an absolute xml:base
    bool channelLanguage_ = false;
    int episodes_ = 0; // items with an enclosure and a description
    std::vector<TFeedFinding> episodesWithoutDescription_;
    TPodcastRules podcast_;
    TMediaRssRules media_;
    std::string element_; // the element that started or ended last
    int line_ = 0;        // the line its start tag is on
};

} // namespace

std::vector<TFeedFinding> CheckFeed(std::string_view fileBytes)
{
    std::vector<TFeedFinding> findings;
    CheckFeedEncoding(fileBytes, findings);
    TFeedReader(findings).Run(fileBytes);
    return findings;
}

std::string FindingPlaceText(const TFeedFinding &finding)
{
    switch (finding.Place) {
    case TFindingPlace::Channel:
        return "channel";
    case TFindingPlace::Item: {
        std::string place = "item " + std::to_string(finding.Row + 1);
        if (!finding.ItemTitle.empty())
            place.append(" ").append(Quoted(finding.ItemTitle));
        return place;
    }
    case TFindingPlace::Document:
        break;
    }
    return "document";
}

std::string FindingLine(const TFeedFinding &finding)
{
    return FindingPlaceText(finding) +
           (finding.Severity == TFindingSeverity::Error ? ": error: " : ": warning: ") +
           finding.Reason;
}

bool HasError(const std::vector<TFeedFinding> &findings)
{
    for (const TFeedFinding &finding : findings)
        if (finding.Severity == TFindingSeverity::Error)
            return true;
    return false;
}
