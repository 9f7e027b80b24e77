#include "zelXMLDataSet2.h"

#include <cstring>
#include <filesystem>

#include "ApplicationError.h"
#include "DatabaseError.h"
#include "XmlFieldText.h"
#include "zelStrings.h"
#include "zelXMLParser2.h"

namespace {

bool FileExists(const std::string &fileName)
{
    std::error_code error;
    return !fileName.empty() && std::filesystem::is_regular_file(fileName, error);
}

std::string AttributeText(const TzelXMLNode2 &node, const char *name)
{
    const TzelVariant value = node.AttributeValue(TzelVariant(name));
    return value.AsString();
}

// A field's text in a row: its child element's text; empty when the row or the child is missing.
std::string_view FieldText(const TzelXMLNode2 *row, const std::string &fieldName)
{
    const TzelXMLNode2 *child = row != nullptr ? row->FindChild(fieldName, false) : nullptr;
    return child != nullptr ? child->TextView() : std::string_view();
}

} // namespace

TzelXMLDataSet2::TzelXMLDataSet2()
    : document_(std::make_unique<TzelXMLParser2>()), formatSettings_(TFormatSettings::FromUserLocale())
{
}

TzelXMLDataSet2::~TzelXMLDataSet2()
{
    // Close here, while the source operations and the document still exist.
    try {
        Close();
    } catch (const std::exception &error) {
        ApplicationHandleException(error);
    }
}

void TzelXMLDataSet2::SetXMLFile(const std::string &fileName)
{
    if (Active())
        DatabaseError("Cannot change XMLFile of an active dataset");
    if (!fileName.empty() && !FileExists(fileName))
        DatabaseError("Invalid XMLFile path.");
    xmlFile_ = fileName;
    fieldsElement_ = rowsElement_ = currentRow_ = nullptr;
    if (fileName.empty()) {
        document_ = std::make_unique<TzelXMLParser2>();
        return;
    }
    document_->LoadFromFile(fileName);
    fieldsElement_ = document_->FindChild("fields", false);
    rowsElement_ = document_->FindChild("rows", false);
    if (!document_->LastError().empty())
        throw EDatabaseError(document_->LastError());
}

bool TzelXMLDataSet2::DocumentComplete() const
{
    return document_->LastError().empty();
}

bool TzelXMLDataSet2::GetCanModify()
{
    return !readOnly_ && DocumentComplete();
}

int TzelXMLDataSet2::RecordCount()
{
    return rowsElement_ != nullptr ? rowsElement_->ChildCount() : 0;
}

int TzelXMLDataSet2::RecNo()
{
    // Calculated fields and filters are worked out in the middle of a fetch, for the record
    // being fetched: bringing the cursor back to the active record then would derail the fetch.
    if (State() == TDataSetState::dsCalcFields || State() == TDataSetState::dsFilter) {
        const TRecordBuffer buffer = CurrentBuffer();
        return buffer != nullptr ? BufferRecordId(buffer) + 1 : 0;
    }
    UpdateCursorPos();
    if (currentIndex_ == -1 && RecordCount() > 0)
        return 1;
    return currentIndex_ + 1;
}

void TzelXMLDataSet2::SetRecNo(int recNo)
{
    if (!Active() || recNo < 1 || recNo > RecordCount())
        return;
    CheckBrowseMode();
    currentIndex_ = recNo - 1;
    Resync();
}

TzelXMLNode2 *TzelXMLDataSet2::RowAt(int32_t index) const
{
    if (rowsElement_ == nullptr || index < 0)
        return nullptr;
    return rowsElement_->ChildAt(index);
}

// ---- the source operations ------------------------------------------------------------------

bool TzelXMLDataSet2::OpenSource()
{
    currentIndex_ = -1;
    return fieldsElement_ != nullptr;
}

void TzelXMLDataSet2::CloseSource()
{
    // A document that did not parse completely holds only part of the file: writing it
    // back would destroy the rest.
    if (FileExists(xmlFile_) && DocumentComplete())
        document_->SaveToFile(xmlFile_);
    FieldDefs().Clear();
    xmlFile_.clear();
    fieldsElement_ = rowsElement_ = currentRow_ = nullptr;
}

