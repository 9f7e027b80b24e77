// The engine's rules checked across its parts: reader error texts and positions in the
// less common places, the id index kept while reading, list and hash error texts, and the
// writer's exact bytes for trees built by hand.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "zelHash.h"
#include "zelStrings.h"
#include "zelXMLParser2.h"

using namespace std::string_literals;

namespace {

const std::string DefaultDeclaration = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n";

std::string ErrorText(const std::string &message, const std::string &excerpt, int position, const std::string &tree)
{
    return message + " near " + excerpt + "\r\nError position=" + std::to_string(position) + "\r\n" +
           DefaultDeclaration + tree;
}

std::string ReadError(const std::string &source)
{
    TzelXMLParser2 document;
    document.SetSourceText(source);
    return document.LastError();
}

template <class Action>
std::string MessageOf(Action action)
{
    try {
        action();
    } catch (const std::exception &error) {
        return error.what();
    }
    return "(nothing raised)";
}

} // namespace

TEST(EngineConformance, ReaderErrorsInLessCommonPlaces)
{
    // A child with content and nothing after its start tag: reported one past its ">".
    EXPECT_EQ(ReadError("<a><b>"), ErrorText("Expected < when parsing text", "<a><b>", 7, "<a>\r\n  <b/>\r\n</a>"));
    // A CDATA root text and then the end of the input: no "<" for the next tag.
    EXPECT_EQ(ReadError("<a><![CDATA[x<y]]>"),
              ErrorText("Missing <", "<a><![CDATA[x<y]]>", 0, "<a><![CDATA[x<y]]></a>"));
    // A comment where a tag is expected, with nothing after it.
    EXPECT_EQ(ReadError("<a><!-- c -->"), ErrorText("Missing <", "<a><!-- c -->", 0, "<a/>"));
    // An inner mismatch is reported at the end tag's "<".
    EXPECT_EQ(ReadError("<a><b></a>"),
              ErrorText("Opening and closing tags don't match b a", "<a><b></a>", 7, "<a>\r\n  <b/>\r\n</a>"));
    // At position 21 the excerpt still starts at 1; at 22 it starts at 2.
    const std::string at21 = "<a>" + std::string(16, ' ') + "<b/>";
    EXPECT_EQ(ReadError(at21), ErrorText("Missing <", at21, 0, "<a>\r\n  <b/>\r\n</a>"));
    const std::string tagAt21 = "<a>" + std::string(17, ' ') + "<b";
    EXPECT_EQ(ReadError(tagAt21), ErrorText("Missing >", tagAt21, 21, "<a/>"));
    const std::string tagAt22 = "<a>" + std::string(18, ' ') + "<b";
    EXPECT_EQ(ReadError(tagAt22), ErrorText("Missing >", tagAt22.substr(1), 22, "<a/>"));
    // The partial tree keeps the attributes read before the faulty one.
    EXPECT_EQ(ReadError("<a><b x=\"1\" y=2/></a>"),
              ErrorText("missing value delimiter when parsing attributes", "<a><b x=\"1\" y=2/></a>", 18,
                        "<a>\r\n  <b x=\"1\"/>\r\n</a>"));
}

TEST(EngineConformance, DeclarationOnlyWhenTheFirstTagIsExactlyXml)
{
    TzelXMLParser2 document;
    // Bytes before the first "<" are skipped; the declaration's text starts after "<?xml" and one byte.
    document.SetSourceText("junk\r\n<?xml\tversion='2' encoding=\"koi8\"?>\r\n<r/>");
    EXPECT_EQ(document.LastError(), "");
    EXPECT_EQ(document.Declaration().AttributeValue("version").AsString(), "2");
    EXPECT_EQ(document.BuildXmlText(), "<?xml version=\"2\" encoding=\"koi8\" ?>\r\n<r/>");
    // A declaration that is not the first tag is an ordinary start tag.
    document.SetSourceText("<r/><?xml version=\"9\"?>");
    EXPECT_EQ(document.LastError(), "");
    EXPECT_EQ(document.Declaration().Attributes().Count(), 0);
    // "<?xml?>" holds no attributes at all.
    document.SetSourceText("<?xml?><r/>");
    EXPECT_EQ(document.LastError(), "");
    EXPECT_EQ(document.Declaration().Attributes().Count(), 0);
}

