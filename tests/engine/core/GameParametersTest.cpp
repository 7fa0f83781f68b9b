// Tests of the parameter-script format and the typed game parameters, including the fatal type errors.
#include "engine/core/GameParameters.h"
#include "tests/support/TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <tuple>
#include <type_traits>

using namespace std::string_literals;

namespace
{
// A script file with the given bytes in a fresh folder.
class ScriptFile
{
public:
    explicit ScriptFile(const std::string& text) : m_path(m_dir.File("params.pis"))
    {
        testsupport::WriteText(m_path, text);
    }
    const char* Path() const { return m_path.c_str(); }

private:
    testsupport::TempDir m_dir;
    std::string m_path;
};

// The entries' names joined by spaces, each followed by its type letter: x (neither), s(tring) or n(umber).
std::string Names(const std::string& text)
{
    ScriptFile file(text);
    ParameterScript script(file.Path());
    std::string out;
    for (uint32_t i = 0; i < script.GetEntryCount(); ++i)
        out += (i ? " " : "") + script.GetEntry(i).name + "xsn"[script.GetEntry(i).type];
    return out;
}

// The value of a parameter that must exist.
template <typename T> T Get(const GameParameters& params, const char* name)
{
    T value{};
    bool found = false;
    if constexpr (std::is_same_v<T, bool>)
        found = params.GetBool(name, &value);
    else if constexpr (std::is_same_v<T, int32_t>)
        found = params.GetInt(name, &value);
    else
        found = params.GetFloat(name, &value);
    EXPECT_TRUE(found) << name;
    return value;
}
} // namespace

TEST(ParameterScript, NumbersReadDigitsPointAndMinusOnly)
{
    // A number stops at the first byte that does not fit: no exponent, no second point; "-" alone is -0.
    const std::pair<const char*, float> rows[] = {{"-.25", -0.25f}, {"-", -0.0f}, {"1.2.3", 1.2f}, {"3e5", 3.0f}};
    for (const auto& [token, expected] : rows)
    {
        ScriptFile file("'n' "s + token + "\r\n");
        ParameterScript script(file.Path());
        const float* value = script.GetNumber("n");
        ASSERT_NE(value, nullptr) << token;
        EXPECT_FLOAT_EQ(*value, expected) << token;
        EXPECT_EQ(std::signbit(*value), std::signbit(expected)) << token;
    }
}

// Which entries a text gives: comments, separators, where the name scan starts, and damaged text.
TEST(ParameterScript, EntriesFoundInAText)
{
    const std::pair<std::string, const char*> rows[] = {
        // '+' and words are tokens of neither type; a token swallows a following name.
        {"'plus' +3 'word' hello 'after' 4", "plusx wordx aftern"},
        // 'z', '{', '|', '}', '~', DEL and high bytes separate; 'y' (121) and '!' (33) belong to tokens.
        {"'a'z{|}~\x7f\xc8\x80 5\xff'b' 6z'c'7~'d'\x80"s + "8", "an bn cn dn"},
        // A '/' between entries starts a comment up to the end of its line: a carriage return or a line feed.
        {"'iA' 1\r\n/'iB' 2\r\n'iC' 3\r\n// 'iD' \"x\"\r\n'iE' 5\r\n", "iAn iCn iEn"},
        {"'iA' 1\n/ note\n'iB' 2\n/'iC' 3\r'iD' 4\n", "iAn iBn iDn"},
        {"'iA' 5/ 'iB' 6", "iAn iBn"},
        // The byte where the scan for a name starts (the first of the text, or right after a value) is no mark.
        {"/'iA' 1\r\n", "iAn"},
        {"'sA' \"x\"/'iB' 2\r\n'sC' \"y\" /'iD' 4\r\n", "sAs iBn sCs"},
        // Parsing ends when fewer than two single quotes remain, at a zero byte, or at an unclosed string or name.
        {"junk 'iA' 1 more junk 'iB", "iAn"},
        {"'iA' 1 \0 'iB' 2"s, "iAn"},
        {"'iA' 1 'sB' \"abc 'iC' 3", "iAn"},
        {"'iA' 1 'iB'   ", "iAn iBx"},
    };
    for (const auto& [text, expected] : rows)
    {
        EXPECT_EQ(Names(text), expected) << text;
        // The same text with line feeds alone for line ends, as a file written on this system has them.
        std::string lineFeeds = text;
        for (size_t at; (at = lineFeeds.find("\r\n")) != std::string::npos;)
            lineFeeds.erase(at, 1);
        EXPECT_EQ(Names(lineFeeds), expected) << lineFeeds;
    }
}

TEST(ParameterScript, StringsAndLookups)
{
    std::string longName(300, 'n');
    std::string longText(1000, 't');
    ScriptFile file("'s1' \"a 'b' / z\r\n{}\" 's2'\"\" 'Value' 1 'VALUE' 2 'mixed' 3 'MIXED' \"text\" '" + longName +
                    "' \"" + longText + "\"");
    ParameterScript script(file.Path());
    // A string runs to the next double quote, whatever lies between.
    EXPECT_STREQ(script.GetString("s1"), "a 'b' / z\r\n{}");
    EXPECT_STREQ(script.GetString("s2"), "");
    EXPECT_EQ(script.GetNumber("s1"), nullptr);
    // Letter case is ignored and the last entry of a name decides, type and all.
    ASSERT_NE(script.GetNumber("value"), nullptr);
    EXPECT_FLOAT_EQ(*script.GetNumber("value"), 2.0f);
    EXPECT_EQ(script.GetNumber("Mixed"), nullptr);
    EXPECT_STREQ(script.GetString("mIxEd"), "text");
    EXPECT_EQ(script.GetNumber("absent"), nullptr);
    // The script itself keeps long names and strings whole.
    EXPECT_EQ(script.GetString(longName.c_str()), longText);

    testsupport::TempDir dir;
    EXPECT_EQ(ParameterScript(dir.File("none.pis").c_str()).GetEntryCount(), 0u);
}

