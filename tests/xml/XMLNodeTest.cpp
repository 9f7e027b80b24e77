// The element tree: lookups, texts, cloning, attributes, the owning list and its errors.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "zelXMLParser2.h"

namespace {

TzelXMLNode2 *NewNode(const std::string &name, const std::string &text = "")
{
    auto *node = new TzelXMLNode2;
    node->SetName(name);
    node->SetText(text);
    return node;
}

template <class F>
std::string ListErrorOf(F &&action)
{
    try {
        action();
    } catch (const EListError &error) {
        return error.what();
    }
    return "no error";
}

// channel( title, item( title("deep") ), title("later") )
std::unique_ptr<TzelXMLNode2> SampleTree()
{
    auto root = std::make_unique<TzelXMLNode2>();
    root->SetName("channel");
    auto *item = NewNode("item");
    item->AppendChild(NewNode("title", "deep"));
    root->AppendChild(NewNode("link"));
    root->AppendChild(item);
    root->AppendChild(NewNode("title", "later"));
    return root;
}

} // namespace

TEST(XMLNode, FindChildShallowDeepAndExactNames)
{
    TzelXMLNode2 empty;
    empty.SetName("title");
    EXPECT_EQ(empty.FindChild("title", true), nullptr) << "the start node itself is never compared";

    auto root = SampleTree();
    EXPECT_EQ(root->FindChild("title", false)->Text(), "later");
    EXPECT_EQ(root->FindChild("title", true)->Text(), "deep") << "pre-order: below the item first";
    EXPECT_EQ(root->FindChild("Title", true), nullptr);
    EXPECT_EQ(root->FindChild("titl", true), nullptr);
    EXPECT_EQ(root->FindChild("channel", true), nullptr);

    root->AppendChild(NewNode("dc:creator", "me"));
    EXPECT_EQ(root->FindChild("creator"), nullptr);
    EXPECT_EQ(root->FindChild("dc:creator")->Text(), "me");
}

TEST(XMLNode, SetTextTracksAngleBrackets)
{
    TzelXMLNode2 node;
    EXPECT_FALSE(node.TextNeedsCDATA());
    node.SetText("a < b");
    EXPECT_TRUE(node.TextNeedsCDATA());
    node.SetText("plain & simple");
    EXPECT_FALSE(node.TextNeedsCDATA());
    node.SetText("x>");
    EXPECT_TRUE(node.TextNeedsCDATA());
    node.SetText("");
    EXPECT_FALSE(node.TextNeedsCDATA());
    EXPECT_EQ(node.Text(), "");
    node.SetText(std::string("a\0b", 3));
    EXPECT_EQ(node.Text().size(), 3u);
}

TEST(XMLNode, CloneTreeOfDocumentIsIndependentPlainNode)
{
    TzelXMLParser2 document;
    document.SetSourceText("<rss version=\"2.0\">top<channel a='1'><title>T</title></channel></rss>");
    ASSERT_EQ(document.LastError(), "");
    std::unique_ptr<TzelXMLNode2> copy(document.CloneTree());
    EXPECT_EQ(copy->Name(), "rss");
    EXPECT_EQ(copy->Text(), "top");
    EXPECT_EQ(copy->AttributeValue("version").AsString(), "2.0");
    EXPECT_EQ(copy->Document(), nullptr);
    TzelXMLNode2 *channel = copy->FindChild("channel");
    ASSERT_NE(channel, nullptr);
    EXPECT_EQ(channel->Document(), nullptr);
    EXPECT_EQ(channel->AttributeValue("a").AsString(), "1");
    channel->FindChild("title")->SetText("changed");
    EXPECT_EQ(document.FindChild("channel")->FindChild("title")->Text(), "T");
    // The copy keeps its bytes after the document reads another text.
    document.SetSourceText("<other/>");
    EXPECT_EQ(copy->FindChild("channel")->FindChild("title")->Text(), "changed");
    EXPECT_EQ(copy->Name(), "rss");
}

