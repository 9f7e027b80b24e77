#include "ZKBlobStream.h"

#include "ApplicationError.h"
#include "BaseDataset.h"
#include "Field.h"

TZKBlobStream::TZKBlobStream(TField &field, TBlobStreamMode mode)
    : field_(field), dataSet_(static_cast<TZKBaseDataset &>(*field.DataSet())), mode_(mode), modified_(false)
{
    if (mode == TBlobStreamMode::bmWrite || !dataSet_.CursorOpen())
        return;
    TRecordBuffer buffer = dataSet_.CurrentBuffer();
    if (buffer == nullptr || dataSet_.FieldOffset(field) < 0)
        return;
    TMemoryStream *slot = dataSet_.SlotStream(buffer, field);
    TMemoryStream::Write(slot->Memory(), slot->Size());
    SetPosition(0);
}

TZKBlobStream::~TZKBlobStream()
{
    if (!modified_ || mode_ == TBlobStreamMode::bmRead || !dataSet_.CursorOpen())
        return;
    TRecordBuffer buffer = dataSet_.CurrentBuffer();
    if (buffer == nullptr || dataSet_.FieldOffset(field_) < 0)
        return;
    try {
        TMemoryStream *slot = dataSet_.SlotStream(buffer, field_);
        slot->Clear();
        slot->Write(Memory(), Size());
        slot->SetPosition(0);
        dataSet_.FieldChanged(field_);
    } catch (const std::exception &error) {
        ApplicationHandleException(error);
    }
}

int64_t TZKBlobStream::Write(const void *buffer, int64_t count)
{
    modified_ = true;
    return TMemoryStream::Write(buffer, count);
}

void TZKBlobStream::SetSize(int64_t newSize)
{
    modified_ = true;
    TMemoryStream::SetSize(newSize);
}
