// The XML-compatible mode: what it reads beyond the engine's subset, the exact bytes it
// writes back, the texts it shows, what it reports as dropped, and its error texts.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "zelXMLParser2.h"

namespace {

const std::string Declaration = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>";

struct Compatible {
    explicit Compatible(const std::string &text)
    {
        document.SetXmlCompatible(true);
        document.SetSourceText(text);
    }
    TzelXMLParser2 document;
};

} // namespace

TEST(XmlCompatibleMode, ReadsWellFormedFormsAndWritesBackWhatOtherReadersRead)
{
    struct Row {
        const char *name;
        std::string source;
        std::string saved;
        std::string firstChildText; // the Text of the root's first child, as the editor shows it
    };
    const std::string bom = "\xEF\xBB\xBF";
    const std::string prolog = "\n<?xml-stylesheet type=\"text/xsl\" href=\"s.xsl\"?>\n<!-- one --><!-- two -->\n"
                               "<!DOCTYPE rss [\n<!ENTITY e \"x > y\">\n<!-- ]> -->\n]>\n";
    const Row rows[] = {
        {"prolog and byte-order mark byte for byte",
         bom + "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + prolog + "<rss><c>&e;</c></rss>",
         bom + "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>" + prolog + "<rss>\r\n  <c>&e;</c>\r\n</rss>", "&e;"},
        {"an instruction first is no declaration", "<?xml-stylesheet href=\"s\"?><r/>",
         Declaration + "\r\n<?xml-stylesheet href=\"s\"?><r/>", ""},
        {"blanks after names, around = and before an end tag's >",
         "<rss\n\tversion = '2.0'\r\n><a\nx=\"1\"\n/><b >t</b\n ></rss >",
         Declaration + "\r\n<rss version=\"2.0\">\r\n  <a x=\"1\"/>\r\n  <b>t</b>\r\n</rss>", ""},
        {"> in attribute values, XML's own references kept, & escaped once, an entity no DTD declares escaped",
         "<r a=\"x>y\" b=\"&#65;&#x42;&amp;#67;&amp;T&lt;&e;&amp;e;&#0;\"/>",
         Declaration + "\r\n<r a=\"x&gt;y\" b=\"&#65;&#x42;&amp;#67;&amp;T&lt;&amp;e;&amp;e;&amp;#0;\"/>", ""},
        {"in attribute values only the entities a DOCTYPE declares stay references",
         "<!DOCTYPE r [<!ENTITY nbsp \"&#160;\"><!-- <!ENTITY c 'x'> --><!ENTITY % p 'y'>]><r a=\"x&nbsp;&c;&p;\"/>",
         Declaration + "\r\n<!DOCTYPE r [<!ENTITY nbsp \"&#160;\"><!-- <!ENTITY c 'x'> --><!ENTITY % p 'y'>]>"
                       "<r a=\"x&nbsp;&amp;c;&amp;p;\"/>",
         ""},
        {"a DOCTYPE that declares nothing keeps no entity reference", "<!DOCTYPE r><r a=\"x&nbsp;&amp;nbsp;\"/>",
         Declaration + "\r\n<!DOCTYPE r><r a=\"x&amp;nbsp;&amp;nbsp;\"/>", ""},
        {"an external subset may declare any", "<!DOCTYPE r SYSTEM \"r.dtd\"><r a=\"x&nbsp;\"/>",
         Declaration + "\r\n<!DOCTYPE r SYSTEM \"r.dtd\"><r a=\"x&nbsp;\"/>", ""},
        {"text with references other than XML's own kept as read", "<r><a> x &nbsp; &#0; &#65; </a></r>",
         Declaration + "\r\n<r>\r\n  <a>x &nbsp; &#0; &#65;</a>\r\n</r>", "x &nbsp; &#0; &#65;"},
        {"every blank inside inline markup kept, also before the element is known to be mixed",
         "<r><p><strong>Injured: </strong> <a href=\"u\">x</a> text <pre>\n  a\n  b\n</pre> <ul>\n <li> i </li>\n</ul> end</p></r>",
         Declaration + "\r\n<r>\r\n  <p><strong>Injured: </strong> <a href=\"u\">x</a> text <pre>\n  a\n  b\n</pre> "
                       "<ul>\n <li> i </li>\n</ul> end</p>\r\n</r>",
         ""},
        {"a pre block keeps its blanks and lines, also alone in its parent and under a prefix",
         "<r><d><pre>\n  a <b> b </b>\n</pre></d><d><h:pre>  x  </h:pre></d></r>",
         Declaration + "\r\n<r>\r\n  <d>\r\n    <pre>\n  a <b> b </b>\n</pre>\r\n  </d>\r\n  <d>\r\n    "
                       "<h:pre>  x  </h:pre>\r\n  </d>\r\n</r>",
         ""},
        {"CDATA remembered, also without < or >",
         "<r><a><![CDATA[Books & Reading]]></a><b> <![CDATA[&lt;p&gt;]]> </b></r>",
         Declaration + "\r\n<r>\r\n  <a><![CDATA[Books & Reading]]></a>\r\n  <b><![CDATA[&lt;p&gt;]]></b>\r\n</r>",
         "Books & Reading"},
        {"text around CDATA and comments kept as written, shown as read",
         "<r><a>Intro <![CDATA[<b>]]> end<!-- c --></a></r>",
         Declaration + "\r\n<r>\r\n  <a>Intro <![CDATA[<b>]]> end<!-- c --></a>\r\n</r>", "Intro <b> end"},
        {"a > in text stays text", "<r><a>a > b &amp; c</a></r>",
         Declaration + "\r\n<r>\r\n  <a>a > b &amp; c</a>\r\n</r>", "a > b &amp; c"},
        {"comments and instructions between children, each kept on its line",
         "<r>\n<a>1</a>\n<!-- c1 --> <!-- c2 -->\n<b/><?php x ?></r>",
         Declaration + "\r\n<r>\r\n  <a>1</a>\r\n  <!-- c1 --> <!-- c2 -->\r\n  <b/>\r\n  <?php x ?>\r\n</r>", "1"},
        {"mixed content without added line breaks, down to its last descendant",
         "<r><p>submitted by <a href=\"u\">X</a> to <a><i>Y</i></a>\n end</p></r>",
         Declaration + "\r\n<r>\r\n  <p>submitted by <a href=\"u\">X</a> to <a><i>Y</i></a>\n end</p>\r\n</r>",
         "submitted by"},
        {"comments and instructions after the root", "<r/>\n<!-- after --><?pi?>\n",
         Declaration + "\r\n<r/>\n<!-- after --><?pi?>\n", ""},
        {"standalone kept", "<?xml version='1.0' standalone='yes'?><r/>",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\" ?>\r\n<r/>", ""},
    };
    for (const Row &row : rows) {
        Compatible read(row.source);
        EXPECT_EQ(read.document.LastError(), "") << row.name;
        EXPECT_EQ(read.document.BuildXmlText(), row.saved) << row.name;
        EXPECT_TRUE(read.document.DroppedContent().empty()) << row.name;
        const TzelXMLNode2 *first = read.document.ChildAt(0);
        EXPECT_EQ(first ? first->Text() : std::string(), row.firstChildText) << row.name;
        // Read back, the copy gives the same text again, also into a document that held
        // another text before.
        Compatible again("<r><![CDATA[x]]><!-- c --><y/>z</r>");
        again.document.SetSourceText(row.saved);
        EXPECT_EQ(again.document.BuildXmlText(), row.saved) << row.name;
    }
}

