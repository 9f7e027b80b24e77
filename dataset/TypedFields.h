#pragma once
// The field classes with a fixed-size native form:
//   TStringField                      zero-terminated text of Size characters
//   TIntegerField, TSmallintField     32-bit signed integer
//   TBooleanField                     16-bit, nonzero = true
//   TFloatField, TCurrencyField, TBCDField   64-bit floating point
//   TDateField                        32-bit whole days (see DateTimeValue.h)
//   TTimeField                        32-bit milliseconds since midnight
//   TDateTimeField                    64-bit TDateTime
// Text forms use "." as decimal point and the fixed "yyyy-mm-dd" / "hh:nn:ss" layouts.
#include "Field.h"

class TStringField : public TField {
public:
    explicit TStringField(int size = 20) : TField(TFieldType::ftString, size) {}
    int DataSize() const override { return Size() + 1; }
    std::string AsString() const override;
    // Longer text is cut to Size characters.
    void SetAsString(const std::string &value) override;
};

class TIntegerField : public TField {
public:
    TIntegerField() : TField(TFieldType::ftInteger) {}
    int DataSize() const override { return 4; }
    std::string AsString() const override;
    void SetAsString(const std::string &value) override;
    int32_t AsInteger() const override;
    void SetAsInteger(int32_t value) override;
    double AsFloat() const override { return AsInteger(); }
    void SetAsFloat(double value) override;

protected:
    TIntegerField(TFieldType dataType, int32_t minimum, int32_t maximum)
        : TField(dataType), minimum_(minimum), maximum_(maximum) {}

private:
    int32_t minimum_ = INT32_MIN;
    int32_t maximum_ = INT32_MAX;
};

class TSmallintField : public TIntegerField {
public:
    TSmallintField() : TIntegerField(TFieldType::ftSmallint, -32768, 32767) {}
};

class TBooleanField : public TField {
public:
    TBooleanField() : TField(TFieldType::ftBoolean) {}
    int DataSize() const override { return 2; }
    // "True" / "False"
    std::string AsString() const override;
    void SetAsString(const std::string &value) override;
    bool AsBoolean() const override;
    void SetAsBoolean(bool value) override;
    int32_t AsInteger() const override { return AsBoolean() ? 1 : 0; }
    void SetAsInteger(int32_t value) override { SetAsBoolean(value != 0); }
};

class TFloatField : public TField {
public:
    TFloatField() : TField(TFieldType::ftFloat) {}
    int DataSize() const override { return 8; }
    // General format, up to 15 significant digits.
    std::string AsString() const override;
    void SetAsString(const std::string &value) override;
    double AsFloat() const override;
    void SetAsFloat(double value) override;
    int32_t AsInteger() const override;
    void SetAsInteger(int32_t value) override { SetAsFloat(value); }

protected:
    explicit TFloatField(TFieldType dataType) : TField(dataType) {}
};

class TCurrencyField : public TFloatField {
public:
    TCurrencyField() : TFloatField(TFieldType::ftCurrency) {}
};

class TBCDField : public TFloatField {
public:
    TBCDField() : TFloatField(TFieldType::ftBCD) {}
};

// Date and time fields: their float value is the TDateTime.
class TTemporalField : public TField {
public:
    double AsFloat() const override { return AsDateTime(); }
    void SetAsFloat(double value) override { SetAsDateTime(value); }

protected:
    explicit TTemporalField(TFieldType dataType) : TField(dataType) {}
};

class TDateField : public TTemporalField {
public:
    TDateField() : TTemporalField(TFieldType::ftDate) {}
    int DataSize() const override { return 4; }
    std::string AsString() const override;
    TDateTime AsDateTime() const override;
    void SetAsDateTime(TDateTime value) override;
};

class TTimeField : public TTemporalField {
public:
    TTimeField() : TTemporalField(TFieldType::ftTime) {}
    int DataSize() const override { return 4; }
    std::string AsString() const override;
    TDateTime AsDateTime() const override;
    void SetAsDateTime(TDateTime value) override;
};

class TDateTimeField : public TTemporalField {
public:
    TDateTimeField() : TTemporalField(TFieldType::ftDateTime) {}
    int DataSize() const override { return 8; }
    // "yyyy-mm-dd hh:nn:ss"
    std::string AsString() const override;
    TDateTime AsDateTime() const override;
    void SetAsDateTime(TDateTime value) override;
};