TEST(EngineConformance, IdIndexKeptWhileReadingSurvivesReloadAndDestruction)
{
    auto *document = new TzelXMLParser2;
    document->SetNameIndexEnabled(true);
    document->SetSourceText("<rss id=\"r\"><item id=\"1\"><link id=\"1\"/></item><item id=\"2\"/></rss>");
    EXPECT_EQ(document->LastError(), "");
    ASSERT_TRUE(document->NameIndex().Exists("item"));
    EXPECT_EQ(document->NameIndex().GetObject("item")->GetObject("2"), document->ChildAt(1));
    EXPECT_EQ(document->NameIndex().GetObject("rss")->GetObject("r"), document);

    // Deleting a read element leaves the index; its id can then be used again.
    document->DeleteChild(document->ChildAt(0));
    EXPECT_FALSE(document->NameIndex().GetObject("item")->Exists("1"));
    auto *again = new TzelXMLNode2;
    again->SetName("item");
    again->AppendAttribute("id", "1");
    EXPECT_NO_THROW(document->AppendChild(again));

    document->SetSourceText("<rss id=\"r\"><item id=\"2\"/></rss>");
    EXPECT_EQ(document->LastError(), "");
    delete document; // the sanitizer build checks that nothing is reached after it is gone
}

TEST(EngineConformance, ListAndPositionErrors)
{
    TzelXMLNode2 node;
    node.AppendChild(new TzelXMLNode2);
    node.AppendAttribute("a", "1");
    EXPECT_EQ(MessageOf([&] { node.ChildAt(-1); }), "List index out of bounds (-1)");
    EXPECT_EQ(node.ChildAt(1), nullptr);
    EXPECT_EQ(MessageOf([&] { node.Children().Items(1); }), "List index out of bounds (1)");
    EXPECT_EQ(MessageOf([&] { node.AttributeValue(-2); }), "List index out of bounds (-2)");
    EXPECT_EQ(node.AttributeValue(1).AsString(), "");
    EXPECT_EQ(node.AttributeValue(1.5).AsString(), "") << "a key of another kind";
    EXPECT_EQ(MessageOf([&] { node.Children().SetCount(-1); }), "List count out of bounds (-1)");
    EXPECT_EQ(MessageOf([&] { node.Children().SetCount(134217728); }), "List count out of bounds (134217728)");
    EXPECT_EQ(node.ChildCount(), 1);

    auto *spare = new TzelXMLNode2;
    EXPECT_EQ(MessageOf([&] { node.InsertChild(-1, spare); }), "List index out of bounds (-1)");
    EXPECT_EQ(MessageOf([&] { node.InsertChild(2, spare); }), "List index out of bounds (2)");
    EXPECT_EQ(MessageOf([&] { node.DeleteChild(spare); }), "List index out of bounds (-1)");
    node.InsertChild(0, spare);
    EXPECT_EQ(node.ChildAt(0), spare);
    EXPECT_EQ(spare->Document(), nullptr) << "InsertChild sets no Document";
}

TEST(EngineConformance, HashErrorTextsAndBucketPlacement)
{
    EXPECT_EQ(HashKey("abc"), 0x456767C3u);
    EXPECT_EQ(HashKey("abc") & THash::BucketMask, 67u);
    TObjectHash<int> table;
    EXPECT_EQ(MessageOf([&] { table.Exists(""); }), "Key cannot be an empty string");
    EXPECT_EQ(MessageOf([&] { table.SetObject("", nullptr); }), "Key cannot be an empty string");
    EXPECT_EQ(MessageOf([&] { table.Delete("x y"); }), "Key \"x y\" not found");
    EXPECT_EQ(MessageOf([&] { table.GetObject("ID"); }), "Key \"ID\" not found");
    int value = 5;
    table.SetObject("abc", &value);
    EXPECT_EQ(table.Bucket(67).size(), 1u);
    EXPECT_EQ(table.GetObject("abc"), &value);
}

TEST(EngineConformance, StringHelperEdges)
{
    EXPECT_EQ(FindFrom("ab", "xabab", 3), 4);
    EXPECT_EQ(FindFrom("ab", "xabab", 5), 0);
    EXPECT_EQ(FindFrom("b", "xabab", 5), 5);
    EXPECT_EQ(FindFrom("b", "xabab", 6), 0);
    EXPECT_EQ(FindFrom("b", "xabab", 1000), 0);
    EXPECT_EQ(ReplaceEvery("aaaa", "aa", "a"), "aa");
    EXPECT_EQ(ReplaceEvery("abab", "ab", ""), "");
    EXPECT_EQ(ReplaceEvery("", "a", "b"), "");
    EXPECT_EQ(ReplaceEvery("a\0b"s, "\0"s, "-"), "a-b");
}

