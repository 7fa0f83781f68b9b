// The table of texts that travel in messages by handle.
#include "scripts/ScriptTextHandles.h"

#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

namespace
{

struct Table
{
    // Handle n is texts[n - 1]; a deque keeps every kept text where it is.
    std::deque<std::string> texts;
    std::unordered_map<std::string_view, uint32_t> handles;
};

Table& Texts()
{
    static Table table;
    return table;
}

} // namespace

uint32_t InternScriptText(const char* text)
{
    if (!text)
        return kNoScriptText;
    Table& table = Texts();
    const auto found = table.handles.find(std::string_view(text));
    if (found != table.handles.end())
        return found->second;
    if (table.texts.size() >= kMaxScriptTexts)
        return kNoScriptText;
    table.texts.emplace_back(text);
    const uint32_t handle = static_cast<uint32_t>(table.texts.size());
    table.handles.emplace(std::string_view(table.texts.back()), handle);
    return handle;
}

const char* ScriptTextOf(uint32_t handle)
{
    const Table& table = Texts();
    if (handle == kNoScriptText || handle > table.texts.size())
        return nullptr;
    return table.texts[handle - 1].c_str();
}
