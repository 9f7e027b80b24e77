// The XML table dataset driven through the framework's public operations, on real files.
#include "zelXMLDataSet2.h"

#include <clocale>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ApplicationError.h"
#include "BlobField.h"
#include "DatabaseError.h"
#include "TableFiles.h"
#include "TypedFields.h"
#include "zelStream.h"
#include "zelStrings.h"

namespace {

const std::string Declaration = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n";

const std::string Fields = "  <fields>\r\n"
                           "    <name type=\"string\" size=\"5\"/>\r\n"
                           "    <qty type=\"integer\" size=\"3\"/>\r\n"
                           "    <price type=\"float\"/>\r\n"
                           "    <paid type=\"boolean\"/>\r\n"
                           "    <due type=\"date\"/>\r\n"
                           "    <stamp type=\"datetime\"/>\r\n"
                           "    <notes type=\"memo\"/>\r\n"
                           "    <code type=\"Integer\"/>\r\n"
                           "    <plain/>\r\n"
                           "  </fields>\r\n";

const std::string Row1 = "    <row>\r\n"
                         "      <name>abcdefgh</name>\r\n"
                         "      <qty>42</qty>\r\n"
                         "      <price>2.5</price>\r\n"
                         "      <paid>1</paid>\r\n"
                         "      <due>2007-02-28</due>\r\n"
                         "      <stamp>2007-02-28 13:45:10</stamp>\r\n"
                         "      <notes>first note</notes>\r\n"
                         "      <code>7</code>\r\n"
                         "      <plain>p1</plain>\r\n"
                         "    </row>\r\n";

const std::string Row2 = "    <row>\r\n"
                         "      <name>Bob</name>\r\n"
                         "      <qty>x12</qty>\r\n"
                         "      <price>abc</price>\r\n"
                         "      <paid>true</paid>\r\n"
                         "      <due>2007-02-30</due>\r\n"
                         "      <stamp>garbage</stamp>\r\n"
                         "      <code>Integer</code>\r\n"
                         "    </row>\r\n";

const std::string Row3 = "    <item>\r\n"
                         "      <name>Cy</name>\r\n"
                         "      <qty>-7</qty>\r\n"
                         "      <price>1e3</price>\r\n"
                         "      <paid>0</paid>\r\n"
                         "      <due>1999-12-31</due>\r\n"
                         "      <stamp>2000-01-01</stamp>\r\n"
                         "      <notes><![CDATA[<b>x</b>]]></notes>\r\n"
                         "    </item>\r\n";

std::string Table(const std::string &rows)
{
    return Declaration + "<table>\r\n" + Fields + "  <rows>\r\n" + rows + "  </rows>\r\n</table>";
}

TDateTime Date(int y, int m, int d)
{
    TDateTime value = 0;
    EXPECT_TRUE(TryEncodeDate(y, m, d, value));
    return value;
}

class XMLDataSetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = folder.File("table.xml");
        WriteFile(path, Table(Row1 + Row2 + Row3));
        dataSet.FormatSettings() = TFormatSettings{'.', ':'};
    }
    void OpenTable()
    {
        dataSet.SetXMLFile(path);
        dataSet.Open();
        ASSERT_TRUE(dataSet.Active());
    }
    TField &F(const char *name) { return *dataSet.FieldByName(name); }
    std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        for (dataSet.First(); !dataSet.Eof(); dataSet.Next())
            names.push_back(F("name").AsString());
        return names;
    }

    TempFolder folder;
    std::string path;
    TzelXMLDataSet2 dataSet;
};

TEST_F(XMLDataSetTest, FieldsComeFromTheFieldsElementWithTheirTypesAndSizes)
{
    OpenTable();
    ASSERT_EQ(dataSet.FieldCount(), 9);
    const std::vector<std::pair<TFieldType, int>> expected = {
        {TFieldType::ftString, 5},   {TFieldType::ftInteger, 0},  {TFieldType::ftFloat, 0},
        {TFieldType::ftBoolean, 0},  {TFieldType::ftDate, 0},     {TFieldType::ftDateTime, 0},
        {TFieldType::ftMemo, 0},     {TFieldType::ftString, 30},  {TFieldType::ftString, 30}};
    for (int i = 0; i < dataSet.FieldCount(); ++i) {
        EXPECT_EQ(dataSet.Fields(i)->DataType(), expected[i].first) << dataSet.Fields(i)->FieldName();
        EXPECT_EQ(dataSet.Fields(i)->Size(), expected[i].second) << dataSet.Fields(i)->FieldName();
    }
    EXPECT_EQ(dataSet.FieldNameList(), (std::vector<std::string>{"name", "qty", "price", "paid", "due", "stamp",
                                                                   "notes", "code", "plain"}));
}