TEST(EngineConformance, WriterBytesForHandBuiltTrees)
{
    TzelXMLParser2 document;
    document.SetName("rss");
    document.AppendAttribute("v", "a&b<c>d'e\"f");
    TzelXMLNode2 *channel = document.ChildOrNew("channel");
    channel->SetText("t & u");
    TzelXMLNode2 *deep = channel->ChildOrNew("x");
    deep->ChildOrNew("y")->SetText("<z>");
    channel->ChildOrNew("item")->SetText("");
    TzelXMLNode2 *flagged = channel->ChildOrNew("w");
    flagged->SetText("<");
    flagged->SetText("plain");
    document.ChildOrNew("tail")->SetText("a>b");
    document.Declaration().AppendAttribute("encoding", "");
    document.Declaration().AppendAttribute("encoding", "UTF-8");
    document.Declaration().AppendAttribute("version", "1.1");
    EXPECT_EQ(document.BuildXmlText(),
              "<?xml version=\"1.1\" encoding=\"ISO-8859-1\" ?>\r\n"
              "<rss v=\"a&amp;b&lt;c&gt;d&apos;e&quot;f\">\r\n"
              "  <channel>t & u\r\n"
              "    <x>\r\n"
              "      <y><![CDATA[<z>]]></y>\r\n"
              "    </x>\r\n"
              "    <item/>\r\n"
              "    <w>plain</w>\r\n"
              "  </channel>\r\n"
              "  <tail><![CDATA[a>b]]></tail>\r\n"
              "</rss>");
}

// A reader written step by step from the reader's rules (recursive, one position, plain
// searches), and generated inputs read by both: the engine must build the same tree and
// give the same message at the same position.
namespace {

struct RefNode {
    std::string name, text;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<RefNode> children;
};

struct RefError {
    std::string message;
};

class RefReader {
public:
    explicit RefReader(const std::string &source) : s_(source) {}

