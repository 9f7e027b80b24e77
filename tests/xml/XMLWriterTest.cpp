// The writer: exact bytes of the layout, escaping, the declaration, and its refusal of
// texts and names that would not read back as written.
#include <gtest/gtest.h>

#include <string>

#include "zelXMLParser2.h"

namespace {

const std::string DefaultDeclaration = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n";

TzelXMLNode2 *NewNode(const std::string &name, const std::string &text = "")
{
    auto *node = new TzelXMLNode2;
    node->SetName(name);
    node->SetText(text);
    return node;
}

} // namespace

TEST(XMLWriter, EmptyDocumentAndFeedLayout)
{
    TzelXMLParser2 document;
    EXPECT_EQ(document.BuildXmlText(), DefaultDeclaration + "</>");

    document.SetName("rss");
    document.AppendAttribute("version", "2.0");
    TzelXMLNode2 *channel = NewNode("channel");
    document.AppendChild(channel);
    channel->AppendChild(NewNode("title", "News & more"));
    channel->AppendChild(NewNode("item"));
    EXPECT_EQ(document.BuildXmlText(), DefaultDeclaration +
                                           "<rss version=\"2.0\">\r\n"
                                           "  <channel>\r\n"
                                           "    <title>News & more</title>\r\n"
                                           "    <item/>\r\n"
                                           "  </channel>\r\n"
                                           "</rss>");
}

TEST(XMLWriter, TextsBesideChildrenAndCData)
{
    TzelXMLParser2 document;
    document.SetName("a");
    document.SetText("lead");
    TzelXMLNode2 *b = NewNode("b", "x < y");
    document.AppendChild(b);
    b->AppendChild(NewNode("c", "if a>b"));
    TzelXMLNode2 *deep = NewNode("d");
    b->AppendChild(deep);
    deep->AppendChild(NewNode("e"));
    b->AppendChild(NewNode("f", "after deep"));
    document.AppendChild(NewNode("g"));
    EXPECT_EQ(document.BuildXmlText(), DefaultDeclaration +
                                           "<a>lead\r\n"
                                           "  <b><![CDATA[x < y]]>\r\n"
                                           "    <c><![CDATA[if a>b]]></c>\r\n"
                                           "    <d>\r\n"
                                           "      <e/>\r\n"
                                           "    </d>\r\n"
                                           "    <f>after deep</f>\r\n"
                                           "  </b>\r\n"
                                           "  <g/>\r\n"
                                           "</a>");
}

TEST(XMLWriter, AttributeEscapingRoundTrips)
{
    TzelXMLParser2 document;
    document.SetName("a");
    document.AppendAttribute("v", "&<>'\"");
    document.AppendAttribute("v", "&amp;lt;");
    document.AppendAttribute("n", "plain");
    document.Attributes().Add(new TzelXMLAttribute2);
    document.Attributes()[3]->SetName("count");
    document.Attributes()[3]->SetValue(TzelVariant(12));
    const std::string text = document.BuildXmlText();
    EXPECT_EQ(text, DefaultDeclaration +
                        "<a v=\"&amp;&lt;&gt;&apos;&quot;\" v=\"&amp;amp;lt;\" n=\"plain\" count=\"12\"/>");
    TzelXMLParser2 again;
    again.SetSourceText(text);
    ASSERT_EQ(again.LastError(), "");
    EXPECT_EQ(again.AttributeValue(0).AsString(), "&<>'\"");
    EXPECT_EQ(again.AttributeValue(1).AsString(), "&amp;lt;");
    EXPECT_EQ(again.AttributeValue("count").AsString(), "12");
}

TEST(XMLWriter, DeclarationValues)
{
    TzelXMLParser2 document;
    document.SetSourceText("<?xml version=\"\" encoding=\"UTF-8\" standalone=\"yes\"?><r/>");
    EXPECT_EQ(document.BuildXmlText(), "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<r/>");
    document.SetSourceText("<?xml encoding=\"\" version=\"1.1\" version=\"9\"?><r/>");
    EXPECT_EQ(document.BuildXmlText(), "<?xml version=\"1.1\" encoding=\"ISO-8859-1\" ?>\r\n<r/>");
}

