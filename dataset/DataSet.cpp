#include "DataSet.h"

#include <algorithm>

#include "BlobField.h"
#include "DatabaseError.h"
#include "TypedFields.h"

namespace {

std::unique_ptr<TField> MakeField(const TFieldDef &def)
{
    switch (def.DataType) {
    case TFieldType::ftString: return std::make_unique<TStringField>(def.Size);
    case TFieldType::ftSmallint: return std::make_unique<TSmallintField>();
    case TFieldType::ftInteger: return std::make_unique<TIntegerField>();
    case TFieldType::ftBoolean: return std::make_unique<TBooleanField>();
    case TFieldType::ftFloat: return std::make_unique<TFloatField>();
    case TFieldType::ftCurrency: return std::make_unique<TCurrencyField>();
    case TFieldType::ftBCD: return std::make_unique<TBCDField>();
    case TFieldType::ftDate: return std::make_unique<TDateField>();
    case TFieldType::ftTime: return std::make_unique<TTimeField>();
    case TFieldType::ftDateTime: return std::make_unique<TDateTimeField>();
    case TFieldType::ftMemo: return std::make_unique<TMemoField>();
    case TFieldType::ftGraphic: return std::make_unique<TGraphicField>();
    default: return std::make_unique<TField>(def.DataType, def.Size);
    }
}

bool Editing(TDataSetState state)
{
    return state == TDataSetState::dsEdit || state == TDataSetState::dsInsert;
}

} // namespace

TDataSet::TDataSet() = default;

// A concrete dataset closes itself in its own destructor, while its operations still exist.
TDataSet::~TDataSet() = default;

// ---- opening and closing ------------------------------------------------------------

void TDataSet::Open()
{
    if (Active())
        return;
    try {
        InternalOpen();
    } catch (...) {
        if (IsCursorOpen())
            InternalClose();
        throw;
    }
    if (!IsCursorOpen())
        return; // the source declined; the dataset stays closed
    AllocateBuffers();
    state_ = TDataSetState::dsBrowse;
    modified_ = false;
    try {
        First();
    } catch (...) {
        Close();
        throw;
    }
}

void TDataSet::Close()
{
    if (!Active())
        return;
    // Unposted changes are dropped, as when the window holding them is closed.
    state_ = TDataSetState::dsInactive;
    FreeBuffers();
    InternalClose();
    bof_ = eof_ = true;
    modified_ = false;
}

void TDataSet::AllocateBuffers()
{
    buffers_.assign(static_cast<size_t>(bufferCount_) + 1, nullptr);
    for (TRecordBuffer &buffer : buffers_)
        buffer = AllocRecordBuffer();
    tempBuffer_ = AllocRecordBuffer();
    ClearBuffers();
}

void TDataSet::FreeBuffers()
{
    for (TRecordBuffer &buffer : buffers_)
        FreeRecordBuffer(buffer);
    buffers_.clear();
    if (tempBuffer_ != nullptr)
        FreeRecordBuffer(tempBuffer_);
    tempBuffer_ = calcBuffer_ = nullptr;
    recordCount_ = activeRecord_ = 0;
    currentRecord_ = -1;
}

void TDataSet::SetBufferCount(int count)
{
    if (Active())
        DatabaseError("Cannot perform this operation on an open dataset");
    bufferCount_ = std::max(count, 1);
}

// ---- fields -------------------------------------------------------------------------

void TDataSet::AddField(std::unique_ptr<TField> field)
{
    if (Active())
        DatabaseError("Cannot perform this operation on an open dataset");
    field->dataSet_ = this;
    fields_.push_back(std::move(field));
}

TField *TDataSet::FindField(const std::string &name) const
{
    for (const auto &field : fields_)
        if (field->FieldName() == name)
            return field.get();
    return nullptr;
}

TField *TDataSet::FieldByName(const std::string &name) const
{
    TField *field = FindField(name);
    if (field == nullptr)
        DatabaseError("Field '" + name + "' not found");
    return field;
}

void TDataSet::InitFieldDefs()
{
    fieldDefs_.Clear();
    InternalInitFieldDefs();
}

bool TDataSet::DefaultFields() const
{
    for (int i = 0; i < fieldDefs_.Count(); ++i)
        if (FindField(fieldDefs_.Items(i).Name) == nullptr)
            return true;
    return false;
}