    // Returns the message and fills position, or "" on success.
    std::string Read(RefNode &root, RefNode &declaration, size_t &position)
    {
        size_t lt = Find("<", 1);
        if (lt && s_.compare(lt - 1, 5, "<?xml") == 0) {
            size_t end = Find("?>", lt);
            if (!end)
                return "declaration";
            pos_ = end + 2;
            Attributes(declaration, Trim(Sub(lt + 6, end - 1)));
        }
        try {
            Element(nullptr, root);
        } catch (const RefError &error) {
            position = pos_;
            return error.message;
        }
        return "";
    }

private:
    size_t Find(const std::string &pattern, size_t from) const
    {
        if (from < 1 || from > s_.size())
            return 0;
        size_t at = s_.find(pattern, from - 1);
        return at == std::string::npos ? 0 : at + 1;
    }
    std::string Sub(size_t first, size_t last) const
    {
        return last < first || first > s_.size() ? std::string() : s_.substr(first - 1, last - first + 1);
    }
    static std::string Trim(const std::string &t)
    {
        size_t a = 0, b = t.size();
        while (a < b && static_cast<unsigned char>(t[a]) <= 32)
            ++a;
        while (b > a && static_cast<unsigned char>(t[b - 1]) <= 32)
            --b;
        return t.substr(a, b - a);
    }
    bool Element(RefNode *parent, RefNode &root)
    {
        pos_ = Find("<", pos_);
        if (!pos_)
            throw RefError{"Missing <"};
        if (s_.compare(pos_ - 1, 4, "<!--") == 0) {
            size_t end = Find("-->", pos_);
            if (!end)
                throw RefError{"Missing comment terminator -->"};
            pos_ = Find("<", end + 3);
            if (!pos_)
                throw RefError{"Missing <"};
        }
        size_t gt = Find(">", pos_);
        if (!gt)
            throw RefError{"Missing >"};
        std::string tag = Sub(pos_ + 1, gt - 1);
        if (!tag.empty() && tag[0] == '/')
            return false;
        pos_ = gt + 1;
        bool empty = !tag.empty() && tag.back() == '/';
        if (empty)
            tag = Trim(tag.substr(0, tag.size() - 1));
        std::string name = tag, attributes;
        size_t space = tag.find(' ');
        if (space != std::string::npos) {
            name = tag.substr(0, space);
            attributes = Trim(tag.substr(space + 1));
        }
        RefNode *element = &root;
        if (parent) {
            parent->children.emplace_back();
            element = &parent->children.back();
        }
        element->name = name;
        if (!attributes.empty())
            Attributes(*element, attributes);
        if (!empty) {
            Text(*element);
            while (Element(element, root)) {
            }
            size_t end = Find(">", pos_);
            std::string endName = Sub(pos_ + 2, end - 1);
            if (endName != element->name)
                throw RefError{"Opening and closing tags don't match " + element->name + " " + endName};
            pos_ = end + 1;
        }
        return true;
    }
    void Attributes(RefNode &element, std::string rest)
    {
        rest = Trim(rest);
        while (!rest.empty()) {
            size_t eq = rest.find('=');
            if (eq == std::string::npos)
                throw RefError{"missing = when parsing attributes"};
            char d = eq + 1 < rest.size() ? rest[eq + 1] : 0;
            if (d != '"' && d != '\'')
                throw RefError{"missing value delimiter when parsing attributes"};
            size_t close = rest.find(d, eq + 2);
            if (close == std::string::npos)
                throw RefError{std::string("Expected closing ") + d + " when parsing attributes"};
            std::string value = rest.substr(eq + 2, close - eq - 2);
            for (auto [from, to] : {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&apos;", "'"}, {"&quot;", "\""},
                                    {"&amp;", "&"}})
                value = ReplaceEvery(value, from, to);
            element.attributes.emplace_back(Trim(rest.substr(0, eq)), value);
            rest = rest.substr(close + 1);
        }
    }
    void Text(RefNode &element)
    {
        size_t lt = Find("<", pos_);
        if (!lt)
            throw RefError{"Expected < when parsing text"};
        if (s_.compare(lt - 1, 9, "<![CDATA[") == 0) {
            pos_ = lt + 9;
            size_t end = Find("]]>", pos_);
            if (!end)
                throw RefError{"Expected ]]> when parsing CDATA section"};
            element.text = Trim(Sub(pos_, end - 1));
            pos_ = end + 3;
        } else {
            element.text = Trim(Sub(pos_, lt - 1));
            pos_ = lt;
        }
    }

    const std::string &s_;
    size_t pos_ = 1;
};

void Dump(const TzelXMLNode2 &node, std::string &out)
{
    out += "[" + node.Name() + "|" + node.Text() + "|" + (node.TextNeedsCDATA() ? "C" : "-");
    for (const TzelXMLAttribute2 *attribute : node.Attributes())
        out += "{" + attribute->Name() + "=" + attribute->Value().AsString() + "}";
    for (const TzelXMLNode2 *child : node.Children())
        Dump(*child, out);
    out += "]";
}

void Dump(const RefNode &node, std::string &out)
{
    const bool cdata = node.text.find_first_of("<>") != std::string::npos;
    out += "[" + node.name + "|" + node.text + "|" + (cdata ? "C" : "-");
    for (const auto &[name, value] : node.attributes)
        out += "{" + name + "=" + value + "}";
    for (const RefNode &child : node.children)
        Dump(child, out);
    out += "]";
}

} // namespace