TEST_F(XMLDataSetTest, BrowsesEveryRowElementWhateverItsName)
{
    OpenTable();
    EXPECT_EQ(dataSet.RecordCount(), 3);
    EXPECT_TRUE(dataSet.Bof());
    EXPECT_EQ(dataSet.RecNo(), 1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"abcde", "Bob", "Cy"}));
    EXPECT_TRUE(dataSet.Eof());
    EXPECT_EQ(dataSet.RecNo(), 3);

    dataSet.Prior();
    EXPECT_EQ(F("name").AsString(), "Bob");
    EXPECT_EQ(dataSet.MoveBy(-5), -1);
    EXPECT_TRUE(dataSet.Bof());
    EXPECT_EQ(dataSet.RecNo(), 1);
    dataSet.Last();
    EXPECT_TRUE(dataSet.Eof());
    EXPECT_EQ(F("name").AsString(), "Cy");
    EXPECT_EQ(dataSet.MoveBy(-2), -2);
    EXPECT_EQ(F("name").AsString(), "abcde");
}

TEST_F(XMLDataSetTest, TextsConvertByTypeAndFallBackWhenTheyDoNotConvert)
{
    OpenTable();
    // Row 1: every text converts; the string field of size 5 holds the first 5 characters.
    EXPECT_EQ(F("name").AsString(), "abcde");
    EXPECT_EQ(F("qty").AsInteger(), 42);
    EXPECT_DOUBLE_EQ(F("price").AsFloat(), 2.5);
    EXPECT_TRUE(F("paid").AsBoolean());
    EXPECT_EQ(F("due").AsDateTime(), Date(2007, 2, 28));
    TDateTime time = 0;
    ASSERT_TRUE(TryEncodeTime(13, 45, 10, 0, time));
    EXPECT_NEAR(F("stamp").AsDateTime(), Date(2007, 2, 28) + time, 1e-9);
    EXPECT_EQ(F("notes").AsString(), "first note");
    EXPECT_EQ(F("code").AsString(), "7"); // "Integer" is not "integer": a string field

    // Row 2: nothing converts; "true" is not "1"; 2007-02-30 is no date; missing children read empty.
    dataSet.Next();
    EXPECT_EQ(F("qty").AsInteger(), 0);
    EXPECT_EQ(F("price").AsFloat(), 0.0);
    EXPECT_FALSE(F("paid").AsBoolean());
    EXPECT_EQ(F("due").AsDateTime(), 0.0);
    EXPECT_EQ(F("due").AsString(), "1899-12-30");
    EXPECT_EQ(F("stamp").AsDateTime(), 0.0);
    EXPECT_EQ(F("notes").AsString(), "");
    EXPECT_EQ(F("plain").AsString(), "");
    EXPECT_EQ(F("code").AsString(), "Integer");

    // Row 3: negative integer, exponent, "0", a date-time without time, a CDATA memo.
    dataSet.Next();
    EXPECT_EQ(F("qty").AsInteger(), -7);
    EXPECT_DOUBLE_EQ(F("price").AsFloat(), 1000.0);
    EXPECT_FALSE(F("paid").AsBoolean());
    EXPECT_EQ(F("due").AsString(), "1999-12-31");
    EXPECT_EQ(F("stamp").AsDateTime(), Date(2000, 1, 1));
    EXPECT_EQ(F("notes").AsString(), "<b>x</b>");
}

TEST_F(XMLDataSetTest, NumbersAndTimesFollowTheLocaleButDatesNeverDo)
{
    WriteFile(path, Declaration + "<t>\r\n  <fields>\r\n    <f type=\"float\"/>\r\n    <d type=\"date\"/>\r\n"
                                  "    <s type=\"datetime\"/>\r\n  </fields>\r\n  <rows>\r\n"
                                  "    <row>\r\n      <f>2,5</f>\r\n      <d>2024-02-29</d>\r\n"
                                  "      <s>2024-02-29 7.30</s>\r\n    </row>\r\n"
                                  "    <row>\r\n      <f>2.5</f>\r\n      <d>29.02.2024</d>\r\n"
                                  "      <s>2024-02-29 7:30</s>\r\n    </row>\r\n  </rows>\r\n</t>");
    const std::string localeBefore = std::setlocale(LC_ALL, nullptr);
    dataSet.FormatSettings() = TFormatSettings{',', '.'};
    OpenTable();
    EXPECT_DOUBLE_EQ(F("f").AsFloat(), 2.5);
    EXPECT_EQ(F("d").AsDateTime(), Date(2024, 2, 29));
    EXPECT_NEAR(F("s").AsDateTime(), Date(2024, 2, 29) + 7.5 / 24, 1e-9);
    dataSet.Next();
    EXPECT_EQ(F("f").AsFloat(), 0.0);     // "." is not this locale's separator
    EXPECT_EQ(F("d").AsDateTime(), 0.0);  // only yyyy-mm-dd is a date
    EXPECT_EQ(F("s").AsDateTime(), 0.0);  // ":" is not this locale's time separator
    dataSet.Edit();
    F("f").SetAsFloat(3.25);
    dataSet.Post();
    dataSet.Close();
    // Parsing, also failed parsing, left the process's locale alone.
    EXPECT_EQ(std::setlocale(LC_ALL, nullptr), localeBefore);
    EXPECT_NE(ReadFile(path).find("<f>3,25</f>"), std::string::npos);
}