void TDataSet::CreateFields()
{
    // Data fields in definition order, then the application's calculated fields.
    std::vector<std::unique_ptr<TField>> ordered;
    for (int i = 0; i < fieldDefs_.Count(); ++i) {
        const TFieldDef &def = fieldDefs_.Items(i);
        auto existing = std::find_if(fields_.begin(), fields_.end(), [&](const auto &field) {
            return field && field->FieldName() == def.Name && !field->Calculated();
        });
        if (existing != fields_.end()) {
            ordered.push_back(std::move(*existing));
            continue;
        }
        std::unique_ptr<TField> field = MakeField(def);
        field->SetFieldName(def.Name);
        field->dataSet_ = this;
        defaultFields_.push_back(field.get());
        ordered.push_back(std::move(field));
    }
    for (auto &field : fields_)
        if (field)
            ordered.push_back(std::move(field));
    fields_ = std::move(ordered);
}

void TDataSet::DestroyFields()
{
    std::erase_if(fields_, [&](const auto &field) {
        return std::find(defaultFields_.begin(), defaultFields_.end(), field.get()) != defaultFields_.end();
    });
    defaultFields_.clear();
}

void TDataSet::BindFields(bool binding)
{
    calcFieldsSize_ = 0;
    if (!binding)
        return;
    for (size_t i = 0; i < fields_.size(); ++i) {
        TField &field = *fields_[i];
        // Two fields of one name would read and write the same value: the later one's
        // write would undo the earlier one's change.
        if (FindField(field.FieldName()) != &field)
            DatabaseError("Duplicate field name '" + field.FieldName() + "'");
        field.fieldNo_ = static_cast<int>(i) + 1;
        if (field.Calculated()) {
            field.offset_ = calcFieldsSize_;
            calcFieldsSize_ += 1 + field.DataSize(); // has-value flag, then the data
        } else if (fieldDefs_.Find(field.FieldName()) == nullptr) {
            DatabaseError("Field '" + field.FieldName() + "' not found");
        }
    }
}

void TDataSet::CheckFieldWritable(const TField &field) const
{
    const bool writable = Editing(state_) || state_ == TDataSetState::dsFilter ||
                          (state_ == TDataSetState::dsCalcFields && field.Calculated());
    if (!writable)
        DatabaseError("Dataset not in edit or insert mode");
}

void TDataSet::FieldChanged(TField &field)
{
    if (!field.Calculated())
        modified_ = true;
    if (calcFieldsSize_ > 0 && Editing(state_)) {
        ClearCalcFields(ActiveBuffer());
        GetCalcFields(ActiveBuffer());
    }
}

void TDataSet::GetCalcFields(TRecordBuffer buffer)
{
    if (calcFieldsSize_ == 0 || !OnCalcFields)
        return;
    const TDataSetState saved = SetTempState(TDataSetState::dsCalcFields);
    calcBuffer_ = buffer;
    try {
        OnCalcFields(*this);
    } catch (...) {
        RestoreState(saved);
        throw;
    }
    RestoreState(saved);
}

TDataSetState TDataSet::SetTempState(TDataSetState state)
{
    const TDataSetState old = state_;
    state_ = state;
    return old;
}

// ---- the ring of record buffers -------------------------------------------------------

void TDataSet::ClearBuffers()
{
    recordCount_ = 0;
    activeRecord_ = 0;
    currentRecord_ = -1;
    bof_ = eof_ = true;
}

void TDataSet::ActivateBuffers()
{
    recordCount_ = 1;
    activeRecord_ = 0;
    currentRecord_ = 0;
    bof_ = eof_ = false;
}

// Takes the buffer at from out of the ring and puts it back at to, shifting those between.
void TDataSet::MoveBuffer(int from, int to)
{
    if (from == to)
        return;
    TRecordBuffer buffer = buffers_[from];
    if (from < to)
        std::move(buffers_.begin() + from + 1, buffers_.begin() + to + 1, buffers_.begin() + from);
    else
        std::move_backward(buffers_.begin() + to, buffers_.begin() + from, buffers_.begin() + from + 1);
    buffers_[to] = buffer;
}

void TDataSet::SetCurrentRecord(int index)
{
    if (currentRecord_ == index)
        return;
    switch (GetBookmarkFlag(buffers_[index])) {
    case TBookmarkFlag::bfCurrent:
    case TBookmarkFlag::bfInserted: InternalSetToRecord(buffers_[index]); break;
    case TBookmarkFlag::bfBOF: InternalFirst(); break;
    case TBookmarkFlag::bfEOF: InternalLast(); break;
    }
    currentRecord_ = index;
}

void TDataSet::UpdateCursorPos()
{
    if (recordCount_ > 0)
        SetCurrentRecord(activeRecord_);
}

void TDataSet::InitRecord(TRecordBuffer buffer)
{
    InternalInitRecord(buffer);
    ClearCalcFields(buffer);
    SetBookmarkFlag(buffer, TBookmarkFlag::bfInserted);
}

