// The reader: what it builds, its exact error texts and positions, and the declaration.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "zelStrings.h"
#include "zelXMLParser2.h"

namespace {

const std::string DefaultDeclaration = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n";

std::string ErrorText(const std::string &message, const std::string &excerpt, int position,
                      const std::string &tree)
{
    return message + " near " + excerpt + "\r\nError position=" + std::to_string(position) + "\r\n" +
           DefaultDeclaration + tree;
}

std::string FirstLine(const std::string &text) { return text.substr(0, text.find("\r\n")); }

struct Parsed {
    explicit Parsed(const std::string &text) { document.SetSourceText(text); }
    TzelXMLParser2 document;
};

} // namespace

TEST(XMLReader, ExactErrorTexts)
{
    EXPECT_EQ(Parsed("").document.LastError(), ErrorText("Missing <", "", 0, "</>"));
    EXPECT_EQ(Parsed("<a></b>").document.LastError(),
              ErrorText("Opening and closing tags don't match a b", "<a></b>", 4, "<a/>"));
    EXPECT_EQ(Parsed("<?xml version=\"1.0\"?>").document.LastError(),
              ErrorText("Missing <", "<?xml version=\"1.0\"?>", 0, "</>"));
    EXPECT_EQ(Parsed("<a>text<b").document.LastError(), ErrorText("Missing >", "<a>text<b", 8, "<a>text</a>"));
    EXPECT_EQ(Parsed("<a><!-- x").document.LastError(),
              ErrorText("Missing comment terminator -->", "<a><!-- x", 4, "<a/>"));
    EXPECT_EQ(Parsed("<a><![CDATA[ abc").document.LastError(),
              ErrorText("Expected ]]> when parsing CDATA section", "<a><![CDATA[ abc", 13, "<a/>"));
    EXPECT_EQ(Parsed("<a>abc").document.LastError(), ErrorText("Expected < when parsing text", "<a>abc", 4, "<a/>"));
    EXPECT_EQ(Parsed("<a>x<b/>").document.LastError(),
              ErrorText("Missing <", "<a>x<b/>", 0, "<a>x\r\n  <b/>\r\n</a>"));
    EXPECT_EQ(Parsed("<a b=\"1></a>").document.LastError(),
              ErrorText("Expected closing \" when parsing attributes", "<a b=\"1></a>", 9, "<a/>"));
    EXPECT_EQ(Parsed("<a b='1></a>").document.LastError(),
              ErrorText("Expected closing ' when parsing attributes", "<a b='1></a>", 9, "<a/>"));
}

TEST(XMLReader, ExcerptStartsTwentyBytesBeforeThePosition)
{
    // The error is reported one past "<b x>", at 39; the excerpt starts at 19.
    const std::string source = "<a>" + std::string(30, ' ') + "<b x></a>";
    EXPECT_EQ(Parsed(source).document.LastError(),
              ErrorText("missing = when parsing attributes", std::string(15, ' ') + "<b x></a>", 39,
                        "<a>\r\n  <b/>\r\n</a>"));
    // At most 50 bytes.
    const std::string longSource = "<a>" + std::string(100, 'x');
    std::string error = Parsed(longSource).document.LastError();
    EXPECT_EQ(FirstLine(error), "Expected < when parsing text near " + longSource.substr(0, 50));
}

TEST(XMLReader, TextSegmentsAndCData)
{
    Parsed mixed("<a>x<b/>y</a>");
    EXPECT_EQ(mixed.document.LastError(), "");
    EXPECT_EQ(mixed.document.Text(), "x");
    EXPECT_EQ(mixed.document.ChildCount(), 1);

    Parsed cdata("<a>dropped  \r\n<![CDATA[ \n x < y \t]]>after<b/>tail</a>");
    EXPECT_EQ(cdata.document.LastError(), "");
    EXPECT_EQ(cdata.document.Text(), "x < y");
    EXPECT_TRUE(cdata.document.TextNeedsCDATA());
    EXPECT_EQ(cdata.document.ChildCount(), 1);

    Parsed plainCdata("<a><![CDATA[ plain & simple ]]></a>");
    EXPECT_EQ(plainCdata.document.Text(), "plain & simple");
    EXPECT_FALSE(plainCdata.document.TextNeedsCDATA());

    Parsed entities("<a> Tom &amp; Jerry &lt; </a>");
    EXPECT_EQ(entities.document.Text(), "Tom &amp; Jerry &lt;") << "text is never decoded";

    Parsed trailing("\xEF\xBB\xBF\r\n<a>\r\n  <b> one </b>\r\n</a>\r\nnot looked at <<<");
    EXPECT_EQ(trailing.document.LastError(), "");
    EXPECT_EQ(trailing.document.Name(), "a");
    EXPECT_EQ(trailing.document.FindChild("b")->Text(), "one");
}

