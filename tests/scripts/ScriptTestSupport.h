// Shared pieces of the script tests: a scripted object that records what its script does to it, a park host that
// records what is posted, compiling from exact-size buffers, and recorded reports.
#pragma once

#include "platform/Random.h"
#include "scripts/ObjectScript.h"
#include "scripts/ScriptHost.h"
#include "scripts/ScriptManager.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace scripttest
{

// One post as the object or the host saw it; delay -1 for an immediate one.
struct Post
{
    MessageRecord record;
    float delay;
};

// The park: records every post, holds the pause flag.
class TestHost : public ScriptHost
{
public:
    bool IsPaused() const override { return paused; }
    bool PostScriptMessage(const MessageRecord& record) override
    {
        posts.push_back({record, -1.0f});
        if (journal)
            journal->push_back("host " + std::to_string(record.dwType));
        return accept;
    }
    bool PostScriptMessageDelayed(const MessageRecord& record, float delay) override
    {
        posts.push_back({record, delay});
        if (journal)
            journal->push_back("host " + std::to_string(record.dwType));
        return accept;
    }
    platform::Vec3 ScenePosition(const platform::Vec3& p) const override
    {
        scenes.push_back(p);
        return {p.x, p.z, p.y};
    }

    bool paused = false;
    bool accept = true;
    std::vector<Post> posts;
    // The map positions asked for in scene units.
    mutable std::vector<platform::Vec3> scenes;
    // Where posts are journalled too, when set.
    std::vector<std::string>* journal = nullptr;
};

// A scripted object with variables by id (any value may be stored), answering the constant kinds as the object
// root does. It journals functions, posts, animations and writes; posts go through its script when it has one,
// as the scripted classes' do.
class TestObject : public ScriptObject
{
public:
    ScriptValue GetScriptVariable(const ScriptOperand& operand) override
    {
        ++reads[operand.id];
        switch (operand.id)
        {
        case SCRIPT_OPERAND_TEXT:
            return ScriptValue::Text(operand.text);
        case SCRIPT_OPERAND_NUMBER:
            return ScriptValue::Float(operand.real);
        case SCRIPT_OPERAND_RAND:
            return ScriptValue::UInt(operand.number ? static_cast<uint32_t>(platform::Rand()) % operand.number : 0);
        case SCRIPT_OPERAND_RANDOM:
            return ScriptValue::Bool(operand.number && platform::Rand() % operand.number == 0);
        case 111:
            return ScriptValue::Bool(true);
        case 112:
            return ScriptValue::Bool(false);
        case 107:
            return ScriptValue::UInt(id);
        case 114:
            return ScriptValue::UInt(state);
        default:
        {
            auto found = vars.find(operand.id);
            return found != vars.end() ? found->second : ScriptValue::Bool(false);
        }
        }
    }
    void SetScriptVariable(const ScriptOperand& operand, const ScriptValue& value) override
    {
        vars[operand.id] = value;
        journal.push_back("set " + std::to_string(operand.id));
    }
    uint32_t GetID() const override { return id; }
    uint32_t GetState() const override { return state; }
    const platform::Vec3& GetWorldPosition() const override { return position; }
    void CallScriptFunction(uint32_t function) override
    {
        functions.push_back(function);
        journal.push_back("function " + std::to_string(function));
    }
    bool PostMessage(MessageRecord record) override
    {
        posts.push_back({record, -1.0f});
        journal.push_back("post " + std::to_string(record.dwType));
        return script ? script->SendMessage(*this, record) : true;
    }
    bool PostDelayedMessage(MessageRecord record, float delay) override
    {
        posts.push_back({record, delay});
        journal.push_back("post " + std::to_string(record.dwType));
        return script ? script->SendDelayedMessage(*this, record, delay) : true;
    }
    void PlayAnimation(const char* name, bool reverse, uint32_t exitState, bool looped, const char* finishName) override
    {
        animations.push_back({name ? name : "", reverse, exitState, looped, finishName ? finishName : "(none)"});
    }
    uint32_t SetAnimationEndMessage(uint32_t type) override
    {
        endMessages.push_back(type);
        return type;
    }

    float Float(uint32_t var) const { return vars.at(var).AsFloatBits(); }
    uint32_t Word(uint32_t var) const { return vars.at(var).data; }
    uint32_t Type(uint32_t var) const { return vars.at(var).type; }

    struct Animation
    {
        std::string name;
        bool reverse;
        uint32_t exitState;
        bool looped;
        std::string finish;
    };

    uint32_t id = 7;
    uint32_t state = 0;
    platform::Vec3 position = {0.0f, 0.0f, 0.0f};
    const ObjectScript* script = nullptr;
    std::map<uint32_t, ScriptValue> vars;
    std::map<uint32_t, int> reads;
    std::vector<uint32_t> functions;
    std::vector<Post> posts;
    std::vector<Animation> animations;
    std::vector<uint32_t> endMessages;
    std::vector<std::string> journal;
};

// Compiles exactly the text's bytes (a heap buffer of that size, no terminator after it).
inline std::unique_ptr<ObjectScript> Compile(const std::string& text)
{
    std::unique_ptr<char[]> buffer(new char[text.size() ? text.size() : 1]);
    std::memcpy(buffer.get(), text.data(), text.size());
    auto script = std::make_unique<ObjectScript>();
    script->Compile(buffer.get(), static_cast<uint32_t>(text.size()));
    return script;
}

// The text with every byte complemented, as the scrambled files store it.
inline std::vector<uint8_t> Scrambled(const std::string& text)
{
    std::vector<uint8_t> bytes(text.begin(), text.end());
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(~b);
    return bytes;
}

// A script manager over a recording host, and the reports made meanwhile.
class ScriptFixture : public ::testing::Test
{
protected:
    std::vector<std::string> TakeReports()
    {
        std::vector<std::string> texts;
        for (const auto& box : sink.boxes)
            texts.push_back(box.text);
        sink.boxes.clear();
        return texts;
    }
    size_t CountReports(const std::string& fragment) const
    {
        size_t n = 0;
        for (const auto& box : sink.boxes)
            n += box.text.find(fragment) != std::string::npos ? 1 : 0;
        return n;
    }
    // Compiles a script and binds it to the object.
    const ObjectScript& Bind(const std::string& text)
    {
        scripts.push_back(Compile(text));
        object.script = scripts.back().get();
        return *scripts.back();
    }

    testsupport::RecordingReportSink sink;
    TestHost host;
    ScriptManager manager{&host};
    TestObject object;
    std::vector<std::unique_ptr<ObjectScript>> scripts;
};

} // namespace scripttest
