#include "Field.h"

#include "DataSet.h"
#include "DatabaseError.h"

TField::TField(TFieldType dataType, int size) : dataType_(dataType), size_(size) {}

bool TField::GetData(void *buffer) const
{
    return dataSet_ != nullptr && dataSet_->GetFieldData(this, buffer);
}

void TField::SetData(const void *buffer)
{
    if (dataSet_ == nullptr)
        DatabaseError("Field '" + fieldName_ + "' has no dataset");
    dataSet_->CheckFieldWritable(*this);
    dataSet_->SetFieldData(this, buffer);
}

void TField::AccessError(const char *typeName) const
{
    DatabaseError("Cannot access field '" + fieldName_ + "' as type " + typeName);
}

std::string TField::AsString() const { AccessError("String"); }
void TField::SetAsString(const std::string &) { AccessError("String"); }
int32_t TField::AsInteger() const { AccessError("Integer"); }
void TField::SetAsInteger(int32_t) { AccessError("Integer"); }
double TField::AsFloat() const { AccessError("Float"); }
void TField::SetAsFloat(double) { AccessError("Float"); }
bool TField::AsBoolean() const { AccessError("Boolean"); }
void TField::SetAsBoolean(bool) { AccessError("Boolean"); }
TDateTime TField::AsDateTime() const { AccessError("DateTime"); }
void TField::SetAsDateTime(TDateTime) { AccessError("DateTime"); }

void TField::SetValue(const TzelVariant &value)
{
    if (value.IsString())
        SetAsString(value.String());
    else if (value.IsInteger())
        SetAsInteger(static_cast<int32_t>(value.Integer()));
    else if (value.IsFloat())
        SetAsFloat(value.Float());
    else if (value.IsBool())
        SetAsBoolean(value.Bool());
}
