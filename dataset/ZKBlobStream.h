#pragma once
// TZKBlobStream: the stream a TZKBaseDataset hands out for a memo or graphic field. It
// starts with a copy of the field's content in the current record (empty in write mode)
// and, when it was written to (a write of no bytes counts), puts its whole content back
// into the record buffer when it is destroyed; a stream never written leaves it as it was. The source sees the new content only when the record is posted.
#include "DataSetTypes.h"
#include "zelStream.h"

class TField;
class TZKBaseDataset;

class TZKBlobStream : public TMemoryStream {
public:
    TZKBlobStream(TField &field, TBlobStreamMode mode);
    ~TZKBlobStream() override;

    int64_t Write(const void *buffer, int64_t count) override;
    void SetSize(int64_t newSize) override;
    bool Modified() const { return modified_; }

private:
    TField &field_;
    TZKBaseDataset &dataSet_;
    TBlobStreamMode mode_;
    bool modified_;
};
