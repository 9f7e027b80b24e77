#pragma once
// Field definitions: what the record source says its columns are. A dataset fills them
// while it opens; field objects are then made from them.
#include <string>
#include <vector>

#include "DataSetTypes.h"

struct TFieldDef {
    std::string Name;
    TFieldType DataType = TFieldType::ftUnknown;
    int Size = 0; // characters of a string field; unused by other types
    bool Required = false;
};

class TFieldDefs {
public:
    void Add(std::string name, TFieldType dataType, int size = 0, bool required = false)
    {
        defs_.push_back({std::move(name), dataType, size, required});
    }
    void Clear() { defs_.clear(); }
    int Count() const { return static_cast<int>(defs_.size()); }
    const TFieldDef &Items(int index) const { return defs_.at(static_cast<size_t>(index)); }
    const TFieldDef *Find(const std::string &name) const
    {
        for (const TFieldDef &def : defs_)
            if (def.Name == name)
                return &def;
        return nullptr;
    }

private:
    std::vector<TFieldDef> defs_;
};