TEST(EngineConformance, ReaderAgreesWithAStepByStepReading)
{
    const std::vector<std::string> pieces = {
        "<a>", "</a>", "<b/>", "<b>", "</b>", " ", "\r\n", "\t", "x", "<!-- c -->", "<!--", "-->", "<![CDATA[",
        "]]>", "<", ">", "/", "=", "\"", "'", " k=\"v\"", " k='&amp;lt;'", "<a k=\"1\"j='2'>", "<?xml", "?>",
        " version=\"1.0\"", "<a ", "<b />", "</a >", "&amp;", "<A>", "<b\n>"};
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7fff;
    };
    int compared = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string source;
        const int count = 1 + static_cast<int>(next() % 12);
        for (int i = 0; i < count; ++i)
            source += pieces[next() % pieces.size()];

        RefNode root, declaration;
        size_t position = 0;
        std::string message;
        bool refRaised = false;
        std::string refRaisedMessage;
        try {
            message = RefReader(source).Read(root, declaration, position);
        } catch (const RefError &error) {
            refRaised = true;
            refRaisedMessage = error.message;
        }

        TzelXMLParser2 document;
        std::string raised;
        try {
            document.SetSourceText(source);
        } catch (const std::exception &error) {
            raised = error.what();
        }
        SCOPED_TRACE("source: " + source);
        if (refRaised) {
            EXPECT_EQ(raised, refRaisedMessage);
            continue;
        }
        ASSERT_EQ(raised, "");
        if (message == "declaration") {
            EXPECT_EQ(document.LastError(), "Missing ?> in xml declaration.");
            continue;
        }
        std::string expectedTree, actualTree;
        Dump(root, expectedTree);
        Dump(document, actualTree);
        EXPECT_EQ(actualTree, expectedTree);
        if (message.empty()) {
            EXPECT_EQ(document.LastError(), "");
        } else {
            const size_t start = position >= 21 ? position - 20 : 1;
            const std::string excerpt = start <= source.size() ? source.substr(start - 1, 50) : "";
            const std::string head = message + " near " + excerpt + "\r\nError position=" + std::to_string(position) +
                                     "\r\n";
            EXPECT_EQ(document.LastError().substr(0, head.size()), head);
        }
        std::string expectedDeclaration, actualDeclaration;
        Dump(declaration, expectedDeclaration);
        Dump(document.Declaration(), actualDeclaration);
        EXPECT_EQ(actualDeclaration, expectedDeclaration);
        ++compared;
        if (HasFailure())
            break;
    }
    EXPECT_GT(compared, 10000);
}

// The writer's layout written out literally (recursive, five escaping passes) and compared
// with the engine's on generated trees of names and texts it accepts.
namespace {

std::string LiteralElement(const TzelXMLNode2 &node, int level)
{
    const std::string indent(2 * level, ' ');
    std::string out = indent + "<" + node.Name();
    for (const TzelXMLAttribute2 *attribute : node.Attributes()) {
        std::string value = attribute->Value().AsString();
        value = ReplaceEvery(value, "&", "&amp;");
        value = ReplaceEvery(value, "<", "&lt;");
        value = ReplaceEvery(value, ">", "&gt;");
        value = ReplaceEvery(value, "'", "&apos;");
        value = ReplaceEvery(value, "\"", "&quot;");
        out += " " + attribute->Name() + "=\"" + value + "\"";
    }
    const std::string text = node.Text();
    if (node.ChildCount() == 0) {
        if (text.empty())
            return out + "/>";
        if (node.TextNeedsCDATA())
            return out + "><![CDATA[" + text + "]]></" + node.Name() + ">";
        return out + ">" + text + "</" + node.Name() + ">";
    }
    out += node.TextNeedsCDATA() ? "><![CDATA[" + text + "]]>" : ">" + text;
    for (const TzelXMLNode2 *child : node.Children())
        out += "\r\n" + LiteralElement(*child, level + 1);
    return out + "\r\n" + indent + "</" + node.Name() + ">";
}

} // namespace

TEST(EngineConformance, WriterAgreesWithTheLiteralLayout)
{
    const std::vector<std::string> names = {"rss", "channel", "item", "a:b", "x.y", "t-1"};
    const std::vector<std::string> texts = {"", "plain", "a & b", "<b>", "x > y", " lead", "&lt;", "q\"'",
                                            "line\r\nbreak"};
    const std::vector<std::string> values = {"", "v", "&", "<>", "'\"", "&amp;", " s "};
    uint32_t seed = 777;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7fff;
    };
    for (int round = 0; round < 300; ++round) {
        TzelXMLParser2 document;
        document.SetName(names[next() % names.size()]);
        std::vector<TzelXMLNode2 *> nodes{&document};
        const int count = static_cast<int>(next() % 25);
        for (int i = 0; i < count; ++i) {
            auto *node = new TzelXMLNode2;
            node->SetName(names[next() % names.size()]);
            nodes[next() % nodes.size()]->AppendChild(node);
            nodes.push_back(node);
        }
        for (TzelXMLNode2 *node : nodes) {
            node->SetText(texts[next() % texts.size()]);
            for (int a = static_cast<int>(next() % 3); a > 0; --a)
                node->AppendAttribute(names[next() % names.size()], values[next() % values.size()]);
        }
        const std::string encoding = next() % 2 ? "UTF-8" : "";
        if (!encoding.empty())
            document.Declaration().AppendAttribute("encoding", encoding);
        const std::string expected = "<?xml version=\"1.0\" encoding=\"" + (encoding.empty() ? "ISO-8859-1" : encoding) +
                                     "\" ?>\r\n" + LiteralElement(document, 0);
        ASSERT_EQ(document.BuildXmlText(), expected) << "round " << round;
    }
}

