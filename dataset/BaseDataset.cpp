#include "BaseDataset.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "ApplicationError.h"
#include "DatabaseError.h"
#include "VariantConvert.h"
#include "ZKBlobStream.h"
#include "zelStream.h"

namespace {

constexpr int RecordInfoSize = sizeof(int32_t) + sizeof(char *) + 1;
constexpr int MaxRecordSize = 65535;

template <class T>
T Load(const char *at)
{
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

template <class T>
void Store(char *at, T value)
{
    std::memcpy(at, &value, sizeof value);
}

bool IsBlobType(TFieldType type)
{
    return type == TFieldType::ftMemo || type == TFieldType::ftGraphic;
}

// A string slot is size + 1 bytes: the text cut to size, then zeros to the end, so the
// slot always ends in a terminator and never keeps bytes of an older, longer value.
void StoreString(char *slot, std::string_view text, size_t size)
{
    const size_t length = std::min(text.size(), size);
    std::memcpy(slot, text.data(), length);
    std::memset(slot + length, 0, size + 1 - length);
}

} // namespace

TZKBaseDataset::~TZKBaseDataset()
{
    try {
        Close();
    } catch (const std::exception &error) {
        ApplicationHandleException(error);
    }
}

// ---- layout ---------------------------------------------------------------------------

int64_t TZKBaseDataset::SlotWidth(const TField &field) const
{
    switch (field.DataType()) {
    case TFieldType::ftString: return static_cast<int64_t>(field.Size()) + 1; // a size can be INT_MAX
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftDate:
    case TFieldType::ftTime: return 4;
    case TFieldType::ftBoolean: return 2;
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD:
    case TFieldType::ftDateTime: return 8;
    case TFieldType::ftMemo:
    case TFieldType::ftGraphic: return sizeof(TMemoryStream *);
    default: return 0; // not supported: no room in the buffer
    }
}

int TZKBaseDataset::DataSize() { return dataSize_; }

int TZKBaseDataset::FieldOffset(const TField &field)
{
    return slotOffsets_.at(static_cast<size_t>(field.FieldNo() - 1));
}

TZKBaseDataset::RecordInfo TZKBaseDataset::ReadInfo(TRecordBuffer buffer) const
{
    const char *at = buffer + dataSize_;
    return {Load<int32_t>(at), Load<char *>(at + sizeof(int32_t)),
            static_cast<TBookmarkFlag>(at[sizeof(int32_t) + sizeof(char *)])};
}

void TZKBaseDataset::WriteInfo(TRecordBuffer buffer, const RecordInfo &info) const
{
    char *at = buffer + dataSize_;
    Store(at, info.RecordId);
    Store(at + sizeof(int32_t), info.Bookmark);
    at[sizeof(int32_t) + sizeof(char *)] = static_cast<char>(info.Flag);
}

TMemoryStream *TZKBaseDataset::SlotStream(TRecordBuffer buffer, const TField &field)
{
    return Load<TMemoryStream *>(buffer + FieldOffset(field));
}

// ---- opening and closing ----------------------------------------------------------------

void TZKBaseDataset::InternalOpen()
{
    if (!OpenSource())
        return;
    try {
        bookmarkLength_ = BookmarkLength();
        SetBookmarkSize(bookmarkLength_);
        InitFieldDefs();
        if (DefaultFields())
            CreateFields();
        BindFields(true);

        fieldNameList_.clear();
        dataFields_.clear();
        slotOffsets_.clear();
        // Summed in 64 bits: string sizes come from files and may be as large as INT_MAX.
        int64_t dataSize = 0;
        for (int i = 0; i < FieldCount(); ++i) {
            TField *field = Fields(i);
            fieldNameList_.push_back(field->FieldName());
            const int64_t width = field->Calculated() ? 0 : SlotWidth(*field);
            slotOffsets_.push_back(width > 0 ? static_cast<int>(dataSize) : -1); // kept only when it fits
            if (width > 0) {
                dataFields_.push_back(field);
                dataSize += width;
            }
        }
        // The framework counts record sizes in 16 bits; a larger record would overrun.
        const int64_t recordSize = dataSize + RecordInfoSize + CalcFieldsSize();
        if (recordSize > MaxRecordSize)
            DatabaseError("Record size too large (" + std::to_string(recordSize) + " bytes, at most " +
                          std::to_string(MaxRecordSize) + ")");
        dataSize_ = static_cast<int>(dataSize);
        calcAreaOffset_ = dataSize_ + RecordInfoSize;
        recordSize_ = static_cast<uint16_t>(recordSize);
    } catch (...) {
        // Nothing was read or written; the source stays as OpenSource left it.
        BindFields(false);
        DestroyFields();
        fieldNameList_.clear();
        dataFields_.clear();
        throw;
    }
    cursorOpen_ = true;
}

void TZKBaseDataset::InternalClose()
{
    BindFields(false);
    DestroyFields();
    dataFields_.clear();
    cursorOpen_ = false;
    CloseSource();
}

// ---- buffers --------------------------------------------------------------------------------

TRecordBuffer TZKBaseDataset::AllocRecordBuffer()
{
    TRecordBuffer buffer = new char[recordSize_]();
    CreateBlobStreams(buffer);
    return buffer;
}

void TZKBaseDataset::FreeRecordBuffer(TRecordBuffer &buffer)
{
    ReleaseBufferExtras(buffer);
    delete[] buffer;
    buffer = nullptr;
}

void TZKBaseDataset::InternalInitRecord(TRecordBuffer buffer)
{
    ReleaseBufferExtras(buffer);
    std::memset(buffer, 0, recordSize_);
    CreateBlobStreams(buffer);
}

void TZKBaseDataset::CreateBlobStreams(TRecordBuffer buffer)
{
    for (TField *field : dataFields_)
        if (IsBlobType(field->DataType()))
            Store(buffer + FieldOffset(*field), new TMemoryStream);
}

void TZKBaseDataset::FreeBlobStreams(TRecordBuffer buffer)
{
    for (TField *field : dataFields_)
        if (IsBlobType(field->DataType())) {
            delete SlotStream(buffer, *field);
            Store<TMemoryStream *>(buffer + FieldOffset(*field), nullptr);
        }
}

void TZKBaseDataset::ReleaseBufferExtras(TRecordBuffer buffer)
{
    FreeBlobStreams(buffer);
    RecordInfo info = ReadInfo(buffer);
    ReleaseRecordId(info.RecordId);
    delete[] info.Bookmark;
    info.Bookmark = nullptr;
    WriteInfo(buffer, info);
}

void TZKBaseDataset::ClearCalcFields(TRecordBuffer buffer)
{
    std::memset(buffer + calcAreaOffset_, 0, static_cast<size_t>(CalcFieldsSize()));
}

// ---- bookmarks --------------------------------------------------------------------------------

void TZKBaseDataset::GetBookmarkData(TRecordBuffer buffer, void *data)
{
    if (bookmarkLength_ > 0)
        RecordIdToBookmark(ReadInfo(buffer).RecordId, data);
}

void TZKBaseDataset::SetBookmarkData(TRecordBuffer buffer, const void *data)
{
    if (bookmarkLength_ <= 0)
        return;
    RecordInfo info = ReadInfo(buffer);
    if (info.Bookmark == nullptr) {
        info.Bookmark = new char[static_cast<size_t>(bookmarkLength_)];
        WriteInfo(buffer, info);
    }
    std::memcpy(info.Bookmark, data, static_cast<size_t>(bookmarkLength_));
}

TBookmarkFlag TZKBaseDataset::GetBookmarkFlag(TRecordBuffer buffer)
{
    return ReadInfo(buffer).Flag;
}

void TZKBaseDataset::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag)
{
    RecordInfo info = ReadInfo(buffer);
    info.Flag = flag;
    WriteInfo(buffer, info);
}

