#pragma once
// TDataSet: the dataset framework. It keeps the field objects, the state, and a ring of
// record buffers (a window of consecutive records around the active one), and drives a
// concrete dataset through the protected Internal... operations: the concrete class lays
// out and fills the record buffers and moves the record source's cursor; the framework
// decides which buffer holds which record, when to fetch, and what state the dataset is in.
//
// Buffers: ring buffers 0..RecordCount-1 hold fetched records (the active one among them),
// ring buffer [RecordCount] is the spare one a fetch goes into; the temporary buffer serves
// filtering; the calculation buffer is whichever buffer calculated fields are computed for.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DataSetTypes.h"
#include "Field.h"
#include "FieldDefs.h"
#include "zelVariant.h"

class TStream;

class TDataSet {
public:
    using TDataSetNotifyEvent = std::function<void(TDataSet &)>;
    using TFilterRecordEvent = std::function<void(TDataSet &, bool &accept)>;

    TDataSet();
    virtual ~TDataSet();
    TDataSet(const TDataSet &) = delete;
    TDataSet &operator=(const TDataSet &) = delete;

    // Opening and closing.
    void Open();
    void Close();
    bool Active() const { return state_ != TDataSetState::dsInactive; }
    TDataSetState State() const { return state_; }

    // Fields. Fields the application adds (calculated ones, typically) stay until the
    // dataset is destroyed; a field object is made for every field definition that has
    // none when the dataset opens, and destroyed when it closes.
    TFieldDefs &FieldDefs() { return fieldDefs_; }
    void AddField(std::unique_ptr<TField> field);
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    TField *Fields(int index) const { return fields_.at(static_cast<size_t>(index)).get(); }
    TField *FindField(const std::string &name) const;
    // Raises "Field 'name' not found" when there is none.
    TField *FieldByName(const std::string &name) const;

    // Navigation.
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    // Moves up to distance records; returns how many it moved (negative backwards).
    int MoveBy(int distance);
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    bool IsEmpty() const { return activeRecord_ >= recordCount_; }
    virtual int RecordCount() { return -1; }
    virtual int RecNo() { return -1; }
    virtual void SetRecNo(int) {}
    // Re-reads the record source around the active record.
    void Refresh();

    // Editing.
    bool CanModify() { return GetCanModify(); }
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();
    // Adds a whole record in one step, values in field order (fewer values leave the rest unset).
    void InsertRecord(const std::vector<TzelVariant> &values) { AddWholeRecord(values, false); }
    void AppendRecord(const std::vector<TzelVariant> &values) { AddWholeRecord(values, true); }
    bool Modified() const { return modified_; }

    // Bookmarks: empty when the dataset has none or the active record is new.
    TBookmark GetBookmark();
    void GotoBookmark(const TBookmark &bookmark);

    // Filtering and calculated fields.
    bool Filtered() const { return filtered_; }
    virtual void SetFiltered(bool filtered);
    TFilterRecordEvent OnFilterRecord;
    TDataSetNotifyEvent OnCalcFields;

    // A stream over a blob field's content in the current record.
    virtual std::unique_ptr<TStream> CreateBlobStream(TField *field, TBlobStreamMode mode) = 0;

    // The ring's size (records kept around the active one); set while the dataset is closed.
    int BufferCount() const { return bufferCount_; }
    void SetBufferCount(int count);