// The hash table's key, index-recycling and compaction rules written out literally, driven
// by the same random operations as a TObjectHash: buckets (entry order included), the free
// stack and every value must stay the same.
namespace {

struct LiteralHash {
    struct Entry {
        uint32_t hash;
        int index;
        std::string key;
    };
    std::vector<std::vector<Entry>> buckets = std::vector<std::vector<Entry>>(128);
    std::vector<int> freeIndexes;
    std::vector<int *> items;
    int compactions = 0;

    std::pair<int, int> Search(const std::string &key)
    {
        const int bucket = static_cast<int>(HashKey(key) & 127);
        for (size_t i = 0; i < buckets[bucket].size(); ++i)
            if (buckets[bucket][i].key == key)
                return {bucket, static_cast<int>(i)};
        return {bucket, -1};
    }
    void Set(const std::string &key, int *object)
    {
        auto [bucket, at] = Search(key);
        if (at >= 0) {
            items[buckets[bucket][at].index] = object;
            return;
        }
        int i;
        if (!freeIndexes.empty()) {
            i = freeIndexes.back();
            freeIndexes.pop_back();
        } else {
            i = static_cast<int>(items.size());
        }
        if (i >= static_cast<int>(items.size()))
            items.resize(i + 1, nullptr);
        items[i] = object;
        buckets[bucket].push_back({HashKey(key), i, key});
    }
    void Delete(const std::string &key)
    {
        auto [bucket, at] = Search(key);
        const int i = buckets[bucket][at].index;
        items[i] = nullptr;
        freeIndexes.push_back(i);
        buckets[bucket][at] = buckets[bucket].back();
        buckets[bucket].pop_back();
        if (freeIndexes.size() >= 100) {
            Compact();
            ++compactions;
        }
    }
    void Compact()
    {
        const int n = static_cast<int>(items.size());
        std::vector<bool> free(n, false);
        std::vector<int> map(n);
        for (int k = 0; k < n; ++k)
            map[k] = k;
        for (int k : freeIndexes)
            free[k] = true;
        int lo = 0, hi = n - 1;
        while (hi > lo) {
            if (!free[lo]) {
                ++lo;
            } else {
                while (hi > lo && free[hi])
                    --hi;
                if (hi > lo) {
                    free[lo] = false;
                    free[hi] = true;
                    items[lo] = items[hi];
                    map[hi] = lo;
                }
            }
        }
        int k = n - 1;
        while (k >= 0 && free[k])
            --k;
        items.resize(k + 1);
        freeIndexes.clear();
        for (auto &bucket : buckets)
            for (Entry &entry : bucket)
                entry.index = map[entry.index];
    }
};

} // namespace

TEST(EngineConformance, HashAgreesWithTheLiteralRules)
{
    TObjectHash<int> table;
    LiteralHash literal;
    std::vector<int> objects(400);
    std::vector<std::string> present;
    uint32_t seed = 4242;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7fff;
    };
    for (int step = 0; step < 20000; ++step) {
        const bool remove = !present.empty() && next() % 100 < (step % 4000 < 2000 ? 30 : 75);
        if (remove) {
            const size_t at = next() % present.size();
            table.Delete(present[at]);
            literal.Delete(present[at]);
            present[at] = present.back();
            present.pop_back();
        } else {
            const std::string key = "k" + std::to_string(next() % 600);
            int *object = &objects[next() % objects.size()];
            if (!table.Exists(key))
                present.push_back(key);
            table.SetObject(key, object);
            literal.Set(key, object);
        }
        ASSERT_EQ(table.LastItemIndex(), static_cast<int>(literal.items.size()) - 1) << "step " << step;
        ASSERT_EQ(table.FreeIndexes(), std::vector<int32_t>(literal.freeIndexes.begin(), literal.freeIndexes.end()));
        if (step % 97 == 0) {
            for (int b = 0; b < 128; ++b) {
                ASSERT_EQ(table.Bucket(b).size(), literal.buckets[b].size());
                for (size_t i = 0; i < literal.buckets[b].size(); ++i) {
                    const HashEntry &entry = table.Bucket(b)[i];
                    ASSERT_EQ(entry.Key, literal.buckets[b][i].key);
                    ASSERT_EQ(entry.ItemIndex, literal.buckets[b][i].index);
                    ASSERT_EQ(entry.Hash, literal.buckets[b][i].hash);
                    ASSERT_EQ(table.GetObject(entry.Key), literal.items[entry.ItemIndex]);
                }
            }
        }
    }
    EXPECT_GT(literal.compactions, 3);
}

