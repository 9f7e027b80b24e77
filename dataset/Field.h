#pragma once
// TField: one column of a dataset as its users see it. A field reads and writes its value
// in the dataset's current record buffer through the dataset (GetData / SetData), in the
// field type's native form; the typed getters and setters convert from and to it.
// The base class serves the types that have no field class of their own: it holds no data
// and refuses every typed access.
#include <cstdint>
#include <string>

#include "DataSetTypes.h"
#include "DateTimeValue.h"
#include "zelVariant.h"

class TDataSet;

class TField {
public:
    explicit TField(TFieldType dataType = TFieldType::ftUnknown, int size = 0);
    virtual ~TField() = default;
    TField(const TField &) = delete;
    TField &operator=(const TField &) = delete;

    const std::string &FieldName() const { return fieldName_; }
    void SetFieldName(std::string name) { fieldName_ = std::move(name); }
    TFieldType DataType() const { return dataType_; }
    // Characters of a string field; 0 for the other types.
    int Size() const { return size_; }
    TFieldKind FieldKind() const { return fieldKind_; }
    void SetFieldKind(TFieldKind kind) { fieldKind_ = kind; }
    bool Calculated() const { return fieldKind_ != TFieldKind::fkData; }
    TDataSet *DataSet() const { return dataSet_; }
    // 1-based position among the dataset's fields, set when the fields are bound.
    int FieldNo() const { return fieldNo_; }
    // Where a calculated field's has-value flag sits inside the calculated-field area.
    int Offset() const { return offset_; }
    // Bytes of the native form (string: size + 1); 0 for blobs and unsupported types.
    virtual int DataSize() const { return 0; }
    virtual bool IsBlob() const { return false; }

    // The value in native form from the current record; false when there is none.
    bool GetData(void *buffer) const;
    // Stores a native value into the current record; the dataset must be editing.
    void SetData(const void *buffer);
    bool IsNull() const { return !GetData(nullptr); }

    virtual std::string AsString() const;
    virtual void SetAsString(const std::string &value);
    virtual int32_t AsInteger() const;
    virtual void SetAsInteger(int32_t value);
    virtual double AsFloat() const;
    virtual void SetAsFloat(double value);
    virtual bool AsBoolean() const;
    virtual void SetAsBoolean(bool value);
    virtual TDateTime AsDateTime() const;
    virtual void SetAsDateTime(TDateTime value);
    // Sets the field from a variant by the variant's kind; an empty variant sets nothing.
    void SetValue(const TzelVariant &value);

protected:
    [[noreturn]] void AccessError(const char *typeName) const;

private:
    friend class TDataSet;
    std::string fieldName_;
    TFieldType dataType_;
    int size_;
    TFieldKind fieldKind_ = TFieldKind::fkData;
    TDataSet *dataSet_ = nullptr;
    int fieldNo_ = 0;
    int offset_ = 0;
};
