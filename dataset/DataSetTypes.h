#pragma once
// The small vocabulary shared by the dataset framework and the datasets built on it.
#include <string>

// What a dataset is doing right now; it selects which record buffer field access works on.
enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsCalcFields, dsFilter };

// Field types. Those after ftGraphic have no field class and take no room in a record.
enum class TFieldType {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftMemo,
    ftGraphic,
    ftWord,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftFmtMemo,
};

// Data fields come from the record source; calculated and lookup fields live only in the
// record buffer's calculated-field area.
enum class TFieldKind { fkData, fkCalculated, fkLookup };

// Record fetch: which record to get, and what came of it.
enum class TGetMode { gmCurrent, gmNext, gmPrior };
enum class TGetResult { grOK, grBOF, grEOF, grError };

// Where a record buffer stands: on a record, before the first, after the last, or new.
enum class TBookmarkFlag : unsigned char { bfCurrent = 0, bfBOF, bfEOF, bfInserted };

enum class TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

// A bookmark is an opaque run of bytes; empty means "no bookmark".
using TBookmark = std::string;

// A record buffer: raw bytes laid out by the dataset that allocated it.
using TRecordBuffer = char *;