void TZKBaseDataset::InternalSetToRecord(TRecordBuffer buffer)
{
    MoveToRecordId(ReadInfo(buffer).RecordId);
}

void TZKBaseDataset::InternalRefresh()
{
    if (TRecordBuffer buffer = CurrentBuffer())
        MoveToRecordId(ReadInfo(buffer).RecordId);
}

// ---- fetching ---------------------------------------------------------------------------------

TGetResult TZKBaseDataset::GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck)
{
    for (;;) {
        TGetResult result = StepCursor(mode);
        bool accept = true;
        if (result == TGetResult::grOK) {
            if (Filtered())
                accept = FilterVerdict();
            if (accept) {
                SourceToBuffer(buffer);
                ClearCalcFields(buffer);
                GetCalcFields(buffer);
            } else if (mode == TGetMode::gmCurrent) {
                // Stepping "to the current record" again would meet the same rejected
                // record for ever: there is no current record that passes the filter.
                result = TGetResult::grError;
            }
        }
        if (result == TGetResult::grError) {
            if (doCheck)
                DatabaseError("No Records");
            return result; // retrying after an error could go on for ever
        }
        if (accept || result != TGetResult::grOK)
            return result;
    }
}

bool TZKBaseDataset::FilterVerdict()
{
    if (!OnFilterRecord)
        return true;
    bool accept = true;
    const TDataSetState saved = SetTempState(TDataSetState::dsFilter);
    try {
        SourceToBuffer(TempBuffer());
        OnFilterRecord(*this, accept);
    } catch (const std::exception &error) {
        InternalHandleException(error);
    }
    RestoreState(saved);
    return accept;
}

