// The name tables of object scripts.
#include "scripts/ObjectScriptVocabulary.h"

#include <iterator>
#include <strings.h>

namespace
{

#define TW_FUNCTION_NAME(name) #name,
const char* const kFunctionNames[] = {TW_SCRIPT_FUNCTIONS(TW_FUNCTION_NAME)};
#undef TW_FUNCTION_NAME

struct VariableName
{
    const char* name;
    uint32_t id;
};

#define TW_VARIABLE_NAME(name, id) {#name, id},
const VariableName kVariableNames[] = {TW_OBJECT_VARIABLES(TW_VARIABLE_NAME)};
#undef TW_VARIABLE_NAME

static_assert(std::size(kFunctionNames) == SF_NotFound);

} // namespace

uint32_t FindScriptFunction(const char* name)
{
    for (uint32_t i = 0; name && i < std::size(kFunctionNames); ++i)
    {
        if (strcasecmp(kFunctionNames[i], name) == 0)
            return i;
    }
    return SF_NotFound;
}

const char* ScriptFunctionName(uint32_t function)
{
    return function < std::size(kFunctionNames) ? kFunctionNames[function] : nullptr;
}

bool FindObjectVariable(const char* name, uint32_t* id)
{
    for (const VariableName& entry : kVariableNames)
    {
        if (name && strcasecmp(entry.name, name) == 0)
        {
            *id = entry.id;
            return true;
        }
    }
    return false;
}
