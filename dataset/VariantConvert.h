#pragma once
// How a field value read from a record source (a TzelVariant of any kind) becomes the
// number or truth value a record buffer slot holds. A value that does not convert gives 0
// or false.
#include <cstdint>

#include "zelVariant.h"

int32_t VariantToInt32(const TzelVariant &value);
double VariantToDouble(const TzelVariant &value);
bool VariantToBool(const TzelVariant &value);
