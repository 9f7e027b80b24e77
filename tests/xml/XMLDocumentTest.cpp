// The document: loading and saving files, replacing trees, errors, and the id index.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>

#include "zelXMLParser2.h"

namespace fs = std::filesystem;

namespace {

class XMLDocument : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("zelxml-doc-" + std::to_string(::getpid()) + "-" +
                                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string PathOf(const std::string &name) const { return (folder_ / name).string(); }
    std::string Write(const std::string &name, const std::string &bytes) const
    {
        std::ofstream(PathOf(name), std::ios::binary) << bytes;
        return PathOf(name);
    }
    std::string Read(const std::string &name) const
    {
        std::ifstream in(PathOf(name), std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        return content.str();
    }

    fs::path folder_;
};

const std::string Feed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                         "<rss version=\"2.0\">\n"
                         " <channel>\n"
                         "  <title>Feed &amp; news</title>\n"
                         "  <link>http://example.com/</link>\n"
                         "  <description><![CDATA[<b>bold</b>]]></description>\n"
                         "  <item><title>One</title><guid isPermaLink=\"false\">1</guid></item>\n"
                         " </channel>\n"
                         "</rss>\n";

const std::string FeedAsWritten = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n"
                                  "<rss version=\"2.0\">\r\n"
                                  "  <channel>\r\n"
                                  "    <title>Feed &amp; news</title>\r\n"
                                  "    <link>http://example.com/</link>\r\n"
                                  "    <description><![CDATA[<b>bold</b>]]></description>\r\n"
                                  "    <item>\r\n"
                                  "      <title>One</title>\r\n"
                                  "      <guid isPermaLink=\"false\">1</guid>\r\n"
                                  "    </item>\r\n"
                                  "  </channel>\r\n"
                                  "</rss>";

TzelXMLNode2 *NewNode(const std::string &name, const std::string &id = "")
{
    auto *node = new TzelXMLNode2;
    node->SetName(name);
    if (!id.empty())
        node->AppendAttribute("id", id);
    return node;
}

} // namespace

TEST_F(XMLDocument, LoadsSavesAndRoundTripsAFeed)
{
    TzelXMLParser2 document;
    document.LoadFromFile(Write("feed.xml", Feed));
    EXPECT_EQ(document.LastError(), "");
    EXPECT_EQ(document.SourceText(), Feed);
    EXPECT_EQ(document.Name(), "rss");
    EXPECT_EQ(document.AttributeValue("version").AsString(), "2.0");
    TzelXMLNode2 *channel = document.FindChild("channel");
    ASSERT_NE(channel, nullptr);
    EXPECT_EQ(channel->FindChild("title")->Text(), "Feed &amp; news");

    document.SaveToFile(PathOf("feed.xml"));
    EXPECT_EQ(Read("feed.xml"), FeedAsWritten);
    // Writing what was read gives the same bytes again.
    document.LoadFromFile(PathOf("feed.xml"));
    EXPECT_EQ(document.LastError(), "");
    EXPECT_EQ(document.BuildXmlText(), FeedAsWritten);
}

TEST_F(XMLDocument, SecondLoadReplacesEverything)
{
    TzelXMLParser2 document;
    document.LoadFromFile(Write("one.xml", Feed));
    document.LoadFromFile(Write("two.xml", "<other a=\"1\">text<x/></other>"));
    EXPECT_EQ(document.Name(), "other");
    EXPECT_EQ(document.Text(), "text");
    EXPECT_EQ(document.Attributes().Count(), 1);
    EXPECT_EQ(document.ChildCount(), 1);
    EXPECT_EQ(document.FindChild("channel"), nullptr);
    document.SaveToFile(PathOf("two.xml"));
    EXPECT_EQ(Read("two.xml"), "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n<other a=\"1\">text\r\n  <x/>\r\n</other>")
        << "no declaration in the second file: the defaults, not the first file's values";
}

TEST_F(XMLDocument, RereadsReuseMemoryAndKeepWhatWasTakenOut)
{
    // Few children are gathered and listed when their parent ends, more than a thousand go
    // straight into its list, and a large tree takes its memory in larger runs: each size is
    // read again and again into one document (from a copy, a moved text and its own text),
    // ends early at an error, and leaves a node taken out and a clone intact.
    for (const int count : {10, 2000, 60000}) {
        std::string source = "<r>";
        for (int i = 0; i < count; ++i)
            source += "<i n=\"" + std::to_string(i) + "\">text " + std::to_string(i) + "</i>";
        const std::string whole = source + "</r>";
        TzelXMLParser2 document;
        document.SetXmlCompatible(count % 2 == 0);
        document.SetSourceText(whole);
        std::unique_ptr<TzelXMLNode2> taken(document.Children().Extract(5));
        std::unique_ptr<TzelXMLNode2> clone(document.ChildAt(6)->CloneTree());
        for (int read = 0; read < 8; ++read) {
            if (read % 4 == 0) {
                document.SetSourceText(whole);
            } else if (read % 4 == 1) {
                // A shared text is read in place and kept alive by the document alone.
                auto shared = std::make_shared<const std::string>(whole);
                document.SetSharedSourceText(shared);
                EXPECT_EQ(document.SourceText().data(), shared->data());
                shared.reset();
            } else if (read % 4 == 2) {
                document.SetSourceText(document.SourceText()); // also while it is shared
            } else {
                document.SetSourceText(std::string(whole));
            }
            ASSERT_EQ(document.LastError(), "") << count;
            ASSERT_EQ(document.ChildCount(), count);
            for (const int at : {0, count / 2, count - 1}) {
                const TzelXMLNode2 *child = document.ChildAt(at);
                EXPECT_EQ(child->AttributeValue("n").String() + "|" + child->Text(),
                          std::to_string(at) + "|text " + std::to_string(at));
            }
        }
        EXPECT_EQ(taken->Name() + " " + taken->AttributeValue("n").String() + " " + taken->Text(), "i 5 text 5");
        EXPECT_EQ(clone->Name() + " " + clone->AttributeValue("n").String() + " " + clone->Text(), "i 7 text 7");

        document.SetSourceText(source + "<i n=\"last\">");
        EXPECT_EQ(document.LastError().substr(0, 28), "Expected < when parsing text") << count;
        ASSERT_EQ(document.ChildCount(), count + 1) << "the partial tree lists every element read";
        EXPECT_EQ(document.ChildAt(count)->AttributeValue("n").String(), "last");
        EXPECT_EQ(document.ChildAt(count - 1)->Text(), "text " + std::to_string(count - 1));
    }

    // A text the document itself holds, which a read empties, is read as it was.
    TzelXMLParser2 document;
    document.SetXmlCompatible(true);
    document.SetSourceText(std::string("<!--kept--><r/>"));
    document.SetSourceText(document.Prolog());
    EXPECT_EQ(document.SourceText(), "<!--kept-->");
}

TEST_F(XMLDocument, MalformedFileThenGoodFile)
{
    TzelXMLParser2 document;
    document.LoadFromFile(Write("bad.xml", "<rss><channel><title>T</title><item></rss>"));
    EXPECT_EQ(document.LastError().substr(0, 36), "Opening and closing tags don't match");
    EXPECT_EQ(document.FindChild("channel")->FindChild("title")->Text(), "T");
    EXPECT_NE(document.FindChild("channel")->FindChild("item"), nullptr);
    document.LoadFromFile(Write("good.xml", Feed));
    EXPECT_EQ(document.LastError(), "");
}

TEST_F(XMLDocument, FileErrorsLeaveTheDocumentAndFileAlone)
{
    TzelXMLParser2 document;
    document.LoadFromFile(Write("feed.xml", Feed));
    const std::string missing = PathOf("missing.xml");
    try {
        document.LoadFromFile(missing);
        FAIL() << "no exception";
    } catch (const EFOpenError &error) {
        EXPECT_EQ(std::string(error.what()).rfind("Cannot open file \"" + missing + "\". ", 0), 0u) << error.what();
    }
    EXPECT_EQ(document.SourceText(), Feed);
    EXPECT_EQ(document.FindChild("channel")->FindChild("link")->Text(), "http://example.com/");

    EXPECT_THROW(document.SaveToFile(PathOf("no/such/folder/feed.xml")), EFCreateError);

    // A text the writer cannot write back readably: the save is refused, the file untouched.
    document.FindChild("channel")->FindChild("title")->SetText("a ]]> b");
    EXPECT_THROW(document.SaveToFile(PathOf("feed.xml")), Exception);
    EXPECT_EQ(Read("feed.xml"), Feed);

    // So is a name the reader would not give back.
    document.FindChild("channel")->FindChild("title")->SetText("a b");
    document.FindChild("channel")->FindChild("link")->SetName("/link");
    try {
        document.SaveToFile(PathOf("feed.xml"));
        FAIL() << "no exception";
    } catch (const Exception &error) {
        EXPECT_STREQ(error.what(), "Cannot write element \"/link\": its name starts with \"/\", which would read as an "
                                   "end tag");
    }
    EXPECT_EQ(Read("feed.xml"), Feed);
}

TEST_F(XMLDocument, IdIndexRejectsDuplicatesPerName)
{
    TzelXMLParser2 document;
    document.SetSourceText("<rss/>");
    document.SetNameIndexEnabled(true);
    document.AppendChild(NewNode("item", "7"));
    document.AppendChild(NewNode("link", "7")); // another name: no clash
    try {
        document.AppendChild(NewNode("item", "7"));
        FAIL() << "no exception";
    } catch (const Exception &error) {
        EXPECT_STREQ(error.what(), "Found duplicate id 7 in name index item");
    }
    EXPECT_EQ(document.ChildCount(), 3) << "the node stays appended";

    document.DeleteChild(document.ChildAt(2));
    document.DeleteChild(document.ChildAt(0));
    EXPECT_NO_THROW(document.AppendChild(NewNode("item", "7")));

    // Descendants are registered with the node they hang under.
    TzelXMLNode2 *wrapper = NewNode("wrap");
    wrapper->AppendChild(NewNode("link", "7"));
    EXPECT_THROW(document.AppendChild(wrapper), Exception);

    // A node taken out of the tree leaves the index.
    document.DeleteChild(wrapper);
    delete document.Children().Extract(document.Children().IndexOf(document.FindChild("link")));
    EXPECT_NO_THROW(document.AppendChild(NewNode("link", "7")));
}

TEST_F(XMLDocument, IdIndexDuringReadAndWhenOff)
{
    TzelXMLParser2 document;
    document.SetNameIndexEnabled(true);
    document.SetSourceText("<r><item id=\"1\"/><item id=\"1\"/></r>");
    EXPECT_EQ(document.LastError().substr(0, document.LastError().find("\r\n")),
              "Found duplicate id 1 in name index item near =\"1\"/><item id=\"1\"/></r>");
    EXPECT_NE(document.LastError().find("\r\nError position=32\r\n"), std::string::npos)
        << "one past the second item's start tag";

    TzelXMLParser2 plain;
    plain.SetSourceText("<r><item id=\"1\"/><item id=\"1\"/></r>");
    EXPECT_EQ(plain.LastError(), "");
    plain.AppendChild(NewNode("item", "1"));
    EXPECT_FALSE(plain.NameIndex().Exists("item"));
}