    // Field access in native form, used by the field objects.
    virtual bool GetFieldData(const TField *field, void *buffer) = 0;
    virtual void SetFieldData(TField *field, const void *buffer) = 0;
    // Raises "Dataset not in edit or insert mode" unless field can be written now.
    void CheckFieldWritable(const TField &field) const;

protected:
    // Record buffers.
    virtual TRecordBuffer AllocRecordBuffer() = 0;
    virtual void FreeRecordBuffer(TRecordBuffer &buffer) = 0;
    virtual void InternalInitRecord(TRecordBuffer buffer) = 0;
    virtual void ClearCalcFields(TRecordBuffer) {}
    virtual void GetBookmarkData(TRecordBuffer buffer, void *data) = 0;
    virtual void SetBookmarkData(TRecordBuffer buffer, const void *data) = 0;
    virtual TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) = 0;
    virtual void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) = 0;

    // The record source.
    virtual TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) = 0;
    virtual void InternalOpen() = 0;
    virtual void InternalClose() = 0;
    virtual bool IsCursorOpen() = 0;
    virtual void InternalInitFieldDefs() = 0;
    virtual void InternalFirst() = 0;
    virtual void InternalLast() = 0;
    virtual void InternalSetToRecord(TRecordBuffer buffer) = 0;
    virtual void InternalGotoBookmark(const void *bookmark) = 0;
    virtual void InternalPost() = 0;
    virtual void InternalAddRecord(TRecordBuffer buffer, bool append) = 0;
    virtual void InternalDelete() = 0;
    virtual void InternalRefresh() {}
    virtual void InternalHandleException(const std::exception &) { throw; }
    virtual bool GetCanModify() { return true; }

    // Services for concrete datasets.
    TRecordBuffer ActiveBuffer() const { return buffers_.empty() ? nullptr : buffers_[activeRecord_]; }
    TRecordBuffer TempBuffer() const { return tempBuffer_; }
    TRecordBuffer CalcBuffer() const { return calcBuffer_; }
    int BookmarkSize() const { return bookmarkSize_; }
    void SetBookmarkSize(int size) { bookmarkSize_ = size; }
    int CalcFieldsSize() const { return calcFieldsSize_; }
    // Field definitions: cleared, then InternalInitFieldDefs.
    void InitFieldDefs();
    // True when some field definition has no field object yet.
    bool DefaultFields() const;
    void CreateFields();
    void DestroyFields();
    // Binds (or unbinds) every field to this dataset, numbering them and placing the
    // calculated fields in the calculated-field area.
    void BindFields(bool binding);
    // Computes the calculated fields of buffer through OnCalcFields.
    void GetCalcFields(TRecordBuffer buffer);
    TDataSetState SetTempState(TDataSetState state);
    void RestoreState(TDataSetState state) { state_ = state; }
    // A field value changed in the current record.
    void FieldChanged(TField &field);
    // Fetches the buffers again around the record the source's cursor is on. Exact: that
    // record must exist ("Record not found" otherwise) and it lands mid-ring.
    void Resync(bool exact = false);
    // Brings the source's cursor to the active record.
    void UpdateCursorPos();
    void CheckActive() const;
    // Active, and not editing: pending changes are posted (or dropped when there are none).
    void CheckBrowseMode();

private:
    void CheckCanModify();
    void ClearBuffers();
    void ActivateBuffers();
    void AllocateBuffers();
    void FreeBuffers();
    void MoveBuffer(int from, int to);
    void SetCurrentRecord(int index);
    void InitRecord(TRecordBuffer buffer);
    bool GetNextRecord();
    bool GetPriorRecord();
    void GetNextRecords();
    void GetPriorRecords();
    void ReturnToBrowse();
    void AddWholeRecord(const std::vector<TzelVariant> &values, bool append);

    TDataSetState state_ = TDataSetState::dsInactive;
    TFieldDefs fieldDefs_;
    std::vector<std::unique_ptr<TField>> fields_;
    std::vector<TField *> defaultFields_; // made at open, destroyed at close
    std::vector<TRecordBuffer> buffers_;  // the ring plus the spare one
    TRecordBuffer tempBuffer_ = nullptr;
    TRecordBuffer calcBuffer_ = nullptr;
    int bufferCount_ = 1;
    int recordCount_ = 0;   // ring buffers holding records
    int activeRecord_ = 0;  // ring index of the active record
    int currentRecord_ = -1; // ring index the source's cursor is on; -1 unknown
    int bookmarkSize_ = 0;
    int calcFieldsSize_ = 0;
    bool bof_ = true;
    bool eof_ = true;
    bool filtered_ = false;
    bool modified_ = false;
    // Where Cancel returns after an insert: the record that was active before it.
    TBookmark insertReturn_;
    bool appending_ = false;
};