void TZKBaseDataset::InternalHandleException(const std::exception &error)
{
    ApplicationHandleException(error);
}

void TZKBaseDataset::SetFiltered(bool filtered)
{
    TDataSet::SetFiltered(filtered);
    if (Active())
        First();
}

// ---- moving values between buffer and source ---------------------------------------------

void TZKBaseDataset::SourceToBuffer(TRecordBuffer buffer)
{
    RecordInfo info = ReadInfo(buffer);
    info.Flag = TBookmarkFlag::bfCurrent;
    info.RecordId = CurrentRecordId();
    if (bookmarkLength_ > 0) {
        if (info.Bookmark == nullptr)
            info.Bookmark = new char[static_cast<size_t>(bookmarkLength_)];
        RecordIdToBookmark(info.RecordId, info.Bookmark);
    } else {
        delete[] info.Bookmark;
        info.Bookmark = nullptr;
    }
    WriteInfo(buffer, info);

    BeforeRead();
    try {
        for (TField *field : dataFields_) {
            char *slot = buffer + FieldOffset(*field);
            if (IsBlobType(field->DataType())) {
                TMemoryStream *stream = SlotStream(buffer, *field);
                stream->Clear();
                ReadBlob(*field, *stream);
                continue;
            }
            TzelVariant value;
            ReadFieldValue(*field, value);
            switch (field->DataType()) {
            case TFieldType::ftString:
                StoreString(slot, value.AsString(), static_cast<size_t>(field->Size()));
                break;
            case TFieldType::ftBoolean: Store<int16_t>(slot, VariantToBool(value) ? 1 : 0); break;
            case TFieldType::ftFloat:
            case TFieldType::ftCurrency:
            case TFieldType::ftBCD:
            case TFieldType::ftDateTime: Store<double>(slot, VariantToDouble(value)); break;
            default: Store<int32_t>(slot, VariantToInt32(value)); break;
            }
        }
    } catch (...) {
        AfterRead();
        throw;
    }
    AfterRead();
}

void TZKBaseDataset::BufferToSource(TRecordBuffer buffer)
{
    for (TField *field : dataFields_) {
        const char *slot = buffer + FieldOffset(*field);
        switch (field->DataType()) {
        case TFieldType::ftString:
            WriteFieldValue(*field, std::string(slot, strnlen(slot, static_cast<size_t>(field->Size()))));
            break;
        case TFieldType::ftBoolean: WriteFieldValue(*field, Load<int16_t>(slot) != 0); break;
        case TFieldType::ftFloat:
        case TFieldType::ftCurrency:
        case TFieldType::ftBCD:
        case TFieldType::ftDateTime: WriteFieldValue(*field, Load<double>(slot)); break;
        case TFieldType::ftMemo:
        case TFieldType::ftGraphic: {
            TMemoryStream *stream = SlotStream(buffer, *field);
            stream->SetPosition(0);
            WriteBlob(*field, *stream);
            break;
        }
        default: WriteFieldValue(*field, static_cast<int64_t>(Load<int32_t>(slot))); break;
        }
    }
}