TEST(XMLReader, OddTagsAndComments)
{
    Parsed endFirst("</a><b/>");
    EXPECT_EQ(endFirst.document.LastError(), "");
    EXPECT_EQ(endFirst.document.Name(), "");
    EXPECT_EQ(endFirst.document.ChildCount(), 0);

    EXPECT_EQ(FirstLine(Parsed("<!-- one --><!-- two --><a/>").document.LastError()),
              "missing = when parsing attributes near  one --><!-- two --><a/>")
        << "the error is reported at 25, one past the second comment's \">\"";
    Parsed oneComment("<!-- one --><a><!-- c --><b/></a>");
    EXPECT_EQ(oneComment.document.LastError(), "");
    EXPECT_EQ(oneComment.document.ChildAt(0)->Name(), "b");

    EXPECT_EQ(FirstLine(Parsed("<A></a>").document.LastError()), "Opening and closing tags don't match A a near <A></a>");
    EXPECT_EQ(FirstLine(Parsed("<a></a >").document.LastError()),
              "Opening and closing tags don't match a a  near <a></a >");
    Parsed blankInStart("<a ></a>");
    EXPECT_EQ(blankInStart.document.LastError(), "");
    EXPECT_EQ(blankInStart.document.Attributes().Count(), 0);
    EXPECT_EQ(FirstLine(Parsed("<a\n></a>").document.LastError()),
              "Opening and closing tags don't match a\n a near <a\n></a>");
    Parsed emptyWithBlank("<r><a x=\"1\" /></r>");
    EXPECT_EQ(emptyWithBlank.document.LastError(), "");
    EXPECT_EQ(emptyWithBlank.document.ChildAt(0)->Name(), "a");
    EXPECT_EQ(emptyWithBlank.document.ChildAt(0)->AttributeValue("x").AsString(), "1");
    // Only a "/" as the very last byte makes an empty element.
    EXPECT_EQ(FirstLine(Parsed("<r><a / ></r>").document.LastError()),
              "missing = when parsing attributes near <r><a / ></r>");
}

TEST(XMLReader, Attributes)
{
    Parsed values("<a x='say \"hi\"' y=\"it's\"z=\"3\" v=\"&amp;quot;\" w=\"&lt;&gt;&apos;&quot;\" n=\"&#65;\"/>");
    ASSERT_EQ(values.document.LastError(), "");
    const TzelXMLParser2 &a = values.document;
    ASSERT_EQ(a.Attributes().Count(), 6);
    EXPECT_EQ(a.AttributeValue("x").AsString(), "say \"hi\"");
    EXPECT_EQ(a.AttributeValue("y").AsString(), "it's");
    EXPECT_EQ(a.AttributeValue("z").AsString(), "3") << "no blank needed between attributes";
    EXPECT_EQ(a.AttributeValue("v").AsString(), "&quot;");
    EXPECT_EQ(a.AttributeValue("w").AsString(), "<>'\"");
    EXPECT_EQ(a.AttributeValue("n").AsString(), "&#65;");

    Parsed duplicates("<a k=\"1\" k=\"2\" spaced =\"  keep  \"/>");
    EXPECT_EQ(duplicates.document.AttributeValue("k").AsString(), "1");
    EXPECT_EQ(duplicates.document.AttributeValue(1).AsString(), "2");
    EXPECT_EQ(duplicates.document.AttributeValue("spaced").AsString(), "  keep  ");

    EXPECT_EQ(FirstLine(Parsed("<a x= \"1\"/>").document.LastError()),
              "missing value delimiter when parsing attributes near <a x= \"1\"/>");
    EXPECT_EQ(FirstLine(Parsed("<a x=\"1\" y/>").document.LastError()),
              "missing = when parsing attributes near <a x=\"1\" y/>");
    EXPECT_EQ(FirstLine(Parsed("<a x=/>").document.LastError()),
              "missing value delimiter when parsing attributes near <a x=/>");
}