TEST_F(XMLDataSetTest, DateTimesTakeHoursMinutesSecondsAndMilliseconds)
{
    WriteFile(path, "<t><fields><s type=\"datetime\"/></fields><rows>"
                    "<r><s>2024-03-01  7:05</s></r><r><s>2024-03-01 07:05:09.5</s></r><r><s>2024-03-01 07:05:09.1234</s></r>"
                    "<r><s>2024-03-01 24:00</s></r><r><s>2024-03-01T07:05</s></r><r><s>1899-12-29 06:00</s></r></rows></t>");
    OpenTable();
    const TDateTime day = Date(2024, 3, 1);
    EXPECT_NEAR(F("s").AsDateTime(), day + (7 * 60 + 5) / 1440.0, 1e-9);
    dataSet.Next();
    EXPECT_NEAR(F("s").AsDateTime(), day + ((7 * 60 + 5) * 60 + 9.5) / 86400.0, 1e-9);
    for (int i = 0; i < 3; ++i) { // four fraction digits, hour 24, "T" instead of a blank
        dataSet.Next();
        EXPECT_EQ(F("s").AsDateTime(), 0.0);
    }
    dataSet.Next(); // before the zero date the time of day still counts forward from midnight
    EXPECT_EQ(F("s").AsString(), "1899-12-29 06:00:00");
}

