#pragma once
// TZKBaseDataset: does all of the framework's record-buffer work once, for datasets whose
// records come from a simple source with a cursor. A subclass supplies the source through
// the 21 source operations (OpenSource ... StepCursor) and nothing else.
//
// A record buffer holds, in this order:
//   1. the data area: one slot per data field, in field order (string: size + 1 bytes,
//      zero-terminated; small integer, integer, date, time: 4; boolean: 2; float,
//      currency, BCD, date-time: 8; memo, graphic: a TMemoryStream* owned by the buffer;
//      every other type: no room at all);
//   2. the record info: record id (32-bit), bookmark copy (pointer, or null), bookmark flag;
//   3. the calculated-field area: per calculated field a has-value byte, then its data.
// A record is at most 65535 bytes; a table whose record would be larger is refused at open.
//
// The base class is read-only (CanModify is false); a subclass that can write says so.
// A subclass whose destructor outlives its source must call Close() in its own destructor:
// once it is gone, the source operations are gone too.
#include <cstdint>
#include <string>
#include <vector>

#include "DataSet.h"

class TMemoryStream;
class TZKBlobStream;

class TZKBaseDataset : public TDataSet {
public:
    TZKBaseDataset() = default;
    ~TZKBaseDataset() override;

    // Setting the filter moves to the first record that passes it.
    void SetFiltered(bool filtered) override;
    std::unique_ptr<TStream> CreateBlobStream(TField *field, TBlobStreamMode mode) override;
    bool GetFieldData(const TField *field, void *buffer) override;
    void SetFieldData(TField *field, const void *buffer) override;

    bool CursorOpen() const { return cursorOpen_; }
    int CalcAreaOffset() const { return calcAreaOffset_; }
    // The names of all fields in field order; rebuilt at every open.
    const std::vector<std::string> &FieldNameList() const { return fieldNameList_; }

protected:
    // ---- the source operations --------------------------------------------------------
    // Opens the record source; false ends the open quietly.
    virtual bool OpenSource() = 0;
    virtual void CloseSource() = 0;
    // Deletes the current record.
    virtual void DeleteSourceRecord() {}
    // Adds one field definition per column to FieldDefs().
    virtual void DefineFields() = 0;
    // The current record's value of a non-blob field.
    virtual void ReadFieldValue(TField &field, TzelVariant &value) = 0;
    virtual void WriteFieldValue(TField &field, const TzelVariant &value) = 0;
    // A memo or graphic field's content: written into an empty, rewound stream / read
    // from a rewound one.
    virtual void ReadBlob(TField &field, TStream &stream) = 0;
    virtual void WriteBlob(TField &field, TStream &stream) = 0;
    virtual void BeforeRead() {}
    virtual void AfterRead() {}
    virtual void BeforeWrite(bool /*inserting*/) {}
    virtual void AfterWrite(bool /*inserting*/) {}
    virtual int32_t CurrentRecordId() = 0;
    virtual void ReleaseRecordId(int32_t id) = 0;
    virtual void MoveToRecordId(int32_t id) = 0;
    // Bytes of a bookmark; 0 means the dataset has no bookmarks.
    virtual int BookmarkLength() { return 0; }
    virtual void MoveToBookmark(const void *bookmark) = 0;
    virtual void RecordIdToBookmark(int32_t id, void *bookmark) = 0;
    virtual void MoveBeforeFirst() = 0;
    virtual void MoveAfterLast() = 0;
    // Moves the cursor for a fetch: current, next or prior record.
    virtual TGetResult StepCursor(TGetMode mode) = 0;

    // ---- the record-buffer work ----------------------------------------------------------
    virtual void CreateBlobStreams(TRecordBuffer buffer);
    virtual void FreeBlobStreams(TRecordBuffer buffer);
    virtual void ReleaseBufferExtras(TRecordBuffer buffer);
    virtual int DataSize();
    virtual int FieldOffset(const TField &field);
    virtual void BufferToSource(TRecordBuffer buffer);
    virtual void SourceToBuffer(TRecordBuffer buffer);
    // The buffer field access works on in the present state, or null.
    virtual TRecordBuffer CurrentBuffer();
    // The record id a buffer was filled with.
    int32_t BufferRecordId(TRecordBuffer buffer) const { return ReadInfo(buffer).RecordId; }

    // ---- the framework's side -------------------------------------------------------------
    TRecordBuffer AllocRecordBuffer() override;
    void FreeRecordBuffer(TRecordBuffer &buffer) override;
    void InternalInitRecord(TRecordBuffer buffer) override;
    void ClearCalcFields(TRecordBuffer buffer) override;
    void GetBookmarkData(TRecordBuffer buffer, void *data) override;
    void SetBookmarkData(TRecordBuffer buffer, const void *data) override;
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) override;
    void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) override;
    TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) override;
    void InternalOpen() override;
    void InternalClose() override;
    bool IsCursorOpen() override { return cursorOpen_; }
    void InternalInitFieldDefs() override { DefineFields(); }
    void InternalFirst() override { MoveBeforeFirst(); }
    void InternalLast() override { MoveAfterLast(); }
    void InternalSetToRecord(TRecordBuffer buffer) override;
    void InternalGotoBookmark(const void *bookmark) override { MoveToBookmark(bookmark); }
    void InternalPost() override;
    void InternalAddRecord(TRecordBuffer buffer, bool append) override;
    void InternalDelete() override { DeleteSourceRecord(); }
    void InternalRefresh() override;
    void InternalHandleException(const std::exception &error) override;
    bool GetCanModify() override { return false; }
    uint16_t GetRecordSize() const { return recordSize_; }

private:
    friend class TZKBlobStream;
    struct RecordInfo {
        int32_t RecordId;
        char *Bookmark;
        TBookmarkFlag Flag;
    };
    RecordInfo ReadInfo(TRecordBuffer buffer) const;
    void WriteInfo(TRecordBuffer buffer, const RecordInfo &info) const;
    int64_t SlotWidth(const TField &field) const;
    TMemoryStream *SlotStream(TRecordBuffer buffer, const TField &field);
    bool FilterVerdict();

    bool cursorOpen_ = false;
    int calcAreaOffset_ = 0;
    std::vector<std::string> fieldNameList_;
    std::vector<TField *> dataFields_; // data fields in field order
    std::vector<int> slotOffsets_;     // by FieldNo - 1; -1 for fields without a slot
    int dataSize_ = 0;
    int bookmarkLength_ = 0;
    uint16_t recordSize_ = 0;
};