TEST(XMLNode, AttributesKeepDuplicatesAndLookups)
{
    TzelXMLNode2 node;
    node.AppendAttribute("id", "first");
    node.AppendAttribute("id", "second");
    EXPECT_EQ(node.Attributes().Count(), 2);
    EXPECT_EQ(node.AttributeIndex("id"), 0);
    EXPECT_EQ(node.AttributeIndex("ID"), -1);
    EXPECT_EQ(node.AttributeValue("id").AsString(), "first");
    EXPECT_EQ(node.AttributeValue(1).AsString(), "second");
    for (const TzelVariant &key : {TzelVariant(2), TzelVariant("missing"), TzelVariant(1.0), TzelVariant()}) {
        TzelVariant value = node.AttributeValue(key);
        EXPECT_TRUE(value.IsString());
        EXPECT_EQ(value.String(), "");
    }
    EXPECT_EQ(ListErrorOf([&] { node.AttributeValue(-1); }), "List index out of bounds (-1)");

    std::unique_ptr<TzelXMLAttribute2> clone(node.Attributes()[1]->Clone());
    clone->SetValue(TzelVariant(7));
    EXPECT_EQ(clone->Name(), "id");
    EXPECT_EQ(node.AttributeValue(1).AsString(), "second") << "a clone copies the value";
}

TEST(XMLNode, AttributeValuesKeepTheirKindAndReadOnesOutliveTheirSource)
{
    // Set values keep their kind and text through SetValue and Clone.
    const TzelVariant values[] = {TzelVariant(),        TzelVariant(int64_t(-9007199254740993)), TzelVariant(INT64_MIN),
                                  TzelVariant(0.1),     TzelVariant(-0.0),                       TzelVariant(1e300 * 10),
                                  TzelVariant(1.5e-300), TzelVariant(true),                      TzelVariant(false),
                                  TzelVariant("True"),  TzelVariant("12"),                       TzelVariant(""),
                                  TzelVariant(std::string("a\0b", 3))};
    for (const TzelVariant &value : values) {
        TzelXMLAttribute2 attribute;
        attribute.SetValue(value);
        std::unique_ptr<TzelXMLAttribute2> clone(attribute.Clone());
        for (const TzelXMLAttribute2 *kept : {&attribute, clone.get()}) {
            EXPECT_EQ(kept->Value().Raw().index(), value.Raw().index()) << value.AsString();
            EXPECT_EQ(kept->ValueText(), value.AsString());
            if (value.IsFloat()) {
                EXPECT_EQ(std::signbit(kept->Value().Float()), std::signbit(value.Float()));
            }
            EXPECT_EQ(kept->Value().AsString(), value.AsString());
            if (!value.IsFloat()) {
                EXPECT_EQ(kept->Value(), value);
            }
        }
    }

    // Read values borrow the source text; one holding a reference is decoded only when first
    // read. One taken out, one cloned and one on a node taken out, all before anything reads
    // them, each read as decoded after the source is read over and the document is gone; one
    // still listed read in place. A second document reads the same text and writes it back.
    struct Row {
        bool xmlCompatible;
        const char *source;
        const char *values; // the root's attributes, then the child's, as name=value
        const char *written; // the root's start tag as written back
    };
    const Row rows[] = {
        {false, "<rss a='pl&amp;ain' b=\"x &amp;lt; y\" c=\"&lt;&gt;&apos;&quot;\"><item d=\"in&quot;ner\"/></rss>",
         "a=pl&ain b=x &lt; y c=<>'\" d=in\"ner", "<rss a=\"pl&amp;ain\" b=\"x &amp;lt; y\" c=\"&lt;&gt;&apos;&quot;\">"},
        {true, "<rss a = 'pl&amp;ain'\tb=\"x &amp;lt; y\" c=\"&#65;&amp;&amp;#66;&gt;\"><item d=\"&ent; in\"/></rss>",
         "a=pl&ain b=x &amp;lt; y c=&#65;&&amp;#66;> d=&ent; in",
         "<rss a=\"pl&amp;ain\" b=\"x &amp;lt; y\" c=\"&#65;&amp;&amp;#66;&gt;\">"},
    };
    for (const Row &row : rows) {
        auto document = std::make_unique<TzelXMLParser2>();
        document->SetXmlCompatible(row.xmlCompatible);
        document->SetSourceText(std::string(row.source));
        ASSERT_EQ(document->LastError(), "") << row.source;
        TzelXMLParser2 writtenAgain;
        writtenAgain.SetXmlCompatible(row.xmlCompatible);
        writtenAgain.SetSourceText(std::string(row.source));
        const std::string written = writtenAgain.BuildXmlText();
        std::unique_ptr<TzelXMLAttribute2> first(document->Attributes().Extract(0));
        std::unique_ptr<TzelXMLAttribute2> second(document->Attributes()[0]->Clone());
        std::unique_ptr<TzelXMLNode2> item(document->Children().Extract(0));
        const std::string listed =
            document->Attributes()[1]->Name() + "=" + document->Attributes()[1]->Value().String();
        const std::string other(std::strlen(row.source), '#'); // read into the old text's memory
        document->SetSourceText(other);
        document.reset();
        const std::string seen = first->Name() + "=" + first->Value().String() + " " + second->Name() + "=" +
                                 second->Value().String() + " " + listed + " " + item->Attributes()[0]->Name() +
                                 "=" + item->AttributeValue("d").String();
        EXPECT_EQ(seen, row.values) << row.source;
        EXPECT_NE(written.find(row.written), std::string::npos) << written;
    }
}

