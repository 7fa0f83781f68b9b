// Shared pieces of the world script tests: a park host that journals every operation the script asks of it, keeps
// variables by id and number, answers cells of a small grid, and can carry out state changes at once.
#pragma once

#include "scripts/ObjectStates.h"
#include "scripts/WorldCommands.h"
#include "scripts/WorldScript.h"
#include "scripts/WorldScriptHost.h"
#include "tests/scripts/ScriptTestSupport.h"

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace scripttest
{

class WorldHost : public WorldScriptHost
{
public:
    // The grid: kWidth x kHeight cells of 32 x 64 map units.
    static constexpr int32_t kWidth = 8;
    static constexpr int32_t kHeight = 8;

    WorldHost() : cells(kWidth * kHeight, 0u) {}

    bool IsPaused() const override { return false; }
    bool PostScriptMessage(const MessageRecord& record) override
    {
        posts.push_back({record, -1.0f});
        Log("post " + std::to_string(record.dwType) + " " + std::to_string(record.dwData));
        // The park carries out its own state changes at once, inside the command that asked.
        if (deliver && script && record.dwReciever == kWorldID && record.dwType == MT_STATECHANGE)
        {
            script->PerformOnExit();
            script->ChangeStateTo(record.dwData);
        }
        else if (deliver && script && record.dwReciever == kWorldID)
            script->Message(record);
        return true;
    }
    bool PostScriptMessageDelayed(const MessageRecord& record, float delay) override
    {
        posts.push_back({record, delay});
        Log("delayed " + std::to_string(record.dwType) + " " + std::to_string(record.dwData));
        return true;
    }
    platform::Vec3 ScenePosition(const platform::Vec3& p) const override { return p; }

    ScriptValue GetScriptVariable(const ScriptOperand& operand) override
    {
        switch (operand.id)
        {
        case SCRIPT_OPERAND_TEXT:
            return ScriptValue::Text(operand.text);
        case SCRIPT_OPERAND_NUMBER:
            return ScriptValue::Float(operand.real);
        case WV_Me:
            return ScriptValue::UInt(kWorldID);
        default:
        {
            auto found = vars.find({operand.id, operand.number});
            return found != vars.end() ? found->second : ScriptValue::UInt(0);
        }
        }
    }
    void SetScriptVariable(const ScriptOperand& operand, const ScriptValue& value) override
    {
        vars[{operand.id, operand.number}] = value;
    }
    void CallScriptFunction(uint32_t function) override { Log("function " + std::to_string(function)); }
    bool IsLoadingSavedGame() const override { return loading; }
    bool GetCellAt(float x, float y, int32_t* gx, int32_t* gy, uint32_t* flags) const override
    {
        ++cellQueries;
        if (x < 0.0f || y < 0.0f || x >= kWidth * 32.0f || y >= kHeight * 64.0f)
            return false;
        *gx = static_cast<int32_t>(x / 32.0f);
        *gy = static_cast<int32_t>(y / 64.0f);
        *flags = cells[static_cast<size_t>(*gy * kWidth + *gx)];
        return true;
    }
    void LayPath(int32_t x, int32_t y, uint32_t direction, int32_t count) override
    {
        Log("path " + Numbers({x, y, static_cast<int32_t>(direction), count}));
    }
    void SetQueueCell(int32_t x, int32_t y, uint32_t shape) override
    {
        Log("queue " + Numbers({x, y, static_cast<int32_t>(shape)}));
    }
    void RequestScenery(uint32_t kind, const char* name, int32_t x, int32_t y, uint8_t direction) override
    {
        Log(std::string(kind == 10 ? "litter " : "scenery ") + name + " " + Numbers({x, y, direction}));
    }
    void RequestGuest(const char* name, float x, float y, uint32_t hours) override
    {
        guests.push_back({x, y, hours});
        Log(std::string("guest ") + name);
    }
    void RequestBuilding(const char* name, int32_t x, int32_t y, uint32_t rotation, float price, uint32_t age,
                         bool broken) override
    {
        char text[160];
        std::snprintf(text, sizeof text, "building %s %d %d %u %.2f %u %d", name, x, y, rotation, price, age,
                      broken ? 1 : 0);
        Log(text);
    }
    void RequestStaff(uint32_t kind, const char* name) override { Log("staff " + std::to_string(kind) + " " + name); }
    void AdoptAnimal(uint32_t slot) override { Log("adopt " + std::to_string(slot)); }
    void MoveCamera(float x, float y) override
    {
        char text[80];
        std::snprintf(text, sizeof text, "camera %.1f %.1f", x, y);
        Log(text);
    }
    void ShowMenu(const char* dialog, const char* parameter) override
    {
        Log(std::string("menu ") + dialog + " " + (parameter ? parameter : "(none)"));
    }
    void EmitTicker(const char* key) override { Log(std::string("ticker ") + key); }

    void Log(const std::string& line) { journal.push_back(line); }
    static std::string Numbers(std::initializer_list<int32_t> values)
    {
        std::string text;
        for (int32_t v : values)
            text += (text.empty() ? "" : " ") + std::to_string(v);
        return text;
    }
    void SetCell(int32_t x, int32_t y, uint32_t flags) { cells[static_cast<size_t>(y * kWidth + x)] = flags; }
    ScriptValue Var(uint32_t id, uint32_t number = 0) const
    {
        auto found = vars.find({id, number});
        return found != vars.end() ? found->second : ScriptValue::Bool(false);
    }

    struct Guest
    {
        float x;
        float y;
        uint32_t hours;
    };

    WorldScript* script = nullptr;
    bool deliver = false;
    bool loading = false;
    std::vector<uint32_t> cells;
    mutable uint32_t cellQueries = 0;
    std::map<std::pair<uint32_t, uint32_t>, ScriptValue> vars;
    std::vector<Post> posts;
    std::vector<Guest> guests;
    std::vector<std::string> journal;
};

// Compiles exactly the text's bytes into a world script.
inline void CompileWorld(WorldScript& script, const std::string& text)
{
    std::unique_ptr<char[]> buffer(new char[text.size() ? text.size() : 1]);
    std::memcpy(buffer.get(), text.data(), text.size());
    script.Compile(buffer.get(), static_cast<uint32_t>(text.size()));
}

// A world script over the journalling host, with the reports made meanwhile.
class WorldScriptFixture : public ::testing::Test
{
protected:
    WorldScriptFixture() { world.script = &script; }

    size_t CountReports(const std::string& fragment) const
    {
        size_t n = 0;
        for (const auto& box : sink.boxes)
            n += box.text.find(fragment) != std::string::npos ? 1 : 0;
        return n;
    }
    size_t ReportCount() const { return sink.boxes.size(); }
    void Compile(const std::string& text) { CompileWorld(script, text); }
    // Compiles a script whose startup State's OnEntry holds the commands, and starts it.
    void RunEntry(const std::string& commands)
    {
        Compile("State STATE_WORLD_STARTUP OnEntry\n" + commands + "\nEnd End\n");
        script.Start();
    }

    testsupport::RecordingReportSink sink;
    WorldHost world;
    ScriptManager manager{&world};
    WorldScript script;
};

} // namespace scripttest
