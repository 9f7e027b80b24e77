#include "BlobField.h"

#include "DataSet.h"
#include "DatabaseError.h"
#include "zelStream.h"
#include "zelStrings.h"

namespace {

TDataSet &DataSetOf(const TField &field)
{
    if (field.DataSet() == nullptr)
        DatabaseError("Field '" + field.FieldName() + "' has no dataset");
    return *field.DataSet();
}

} // namespace

std::string TBlobField::AsString() const
{
    auto stream = DataSetOf(*this).CreateBlobStream(const_cast<TBlobField *>(this), TBlobStreamMode::bmRead);
    return LoadStringFromStream(*stream);
}

void TBlobField::SetAsString(const std::string &value)
{
    TDataSet &dataSet = DataSetOf(*this);
    dataSet.CheckFieldWritable(*this);
    auto stream = dataSet.CreateBlobStream(this, TBlobStreamMode::bmWrite);
    // Write itself, not WriteBuffer: an empty value must still count as written.
    if (stream->Write(value.data(), static_cast<int64_t>(value.size())) != static_cast<int64_t>(value.size()))
        throw EWriteError("Stream write error");
}