TEST(XMLNode, ChildPositionsAndListErrors)
{
    auto root = SampleTree();
    EXPECT_EQ(root->ChildCount(), 3);
    EXPECT_EQ(root->ChildAt(3), nullptr);
    EXPECT_EQ(ListErrorOf([&] { root->ChildAt(-1); }), "List index out of bounds (-1)");
    EXPECT_EQ(ListErrorOf([&] { root->Children()[3]; }), "List index out of bounds (3)");

    root->InsertChild(3, NewNode("appended"));
    EXPECT_EQ(root->ChildAt(3)->Name(), "appended");
    std::unique_ptr<TzelXMLNode2> stray(NewNode("stray"));
    EXPECT_EQ(ListErrorOf([&] { root->InsertChild(5, stray.get()); }), "List index out of bounds (5)");
    EXPECT_EQ(root->ChildCount(), 4);

    EXPECT_EQ(ListErrorOf([&] { root->DeleteChild(root->ChildAt(4)); }), "List index out of bounds (-1)");
    EXPECT_EQ(ListErrorOf([&] { root->DeleteChild(stray.get()); }), "List index out of bounds (-1)");
    EXPECT_EQ(stray->Name(), "stray") << "nothing destroyed";
    root->DeleteChild(root->ChildAt(0));
    EXPECT_EQ(root->ChildCount(), 3);
    EXPECT_EQ(root->ChildAt(0)->Name(), "item");
}

TEST(XMLNode, ChildOrNewOnlyLooksAtDirectChildren)
{
    auto root = SampleTree();
    TzelXMLNode2 *item = root->ChildAt(1);
    EXPECT_EQ(item->ChildOrNew("title"), item->ChildAt(0));
    TzelXMLNode2 *created = root->ChildOrNew("guid");
    EXPECT_EQ(root->ChildCount(), 4);
    EXPECT_EQ(root->ChildAt(3), created);
    // An "x" that is only a grandchild does not count: a new direct child is appended.
    TzelXMLNode2 holder;
    holder.AppendChild(NewNode("wrap"));
    holder.ChildAt(0)->AppendChild(NewNode("x"));
    TzelXMLNode2 *x = holder.ChildOrNew("x");
    EXPECT_EQ(holder.ChildCount(), 2);
    EXPECT_EQ(holder.ChildAt(1), x);
    EXPECT_EQ(x->Name(), "x");
}

TEST(XMLNodeList, CountErrorsAndHandOut)
{
    auto root = SampleTree();
    auto &children = root->Children();
    EXPECT_EQ(ListErrorOf([&] { children.SetCount(-1); }), "List count out of bounds (-1)");
    EXPECT_EQ(ListErrorOf([&] { children.SetCount(134217728); }), "List count out of bounds (134217728)");
    EXPECT_EQ(children.Count(), 3);

    // Lowering hands the cut entries to the caller, who must free them.
    TzelXMLNode2 *last = children[2];
    children.SetCount(2);
    EXPECT_EQ(children.Count(), 2);
    EXPECT_EQ(last->Text(), "later");
    delete last;

    TzelXMLNode2 *first = children.Extract(0);
    EXPECT_EQ(first->Name(), "link");
    EXPECT_EQ(children.IndexOf(first), -1);
    children.Insert(0, first);
    EXPECT_EQ(children.IndexOf(first), 0);
    EXPECT_EQ(children.Add(NewNode("tail")), 2);

    children.DeleteTrailing(1); // destroys "item" and "tail"; the sanitizer build checks
    EXPECT_EQ(children.Count(), 1);
    EXPECT_EQ(children[0], first);
    children.DeleteTrailing(5);
    EXPECT_EQ(children.Count(), 1);
}