TEST(XMLReader, AttributeEntitiesDecodeAsEachReplacedInTurn)
{
    // Every value of up to four pieces: the five entities, their parts and stray bytes decode
    // as replacing "&lt;", "&gt;", "&apos;", "&quot;" and last "&amp;" in turn would.
    const std::string pieces[] = {"&lt;", "&gt;", "&apos;", "&quot;", "&amp;", "&", "amp;", "lt;", "x", ";"};
    std::vector<std::string> values = {""};
    for (size_t length = 0, from = 0; length < 4; ++length) {
        const size_t to = values.size();
        for (size_t i = from; i < to; ++i)
            for (const std::string &piece : pieces)
                values.push_back(values[i] + piece);
        from = to;
    }
    for (const std::string &value : values) {
        std::string expected = value;
        for (const auto &[entity, character] : {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&apos;", "'"}, {"&quot;", "\""}, {"&amp;", "&"}})
            expected = ReplaceEvery(expected, entity, character);
        Parsed parsed("<a v=\"" + value + "\"/>");
        ASSERT_EQ(parsed.document.AttributeValue("v").AsString(), expected) << value;
    }
}

TEST(XMLReader, Declaration)
{
    TzelXMLParser2 document;
    document.SetSourceText("<?xml version=\"1.1\" encoding=\"UTF-8\" standalone='yes'?><a/>");
    EXPECT_EQ(document.LastError(), "");
    EXPECT_EQ(document.Declaration().Attributes().Count(), 3);
    EXPECT_EQ(document.Declaration().AttributeValue("encoding").AsString(), "UTF-8");
    document.SetSourceText("<?xml version=\"1.0\"?><b/>");
    EXPECT_EQ(document.Declaration().Attributes().Count(), 1);
    document.SetSourceText("<c/>");
    EXPECT_EQ(document.Declaration().Attributes().Count(), 0);
    EXPECT_EQ(document.BuildXmlText(), DefaultDeclaration + "<c/>");

    document.SetSourceText("<?xml version=\"1.0\" <a/>");
    EXPECT_EQ(document.LastError(), "Missing ?> in xml declaration.");
    EXPECT_EQ(document.Name(), "");
    EXPECT_FALSE(document.Parsing());

    EXPECT_EQ(FirstLine(Parsed("<?XML version=\"1.0\"?><a/>").document.LastError()),
              "missing = when parsing attributes near ?XML version=\"1.0\"?><a/>");

    // A faulty declaration attribute is raised; the tree is emptied, LastError stays.
    document.SetSourceText("<a></b>");
    const std::string previousError = document.LastError();
    try {
        document.SetSourceText("<?xml encoding=\"x\" version=1.0?><a>t</a>");
        FAIL() << "no exception";
    } catch (const Exception &error) {
        EXPECT_STREQ(error.what(), "missing value delimiter when parsing attributes");
    }
    EXPECT_EQ(document.LastError(), previousError);
    EXPECT_EQ(document.Name(), "");
    EXPECT_EQ(document.Declaration().AttributeValue("encoding").AsString(), "x");
    EXPECT_EQ(document.SourceText(), "<?xml encoding=\"x\" version=1.0?><a>t</a>");
    EXPECT_FALSE(document.Parsing());
}

TEST(XMLReader, NestingDepthLimit)
{
    constexpr int limit = TzelXMLParser2::MaxNestingDepth;
    std::string atLimit;
    for (int i = 0; i < limit; ++i)
        atLimit += "<a>";
    for (int i = 0; i < limit; ++i)
        atLimit += "</a>";
    TzelXMLParser2 document;
    document.SetSourceText(atLimit);
    EXPECT_EQ(document.LastError(), "");
    // The written text reads back into the same shape.
    TzelXMLParser2 again;
    again.SetSourceText(document.BuildXmlText());
    EXPECT_EQ(again.LastError(), "");
    EXPECT_EQ(again.BuildXmlText(), document.BuildXmlText());

    std::string million;
    million.reserve(3000000);
    for (int i = 0; i < 1000000; ++i)
        million += "<a>";
    document.SetSourceText(million);
    const std::string &error = document.LastError();
    EXPECT_EQ(FirstLine(error), "Elements nested deeper than 1000 levels near " + million.substr(2980, 50));
    EXPECT_NE(error.find("\r\nError position=3004\r\n"), std::string::npos);
    EXPECT_EQ(document.FindChild("zz", true), nullptr);
}
