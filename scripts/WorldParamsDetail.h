// Helpers shared by the WorldParams sources: reported declarations and range-checked record access.
#pragma once

#include "engine/core/Logger.h"
#include "scripts/RecordTable.h"

#include <cstdint>

namespace worldparams
{

// Declares a record in the table, reporting a refusal under `where`: a keyword too long each time, a full table
// the first time only.
template <class Table> typename Table::RecordType* Declare(Table& table, const char* keyword, const char* where)
{
    typename Table::RecordType* record = nullptr;
    switch (table.Declare(keyword, &record))
    {
    case DeclareResult::kTableFull:
        if (table.FirstFullRefusal())
            GetLogger()->Report(0, "%s - table full (%u records) - %s", where, Table::kCapacity, keyword);
        break;
    case DeclareResult::kKeywordTooLong:
        GetLogger()->Report(0, "%s - keyword too long (%zu characters at most) - %s", where, Table::KeywordSize() - 1,
                            keyword);
        break;
    case DeclareResult::kDeclared:
        break;
    }
    return record;
}

// The record of the id; an id outside the table is reported under `where` and gives the table's empty record.
template <class Table> typename Table::RecordType& RecordAt(Table& table, int32_t id, const char* where)
{
    if (table.IsValid(id))
        return table[id];
    GetLogger()->Report(0, "%s - id out of range - %d", where, id);
    return table.Empty();
}

} // namespace worldparams