TEST(EngineConformance, TrimmingAndTheIndexWhileReadingOddElements)
{
    // Bytes 0 to 32 are trimmed from both ends of a text; 127 and bytes of 128 and above stay.
    TzelXMLParser2 document;
    document.SetSourceText("<a>\x01\x1F \t\r\n\x7F x \xA0\x00\x20</a>"s);
    EXPECT_EQ(document.LastError(), "");
    EXPECT_EQ(document.Text(), "\x7F x \xA0");

    // With the index on, a nameless element carrying an id cannot be entered: the table's
    // empty-key error is reported like any other reader error, one past the start tag.
    document.SetNameIndexEnabled(true);
    document.SetSourceText("<r>< id='1'></></r>");
    const std::string error = document.LastError();
    EXPECT_EQ(error.substr(0, error.find("\r\n")), "Key cannot be an empty string near <r>< id='1'></></r>");
    EXPECT_NE(error.find("\r\nError position=13\r\n"), std::string::npos);

    // The declaration is not an element: its pseudo-attributes never enter the index.
    document.SetSourceText("<?xml version=\"1.0\" id=\"d\"?><r id=\"d\"/>");
    EXPECT_EQ(document.LastError(), "");
    EXPECT_EQ(document.Declaration().Document(), nullptr);
    EXPECT_TRUE(document.NameIndex().GetObject("r")->Exists("d"));
}

// Random edits on read trees (pooled nodes that borrow their bytes from the source text)
// kept beside a plain model: after every step the tree equals the model, and reading the
// written text back gives it again. The sanitizer build checks every step's memory.
namespace {

void Collect(TzelXMLNode2 *node, std::vector<TzelXMLNode2 *> &out)
{
    out.push_back(node);
    for (TzelXMLNode2 *child : node->Children())
        Collect(child, out);
}

void Collect(RefNode *node, std::vector<RefNode *> &out)
{
    out.push_back(node);
    for (RefNode &child : node->children)
        Collect(&child, out);
}

} // namespace

