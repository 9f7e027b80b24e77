// TZKBaseDataset over an in-memory record source: the field types the XML table does not
// use, the buffer layout rules, bookmarks switched off, and filters that go wrong.
#include "BaseDataset.h"

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ApplicationError.h"
#include "BlobField.h"
#include "TypedFields.h"
#include "DatabaseError.h"
#include "TableFiles.h"
#include "zelStream.h"
#include "zelStrings.h"

namespace {

struct Column {
    std::string name;
    TFieldType type;
    int size = 0;
};
using Row = std::map<std::string, TzelVariant>;

// A record source over a vector of rows; every hook call is logged.
class TMemoryTable : public TZKBaseDataset {
public:
    std::vector<Column> columns;
    std::vector<Row> rows;
    int bookmarkLength = 4;
    int failingFrom = -1; // stepping to this index or beyond gives the error result
    bool useBaseCanModify = false;
    int released = 0;
    std::vector<std::string> log;

    ~TMemoryTable() override { Close(); }
    int RecordCount() override { return static_cast<int>(rows.size()); }
    using TZKBaseDataset::GetRecordSize;

protected:
    bool GetCanModify() override { return useBaseCanModify ? TZKBaseDataset::GetCanModify() : true; }
    bool OpenSource() override
    {
        index_ = -1;
        return !columns.empty();
    }
    void CloseSource() override { FieldDefs().Clear(); }
    void DeleteSourceRecord() override { rows.erase(rows.begin() + index_); }
    void DefineFields() override
    {
        for (const Column &column : columns)
            FieldDefs().Add(column.name, column.type, column.size);
    }
    void ReadFieldValue(TField &field, TzelVariant &value) override { value = rows.at(index_)[field.FieldName()]; }
    void WriteFieldValue(TField &field, const TzelVariant &value) override { rows.at(target_)[field.FieldName()] = value; }
    void ReadBlob(TField &field, TStream &stream) override
    {
        SaveStringToStream(rows.at(index_)[field.FieldName()].AsString(), stream);
    }
    void WriteBlob(TField &field, TStream &stream) override
    {
        rows.at(target_)[field.FieldName()] = LoadStringFromStream(stream);
    }
    void BeforeRead() override { log.push_back("BeforeRead"); }
    void AfterRead() override { log.push_back("AfterRead"); }
    void BeforeWrite(bool inserting) override
    {
        log.push_back(inserting ? "BeforeWrite(insert)" : "BeforeWrite");
        if (inserting) {
            rows.emplace_back();
            target_ = static_cast<int>(rows.size()) - 1;
        } else {
            target_ = index_;
        }
    }
    void AfterWrite(bool inserting) override
    {
        log.push_back(inserting ? "AfterWrite(insert)" : "AfterWrite");
        if (inserting)
            index_ = target_;
    }
    int32_t CurrentRecordId() override { return index_; }
    void ReleaseRecordId(int32_t) override { ++released; }
    void MoveToRecordId(int32_t id) override { index_ = id; }
    int BookmarkLength() override { return bookmarkLength; }
    void MoveToBookmark(const void *bookmark) override { std::memcpy(&index_, bookmark, 4); }
    void RecordIdToBookmark(int32_t id, void *bookmark) override { std::memcpy(bookmark, &id, 4); }
    void MoveBeforeFirst() override { index_ = -1; }
    void MoveAfterLast() override { index_ = RecordCount(); }
    TGetResult StepCursor(TGetMode mode) override
    {
        const int n = RecordCount();
        if (n == 0)
            return TGetResult::grEOF;
        switch (mode) {
        case TGetMode::gmCurrent:
            return index_ < 0 || index_ >= n ? TGetResult::grError : TGetResult::grOK;
        case TGetMode::gmNext:
            if (failingFrom >= 0 && index_ + 1 >= failingFrom)
                return TGetResult::grError; // a source that cannot get past this point
            if (index_ >= n - 1)
                return TGetResult::grEOF;
            ++index_;
            return TGetResult::grOK;
        case TGetMode::gmPrior:
            if (index_ < 1) {
                index_ = -1;
                return TGetResult::grBOF;
            }
            --index_;
            return TGetResult::grOK;
        }
        return TGetResult::grOK;
    }

private:
    int32_t index_ = -1;
    int target_ = -1;
};

TEST(BaseDatasetTest, TypesOutsideTheXmlTableRoundTripThroughBufferAndSource)
{
    TMemoryTable table;
    table.columns = {{"s", TFieldType::ftSmallint}, {"c", TFieldType::ftCurrency}, {"b", TFieldType::ftBCD},
                     {"t", TFieldType::ftTime},     {"g", TFieldType::ftGraphic},  {"d", TFieldType::ftDateTime}};
    const std::string picture("\x89PNG\0\x01", 6);
    table.rows = {{{"s", 12}, {"c", 1.25}, {"b", 2.5}, {"t", 43200000}, {"g", picture}, {"d", 40000.25}}};
    table.Open();
    EXPECT_EQ(table.FieldByName("s")->AsInteger(), 12);
    EXPECT_EQ(table.FieldByName("c")->AsFloat(), 1.25);
    EXPECT_EQ(table.FieldByName("b")->AsFloat(), 2.5);
    EXPECT_EQ(table.FieldByName("t")->AsDateTime(), 0.5);
    EXPECT_EQ(table.FieldByName("t")->AsString(), "12:00:00");
    EXPECT_EQ(table.FieldByName("g")->AsString(), picture);
    EXPECT_EQ(table.FieldByName("d")->AsDateTime(), 40000.25);

    table.Edit();
    EXPECT_EQ(ErrorOf([&] { table.FieldByName("s")->SetAsInteger(40000); }),
              "40000 is not a valid value for field 's'. The allowed range is -32768 to 32767");
    table.FieldByName("s")->SetAsInteger(-3);
    table.FieldByName("c")->SetAsString("9.75");
    table.FieldByName("t")->SetAsDateTime(0.25);
    table.FieldByName("g")->SetAsString(std::string("\0\0", 2));
    table.Post();
    const Row &row = table.rows[0];
    EXPECT_EQ(row.at("s"), TzelVariant(-3));
    EXPECT_EQ(row.at("c"), TzelVariant(9.75));
    EXPECT_EQ(row.at("b"), TzelVariant(2.5));
    EXPECT_EQ(row.at("t"), TzelVariant(21600000));
    EXPECT_EQ(row.at("g"), TzelVariant(std::string("\0\0", 2)));
    EXPECT_EQ(row.at("d"), TzelVariant(40000.25));
    EXPECT_EQ(table.log, (std::vector<std::string>{"BeforeRead", "AfterRead", "BeforeWrite", "AfterWrite",
                                                    "BeforeRead", "AfterRead"}));
}

TEST(BaseDatasetTest, SourceValuesOfAnyKindBecomeSlotValuesAndTypedAccessConverts)
{
    TMemoryTable table;
    table.columns = {{"i", TFieldType::ftInteger}, {"b", TFieldType::ftBoolean}, {"f", TFieldType::ftFloat},
                     {"dt", TFieldType::ftDateTime}};
    table.rows = {{{"i", "42"}, {"b", "true"}, {"f", "2.5"}, {"dt", 40000}},
                  {{"i", true}, {"b", 2}, {"f", true}, {"dt", "x"}},
                  {{"i", 3.6}, {"b", 0.0}, {"f", 7}}};
    table.Open();
    EXPECT_EQ(table.CalcAreaOffset(), 4 + 2 + 8 + 8 + 4 + static_cast<int>(sizeof(char *)) + 1);
    EXPECT_EQ(table.FieldByName("i")->AsString(), "42");
    EXPECT_EQ(table.FieldByName("b")->AsString(), "True");
    EXPECT_EQ(table.FieldByName("b")->AsInteger(), 1);
    EXPECT_EQ(table.FieldByName("f")->AsString(), "2.5");
    EXPECT_EQ(table.FieldByName("i")->AsFloat(), 42.0);
    EXPECT_EQ(table.FieldByName("dt")->AsString(), "2009-07-06 00:00:00");
    table.Next();
    EXPECT_EQ(table.FieldByName("i")->AsInteger(), 1);
    EXPECT_TRUE(table.FieldByName("b")->AsBoolean());
    EXPECT_EQ(table.FieldByName("f")->AsFloat(), 1.0);
    EXPECT_EQ(table.FieldByName("dt")->AsDateTime(), 0.0); // not a number: the zero date
    table.Next();
    EXPECT_EQ(table.FieldByName("i")->AsInteger(), 4);
    EXPECT_EQ(table.FieldByName("b")->AsString(), "False");
    EXPECT_EQ(table.FieldByName("f")->AsInteger(), 7);
    EXPECT_EQ(table.FieldByName("dt")->AsFloat(), 0.0); // no value at all

    table.Edit();
    table.FieldByName("i")->SetAsString("+17");
    EXPECT_EQ(ErrorOf([&] { table.FieldByName("i")->SetAsString("17x"); }), "'17x' is not a valid integer value");
    EXPECT_NE(ErrorOf([&] { table.FieldByName("i")->SetAsFloat(1e10); }).find("is not a valid integer value"),
              std::string::npos);
    table.FieldByName("b")->SetAsString("true");
    EXPECT_EQ(ErrorOf([&] { table.FieldByName("b")->SetAsString("yes"); }), "'yes' is not a valid boolean value");
    EXPECT_EQ(ErrorOf([&] { table.FieldByName("f")->SetAsString("1,5"); }), "'1,5' is not a valid floating point value");
    table.FieldByName("f")->SetAsInteger(3);
    table.FieldByName("dt")->SetAsFloat(40000.75);
    table.Post();
    EXPECT_EQ(table.rows[2].at("i"), TzelVariant(17));
    EXPECT_EQ(table.rows[2].at("b"), TzelVariant(true));
    EXPECT_EQ(table.rows[2].at("f"), TzelVariant(3.0));
    EXPECT_EQ(table.FieldByName("dt")->AsString(), "2009-07-06 18:00:00");

    // Whole records take each value by its kind.
    table.AppendRecord({TzelVariant(5), TzelVariant(false), TzelVariant(0.5), TzelVariant(1.5)});
    EXPECT_EQ(table.rows[3].at("i"), TzelVariant(5));
    EXPECT_EQ(table.rows[3].at("b"), TzelVariant(false));
    EXPECT_EQ(table.rows[3].at("f"), TzelVariant(0.5));
    EXPECT_EQ(table.FieldByName("dt")->AsString(), "1899-12-31 12:00:00");
    table.Edit();
    table.FieldByName("b")->SetAsInteger(9);
    table.FieldByName("i")->SetAsFloat(2.4);
    table.Post();
    EXPECT_EQ(table.rows[3].at("b"), TzelVariant(true));
    EXPECT_EQ(table.rows[3].at("i"), TzelVariant(2));
}

TEST(BaseDatasetTest, AStringFieldHoldsAtMostItsSize)
{
    TMemoryTable table;
    table.columns = {{"s", TFieldType::ftString, 5}};
    table.rows = {{{"s", "abcdefgh"}}, {{"s", 123}}};
    table.Open();
    EXPECT_EQ(table.FieldByName("s")->AsString(), "abcde");
    table.Edit();
    table.FieldByName("s")->SetAsString("123456789");
    table.Post();
    EXPECT_EQ(table.rows[0].at("s"), TzelVariant("12345"));
    table.Next();
    EXPECT_EQ(table.FieldByName("s")->AsString(), "123"); // any value kind becomes text
}

TEST(BaseDatasetTest, WithoutABookmarkLengthThereAreNoBookmarks)
{
    TMemoryTable table;
    table.bookmarkLength = 0;
    table.columns = {{"i", TFieldType::ftInteger}};
    table.rows = {{{"i", 1}}, {{"i", 2}}};
    table.Open();
    table.Next();
    EXPECT_TRUE(table.GetBookmark().empty());
    table.GotoBookmark(TBookmark());
    EXPECT_EQ(table.FieldByName("i")->AsInteger(), 2);
    EXPECT_EQ(ErrorOf([&] { table.GotoBookmark("abcd"); }), "Invalid bookmark");
}

TEST(BaseDatasetTest, UnsupportedTypesTakeNoRoomAndHoldNoValue)
{
    TMemoryTable plain, withBytes;
    plain.columns = {{"s", TFieldType::ftString, 3}, {"i", TFieldType::ftInteger}};
    withBytes.columns = {{"s", TFieldType::ftString, 3}, {"x", TFieldType::ftBytes}, {"i", TFieldType::ftInteger}};
    plain.rows = withBytes.rows = {{{"s", "abc"}, {"x", "zz"}, {"i", 7}}};
    plain.Open();
    withBytes.Open();
    EXPECT_EQ(withBytes.GetRecordSize(), plain.GetRecordSize());
    EXPECT_EQ(withBytes.FieldByName("i")->AsInteger(), 7);
    EXPECT_TRUE(withBytes.FieldByName("x")->IsNull());
    EXPECT_EQ(ErrorOf([&] { withBytes.FieldByName("x")->AsString(); }), "Cannot access field 'x' as type String");
}

TEST(BaseDatasetTest, TheBaseClassIsReadOnlyAndADecliningSourceLeavesItClosed)
{
    TMemoryTable table;
    table.useBaseCanModify = true;
    table.columns = {{"i", TFieldType::ftInteger}};
    table.rows = {{{"i", 1}}};
    table.Open();
    EXPECT_FALSE(table.CanModify());
    EXPECT_EQ(ErrorOf([&] { table.Edit(); }), "Cannot modify a read-only dataset");
    table.Close();
    EXPECT_GT(table.released, 0); // freeing the buffers released their record ids

    TMemoryTable empty; // OpenSource says no
    empty.Open();
    EXPECT_FALSE(empty.Active());
    EXPECT_FALSE(empty.CursorOpen());
}

TEST(BaseDatasetTest, InsertRecordWritesAWholeNewRecordThroughTheSource)
{
    TMemoryTable table;
    table.columns = {{"s", TFieldType::ftString, 10}, {"i", TFieldType::ftInteger}};
    table.rows = {{{"s", "a"}, {"i", 1}}};
    table.Open();
    table.log.clear();
    table.InsertRecord({TzelVariant("b"), TzelVariant(2)});
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_EQ(table.rows[1].at("s"), TzelVariant("b"));
    EXPECT_EQ(table.rows[1].at("i"), TzelVariant(2));
    EXPECT_EQ(table.log[0], "BeforeWrite(insert)");
    EXPECT_EQ(table.log[1], "AfterWrite(insert)");
    EXPECT_EQ(table.FieldByName("s")->AsString(), "b");
}

TEST(BaseDatasetTest, FilterErrorsAreReportedAndTheFetchGoesOn)
{
    std::vector<std::string> reported;
    auto previous = SetApplicationExceptionHandler([&](const std::exception &e) { reported.push_back(e.what()); });
    TMemoryTable table;
    table.columns = {{"i", TFieldType::ftInteger}};
    table.rows = {{{"i", 1}}, {{"i", 2}}, {{"i", 3}}};
    table.OnFilterRecord = [](TDataSet &ds, bool &accept) {
        if (ds.FieldByName("i")->AsInteger() == 2) {
            accept = false;
            throw EDatabaseError("bad record");
        }
    };
    table.SetFiltered(true);
    table.Open();
    std::vector<int> seen;
    for (; !table.Eof(); table.Next())
        seen.push_back(table.FieldByName("i")->AsInteger());
    SetApplicationExceptionHandler(previous);
    EXPECT_EQ(seen, (std::vector<int>{1, 3}));
    ASSERT_FALSE(reported.empty());
    EXPECT_EQ(reported[0], "bad record");
}

TEST(BaseDatasetTest, AFilteredFetchThatKeepsFailingEnds)
{
    TMemoryTable table;
    table.columns = {{"i", TFieldType::ftInteger}};
    table.rows = {{{"i", 1}}, {{"i", 2}}, {{"i", 3}}};
    table.failingFrom = 2; // the source cannot step past the second record
    int rejectFrom = 2;
    table.OnFilterRecord = [&](TDataSet &ds, bool &accept) { accept = ds.FieldByName("i")->AsInteger() < rejectFrom; };
    table.SetFiltered(true);
    table.Open();
    EXPECT_EQ(table.FieldByName("i")->AsInteger(), 1);
    // Next meets the rejected record 2, then only errors: the fetch must stop.
    EXPECT_EQ(ErrorOf([&] { table.Next(); }), "No Records");
    // Re-reading a current record that no longer passes, with no other record reachable.
    rejectFrom = 0;
    table.Refresh();
    EXPECT_TRUE(table.IsEmpty());
}

TEST(BaseDatasetTest, CalculatedFieldsHaveAValueOnlyWhenTheEventGivesOne)
{
    TMemoryTable table;
    table.columns = {{"i", TFieldType::ftInteger}};
    table.rows = {{{"i", 4}}, {{"i", 5}}};
    auto label = std::make_unique<TStringField>(8);
    label->SetFieldName("label");
    label->SetFieldKind(TFieldKind::fkCalculated);
    table.AddField(std::move(label));
    table.OnCalcFields = [](TDataSet &ds) {
        const int i = ds.FieldByName("i")->AsInteger();
        if (i % 2 == 0)
            ds.FieldByName("label")->SetAsString("even " + std::to_string(i) + " and more");
    };
    table.Open();
    EXPECT_EQ(table.FieldByName("label")->AsString(), "even 4 a");
    table.Next();
    EXPECT_TRUE(table.FieldByName("label")->IsNull());
    EXPECT_EQ(ErrorOf([&] { table.FieldByName("label")->SetAsString("x"); }), "Dataset not in edit or insert mode");
    table.Close();
    ASSERT_EQ(table.rows[0].count("label"), 0u);
}

} // namespace