TEST(XmlCompatibleMode, EditedTextsAreWrittenWellFormed)
{
    Compatible read("<r><a><![CDATA[old]]></a><b>x<!-- c --></b><c>keep</c><d/><e/><f/></r>");
    TzelXMLNode2 &root = read.document;
    root.ChildAt(0)->SetText("old");           // the same text: its CDATA section stays
    root.ChildAt(1)->SetText("Fish & Chips");  // a bare & goes out as a section of its own
    root.ChildAt(2)->SetText("T &amp; &#38; <"); // a < keeps the engine's CDATA rule
    // Only XML's own references reach the file as references; "]]>" splits the section.
    root.ChildAt(3)->SetText("a&nbsp;b &#0; &#x10FFFF; &#1114112; &quot;");
    root.ChildAt(4)->SetText("<b> & \"x\" ]]> ]]]>");
    root.ChildAt(5)->SetText("x]]>y");
    EXPECT_EQ(read.document.BuildXmlText(),
              Declaration + "\r\n<r>\r\n  <a><![CDATA[old]]></a>\r\n"
                            "  <b>Fish <![CDATA[&]]> Chips</b>\r\n"
                            "  <c><![CDATA[T &amp; &#38; <]]></c>\r\n"
                            "  <d>a<![CDATA[&]]>nbsp;b <![CDATA[&]]>#0; &#x10FFFF; <![CDATA[&]]>#1114112; &quot;</d>\r\n"
                            "  <e><![CDATA[<b> & \"x\" ]]]]><![CDATA[> ]]]]]><![CDATA[>]]></e>\r\n"
                            "  <f><![CDATA[x]]]]><![CDATA[>y]]></f>\r\n</r>");
    // The box shows after the save what was typed.
    Compatible saved(read.document.BuildXmlText());
    EXPECT_EQ(saved.document.ChildAt(1)->Text(), "Fish & Chips");
    EXPECT_EQ(saved.document.ChildAt(3)->Text(), "a&nbsp;b &#0; &#x10FFFF; &#1114112; &quot;");
    EXPECT_EQ(saved.document.ChildAt(4)->Text(), "<b> & \"x\" ]]> ]]]>");
    EXPECT_EQ(saved.document.ChildAt(5)->Text(), "x]]>y");
    EXPECT_EQ(saved.document.BuildXmlText(), read.document.BuildXmlText());
}

