#pragma once
// TzelXMLDataSet2: a table kept in an XML file. The root element's first "fields" child
// lists the columns (one element per field, named after it, with optional "type" and
// "size" attributes); its first "rows" child holds one element per record, whose children
// hold the field texts by field name. The dataset keeps its own document: the file is read
// when XMLFile is set and written back when the dataset closes.
//
// Choices where the file gives no answer:
// - a file with "fields" and no "rows" opens as an empty table; the first record added
//   creates the "rows" element;
// - after a record is added the cursor stands on it;
// - a file that did not parse completely raises the reader's error from SetXMLFile; its
//   partial table can be browsed but not changed, and is never written back over the file;
// - setting XMLFile to "" detaches the dataset from any file without an error.
#include <cstdint>
#include <memory>
#include <string>

#include "BaseDataset.h"
#include "FormatSettings.h"

class TzelXMLNode2;
class TzelXMLParser2;

class TzelXMLDataSet2 : public TZKBaseDataset {
public:
    TzelXMLDataSet2();
    ~TzelXMLDataSet2() override;

    const std::string &XMLFile() const { return xmlFile_; }
    // Reads the file into the dataset's document. Raises "Cannot change XMLFile of an
    // active dataset" while open and "Invalid XMLFile path." for a name that is no file.
    void SetXMLFile(const std::string &fileName);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    // How float and date-time texts are read and written; the user's locale by default.
    TFormatSettings &FormatSettings() { return formatSettings_; }

    // The number of record elements.
    int RecordCount() override;
    // 1-based position of the active record among the record elements.
    int RecNo() override;
    // Makes record n current when 1 <= n <= RecordCount; any other n is ignored.
    void SetRecNo(int recNo) override;

protected:
    bool GetCanModify() override;

    bool OpenSource() override;
    void CloseSource() override;
    void DeleteSourceRecord() override;
    void DefineFields() override;
    void ReadFieldValue(TField &field, TzelVariant &value) override;
    void WriteFieldValue(TField &field, const TzelVariant &value) override;
    void ReadBlob(TField &field, TStream &stream) override;
    void WriteBlob(TField &field, TStream &stream) override;
    void BeforeRead() override;
    void AfterRead() override;
    void BeforeWrite(bool inserting) override;
    void AfterWrite(bool inserting) override;
    int32_t CurrentRecordId() override { return currentIndex_; }
    void ReleaseRecordId(int32_t) override {}
    void MoveToRecordId(int32_t id) override { currentIndex_ = id; }
    int BookmarkLength() override { return sizeof(int32_t); }
    void MoveToBookmark(const void *bookmark) override;
    void RecordIdToBookmark(int32_t id, void *bookmark) override;
    void MoveBeforeFirst() override { currentIndex_ = -1; }
    void MoveAfterLast() override { currentIndex_ = RecordCount(); }
    TGetResult StepCursor(TGetMode mode) override;

private:
    // The record element at position index, or null when there is none.
    TzelXMLNode2 *RowAt(int32_t index) const;
    bool DocumentComplete() const;

    std::string xmlFile_;
    bool readOnly_ = false;
    std::unique_ptr<TzelXMLParser2> document_;
    TzelXMLNode2 *fieldsElement_ = nullptr;
    TzelXMLNode2 *rowsElement_ = nullptr;
    int32_t currentIndex_ = -1;
    TzelXMLNode2 *currentRow_ = nullptr;
    TFormatSettings formatSettings_;
};