void TZKBaseDataset::InternalPost()
{
    if (!cursorOpen_)
        return;
    const bool inserting = State() == TDataSetState::dsInsert;
    BeforeWrite(inserting);
    BufferToSource(CurrentBuffer());
    AfterWrite(inserting);
}

void TZKBaseDataset::InternalAddRecord(TRecordBuffer buffer, bool append)
{
    if (append)
        MoveAfterLast();
    BeforeWrite(true);
    BufferToSource(buffer);
    AfterWrite(true);
}

// ---- field access ---------------------------------------------------------------------------

TRecordBuffer TZKBaseDataset::CurrentBuffer()
{
    switch (State()) {
    case TDataSetState::dsBrowse: return IsEmpty() ? nullptr : ActiveBuffer();
    case TDataSetState::dsEdit:
    case TDataSetState::dsInsert: return ActiveBuffer();
    case TDataSetState::dsCalcFields: return CalcBuffer();
    case TDataSetState::dsFilter: return TempBuffer();
    default: return nullptr;
    }
}

bool TZKBaseDataset::GetFieldData(const TField *field, void *destination)
{
    TRecordBuffer buffer = cursorOpen_ ? CurrentBuffer() : nullptr;
    if (buffer == nullptr)
        return false;
    if (field->Calculated()) {
        const char *at = buffer + calcAreaOffset_ + field->Offset();
        if (at[0] == 0)
            return false;
        if (destination != nullptr)
            std::memcpy(destination, at + 1, static_cast<size_t>(field->DataSize()));
        return true;
    }
    const int offset = FieldOffset(*field);
    if (offset < 0)
        return false; // a type this dataset does not hold
    if (destination == nullptr)
        return true;
    const char *slot = buffer + offset;
    switch (field->DataType()) {
    case TFieldType::ftString: {
        const size_t length = strnlen(slot, static_cast<size_t>(field->Size()));
        std::memcpy(destination, slot, length);
        static_cast<char *>(destination)[length] = '\0';
        return true;
    }
    case TFieldType::ftMemo:
    case TFieldType::ftGraphic: return false; // blobs travel through streams
    default:
        // Fixed-size slots hold the native form itself (date-time included), so they copy as they are.
        std::memcpy(destination, slot, static_cast<size_t>(SlotWidth(*field)));
        return true;
    }
}

void TZKBaseDataset::SetFieldData(TField *field, const void *source)
{
    TRecordBuffer buffer = Active() ? CurrentBuffer() : nullptr;
    if (buffer == nullptr || source == nullptr)
        return;
    if (field->Calculated()) {
        char *at = buffer + calcAreaOffset_ + field->Offset();
        at[0] = 1;
        std::memcpy(at + 1, source, static_cast<size_t>(field->DataSize()));
    } else {
        const int offset = FieldOffset(*field);
        if (offset < 0 || IsBlobType(field->DataType()))
            return;
        char *slot = buffer + offset;
        if (field->DataType() == TFieldType::ftString) {
            const size_t size = static_cast<size_t>(field->Size());
            const char *text = static_cast<const char *>(source);
            StoreString(slot, std::string_view(text, strnlen(text, size)), size);
        } else {
            std::memcpy(slot, source, static_cast<size_t>(SlotWidth(*field)));
        }
    }
    if (State() != TDataSetState::dsCalcFields && State() != TDataSetState::dsFilter)
        FieldChanged(*field);
}

std::unique_ptr<TStream> TZKBaseDataset::CreateBlobStream(TField *field, TBlobStreamMode mode)
{
    if (field == nullptr || !field->IsBlob() || field->DataSet() != this)
        DatabaseError("Not a blob field of this dataset");
    if (mode != TBlobStreamMode::bmRead)
        CheckFieldWritable(*field);
    return std::make_unique<TZKBlobStream>(*field, mode);
}