TEST(XmlCompatibleMode, Utf16IsReadAsUtf8AndWrittenBackAsUtf16)
{
    auto utf16 = [](const std::string &ascii) {
        std::string wide;
        for (char c : ascii)
            wide += std::string{c, '\0'};
        return wide;
    };
    const std::string source = "\xFF\xFE" + utf16("<r><a>") + std::string("\xE9\x00", 2) + utf16("&#233;</a></r>");
    Compatible read(source);
    EXPECT_TRUE(read.document.IsUtf16());
    EXPECT_EQ(read.document.ChildAt(0)->Text(), "\xC3\xA9&#233;");
    EXPECT_EQ(read.document.BuildXmlText(),
              "\xFF\xFE" + utf16("<?xml version=\"1.0\" encoding=\"UTF-16\" ?>\r\n<r>\r\n  <a>") + std::string("\xE9\x00", 2) +
                  utf16("&#233;</a>\r\n</r>"));
    // A shared UTF-16 text is read from a UTF-8 copy of the document's own.
    TzelXMLParser2 shared;
    shared.SetXmlCompatible(true);
    shared.SetSharedSourceText(std::make_shared<const std::string>(source));
    EXPECT_EQ(shared.SourceText(), read.document.SourceText());
    EXPECT_EQ(shared.BuildXmlText(), read.document.BuildXmlText());
    // Odd bytes after the mark are no UTF-16: read as they are, which fails.
    EXPECT_FALSE(Compatible(source + "x").document.IsUtf16());
}

TEST(XmlCompatibleMode, WhatCannotBeKeptIsReported)
{
    Compatible read("<r/>\n<!-- kept -->junk<x/>");
    ASSERT_EQ(read.document.DroppedContent().size(), 1u);
    EXPECT_EQ(read.document.DroppedContent()[0], "what follows the root element from line 2, column 14 (8 bytes)");
    EXPECT_EQ(read.document.BuildXmlText(), Declaration + "\r\n<r/>\n<!-- kept -->");
    // A UTF-8 character is one column.
    EXPECT_EQ(Compatible("<r>\xC3\xA9</r><r/>").document.DroppedContent(),
              std::vector<std::string>{"what follows the root element from line 1, column 9 (4 bytes)"});
}