void TzelXMLDataSet2::DeleteSourceRecord()
{
    if (TzelXMLNode2 *row = RowAt(RecNo() - 1))
        rowsElement_->DeleteChild(row);
}

void TzelXMLDataSet2::DefineFields()
{
    for (int i = 0; i < fieldsElement_->ChildCount(); ++i) {
        const TzelXMLNode2 *definition = fieldsElement_->ChildAt(i);
        if (definition == nullptr)
            continue;
        const TFieldType type = XmlFieldType(AttributeText(*definition, "type"));
        const int size = type == TFieldType::ftString ? XmlStringFieldSize(AttributeText(*definition, "size")) : 0;
        FieldDefs().Add(definition->Name(), type, size, false);
    }
}

void TzelXMLDataSet2::ReadFieldValue(TField &field, TzelVariant &value)
{
    value = XmlTextToValue(field.DataType(), FieldText(currentRow_, field.FieldName()), formatSettings_);
}

void TzelXMLDataSet2::WriteFieldValue(TField &field, const TzelVariant &value)
{
    if (currentRow_ == nullptr)
        return;
    currentRow_->ChildOrNew(field.FieldName())->SetText(XmlValueToText(field.DataType(), value, formatSettings_));
}

void TzelXMLDataSet2::ReadBlob(TField &field, TStream &stream)
{
    SaveStringToStream(FieldText(currentRow_, field.FieldName()), stream);
}

void TzelXMLDataSet2::WriteBlob(TField &field, TStream &stream)
{
    const std::string text = LoadStringFromStream(stream);
    if (currentRow_ != nullptr)
        currentRow_->ChildOrNew(field.FieldName())->SetText(text);
}

void TzelXMLDataSet2::BeforeRead()
{
    currentRow_ = RowAt(currentIndex_);
}

void TzelXMLDataSet2::AfterRead()
{
    if (!(State() == TDataSetState::dsInsert && currentRow_ != nullptr))
        currentRow_ = nullptr;
}

void TzelXMLDataSet2::BeforeWrite(bool inserting)
{
    if (!inserting) {
        currentRow_ = RowAt(currentIndex_);
        return;
    }
    if (rowsElement_ == nullptr)
        rowsElement_ = document_->ChildOrNew("rows");
    auto *row = new TzelXMLNode2;
    row->SetName("row");
    rowsElement_->AppendChild(row);
    currentRow_ = row;
}

void TzelXMLDataSet2::AfterWrite(bool inserting)
{
    // New rows always go to the end; the cursor follows the new record.
    if (inserting)
        currentIndex_ = RecordCount() - 1;
    currentRow_ = nullptr;
}

void TzelXMLDataSet2::MoveToBookmark(const void *bookmark)
{
    std::memcpy(&currentIndex_, bookmark, sizeof currentIndex_);
}

void TzelXMLDataSet2::RecordIdToBookmark(int32_t id, void *bookmark)
{
    std::memcpy(bookmark, &id, sizeof id);
}

TGetResult TzelXMLDataSet2::StepCursor(TGetMode mode)
{
    const int32_t count = RecordCount();
    if (count == 0)
        return TGetResult::grEOF;
    switch (mode) {
    case TGetMode::gmCurrent:
        return currentIndex_ < 0 || currentIndex_ >= count ? TGetResult::grError : TGetResult::grOK;
    case TGetMode::gmNext:
        if (currentIndex_ >= count - 1)
            return TGetResult::grEOF;
        ++currentIndex_;
        return TGetResult::grOK;
    case TGetMode::gmPrior:
        if (currentIndex_ > count)
            currentIndex_ = count; // a cursor left past the end by a deletion
        if (currentIndex_ < 1) {
            currentIndex_ = -1;
            return TGetResult::grBOF;
        }
        --currentIndex_;
        return TGetResult::grOK;
    }
    return TGetResult::grOK;
}