TEST_F(XMLDataSetTest, PostWritesEveryFieldAsTextAndCreatesMissingChildrenAtTheEnd)
{
    OpenTable();
    dataSet.Edit();
    EXPECT_EQ(dataSet.State(), TDataSetState::dsEdit);
    F("name").SetAsString("Zed");
    F("qty").SetAsInteger(5);
    F("price").SetAsFloat(0.1);
    F("paid").SetAsBoolean(false);
    F("due").SetAsDateTime(Date(2020, 1, 2));
    F("stamp").SetAsDateTime(Date(2020, 1, 2) + 0.75); // the time of day is not written
    dataSet.Post();
    EXPECT_EQ(dataSet.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(F("name").AsString(), "Zed");
    EXPECT_EQ(F("stamp").AsDateTime(), Date(2020, 1, 2));

    dataSet.Next();
    dataSet.Edit();
    F("plain").SetAsString("new");
    F("paid").SetAsBoolean(true);
    dataSet.Post();
    dataSet.Close();

    const std::string row1 = "    <row>\r\n"
                             "      <name>Zed</name>\r\n"
                             "      <qty>5</qty>\r\n"
                             "      <price>0.1</price>\r\n"
                             "      <paid>0</paid>\r\n"
                             "      <due>2020-01-02</due>\r\n"
                             "      <stamp>2020-01-02</stamp>\r\n"
                             "      <notes>first note</notes>\r\n"
                             "      <code>7</code>\r\n"
                             "      <plain>p1</plain>\r\n"
                             "    </row>\r\n";
    const std::string row2 = "    <row>\r\n"
                             "      <name>Bob</name>\r\n"
                             "      <qty>0</qty>\r\n"
                             "      <price>0</price>\r\n"
                             "      <paid>1</paid>\r\n"
                             "      <due>1899-12-30</due>\r\n"
                             "      <stamp>1899-12-30</stamp>\r\n"
                             "      <code>Integer</code>\r\n"
                             "      <notes/>\r\n"
                             "      <plain>new</plain>\r\n"
                             "    </row>\r\n";
    EXPECT_EQ(ReadFile(path), Table(row1 + row2 + Row3));
    EXPECT_EQ(dataSet.XMLFile(), "");
}

TEST_F(XMLDataSetTest, CancelDropsTheChangesOfTheRecordBuffer)
{
    OpenTable();
    dataSet.Next();
    dataSet.Edit();
    F("name").SetAsString("Xx");
    EXPECT_TRUE(dataSet.Modified());
    dataSet.Cancel();
    EXPECT_EQ(F("name").AsString(), "Bob");
    EXPECT_EQ(dataSet.RecNo(), 2);
    EXPECT_EQ(ErrorOf([&] { F("name").SetAsString("no"); }), "Dataset not in edit or insert mode");
    dataSet.Close();
    EXPECT_EQ(ReadFile(path), Table(Row1 + Row2 + Row3));
}

TEST_F(XMLDataSetTest, InsertAndAppendAddRowsNamedRowAtTheEndAndStandOnThem)
{
    OpenTable();
    dataSet.Next(); // on Bob: an insert still goes to the end of the file
    dataSet.Insert();
    EXPECT_EQ(dataSet.State(), TDataSetState::dsInsert);
    F("name").SetAsString("Ins");
    F("qty").SetAsInteger(1);
    dataSet.Post();
    EXPECT_EQ(dataSet.RecordCount(), 4);
    EXPECT_EQ(dataSet.RecNo(), 4);
    EXPECT_EQ(F("name").AsString(), "Ins");

    dataSet.First();
    dataSet.Append();
    F("name").SetAsString("App");
    dataSet.Post();
    EXPECT_EQ(dataSet.RecNo(), 5);
    EXPECT_EQ(F("name").AsString(), "App");

    dataSet.AppendRecord({TzelVariant("Rec"), TzelVariant(9)});
    EXPECT_EQ(F("name").AsString(), "Rec");
    EXPECT_EQ(F("qty").AsInteger(), 9);
    EXPECT_EQ(Names(), (std::vector<std::string>{"abcde", "Bob", "Cy", "Ins", "App", "Rec"}));

    // A cancelled insert leaves no row and returns to where the cursor was.
    dataSet.SetRecNo(2);
    dataSet.Insert();
    F("name").SetAsString("Gone");
    dataSet.Cancel();
    EXPECT_EQ(dataSet.RecordCount(), 6);
    EXPECT_EQ(F("name").AsString(), "Bob");
    dataSet.Close();

    const std::string file = ReadFile(path);
    const std::string newRow = "    <row>\r\n"
                               "      <name>Ins</name>\r\n"
                               "      <qty>1</qty>\r\n"
                               "      <price>0</price>\r\n"
                               "      <paid>0</paid>\r\n"
                               "      <due>1899-12-30</due>\r\n"
                               "      <stamp>1899-12-30</stamp>\r\n"
                               "      <notes/>\r\n"
                               "      <code/>\r\n"
                               "      <plain/>\r\n"
                               "    </row>\r\n";
    EXPECT_EQ(file.find(Row1 + Row2 + Row3 + newRow), file.find("    <row>"));
    EXPECT_EQ(file.find("Gone"), std::string::npos);
}

TEST_F(XMLDataSetTest, DeleteRemovesTheRowAndMovesToTheNextOrTheNewLast)
{
    OpenTable();
    dataSet.Next();
    dataSet.Delete();
    EXPECT_EQ(dataSet.RecordCount(), 2);
    EXPECT_EQ(F("name").AsString(), "Cy");
    dataSet.Delete(); // the last one: the cursor falls back to the new last record
    EXPECT_EQ(F("name").AsString(), "abcde");
    dataSet.Delete();
    EXPECT_TRUE(dataSet.IsEmpty());
    EXPECT_TRUE(dataSet.Eof());
    EXPECT_EQ(ErrorOf([&] { dataSet.Delete(); }), "Cannot perform this operation on an empty dataset");
    dataSet.Close();
    EXPECT_EQ(ReadFile(path), Declaration + "<table>\r\n" + Fields + "  <rows/>\r\n</table>");
}

TEST_F(XMLDataSetTest, BookmarksReturnToTheirRecord)
{
    OpenTable();
    dataSet.Next();
    const TBookmark bookmark = dataSet.GetBookmark();
    ASSERT_EQ(bookmark.size(), 4u);
    dataSet.Last();
    dataSet.GotoBookmark(bookmark);
    EXPECT_EQ(F("name").AsString(), "Bob");
    EXPECT_EQ(dataSet.RecNo(), 2);

    dataSet.Last();
    const TBookmark last = dataSet.GetBookmark();
    dataSet.Delete();
    EXPECT_EQ(ErrorOf([&] { dataSet.GotoBookmark(last); }), "No Records");
}

TEST_F(XMLDataSetTest, FilterShowsOnlyAcceptedRecords)
{
    OpenTable();
    dataSet.Last();
    std::string rejected = "Bob";
    dataSet.OnFilterRecord = [&](TDataSet &ds, bool &accept) {
        EXPECT_EQ(ds.State(), TDataSetState::dsFilter);
        accept = ds.FieldByName("name")->AsString() != rejected;
    };
    dataSet.SetFiltered(true); // moves to the first accepted record
    EXPECT_EQ(F("name").AsString(), "abcde");
    EXPECT_EQ(Names(), (std::vector<std::string>{"abcde", "Cy"}));
    dataSet.Prior();
    EXPECT_EQ(F("name").AsString(), "abcde");

    // Record 2 does not pass: setting it lands on the next one that does.
    dataSet.SetRecNo(2);
    EXPECT_EQ(F("name").AsString(), "Cy");

    // The current record stops passing: re-reading it must end, not step on it for ever.
    rejected = "Cy";
    dataSet.Refresh();
    EXPECT_EQ(F("name").AsString(), "Bob");

    dataSet.OnFilterRecord = [](TDataSet &, bool &accept) { accept = false; };
    dataSet.Refresh();
    EXPECT_TRUE(dataSet.IsEmpty());
    dataSet.Last(); // searched back to before the first record
    EXPECT_EQ(dataSet.RecNo(), 1);
    dataSet.SetFiltered(false);
    EXPECT_EQ(Names().size(), 3u);
}

TEST_F(XMLDataSetTest, CalculatedFieldsAreComputedForEveryRecordAndAfterEachChange)
{
    auto total = std::make_unique<TFloatField>();
    total->SetFieldName("total");
    total->SetFieldKind(TFieldKind::fkCalculated);
    dataSet.AddField(std::move(total));
    dataSet.OnCalcFields = [](TDataSet &ds) {
        EXPECT_EQ(ds.State(), TDataSetState::dsCalcFields);
        ds.FieldByName("total")->SetAsFloat(ds.FieldByName("qty")->AsInteger() * ds.FieldByName("price")->AsFloat());
    };
    OpenTable();
    EXPECT_EQ(dataSet.FieldCount(), 10);
    EXPECT_DOUBLE_EQ(F("total").AsFloat(), 105.0);
    dataSet.Last();
    EXPECT_DOUBLE_EQ(F("total").AsFloat(), -7000.0);
    dataSet.Edit();
    F("qty").SetAsInteger(2);
    EXPECT_DOUBLE_EQ(F("total").AsFloat(), 2000.0);
    dataSet.Post();
    dataSet.Close();
    EXPECT_EQ(ReadFile(path).find("total"), std::string::npos);

    // The calculated field stays with the dataset for the next table.
    dataSet.SetXMLFile(path);
    dataSet.Open();
    EXPECT_DOUBLE_EQ(F("total").AsFloat(), 105.0);
}

TEST_F(XMLDataSetTest, FieldObjectsGivenBeforeOpenAreUsedAndMustNameAColumn)
{
    // The application's own field object for "name" replaces the default one, with its own size.
    auto name = std::make_unique<TStringField>(2);
    name->SetFieldName("name");
    TField *given = name.get();
    dataSet.AddField(std::move(name));
    OpenTable();
    EXPECT_EQ(&F("name"), given);
    EXPECT_EQ(dataSet.FieldCount(), 9);
    EXPECT_EQ(F("name").AsString(), "ab");
    dataSet.Close();
    EXPECT_EQ(dataSet.FieldCount(), 1); // the default fields went with the close

    auto missing = std::make_unique<TIntegerField>();
    missing->SetFieldName("missing");
    dataSet.AddField(std::move(missing));
    dataSet.SetXMLFile(path);
    EXPECT_EQ(ErrorOf([&] { dataSet.Open(); }), "Field 'missing' not found");
    EXPECT_FALSE(dataSet.Active());
    EXPECT_EQ(dataSet.FieldCount(), 2);
}

TEST_F(XMLDataSetTest, MemoGoesThroughBlobStreamsIntoTheBufferAndOnPostIntoTheFile)
{
    OpenTable();
    TField *notes = &F("notes");
    {
        auto stream = dataSet.CreateBlobStream(notes, TBlobStreamMode::bmRead);
        EXPECT_EQ(LoadStringFromStream(*stream), "first note");
    }
    EXPECT_EQ(ErrorOf([&] { dataSet.CreateBlobStream(notes, TBlobStreamMode::bmWrite); }),
              "Dataset not in edit or insert mode");

    dataSet.Edit();
    {
        auto stream = dataSet.CreateBlobStream(notes, TBlobStreamMode::bmReadWrite);
        stream->Seek(0, TSeekOrigin::soEnd);
        SaveStringToStream(", more", *stream);
    }
    EXPECT_EQ(notes->AsString(), "first note, more"); // in the buffer ...
    dataSet.Cancel();
    EXPECT_EQ(notes->AsString(), "first note"); // ... and not yet in the source

    dataSet.Edit();
    {
        // Opened for writing but never written: the buffer keeps its content.
        auto stream = dataSet.CreateBlobStream(notes, TBlobStreamMode::bmWrite);
        EXPECT_EQ(stream->Size(), 0);
    }
    EXPECT_EQ(notes->AsString(), "first note");
    EXPECT_FALSE(dataSet.Modified());
    {
        // Cutting the stream is a write.
        auto stream = dataSet.CreateBlobStream(notes, TBlobStreamMode::bmReadWrite);
        stream->SetSize(5);
    }
    EXPECT_EQ(notes->AsString(), "first");
    EXPECT_TRUE(dataSet.Modified());
    {
        auto stream = dataSet.CreateBlobStream(notes, TBlobStreamMode::bmWrite);
        SaveStringToStream("a <new> text", *stream);
    }
    dataSet.Post();
    EXPECT_EQ(notes->AsString(), "a <new> text");
    dataSet.Last();
    dataSet.Edit();
    notes->SetAsString(""); // writing no bytes is a write: the memo becomes empty
    dataSet.Post();
    EXPECT_EQ(notes->AsString(), "");
    dataSet.Close();
    const std::string file = ReadFile(path);
    EXPECT_NE(file.find("<notes><![CDATA[a <new> text]]></notes>"), std::string::npos);
    EXPECT_EQ(file.find("<b>x</b>"), std::string::npos);
}

TEST_F(XMLDataSetTest, CloseRewritesTheFileInTheWritersLayoutEvenUnchangedAndReadOnly)
{
    WriteFile(path, "<t><fields><a type=\"integer\"/></fields>\n<rows><r><a> 1 </a></r></rows></t>\n");
    dataSet.SetReadOnly(true);
    OpenTable();
    EXPECT_FALSE(dataSet.CanModify());
    EXPECT_EQ(ErrorOf([&] { dataSet.Edit(); }), "Cannot modify a read-only dataset");
    EXPECT_EQ(ErrorOf([&] { dataSet.Append(); }), "Cannot modify a read-only dataset");
    dataSet.Close();
    EXPECT_EQ(ReadFile(path), Declaration + "<t>\r\n  <fields>\r\n    <a type=\"integer\"/>\r\n  </fields>\r\n"
                                            "  <rows>\r\n    <r>\r\n      <a>1</a>\r\n    </r>\r\n  </rows>\r\n</t>");
    // XMLFile is empty now: opening again does nothing until it is set.
    EXPECT_EQ(dataSet.XMLFile(), "");
    dataSet.Open();
    EXPECT_FALSE(dataSet.Active());
}

TEST_F(XMLDataSetTest, DestroyingAnOpenDatasetClosesAndWritesIt)
{
    {
        TzelXMLDataSet2 owned;
        owned.SetXMLFile(path);
        owned.Open();
        owned.Edit();
        owned.FieldByName("plain")->SetAsString("kept");
        owned.Post();
    }
    EXPECT_NE(ReadFile(path).find("<plain>kept</plain>"), std::string::npos);
}

TEST_F(XMLDataSetTest, XMLFileIsRefusedWhileActiveOrWhenNoSuchFileExists)
{
    OpenTable();
    const std::string other = folder.File("other.xml");
    WriteFile(other, Table(""));
    EXPECT_EQ(ErrorOf([&] { dataSet.SetXMLFile(other); }), "Cannot change XMLFile of an active dataset");
    EXPECT_EQ(dataSet.XMLFile(), path);
    EXPECT_EQ(dataSet.RecordCount(), 3);
    dataSet.Close();

    dataSet.SetXMLFile(other);
    EXPECT_EQ(ErrorOf([&] { dataSet.SetXMLFile(folder.File("missing.xml")); }), "Invalid XMLFile path.");
    EXPECT_EQ(ErrorOf([&] { dataSet.SetXMLFile(folder.File("")); }), "Invalid XMLFile path."); // a folder
    EXPECT_EQ(dataSet.XMLFile(), other);
    dataSet.Open();
    EXPECT_TRUE(dataSet.IsEmpty());
    dataSet.Close();

    // An empty name detaches the dataset from any file: nothing to open, nothing raised.
    dataSet.SetXMLFile(other);
    dataSet.SetXMLFile("");
    EXPECT_EQ(dataSet.XMLFile(), "");
    dataSet.Open();
    EXPECT_FALSE(dataSet.Active());
}

TEST_F(XMLDataSetTest, WithoutFieldsTheDatasetStaysClosedAndTheFileUntouched)
{
    const std::string text = "<t><rows><r/></rows></t>";
    WriteFile(path, text);
    dataSet.SetXMLFile(path);
    dataSet.Open();
    EXPECT_FALSE(dataSet.Active());
    EXPECT_EQ(ReadFile(path), text);
}

TEST_F(XMLDataSetTest, TwoFieldsOfOneNameAreRefusedAndTheFileIsLeftAlone)
{
    // Both would be written to the same child element, the second undoing the first.
    const std::string text = "<t><fields><a/><n type=\"integer\"/><a/></fields><rows><row><a>x</a></row></rows></t>";
    WriteFile(path, text);
    dataSet.SetXMLFile(path);
    EXPECT_EQ(ErrorOf([&] { dataSet.Open(); }), "Duplicate field name 'a'");
    EXPECT_FALSE(dataSet.Active());
    EXPECT_EQ(dataSet.FieldCount(), 0);
    dataSet.Close();
    EXPECT_EQ(ReadFile(path), text);
}

TEST_F(XMLDataSetTest, FieldsWithoutRowsOpenAsAnEmptyTableThatRowsCanBeAddedTo)
{
    WriteFile(path, "<t><fields><a/></fields></t>");
    OpenTable();
    EXPECT_EQ(dataSet.RecordCount(), 0);
    EXPECT_TRUE(dataSet.IsEmpty());
    EXPECT_TRUE(dataSet.Eof());
    EXPECT_EQ(dataSet.RecNo(), 0);
    dataSet.Last();
    dataSet.SetRecNo(1);
    EXPECT_TRUE(F("a").IsNull());
    dataSet.Append();
    F("a").SetAsString("x");
    dataSet.Post();
    EXPECT_EQ(dataSet.RecordCount(), 1);
    dataSet.Close();
    EXPECT_EQ(ReadFile(path), Declaration + "<t>\r\n  <fields>\r\n    <a/>\r\n  </fields>\r\n"
                                            "  <rows>\r\n    <row>\r\n      <a>x</a>\r\n    </row>\r\n  </rows>\r\n</t>");
}

TEST_F(XMLDataSetTest, NewRecordsLeftWithoutPostingAndEditingAnEmptyTable)
{
    WriteFile(path, "<t><fields><a/></fields><rows><row><a>x</a></row><row><a>y</a></row></rows></t>");
    EXPECT_EQ(ErrorOf([&] { dataSet.Next(); }), "Cannot perform this operation on a closed dataset");
    OpenTable();
    EXPECT_EQ(ErrorOf([&] { dataSet.SetBufferCount(4); }), "Cannot perform this operation on an open dataset");
    EXPECT_EQ(ErrorOf([&] { dataSet.FieldByName("b"); }), "Field 'b' not found");

    dataSet.Append();
    EXPECT_EQ(dataSet.RecNo(), 3); // a new record stands after the last
    dataSet.Cancel();
    EXPECT_EQ(F("a").AsString(), "y");
    dataSet.First();
    dataSet.Insert();
    F("a").SetAsString("never");
    dataSet.Delete(); // deleting a new record only drops it
    EXPECT_EQ(dataSet.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(F("a").AsString(), "x");
    dataSet.Delete();
    dataSet.Delete();
    EXPECT_TRUE(dataSet.IsEmpty());

    dataSet.Edit(); // nothing to edit: a new record instead
    EXPECT_EQ(dataSet.State(), TDataSetState::dsInsert);
    EXPECT_EQ(dataSet.RecNo(), 0); // before the first of no records
    F("a").SetAsString("z");
    dataSet.Post();
    dataSet.Close();
    EXPECT_EQ(ReadFile(path), Declaration + "<t>\r\n  <fields>\r\n    <a/>\r\n  </fields>\r\n"
                                            "  <rows>\r\n    <row>\r\n      <a>z</a>\r\n    </row>\r\n  </rows>\r\n</t>");
}

TEST_F(XMLDataSetTest, AnIncompletelyReadFileIsReportedBrowsableAndNeverWrittenBack)
{
    const std::string truncated = Declaration + "<table>\r\n" + Fields + "  <rows>\r\n" + Row1 + "    <row>\r\n      <name>B";
    WriteFile(path, truncated);
    const std::string message = ErrorOf([&] { dataSet.SetXMLFile(path); });
    EXPECT_NE(message, "(no database error)");
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(dataSet.XMLFile(), path);
    dataSet.Open();
    ASSERT_TRUE(dataSet.Active());
    EXPECT_EQ(F("name").AsString(), "abcde");
    EXPECT_FALSE(dataSet.CanModify());
    EXPECT_EQ(ErrorOf([&] { dataSet.Edit(); }), "Cannot modify a read-only dataset");
    dataSet.Close();
    EXPECT_EQ(ReadFile(path), truncated);
}

TEST_F(XMLDataSetTest, RecNoSelectsRecordsWithinRange)
{
    OpenTable();
    dataSet.SetRecNo(3); // the record count: the last record
    EXPECT_EQ(F("name").AsString(), "Cy");
    dataSet.SetRecNo(0);
    dataSet.SetRecNo(4);
    EXPECT_EQ(dataSet.RecNo(), 3);
    dataSet.SetRecNo(2);
    EXPECT_EQ(F("name").AsString(), "Bob");
    dataSet.MoveBy(-1);
    dataSet.MoveBy(-1); // against the beginning
    EXPECT_TRUE(dataSet.Bof());
    EXPECT_EQ(dataSet.RecNo(), 1);
}

TEST_F(XMLDataSetTest, ARingOfSeveralBuffersKeepsRecordsInOrder)
{
    std::string rows;
    for (int i = 0; i < 10; ++i)
        rows += "    <row>\r\n      <name>n" + std::to_string(i) + "</name>\r\n    </row>\r\n";
    WriteFile(path, Table(rows));
    dataSet.SetBufferCount(3);
    OpenTable();
    std::vector<std::string> forward = Names(), backward;
    for (dataSet.Last(); !dataSet.Bof(); dataSet.Prior())
        backward.insert(backward.begin(), F("name").AsString());
    ASSERT_EQ(forward.size(), 10u);
    EXPECT_EQ(forward, backward);
    dataSet.First();
    EXPECT_EQ(dataSet.MoveBy(4), 4);
    EXPECT_EQ(F("name").AsString(), "n4");
    EXPECT_EQ(dataSet.RecNo(), 5);
    const TBookmark bookmark = dataSet.GetBookmark();
    dataSet.MoveBy(-3);
    EXPECT_EQ(F("name").AsString(), "n1");
    dataSet.GotoBookmark(bookmark);
    EXPECT_EQ(F("name").AsString(), "n4");
    dataSet.Edit();
    F("name").SetAsString("four");
    dataSet.Next(); // leaving the record posts it
    EXPECT_EQ(F("name").AsString(), "n5");
    dataSet.Prior();
    EXPECT_EQ(F("name").AsString(), "four");
    dataSet.Insert();
    dataSet.Cancel();
    EXPECT_EQ(F("name").AsString(), "four");
    dataSet.Next();
    dataSet.Delete();
    EXPECT_EQ(F("name").AsString(), "n6");
    dataSet.Prior();
    EXPECT_EQ(F("name").AsString(), "four");
}

TEST_F(XMLDataSetTest, CalculatedFieldsAndFiltersReadTheRecordNumberOfTheRecordBeingFetched)
{
    std::string rows;
    for (int i = 0; i < 6; ++i)
        rows += "    <row>\r\n      <name>n" + std::to_string(i) + "</name>\r\n    </row>\r\n";
    WriteFile(path, Table(rows));
    auto number = std::make_unique<TIntegerField>();
    number->SetFieldName("no");
    number->SetFieldKind(TFieldKind::fkCalculated);
    dataSet.AddField(std::move(number));
    dataSet.OnCalcFields = [](TDataSet &ds) { ds.FieldByName("no")->SetAsInteger(ds.RecNo()); };
    dataSet.OnFilterRecord = [](TDataSet &ds, bool &accept) { accept = ds.RecNo() != 3; };
    dataSet.SetFiltered(true);
    dataSet.SetBufferCount(3); // fetches run while the active record is another one
    OpenTable();
    std::vector<std::string> seen;
    for (dataSet.First(); !dataSet.Eof(); dataSet.Next())
        seen.push_back(F("name").AsString() + "#" + F("no").AsString());
    EXPECT_EQ(seen, (std::vector<std::string>{"n0#1", "n1#2", "n3#4", "n4#5", "n5#6"}));
    dataSet.Last();
    dataSet.Prior();
    EXPECT_EQ(F("no").AsInteger(), 5);
    EXPECT_EQ(dataSet.RecNo(), 5);
}

TEST_F(XMLDataSetTest, ATooWideRecordIsRefusedInsteadOfOverrunningItsBuffer)
{
    WriteFile(path, "<t><fields><a size=\"70000\"/></fields><rows><row><a>x</a></row></rows></t>");
    dataSet.SetXMLFile(path);
    EXPECT_NE(ErrorOf([&] { dataSet.Open(); }).find("Record size too large"), std::string::npos);
    EXPECT_FALSE(dataSet.Active());
    EXPECT_EQ(dataSet.FieldCount(), 0);

    // Sizes at the top of the integer range must not wrap the record size round to a small one.
    WriteFile(path, "<t><fields><a size=\"2147483647\"/><b size=\"2147483647\"/><c size=\"3\"/></fields>"
                    "<rows><row><c>xyz</c></row></rows></t>");
    dataSet.SetXMLFile(path);
    EXPECT_EQ(ErrorOf([&] { dataSet.Open(); }), "Record size too large (4294967313 bytes, at most 65535)");
    EXPECT_FALSE(dataSet.Active());
}

} // namespace
