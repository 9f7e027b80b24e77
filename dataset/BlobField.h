#pragma once
// Blob fields (memo and graphic): their content has no fixed size and travels through a
// stream the dataset hands out (TDataSet::CreateBlobStream).
#include "Field.h"

class TBlobField : public TField {
public:
    explicit TBlobField(TFieldType dataType = TFieldType::ftBlob) : TField(dataType) {}
    bool IsBlob() const override { return true; }
    // The whole content as bytes.
    std::string AsString() const override;
    // Replaces the whole content; the dataset must be editing.
    void SetAsString(const std::string &value) override;
};

class TMemoField : public TBlobField {
public:
    TMemoField() : TBlobField(TFieldType::ftMemo) {}
};

class TGraphicField : public TBlobField {
public:
    TGraphicField() : TBlobField(TFieldType::ftGraphic) {}
};