TEST(EngineConformance, RandomEditsOnReadTreesMatchAPlainModel)
{
    const std::vector<std::string> names = {"rss", "channel", "item", "title", "a:b"};
    const std::vector<std::string> texts = {"", "t", "a & b", "<x>", "y>z", "long text here"};
    uint32_t seed = 99;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7fff;
    };
    int ids = 0;
    for (int round = 0; round < 60; ++round) {
        const bool indexed = round % 2 == 1;
        TzelXMLParser2 document;
        document.SetNameIndexEnabled(indexed);
        document.SetSourceText("<rss v=\"2\"><channel><title>T</title><item id=\"i1\"><title>a</title></item>"
                               "<item id=\"i2\"><![CDATA[<b>]]></item></channel></rss>");
        ASSERT_EQ(document.LastError(), "");
        RefNode model;
        RefReader("<rss v=\"2\"><channel><title>T</title><item id=\"i1\"><title>a</title></item>"
                  "<item id=\"i2\"><![CDATA[<b>]]></item></channel></rss>")
            .Read(model, *std::make_unique<RefNode>(), *std::make_unique<size_t>());
        for (int step = 0; step < 60; ++step) {
            std::vector<TzelXMLNode2 *> nodes;
            std::vector<RefNode *> refs;
            Collect(&document, nodes);
            Collect(&model, refs);
            ASSERT_EQ(nodes.size(), refs.size());
            const size_t pick = next() % nodes.size();
            TzelXMLNode2 *node = nodes[pick];
            RefNode *ref = refs[pick];
            const int count = node->ChildCount();
            switch (next() % 9) {
            case 0: {
                const std::string &text = texts[next() % texts.size()];
                node->SetText(text);
                ref->text = text;
                break;
            }
            case 1: {
                const std::string &name = names[next() % names.size()];
                node->SetName(name);
                ref->name = name;
                break;
            }
            case 2: {
                auto *child = new TzelXMLNode2;
                child->SetName(names[next() % names.size()]);
                child->AppendAttribute("id", "n" + std::to_string(++ids));
                RefNode refChild{child->Name(), "", {{"id", "n" + std::to_string(ids)}}, {}};
                EXPECT_NO_THROW(node->AppendChild(child));
                ref->children.push_back(refChild);
                break;
            }
            case 3: {
                const size_t source = next() % nodes.size();
                RefNode copy = *refs[source];
                TzelXMLNode2 *clone = nodes[source]->CloneTree();
                const int at = static_cast<int>(next() % (count + 1));
                node->InsertChild(at, clone);
                ref->children.insert(ref->children.begin() + at, copy);
                break;
            }
            case 4:
                if (count > 0) {
                    const int at = static_cast<int>(next() % count);
                    node->DeleteChild(node->ChildAt(at));
                    ref->children.erase(ref->children.begin() + at);
                }
                break;
            case 5:
                if (count > 0) {
                    const int keep = static_cast<int>(next() % count);
                    std::vector<TzelXMLNode2 *> cut(node->Children().begin() + keep, node->Children().end());
                    node->Children().SetCount(keep);
                    for (TzelXMLNode2 *gone : cut)
                        delete gone;
                    ref->children.resize(static_cast<size_t>(keep));
                }
                break;
            case 6:
                if (count > 0) {
                    // Move a child to the end of the root.
                    const int at = static_cast<int>(next() % count);
                    TzelXMLNode2 *moved = node->Children().Extract(at);
                    RefNode movedRef = ref->children[static_cast<size_t>(at)];
                    ref->children.erase(ref->children.begin() + at);
                    try {
                        document.AppendChild(moved);
                    } catch (const Exception &) {
                        // A duplicate id in the index: the node stays appended.
                    }
                    model.children.push_back(movedRef);
                }
                break;
            case 7: {
                node->AppendAttribute("k", texts[next() % texts.size()]);
                ref->attributes.emplace_back("k", node->Attributes()[node->Attributes().Count() - 1]->Value().AsString());
                break;
            }
            case 8:
                if (!indexed) {
                    document.SetSourceText(document.BuildXmlText());
                    ASSERT_EQ(document.LastError(), "");
                }
                break;
            }
            std::string expected, actual;
            Dump(model, expected);
            Dump(document, actual);
            ASSERT_EQ(actual, expected) << "round " << round << " step " << step;
        }
        TzelXMLParser2 reread;
        reread.SetSourceText(document.BuildXmlText());
        ASSERT_EQ(reread.LastError(), "");
        std::string expected, actual;
        Dump(model, expected);
        Dump(reread, actual);
        ASSERT_EQ(actual, expected) << "round " << round;
    }
}

TEST(EngineConformance, NodesTakenOutOfAReadTreeOutliveReloadAndDocument)
{
    auto *document = new TzelXMLParser2;
    document->SetNameIndexEnabled(true);
    document->SetSourceText("<rss><channel><item id=\"1\"><title>One</title></item><item id=\"2\"/></channel></rss>");
    TzelXMLNode2 *channel = document->FindChild("channel");
    ASSERT_NE(channel, nullptr);
    TzelXMLNode2 *first = channel->Children().Extract(0);
    std::vector<TzelXMLNode2 *> lowered(channel->Children().begin(), channel->Children().end());
    channel->Children().SetCount(0);
    document->SetSourceText("<other>" + std::string(100000, 'x') + "</other>");
    delete document;
    EXPECT_EQ(first->Name(), "item");
    EXPECT_EQ(first->AttributeValue("id").AsString(), "1");
    EXPECT_EQ(first->FindChild("title")->Text(), "One");
    EXPECT_EQ(first->Document(), nullptr);
    ASSERT_EQ(lowered.size(), 1u);
    EXPECT_EQ(lowered[0]->AttributeValue("id").AsString(), "2");
    delete first;
    delete lowered[0];
}
