// Game parameters: the quoted-name script format (ParameterScript) and the typed start-up parameters read from it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A text file of named values: 'NAME' followed by a number, a "string" or any other token. See GameParameters.cpp
// for the exact format.
class ParameterScript
{
public:
    enum EntryType : int32_t
    {
        kNeither = 0,
        kString = 1,
        kNumber = 2,
    };

    struct Entry
    {
        std::string name;
        int32_t type = kNeither;
        std::string text;    // the string of a kString entry
        float number = 0.0f; // the value of a kNumber entry
    };

    // Reads and parses the whole file (plain, not scrambled); a file that cannot be opened gives no entries.
    explicit ParameterScript(const char* fileName);

    // The number of the last entry of that name (letter case ignored); null when there is none or that entry is
    // not a number.
    const float* GetNumber(const char* name) const;
    // The string of the last entry of that name (letter case ignored); null when there is none or that entry is
    // not a string.
    const char* GetString(const char* name) const;

    uint32_t GetEntryCount() const { return static_cast<uint32_t>(m_entries.size()); }
    // Entries in file order; index below GetEntryCount.
    const Entry& GetEntry(uint32_t index) const { return m_entries[index]; }

private:
    void Parse(const char* text);
    const Entry* FindLast(const char* name) const;

    std::vector<Entry> m_entries;
};

// The typed parameters of "data/script/gameparameters.pis". The first letter of each name gives its type:
// b (boolean), i (integer), f (float), s (string). A value of the wrong type or a name without a type letter ends
// the program through FatalError.
class GameParameters
{
public:
    static constexpr size_t kMaxText = 255;

    // Sets g_pGameParameters and reads the file; a missing file gives an empty set.
    explicit GameParameters(const char* fileName);
    // Clears g_pGameParameters.
    ~GameParameters();

    GameParameters(const GameParameters&) = delete;
    GameParameters& operator=(const GameParameters&) = delete;

    // The value of the first parameter whose name equals `name` exactly (letter case counts); false, with *out
    // left as it was, when there is none. Only the field of the parameter's own type is set, the others read 0.
    bool GetBool(const char* name, bool* out) const;
    bool GetInt(const char* name, int32_t* out) const;
    bool GetFloat(const char* name, float* out) const;
    // The string of the first parameter of that exact name; null when there is none or it is not an s parameter.
    const char* GetString(const char* name) const;

    uint32_t GetCount() const { return static_cast<uint32_t>(m_records.size()); }

private:
    struct Record
    {
        char szName[kMaxText + 1] = {};
        bool bValue = false;
        int32_t iValue = 0;
        float fValue = 0.0f;
        bool bHasString = false;
        std::string sValue;
    };

    const Record* FindFirst(const char* name) const;

    std::vector<Record> m_records; // in file order
};

extern GameParameters* g_pGameParameters;