TEST(XMLWriter, LargePiecesAreCopiedWhole)
{
    TzelXMLParser2 document;
    document.SetName("r");
    std::string big(200000, 'x');
    big[100000] = '&';
    document.AppendChild(NewNode("big", big));
    document.AppendAttribute("a", std::string(70000, 'q'));
    const std::string expected = DefaultDeclaration + "<r a=\"" + std::string(70000, 'q') + "\">\r\n  <big>" + big +
                                 "</big>\r\n</r>";
    EXPECT_EQ(document.BuildXmlText(), expected);
}

TEST(XMLWriter, RefusesTextThatWouldEndItsCDataEarly)
{
    TzelXMLParser2 document;
    document.SetSourceText("<r><a>x]]>y</a></r>"); // the reader accepts this text
    ASSERT_EQ(document.LastError(), "");
    EXPECT_EQ(document.FindChild("a")->Text(), "x]]>y");
    try {
        document.BuildXmlText();
        FAIL() << "no exception";
    } catch (const Exception &error) {
        EXPECT_STREQ(error.what(),
                     "Cannot write element \"a\": its text contains \"]]>\", which would end its CDATA section early");
    }
    // Replacing the text makes the document writable again.
    document.FindChild("a")->SetText("x]]y");
    EXPECT_EQ(document.BuildXmlText(), DefaultDeclaration + "<r>\r\n  <a>x]]y</a>\r\n</r>");

    // An error text shows the partial document as it is instead of failing.
    document.SetSourceText("<r><a>x]]>y</a>");
    EXPECT_NE(document.LastError().find("<a><![CDATA[x]]>y]]></a>"), std::string::npos);
}

namespace {

// The writer's refusal message for a text the reader accepts, or "" when it writes it.
std::string RefusalFor(const std::string &source)
{
    TzelXMLParser2 document;
    document.SetSourceText(source);
    EXPECT_EQ(document.LastError(), "") << source;
    try {
        document.BuildXmlText();
    } catch (const Exception &error) {
        return error.what();
    }
    return "";
}

// Writes the text read from source, reads it again and returns the second document's text.
std::string RoundTrip(const std::string &source)
{
    TzelXMLParser2 first, second;
    first.SetSourceText(source);
    EXPECT_EQ(first.LastError(), "") << source;
    const std::string written = first.BuildXmlText();
    second.SetSourceText(written);
    EXPECT_EQ(second.LastError(), "") << written;
    EXPECT_EQ(second.BuildXmlText(), written);
    return written;
}

} // namespace

TEST(XMLWriter, RefusesNamesThatWouldReadBackDifferently)
{
    // Each of these is read without an error, but its name would come back changed.
    EXPECT_EQ(RefusalFor("<a>< /></a>"), "Cannot write element \"\": its name is empty, which would read as an end tag");
    EXPECT_EQ(RefusalFor("<r>< /a/></r>"),
              "Cannot write element \"/a\": its name starts with \"/\", which would read as an end tag");
    EXPECT_EQ(RefusalFor("<r><a/ >t</a/></r>"),
              "Cannot write element \"a/\": its name ends with \"/\", which would read as an empty element");
    EXPECT_EQ(RefusalFor("<r><!-- a --><!--b/></r>"),
              "Cannot write element \"!--b\": its name starts with \"!--\", which would read as a comment");
    EXPECT_EQ(RefusalFor("<r><!-- c --><![CDATA[x y=\"1\"/></r>"),
              "Cannot write element \"![CDATA[x\": its name starts with \"![CDATA[\", which would read as a CDATA "
              "section");
    EXPECT_EQ(RefusalFor("<r>< x=\"1\"></></r>"),
              "Cannot write element \"\": its name is empty, which would read its first attribute as the name");
    EXPECT_EQ(RefusalFor("<r><a\t></a\t></r>"),
              "Cannot write element \"a\t\": its name starts or ends with a blank or control byte, which would be "
              "trimmed off");
    EXPECT_EQ(RefusalFor("<r><a x =\"1\">t</a></r>"), "");

    // Names set through the tree: a space or ">" in an element name, attribute names the
    // reader would cut at "=" or trim.
    TzelXMLParser2 document;
    document.SetName("r");
    TzelXMLNode2 *child = NewNode("a b", "t");
    document.AppendChild(child);
    EXPECT_THROW(
        {
            try {
                document.BuildXmlText();
            } catch (const Exception &error) {
                EXPECT_STREQ(error.what(),
                             "Cannot write element \"a b\": its name contains a space, which would end the name early");
                throw;
            }
        },
        Exception);
    child->SetName("a>b");
    EXPECT_THROW(document.BuildXmlText(), Exception);
    child->SetName("ab");
    child->AppendAttribute("k=v", "1");
    try {
        document.BuildXmlText();
        FAIL() << "no exception";
    } catch (const Exception &error) {
        EXPECT_STREQ(error.what(), "Cannot write attribute \"k=v\" of element \"ab\": its name contains \"=\", which "
                                   "would end the name early");
    }
    child->Attributes()[0]->SetName(" k");
    try {
        document.BuildXmlText();
        FAIL() << "no exception";
    } catch (const Exception &error) {
        EXPECT_STREQ(error.what(), "Cannot write attribute \" k\" of element \"ab\": its name starts or ends with a "
                                   "blank or control byte, which would be trimmed off");
    }
    child->Attributes()[0]->SetName("k");
    EXPECT_EQ(document.BuildXmlText(), DefaultDeclaration + "<r>\r\n  <ab k=\"1\">t</ab>\r\n</r>");
}