TEST(GameParameters, EveryTypeIsConvertedByItsLetter)
{
    ScriptFile file("'bPLAY_MOVIE' \"TRUE\"\r\n'bSOUND_ENABLED' \"true\"\r\n'bSPACE' \"true \"\r\n"
                    "'iDAY_LENGTH_IN_SECONDS' 300.9\r\n'iNEG' -2.5\r\n'fHALF' .5\r\n'fMINUS' -\r\n"
                    "'sTITLE' \"Harbour Days\"\r\n/ 'Bbad' \"x\"\r\n'iBIG' 99999999999\r\n'iSMALL' -99999999999\r\n"
                    "'iINF' 1" +
                    std::string(400, '0') + "\r\n");
    GameParameters params(file.Path());
    EXPECT_EQ(params.GetCount(), 11u);
    // Only the exact lower-case "true" is true.
    EXPECT_EQ(
        std::tuple(Get<bool>(params, "bPLAY_MOVIE"), Get<bool>(params, "bSOUND_ENABLED"), Get<bool>(params, "bSPACE")),
        std::tuple(false, true, false));
    // Integers truncate toward zero and saturate beyond 32 bits; only the field of the parameter's type is set.
    EXPECT_EQ(std::tuple(Get<int32_t>(params, "iDAY_LENGTH_IN_SECONDS"), Get<int32_t>(params, "iNEG"),
                         Get<int32_t>(params, "iBIG"), Get<int32_t>(params, "iSMALL"), Get<int32_t>(params, "iINF"),
                         Get<int32_t>(params, "fHALF")),
              std::tuple(300, -2, INT32_MAX, INT32_MIN, INT32_MAX, 0));
    EXPECT_FLOAT_EQ(Get<float>(params, "fHALF"), 0.5f);
    EXPECT_TRUE(std::signbit(Get<float>(params, "fMINUS")));
    EXPECT_STREQ(params.GetString("sTITLE"), "Harbour Days");
    EXPECT_EQ(params.GetString("bSOUND_ENABLED"), nullptr);
}

TEST(GameParameters, LookupsAreExactAndLeaveMissingValuesAlone)
{
    ScriptFile file("'iN' 1\r\n'iN' 2\r\n'bFLAG' \"true\"\r\n");
    GameParameters params(file.Path());
    int32_t value = 1234;
    bool flag = false;
    EXPECT_FALSE(params.GetInt("in", &value) || params.GetBool("bflag", &flag));
    EXPECT_TRUE(value == 1234 && !flag);
    // The first of two equal names wins here, while the script finds the last, ignoring case.
    EXPECT_EQ(Get<int32_t>(params, "iN"), 1);
    EXPECT_FLOAT_EQ(*ParameterScript(file.Path()).GetNumber("in"), 2.0f);

    testsupport::TempDir dir;
    EXPECT_EQ(GameParameters(dir.File("missing.pis").c_str()).GetCount(), 0u);
}

TEST(GameParameters, OverlongNamesAndStringsAreLeftOutNotCut)
{
    testsupport::RecordingReportSink sink; // the skip is noted on the debugger output
    std::string name255 = "s" + std::string(254, 'N');
    std::string name256 = "s" + std::string(255, 'M');
    std::string text255(255, 't');
    ScriptFile file("'" + name255 + "' \"ok\"\r\n'" + name256 + "' \"ok\"\r\n'sLONG' \"" + text255 +
                    "t\"\r\n'sEDGE' \"" + text255 + "\"\r\n'iAFTER' 7\r\n");
    GameParameters params(file.Path());
    EXPECT_EQ(params.GetCount(), 3u);
    EXPECT_STREQ(params.GetString(name255.c_str()), "ok");
    EXPECT_EQ(params.GetString(name256.substr(0, 255).c_str()), nullptr);
    EXPECT_EQ(params.GetString("sLONG"), nullptr);
    EXPECT_EQ(params.GetString("sEDGE"), text255);
    EXPECT_EQ(Get<int32_t>(params, "iAFTER"), 7);
}

// Each bad entry ends the program with exit code 0 and the message, the name and the file name.
TEST(GameParametersDeathTest, WrongTypesAndUnknownLettersEndTheProgram)
{
    const std::string wrong = "GameParameters - wrong type in script for ";
    const std::string none = "GameParameters - error - none defined type (needs prefix)";
    const std::tuple<std::string, std::string, std::string> rows[] = {
        {"'iOK' 1\r\n'bPLAY_MOVIE' 1\r\n", wrong + "boolean (expecting string)", "bPLAY_MOVIE"},
        {"'iDAY' \"300\"\r\n", wrong + "integer (expecting float)", "iDAY"},
        {"'iCOUNT'", wrong + "integer (expecting float)", "iCOUNT"},
        {"'fSPEED' \"1.5\"\r\n", wrong + "float (expecting float)", "fSPEED"},
        {"'sNAME' 12\r\n", wrong + "string (expecting string)", "sNAME"},
        {"'BPLAY_MOVIE' \"true\"\r\n", none, "BPLAY_MOVIE"},
        {"'' 3\r\n", none, ""},
    };
    for (const auto& [text, message, name] : rows)
    {
        ScriptFile file(text);
        EXPECT_EXIT({ GameParameters params(file.Path()); }, ::testing::ExitedWithCode(0),
                    ::testing::HasSubstr(message + " - " + name + " - " + file.Path()))
            << text;
    }
}