// Fetches the record after the last buffered one into the spare buffer and adds it at the
// end of the ring; a full ring drops its first record.
bool TDataSet::GetNextRecord()
{
    if (recordCount_ > 0)
        SetCurrentRecord(recordCount_ - 1);
    if (GetRecord(buffers_[recordCount_], TGetMode::gmNext, true) != TGetResult::grOK) {
        currentRecord_ = -1;
        return false;
    }
    if (recordCount_ == 0)
        ActivateBuffers();
    else if (recordCount_ < bufferCount_)
        ++recordCount_;
    else
        MoveBuffer(0, recordCount_);
    currentRecord_ = recordCount_ - 1;
    return true;
}

// Fetches the record before the first buffered one and adds it at the front of the ring;
// a full ring drops its last record.
bool TDataSet::GetPriorRecord()
{
    if (recordCount_ > 0)
        SetCurrentRecord(0);
    if (GetRecord(buffers_[recordCount_], TGetMode::gmPrior, true) != TGetResult::grOK) {
        currentRecord_ = -1;
        return false;
    }
    if (recordCount_ == 0) {
        ActivateBuffers();
    } else {
        MoveBuffer(recordCount_, 0);
        if (recordCount_ < bufferCount_) {
            ++recordCount_;
            ++activeRecord_;
        }
    }
    currentRecord_ = 0;
    return true;
}

void TDataSet::GetNextRecords()
{
    while (recordCount_ < bufferCount_ && GetNextRecord()) {
    }
}

void TDataSet::GetPriorRecords()
{
    while (recordCount_ < bufferCount_ && GetPriorRecord()) {
    }
}

void TDataSet::Resync(bool exact)
{
    TRecordBuffer spare = buffers_[recordCount_];
    if (exact) {
        currentRecord_ = -1;
        if (GetRecord(spare, TGetMode::gmCurrent, true) != TGetResult::grOK)
            DatabaseError("Record not found");
    } else if (GetRecord(spare, TGetMode::gmCurrent, false) != TGetResult::grOK &&
               GetRecord(spare, TGetMode::gmNext, false) != TGetResult::grOK &&
               GetRecord(spare, TGetMode::gmPrior, false) != TGetResult::grOK) {
        ClearBuffers();
        return;
    }
    int before = exact ? (bufferCount_ - 1) / 2 : activeRecord_;
    MoveBuffer(recordCount_, 0);
    ActivateBuffers();
    while (before > 0 && GetPriorRecord())
        --before;
    GetNextRecords();
    GetPriorRecords();
}

// ---- navigation ---------------------------------------------------------------------

void TDataSet::CheckActive() const
{
    if (!Active())
        DatabaseError("Cannot perform this operation on a closed dataset");
}

void TDataSet::CheckBrowseMode()
{
    CheckActive();
    if (Editing(state_)) {
        if (modified_)
            Post();
        else
            Cancel();
    }
}

void TDataSet::CheckCanModify()
{
    if (!GetCanModify())
        DatabaseError("Cannot modify a read-only dataset");
}

void TDataSet::First()
{
    CheckBrowseMode();
    ClearBuffers();
    try {
        InternalFirst();
        GetNextRecord();
        GetNextRecords();
    } catch (...) {
        bof_ = true;
        throw;
    }
    bof_ = true;
}

void TDataSet::Last()
{
    CheckBrowseMode();
    ClearBuffers();
    try {
        InternalLast();
        GetPriorRecord();
        GetPriorRecords();
    } catch (...) {
        eof_ = true;
        throw;
    }
    eof_ = true;
}

int TDataSet::MoveBy(int distance)
{
    CheckBrowseMode();
    int moved = 0;
    if ((distance > 0 && eof_) || (distance < 0 && bof_) || distance == 0)
        return 0;
    bof_ = eof_ = false;
    if (distance > 0) {
        const int inRing = std::min(recordCount_ - activeRecord_ - 1, distance);
        activeRecord_ += inRing;
        distance -= inRing;
        moved += inRing;
        while (distance > 0) {
            if (!GetNextRecord()) {
                eof_ = true;
                break;
            }
            activeRecord_ = recordCount_ - 1;
            --distance;
            ++moved;
        }
    } else {
        const int inRing = std::min(activeRecord_, -distance);
        activeRecord_ -= inRing;
        distance += inRing;
        moved -= inRing;
        while (distance < 0) {
            if (!GetPriorRecord()) {
                bof_ = true;
                break;
            }
            activeRecord_ = 0;
            ++distance;
            --moved;
        }
    }
    return moved;
}