TEST(XMLWriter, OddNamesThatReadBackAreWritten)
{
    // The nameless empty root reads back as an empty root.
    EXPECT_EQ(RoundTrip("</r>"), DefaultDeclaration + "</>");
    // A nameless element with content, names ending in "/" with attributes or in the empty
    // form, a tab inside a name, a blank inside an attribute name, an empty attribute name.
    EXPECT_EQ(RoundTrip("<r><>t</><a/ x=\"1\">u</a/><b//><c\td>v</c\td><e a b=\"1\" =\"2\"/></r>"),
              DefaultDeclaration +
                  "<r>\r\n  <>t</>\r\n  <a/ x=\"1\">u</a/>\r\n  <b//>\r\n  <c\td>v</c\td>\r\n"
                  "  <e a b=\"1\" =\"2\"/>\r\n</r>");
}

TEST(XMLWriter, DeclarationValuesAreEscapedLikeAttributeValues)
{
    const std::string written = RoundTrip("<?xml version=\"1.0\" encoding=\"a&quot;b\"?><a/>");
    EXPECT_EQ(written, "<?xml version=\"1.0\" encoding=\"a&quot;b\" ?>\r\n<a/>");
    TzelXMLParser2 document;
    document.SetSourceText(written);
    EXPECT_EQ(document.Declaration().AttributeValue("encoding").AsString(), "a\"b");

    // "?>" inside a value would end the declaration early; escaped, it cannot.
    document.SetSourceText("<?xml version='1?&gt;&lt;&amp;&apos;' encoding=\"x\"?><a/>");
    EXPECT_EQ(document.Declaration().AttributeValue("version").AsString(), "1?><&'");
    EXPECT_EQ(RoundTrip(document.BuildXmlText()),
              "<?xml version=\"1?&gt;&lt;&amp;&apos;\" encoding=\"x\" ?>\r\n<a/>");
}

TEST(XMLWriter, RefusesNestingDeeperThanTheReaderTakes)
{
    // Built by hand one level deeper than the reader accepts (the root is level 1).
    TzelXMLParser2 document;
    document.SetName("r");
    TzelXMLNode2 *tip = &document;
    for (int level = 2; level <= TzelXMLParser2::MaxNestingDepth; ++level) {
        TzelXMLNode2 *child = NewNode("n");
        tip->AppendChild(child);
        tip = child;
    }
    const std::string atLimit = document.BuildXmlText();
    TzelXMLParser2 again;
    again.SetSourceText(atLimit);
    EXPECT_EQ(again.LastError(), "");

    tip->AppendChild(NewNode("deeper"));
    try {
        document.BuildXmlText();
        FAIL() << "no exception";
    } catch (const Exception &error) {
        EXPECT_STREQ(error.what(), "Cannot write element \"deeper\": it is nested deeper than 1000 levels, which the "
                                   "reader refuses");
    }
}