TEST(XmlCompatibleMode, ErrorsStayAsTheEngineReportsThem)
{
    // Input that is an error in XML as well gives the default mode's message, excerpt and
    // position (the partial tree shown after them is written in the mode's own way).
    auto messageAndPosition = [](const std::string &error) {
        const size_t position = error.find("Error position=");
        return position == std::string::npos ? error : error.substr(0, error.find("\r\n", position));
    };
    for (const std::string source :
         {"", "<a></b>", "<a b></a>", "<a b=c></a>", "<a b=\"c></a>", "<a><!-- x", "<a><![CDATA[ abc", "<a",
          "<a>abc", "<a><b>x</a>", "<?xml version=\"1.0\"?>", "<a><!-- x --><b></a>"}) {
        TzelXMLParser2 plain;
        plain.SetSourceText(source);
        Compatible compatible(source);
        EXPECT_FALSE(plain.LastError().empty()) << source;
        EXPECT_EQ(messageAndPosition(compatible.document.LastError()), messageAndPosition(plain.LastError()))
            << source;
    }
    // The new forms have messages of their own, at the markup's "<".
    EXPECT_EQ(Compatible("<?pi <a/>").document.LastError().substr(0, 60),
              "Missing ?> in processing instruction near <?pi <a/>\r\nError p");
    const std::string doctype = Compatible(" <!DOCTYPE a [ <!ENTITY e 'v'> <a/>").document.LastError();
    EXPECT_EQ(doctype.substr(0, doctype.find("\r\n")), "Missing > in DOCTYPE near  <!DOCTYPE a [ <!ENTITY e 'v'> <a/>");
    EXPECT_NE(doctype.find("Error position=2\r\n"), std::string::npos);
}

TEST(XmlCompatibleMode, QuotesAndGreaterThanAnywhereInAWideTag)
{
    // A long tag is scanned many bytes at a time: a ">" or the other quote inside a value, at
    // every distance from the tag's start, reads as in a short tag; so does a value left open,
    // whose error is the default mode's.
    auto messageAndPosition = [](const std::string &error) {
        return error.substr(0, error.find("\r\n", error.find("Error position=")));
    };
    for (size_t pad = 0; pad < 40; ++pad) {
        const std::string filler(pad, 'x');
        const std::string wide = "<r f=\"" + filler + "\" a=\"x>y'z\" g='" + filler + "' b='p>\"q' c=\"" + filler +
                                 ">\"\n/>";
        Compatible read("<root>" + wide + "<s/></root>");
        ASSERT_TRUE(read.document.LastError().empty()) << pad << read.document.LastError();
        ASSERT_EQ(read.document.ChildCount(), 2) << pad;
        const TzelXMLNode2 &r = *read.document.ChildAt(0);
        const std::string expected[][2] = {{"f", filler}, {"a", "x>y'z"}, {"g", filler}, {"b", "p>\"q"}, {"c", filler + ">"}};
        ASSERT_EQ(r.Attributes().Count(), 5) << pad;
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(r.Attributes()[i]->NameView(), expected[i][0]) << pad;
            EXPECT_EQ(r.Attributes()[i]->ValueText(), expected[i][1]) << pad;
        }
        for (const std::string open : {"<root><r f=\"" + filler + "\" a=\"open></root>",
                                       "<root><r f=\"" + filler + "\" g='x' a=\"open></root>",
                                       "<root><r f=\"" + filler + "\" a=\"" + filler}) {
            TzelXMLParser2 plain;
            plain.SetSourceText(open);
            EXPECT_EQ(messageAndPosition(Compatible(open).document.LastError()), messageAndPosition(plain.LastError()))
                << open;
        }
    }
}
