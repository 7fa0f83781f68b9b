// RecordTable: a fixed-capacity table of keyword records whose ids are their indices in declaration order.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

// The keyword of a record, as far as its NUL (never past the field).
template <class Record> std::string_view RecordKeyword(const Record& record)
{
    if constexpr (requires { record.Keyword; })
        return std::string_view(record.Keyword, strnlen(record.Keyword, sizeof(record.Keyword)));
    else
        return std::string_view(record.keyword, strnlen(record.keyword, sizeof(record.keyword)));
}

// Why a declaration was refused.
enum class DeclareResult
{
    kDeclared,
    kTableFull,
    kKeywordTooLong,
};

template <class Record, uint32_t Capacity> class RecordTable
{
public:
    using RecordType = Record;
    static constexpr uint32_t kCapacity = Capacity;
    static constexpr int32_t kNotFound = -1;

    // Room for every record at once, so records never move; each is zero-filled when declared.
    RecordTable() { m_records.reserve(Capacity); }
    RecordTable(const RecordTable&) = delete;
    RecordTable& operator=(const RecordTable&) = delete;

    uint32_t Count() const { return static_cast<uint32_t>(m_records.size()); }
    bool IsValid(int32_t id) const { return id >= 0 && static_cast<uint32_t>(id) < Count(); }

    // The record of a valid id.
    Record& operator[](int32_t id) { return m_records[static_cast<size_t>(id)]; }
    const Record& operator[](int32_t id) const { return m_records[static_cast<size_t>(id)]; }
    // The declared records in id order.
    auto begin() { return m_records.begin(); }
    auto end() { return m_records.end(); }
    auto begin() const { return m_records.begin(); }
    auto end() const { return m_records.end(); }

    // Record 0, where stored data takes id 0 for "none"; a zero-filled record of no id while the table is empty.
    Record& First() { return m_records.empty() ? m_none : m_records[0]; }

    // A zero-filled record that belongs to no id, handed out for ids out of range; refilled on every call so
    // that what one caller wrote into it never reaches the next.
    Record& Empty() const
    {
        m_empty = Record{};
        return m_empty;
    }

    // The id of the first record whose keyword equals `keyword` exactly; kNotFound when none does.
    int32_t Find(std::string_view keyword) const
    {
        for (const Record& record : m_records)
        {
            if (RecordKeyword(record) == keyword)
                return static_cast<int32_t>(&record - m_records.data());
        }
        return kNotFound;
    }

    // Takes the next record: its id is the count, its keyword the given one. Refused when the table is full or
    // the keyword does not fit its field.
    DeclareResult Declare(std::string_view keyword, Record** ppRecord)
    {
        *ppRecord = nullptr;
        if (Count() >= Capacity)
            return DeclareResult::kTableFull;
        if (keyword.size() >= KeywordSize())
            return DeclareResult::kKeywordTooLong;
        Record& record = m_records.emplace_back();
        char* field = KeywordField(record);
        std::memcpy(field, keyword.data(), keyword.size());
        field[keyword.size()] = 0;
        SetID(record, static_cast<int32_t>(Count() - 1));
        *ppRecord = &record;
        return DeclareResult::kDeclared;
    }

    // True the first time a declaration finds the table full, false after: a full table is reported once.
    bool FirstFullRefusal()
    {
        const bool first = !m_bFullReported;
        m_bFullReported = true;
        return first;
    }

    static constexpr size_t KeywordSize()
    {
        if constexpr (requires(Record r) { r.Keyword; })
            return sizeof(Record::Keyword);
        else
            return sizeof(Record::keyword);
    }

private:
    static char* KeywordField(Record& record)
    {
        if constexpr (requires { record.Keyword; })
            return record.Keyword;
        else
            return record.keyword;
    }
    static void SetID(Record& record, int32_t id)
    {
        if constexpr (requires { record.ID; })
            record.ID = id;
        else
            record.id = id;
    }
    std::vector<Record> m_records;
    Record m_none{};
    mutable Record m_empty{};
    bool m_bFullReported = false;
};
