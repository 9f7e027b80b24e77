// The writer: exact bytes of the layout, escaping, the declaration and the "]]>" refusal.
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