void TDataSet::Refresh()
{
    CheckBrowseMode();
    UpdateCursorPos();
    InternalRefresh();
    Resync();
}

// ---- editing ------------------------------------------------------------------------

void TDataSet::Edit()
{
    if (Editing(state_))
        return;
    CheckActive();
    if (recordCount_ == 0) {
        Insert();
        return;
    }
    CheckBrowseMode();
    CheckCanModify();
    UpdateCursorPos();
    modified_ = false;
    state_ = TDataSetState::dsEdit;
}

void TDataSet::Insert()
{
    CheckBrowseMode();
    CheckCanModify();
    insertReturn_ = GetBookmark();
    appending_ = false;
    MoveBuffer(recordCount_, activeRecord_);
    currentRecord_ = -1; // the ring moved under the cursor
    TRecordBuffer buffer = buffers_[activeRecord_];
    InitRecord(buffer);
    if (recordCount_ == 0)
        SetBookmarkFlag(buffer, TBookmarkFlag::bfBOF);
    else if (!insertReturn_.empty())
        SetBookmarkData(buffer, insertReturn_.data());
    if (recordCount_ < bufferCount_)
        ++recordCount_;
    bof_ = eof_ = false;
    modified_ = false;
    state_ = TDataSetState::dsInsert;
}

void TDataSet::Append()
{
    CheckBrowseMode();
    CheckCanModify();
    insertReturn_.clear();
    appending_ = true;
    ClearBuffers();
    TRecordBuffer buffer = buffers_[0];
    InitRecord(buffer);
    SetBookmarkFlag(buffer, TBookmarkFlag::bfEOF);
    recordCount_ = 1;
    bof_ = false;
    GetPriorRecords();
    eof_ = false;
    modified_ = false;
    state_ = TDataSetState::dsInsert;
}

void TDataSet::ReturnToBrowse()
{
    state_ = TDataSetState::dsBrowse;
    modified_ = false;
}

void TDataSet::Post()
{
    CheckActive();
    if (!Editing(state_))
        return;
    if (state_ == TDataSetState::dsEdit)
        UpdateCursorPos();
    InternalPost();
    ReturnToBrowse();
    Resync();
}

void TDataSet::Cancel()
{
    if (state_ == TDataSetState::dsEdit) {
        UpdateCursorPos();
        ReturnToBrowse();
        Resync();
    } else if (state_ == TDataSetState::dsInsert) {
        ReturnToBrowse();
        if (appending_)
            InternalLast();
        else if (!insertReturn_.empty())
            InternalGotoBookmark(insertReturn_.data());
        else
            InternalFirst();
        Resync();
    }
}

void TDataSet::Delete()
{
    CheckActive();
    if (state_ == TDataSetState::dsInsert) {
        Cancel();
        return;
    }
    if (IsEmpty())
        DatabaseError("Cannot perform this operation on an empty dataset");
    CheckCanModify();
    ReturnToBrowse(); // changes to the record being deleted go with it
    UpdateCursorPos();
    InternalDelete();
    Resync();
}

void TDataSet::AddWholeRecord(const std::vector<TzelVariant> &values, bool append)
{
    append ? Append() : Insert();
    try {
        const size_t count = std::min(values.size(), fields_.size());
        for (size_t i = 0; i < count; ++i)
            if (!fields_[i]->Calculated())
                fields_[i]->SetValue(values[i]);
        InternalAddRecord(ActiveBuffer(), append);
    } catch (...) {
        Cancel();
        throw;
    }
    ReturnToBrowse();
    Resync();
}

// ---- bookmarks and filtering ----------------------------------------------------------

TBookmark TDataSet::GetBookmark()
{
    if (!Active() || bookmarkSize_ <= 0 || IsEmpty() || state_ == TDataSetState::dsInsert ||
        GetBookmarkFlag(ActiveBuffer()) != TBookmarkFlag::bfCurrent)
        return TBookmark();
    TBookmark bookmark(static_cast<size_t>(bookmarkSize_), '\0');
    GetBookmarkData(ActiveBuffer(), bookmark.data());
    return bookmark;
}

void TDataSet::GotoBookmark(const TBookmark &bookmark)
{
    if (bookmark.empty())
        return;
    CheckBrowseMode();
    if (static_cast<int>(bookmark.size()) != bookmarkSize_)
        DatabaseError("Invalid bookmark");
    InternalGotoBookmark(bookmark.data());
    Resync(true);
}

void TDataSet::SetFiltered(bool filtered)
{
    filtered_ = filtered;
}