TEST(XMLNodeList, PaddedEntriesAreSkippedByTreeWalks)
{
    TzelXMLParser2 document;
    document.SetSourceText("<a><b>x</b></a>");
    document.Children().SetCount(3);
    EXPECT_EQ(document.ChildAt(2), nullptr);
    EXPECT_EQ(document.FindChild("zz", true), nullptr);
    std::unique_ptr<TzelXMLNode2> copy(document.CloneTree());
    EXPECT_EQ(copy->ChildCount(), 1);
    EXPECT_EQ(document.BuildXmlText(), "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n<a>\r\n  <b>x</b>\r\n</a>");
    EXPECT_EQ(ListErrorOf([&] { document.DeleteChild(nullptr); }), "List index out of bounds (-1)");
}

TEST(XMLNodeList, NodeTakenOutOutlivesItsDocument)
{
    auto document = std::make_unique<TzelXMLParser2>();
    document->SetSourceText("<rss><channel><title>Kept text</title><item><title>In item</title></item></channel></rss>");
    TzelXMLNode2 *channel = document->FindChild("channel");
    std::unique_ptr<TzelXMLNode2> item(channel->Children().Extract(1));
    EXPECT_EQ(item->Document(), nullptr);
    document->SetSourceText("<overwritten>with other bytes entirely</overwritten>");
    document.reset();
    EXPECT_EQ(item->Name(), "item");
    EXPECT_EQ(item->FindChild("title")->Text(), "In item");
}

TEST(XMLNodeList, ListsTheReaderBuiltGrowAndShrink)
{
    // The reader lists children and attributes in exact-size blocks; editing must grow,
    // insert into and cut those like any other list.
    TzelXMLParser2 document;
    document.SetSourceText("<r a=\"1\" b=\"2\"><x/><y/><z k=\"v\"/></r>");
    ASSERT_EQ(document.LastError(), "");
    for (int i = 0; i < 20; ++i)
        document.AppendChild(NewNode("n" + std::to_string(i)));
    document.InsertChild(0, NewNode("first"));
    document.AppendAttribute("c", "3");
    TzelXMLNode2 *z = document.FindChild("z");
    z->AppendAttribute("k2", "v2");
    ASSERT_EQ(document.ChildCount(), 24);
    EXPECT_EQ(document.ChildAt(0)->Name(), "first");
    EXPECT_EQ(document.ChildAt(1)->Name(), "x");
    EXPECT_EQ(document.ChildAt(23)->Name(), "n19");
    EXPECT_EQ(document.AttributeValue(2).AsString(), "3");
    EXPECT_EQ(z->AttributeValue("k2").AsString(), "v2");
    document.DeleteChild(document.FindChild("y"));
    document.Children().DeleteTrailing(3);
    delete document.Attributes().Extract(0);
    EXPECT_EQ(document.BuildXmlText(), "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n"
                                       "<r b=\"2\" c=\"3\">\r\n  <first/>\r\n  <x/>\r\n  <z k=\"v\" k2=\"v2\"/>\r\n</r>");
    // A second read replaces everything built by the first and by the edits.
    document.SetSourceText("<s><t/></s>");
    EXPECT_EQ(document.ChildCount(), 1);
    EXPECT_EQ(document.Attributes().Count(), 0);
}

TEST(XMLNode, DeepTreesNeedNoRecursion)
{
    // Far deeper than anything the reader accepts: built by hand.
    constexpr int depth = 200000;
    auto root = std::make_unique<TzelXMLNode2>();
    TzelXMLNode2 *tip = root.get();
    for (int i = 0; i < depth; ++i) {
        auto *child = NewNode("n");
        tip->AppendChild(child);
        tip = child;
    }
    tip->SetName("bottom");
    EXPECT_EQ(root->FindChild("bottom", true), tip);
    EXPECT_EQ(root->FindChild("absent", true), nullptr);
    std::unique_ptr<TzelXMLNode2> copy(root->CloneTree());
    EXPECT_EQ(copy->FindChild("bottom", true)->Name(), "bottom");
    root.reset();
    copy.reset();
}

TEST(Variant, KindsAndText)
{
    EXPECT_TRUE(TzelVariant().IsEmpty());
    EXPECT_EQ(TzelVariant(42).AsString(), "42");
    EXPECT_EQ(TzelVariant(int64_t(-5)).Integer(), -5);
    EXPECT_EQ(TzelVariant("abc").String(), "abc");
    EXPECT_EQ(TzelVariant(0.1).AsString(), "0.1");
    EXPECT_EQ(TzelVariant(true).AsString(), "True");
    TzelVariant a("x");
    TzelVariant b = a;
    b = TzelVariant("y");
    EXPECT_EQ(a.String(), "x");
    EXPECT_NE(a, b);
}
