// Tests of the parameter-script format and the typed game parameters, including the fatal type errors.
#include "engine/core/GameParameters.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

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

// Escapes every character that is special in a POSIX extended regular expression.
std::string Escaped(const std::string& text)
{
    std::string out;
    for (char c : text)
    {
        if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos)
            out += '\\';
        out += c;
    }
    return out;
}

int32_t Int(const GameParameters& params, const char* name)
{
    int32_t value = -777;
    EXPECT_TRUE(params.GetInt(name, &value)) << name;
    return value;
}

float Float(const GameParameters& params, const char* name)
{
    float value = -777.0f;
    EXPECT_TRUE(params.GetFloat(name, &value)) << name;
    return value;
}

bool Bool(const GameParameters& params, const char* name)
{
    bool value = true;
    EXPECT_TRUE(params.GetBool(name, &value)) << name;
    return value;
}
} // namespace

// --- The script format ---------------------------------------------------------------------------------------------

TEST(ParameterScriptTest, NumbersReadDigitsPointAndMinusOnly)
{
    ScriptFile file("'a' 300.9\r\n'b' -2.5\r\n'c' .5\r\n'd' -\r\n'e' 12abc\r\n'f' 1.2.3\r\n'g' 3e5\r\n'h' --4\r\n"
                    "'k' 0.0625\r\n'm' -.25\r\n'n' 7.\r\n");
    ParameterScript script(file.Path());
    ASSERT_EQ(script.GetEntryCount(), 11u);

    auto number = [&](const char* name)
    {
        const float* value = script.GetNumber(name);
        EXPECT_NE(value, nullptr) << name;
        return value != nullptr ? *value : NAN;
    };
    EXPECT_FLOAT_EQ(number("a"), 300.9f);
    EXPECT_FLOAT_EQ(number("b"), -2.5f);
    EXPECT_FLOAT_EQ(number("c"), 0.5f);
    EXPECT_EQ(number("d"), 0.0f);
    EXPECT_TRUE(std::signbit(number("d")));
    EXPECT_FLOAT_EQ(number("e"), 12.0f);    // the token runs on, the number stops at 'a'
    EXPECT_FLOAT_EQ(number("f"), 1.2f);     // a second point does not fit
    EXPECT_FLOAT_EQ(number("g"), 3.0f);     // no exponent
    EXPECT_TRUE(std::signbit(number("h"))); // "--4": the second minus stops the reading at -0
    EXPECT_EQ(number("h"), 0.0f);
    EXPECT_FLOAT_EQ(number("k"), 0.0625f);
    EXPECT_FLOAT_EQ(number("m"), -0.25f);
    EXPECT_FLOAT_EQ(number("n"), 7.0f);
}

TEST(ParameterScriptTest, StringsAndOtherTokens)
{
    ScriptFile file("'s1' \"a 'b' / z\r\n{}\" 's2'\"\" 'plus' +3 'word' hello 'after' 4");
    ParameterScript script(file.Path());
    ASSERT_EQ(script.GetEntryCount(), 5u);

    ASSERT_NE(script.GetString("s1"), nullptr);
    EXPECT_STREQ(script.GetString("s1"), "a 'b' / z\r\n{}"); // anything up to the next double quote
    ASSERT_NE(script.GetString("s2"), nullptr);
    EXPECT_STREQ(script.GetString("s2"), "");
    EXPECT_EQ(script.GetNumber("s1"), nullptr);

    // '+' does not start a number: the entry is of neither type and both lookups miss.
    EXPECT_EQ(script.GetEntry(2).type, ParameterScript::kNeither);
    EXPECT_EQ(script.GetNumber("plus"), nullptr);
    EXPECT_EQ(script.GetString("plus"), nullptr);
    EXPECT_EQ(script.GetEntry(3).type, ParameterScript::kNeither);
    ASSERT_NE(script.GetNumber("after"), nullptr);
    EXPECT_FLOAT_EQ(*script.GetNumber("after"), 4.0f);
}

TEST(ParameterScriptTest, ValueTokenSwallowsAFollowingName)
{
    // The value of 'iA' is the other-token "'iB'"; afterwards no single quotes remain.
    ScriptFile file("'iA' 'iB' 2");
    ParameterScript script(file.Path());
    ASSERT_EQ(script.GetEntryCount(), 1u);
    EXPECT_EQ(script.GetEntry(0).name, "iA");
    EXPECT_EQ(script.GetEntry(0).type, ParameterScript::kNeither);
}

TEST(ParameterScriptTest, SeparatorsAreEverythingOutside33To121)
{
    // 'z', '{', '|', '}', '~', DEL and high bytes separate the name from its value and end a number token.
    ScriptFile separators("'a'z{|}~\x7f\xc8\x80 5\xff'b' 6z'c'7~'d'\x80"s
                          "8");
    ParameterScript script(separators.Path());
    ASSERT_EQ(script.GetEntryCount(), 4u);
    EXPECT_FLOAT_EQ(*script.GetNumber("a"), 5.0f);
    EXPECT_FLOAT_EQ(*script.GetNumber("b"), 6.0f);
    EXPECT_FLOAT_EQ(*script.GetNumber("c"), 7.0f);
    EXPECT_FLOAT_EQ(*script.GetNumber("d"), 8.0f);

    // 'y' (121) and '!' (33) belong to tokens: "3y'b'" is one number token that swallows the name 'b'.
    ScriptFile inRange("'a' 3y'b' 4 'c'!5");
    ParameterScript script2(inRange.Path());
    ASSERT_EQ(script2.GetEntryCount(), 2u);
    EXPECT_FLOAT_EQ(*script2.GetNumber("a"), 3.0f);
    EXPECT_EQ(script2.GetNumber("b"), nullptr);
    EXPECT_EQ(script2.GetEntry(1).name, "c");
    EXPECT_EQ(script2.GetEntry(1).type, ParameterScript::kNeither); // "!5" does not start with a digit
}

TEST(ParameterScriptTest, CommentsRunToTheNextCarriageReturn)
{
    ScriptFile file("'iA' 1\r\n/'iB' 2\r\n'iC' 3\r\n// 'iD' \"x\"\r\n'iE' 5\r\n");
    ParameterScript script(file.Path());
    ASSERT_EQ(script.GetEntryCount(), 3u);
    EXPECT_EQ(script.GetEntry(0).name, "iA");
    EXPECT_EQ(script.GetEntry(1).name, "iC");
    EXPECT_EQ(script.GetEntry(2).name, "iE");
    EXPECT_EQ(script.GetNumber("iB"), nullptr);

    // Line feeds do not end a comment: everything up to the next carriage return is skipped.
    ScriptFile unixLines("'iA' 1\n/ note\n'iB' 2\n'iC' 3\r'iD' 4\n");
    ParameterScript script2(unixLines.Path());
    ASSERT_EQ(script2.GetEntryCount(), 2u);
    EXPECT_EQ(script2.GetEntry(0).name, "iA");
    EXPECT_EQ(script2.GetEntry(1).name, "iD");

    // A comment without a carriage return runs to the end of the text.
    ScriptFile lastLine("'iA' 1\n/'iB' 2 'iC' 3");
    EXPECT_EQ(ParameterScript(lastLine.Path()).GetEntryCount(), 1u);

    // A '/' inside a number token is part of the token, not a comment.
    ScriptFile inToken("'iA' 5/ 'iB' 6");
    ParameterScript script3(inToken.Path());
    ASSERT_EQ(script3.GetEntryCount(), 2u);
    EXPECT_FLOAT_EQ(*script3.GetNumber("iA"), 5.0f);
    EXPECT_FLOAT_EQ(*script3.GetNumber("iB"), 6.0f);
}

TEST(ParameterScriptTest, TheByteWhereTheNameScanStartsIsNotACommentMark)
{
    // The first byte of the file is where the first scan starts.
    ScriptFile first("/'iA' 1\r\n");
    ParameterScript script(first.Path());
    ASSERT_EQ(script.GetEntryCount(), 1u);
    EXPECT_FLOAT_EQ(*script.GetNumber("iA"), 1.0f);

    // One byte later the same '/' is a comment.
    ScriptFile second("\n/'iA' 1\r\n");
    EXPECT_EQ(ParameterScript(second.Path()).GetEntryCount(), 0u);

    // After a string the scan starts right behind the closing double quote.
    ScriptFile afterString("'sA' \"x\"/'iB' 2\r\n'sC' \"y\" /'iD' 4\r\n");
    ParameterScript script3(afterString.Path());
    ASSERT_EQ(script3.GetEntryCount(), 3u);
    ASSERT_NE(script3.GetNumber("iB"), nullptr);
    EXPECT_EQ(script3.GetNumber("iD"), nullptr);
}

TEST(ParameterScriptTest, EndsWhenFewerThanTwoSingleQuotesRemain)
{
    ScriptFile file("junk 'iA' 1 more junk 'iB");
    ParameterScript script(file.Path());
    ASSERT_EQ(script.GetEntryCount(), 1u);
    EXPECT_FLOAT_EQ(*script.GetNumber("IA"), 1.0f);

    // A quote inside a comment does not open a name.
    ScriptFile commented("'iA' 1\r/'x\r'iB' 2");
    EXPECT_EQ(ParameterScript(commented.Path()).GetEntryCount(), 2u);
}

TEST(ParameterScriptTest, LookupsIgnoreCaseAndTheLastEntryDecides)
{
    ScriptFile file("'Value' 1 'VALUE' 2 'mixed' 3 'MIXED' \"text\" 'other' \"s\" 'OTHER' 9");
    ParameterScript script(file.Path());
    ASSERT_NE(script.GetNumber("value"), nullptr);
    EXPECT_FLOAT_EQ(*script.GetNumber("value"), 2.0f);
    EXPECT_EQ(script.GetNumber("Mixed"), nullptr); // the last "mixed" is a string
    ASSERT_NE(script.GetString("mIxEd"), nullptr);
    EXPECT_STREQ(script.GetString("mIxEd"), "text");
    EXPECT_EQ(script.GetString("other"), nullptr); // the last "other" is a number
    EXPECT_EQ(script.GetNumber("absent"), nullptr);
    EXPECT_EQ(script.GetString("absent"), nullptr);
}

TEST(ParameterScriptTest, DamagedTextIsRefusedSafely)
{
    // Missing file: no entries.
    testsupport::TempDir dir;
    EXPECT_EQ(ParameterScript(dir.File("none.pis").c_str()).GetEntryCount(), 0u);

    // Empty file.
    ScriptFile empty("");
    EXPECT_EQ(ParameterScript(empty.Path()).GetEntryCount(), 0u);

    // A string whose closing double quote is missing: that entry is dropped and reading stops.
    ScriptFile openString("'iA' 1 'sB' \"abc 'iC' 3");
    ParameterScript script(openString.Path());
    ASSERT_EQ(script.GetEntryCount(), 1u);
    EXPECT_EQ(script.GetEntry(0).name, "iA");

    // A name whose closing quote is missing (the other quote sits in a comment): reading stops.
    ScriptFile openName("'iA' 1\r/'\r'iB 2");
    EXPECT_EQ(ParameterScript(openName.Path()).GetEntryCount(), 1u);

    // A name with nothing after it is an entry of neither type.
    ScriptFile noValue("'iA' 1 'iB'   ");
    ParameterScript script2(noValue.Path());
    ASSERT_EQ(script2.GetEntryCount(), 2u);
    EXPECT_EQ(script2.GetEntry(1).type, ParameterScript::kNeither);

    // The text ends at a zero byte.
    ScriptFile zero("'iA' 1 \0 'iB' 2"s);
    EXPECT_EQ(ParameterScript(zero.Path()).GetEntryCount(), 1u);

    // Long names and strings are kept whole by the script itself.
    std::string longName(300, 'n');
    std::string longText(1000, 't');
    ScriptFile longOnes("'" + longName + "' \"" + longText + "\"");
    ParameterScript script3(longOnes.Path());
    ASSERT_NE(script3.GetString(longName.c_str()), nullptr);
    EXPECT_EQ(script3.GetString(longName.c_str()), longText);
}

// --- Typed parameters ----------------------------------------------------------------------------------------------

TEST(GameParametersTest, EveryTypeIsConvertedByItsLetter)
{
    ScriptFile file("'bPLAY_MOVIE' \"TRUE\"\r\n'bSOUND_ENABLED' \"true\"\r\n'bSPACE' \"true \"\r\n"
                    "'iDAY_LENGTH_IN_SECONDS' 300.9\r\n'iNEG' -2.5\r\n'fHALF' .5\r\n'fMINUS' -\r\n"
                    "'sTITLE' \"Harbour Days\"\r\n");
    GameParameters params(file.Path());
    EXPECT_EQ(params.GetCount(), 8u);

    EXPECT_FALSE(Bool(params, "bPLAY_MOVIE")); // only the exact lower-case "true" is true
    EXPECT_TRUE(Bool(params, "bSOUND_ENABLED"));
    EXPECT_FALSE(Bool(params, "bSPACE"));
    EXPECT_EQ(Int(params, "iDAY_LENGTH_IN_SECONDS"), 300);
    EXPECT_EQ(Int(params, "iNEG"), -2); // toward zero
    EXPECT_FLOAT_EQ(Float(params, "fHALF"), 0.5f);
    float minus = Float(params, "fMINUS");
    EXPECT_EQ(minus, 0.0f);
    EXPECT_TRUE(std::signbit(minus));
    ASSERT_NE(params.GetString("sTITLE"), nullptr);
    EXPECT_STREQ(params.GetString("sTITLE"), "Harbour Days");

    // Only the field of the parameter's own type is set.
    EXPECT_FALSE(Bool(params, "iDAY_LENGTH_IN_SECONDS"));
    EXPECT_EQ(Int(params, "fHALF"), 0);
    EXPECT_EQ(params.GetString("bSOUND_ENABLED"), nullptr);
}

TEST(GameParametersTest, LookupsAreExactAndLeaveMissingValuesAlone)
{
    ScriptFile file("'iN' 1\r\n'iN' 2\r\n'bFLAG' \"true\"\r\n");
    GameParameters params(file.Path());

    int32_t value = 1234;
    EXPECT_FALSE(params.GetInt("in", &value)); // letter case counts
    EXPECT_EQ(value, 1234);
    EXPECT_FALSE(params.GetInt("iMISSING", &value));
    EXPECT_EQ(value, 1234);
    bool flag = true;
    EXPECT_FALSE(params.GetBool("bflag", &flag));
    EXPECT_TRUE(flag);
    flag = false;
    EXPECT_FALSE(params.GetBool("bNONE", &flag));
    EXPECT_FALSE(flag);
    float f = 2.5f;
    EXPECT_FALSE(params.GetFloat("fNONE", &f));
    EXPECT_EQ(f, 2.5f);

    // The first of two equal names wins here, while the script finds the last, ignoring case.
    EXPECT_EQ(Int(params, "iN"), 1);
    ParameterScript script(file.Path());
    ASSERT_NE(script.GetNumber("in"), nullptr);
    EXPECT_FLOAT_EQ(*script.GetNumber("in"), 2.0f);
}

TEST(GameParametersTest, CommentLinesCreateNothing)
{
    ScriptFile file("'iA' 1\r\n/'iB' 2\r\n/ 'Bbad' \"x\"\r\n'iC' 3\r\n");
    GameParameters params(file.Path());
    EXPECT_EQ(params.GetCount(), 2u);
    int32_t value = 0;
    EXPECT_FALSE(params.GetInt("iB", &value));
    EXPECT_EQ(Int(params, "iC"), 3);
}

TEST(GameParametersTest, GlobalPointerFollowsTheObject)
{
    testsupport::TempDir dir;
    {
        GameParameters params(dir.File("missing.pis").c_str());
        EXPECT_EQ(g_pGameParameters, &params);
        EXPECT_EQ(params.GetCount(), 0u); // a missing file gives an empty set
        bool flag = true;
        EXPECT_FALSE(params.GetBool("bPLAY_MOVIE", &flag));
        EXPECT_TRUE(flag);
    }
    EXPECT_EQ(g_pGameParameters, nullptr);
}

TEST(GameParametersTest, HugeNumbersSaturateAsIntegers)
{
    ScriptFile file("'iBIG' 99999999999\r\n'iSMALL' -99999999999\r\n'iINF' 1" + std::string(400, '0') + "\r\n'fINF' 1" +
                    std::string(400, '0') + "\r\n");
    GameParameters params(file.Path());
    EXPECT_EQ(Int(params, "iBIG"), INT32_MAX);
    EXPECT_EQ(Int(params, "iSMALL"), INT32_MIN);
    EXPECT_EQ(Int(params, "iINF"), INT32_MAX);
    EXPECT_TRUE(std::isinf(Float(params, "fINF")));
}

TEST(GameParametersTest, OverlongNamesAndStringsAreLeftOut)
{
    testsupport::RecordingReportSink sink; // the skip is noted on the debugger output
    std::string name255 = "s" + std::string(254, 'N');
    std::string name256 = "s" + std::string(255, 'M');
    std::string text255(255, 't');
    std::string text256(256, 't');
    ScriptFile file("'" + name255 + "' \"ok\"\r\n'" + name256 + "' \"ok\"\r\n'sLONG' \"" + text256 +
                    "\"\r\n'sEDGE' \"" + text255 + "\"\r\n'iAFTER' 7\r\n");
    GameParameters params(file.Path());
    EXPECT_EQ(params.GetCount(), 3u);
    EXPECT_STREQ(params.GetString(name255.c_str()), "ok");
    EXPECT_EQ(params.GetString(name256.c_str()), nullptr);
    EXPECT_EQ(params.GetString(name256.substr(0, 255).c_str()), nullptr); // not cut to a shorter name either
    EXPECT_EQ(params.GetString("sLONG"), nullptr);
    ASSERT_NE(params.GetString("sEDGE"), nullptr);
    EXPECT_EQ(params.GetString("sEDGE"), text255);
    EXPECT_EQ(Int(params, "iAFTER"), 7);
}

// --- Fatal errors: the process ends with exit code 0 ---------------------------------------------------------------

class GameParametersDeathTest : public ::testing::Test
{
protected:
    // Expects reading `text` to end the program with `message` formatted with the name and the file name.
    void ExpectFatal(const std::string& text, const std::string& message, const std::string& name)
    {
        ScriptFile file(text);
        std::string expected = Escaped(message + " - " + name + " - " + file.Path());
        EXPECT_EXIT({ GameParameters params(file.Path()); }, ::testing::ExitedWithCode(0), expected) << text;
    }
};

TEST_F(GameParametersDeathTest, WrongTypesEndTheProgram)
{
    const std::string boolMessage = "GameParameters - wrong type in script for boolean (expecting string)";
    const std::string intMessage = "GameParameters - wrong type in script for integer (expecting float)";
    const std::string floatMessage = "GameParameters - wrong type in script for float (expecting float)";
    const std::string stringMessage = "GameParameters - wrong type in script for string (expecting string)";

    ExpectFatal("'iOK' 1\r\n'bPLAY_MOVIE' 1\r\n", boolMessage, "bPLAY_MOVIE");
    ExpectFatal("'bFLAG' true\r\n", boolMessage, "bFLAG"); // an unquoted word is neither type
    ExpectFatal("'iDAY_LENGTH_IN_SECONDS' \"300\"\r\n", intMessage, "iDAY_LENGTH_IN_SECONDS");
    ExpectFatal("'iCOUNT' +3\r\n", intMessage, "iCOUNT");
    ExpectFatal("'iCOUNT'", intMessage, "iCOUNT"); // no value at all
    ExpectFatal("'fSPEED' \"1.5\"\r\n", floatMessage, "fSPEED");
    ExpectFatal("'sNAME' 12\r\n", stringMessage, "sNAME");
}

TEST_F(GameParametersDeathTest, NamesWithoutATypeLetterEndTheProgram)
{
    const std::string message = "GameParameters - error - none defined type (needs prefix)";
    ExpectFatal("'bOK' \"true\"\r\n'BPLAY_MOVIE' \"true\"\r\n", message, "BPLAY_MOVIE");
    ExpectFatal("'xVALUE' 3\r\n", message, "xVALUE");
    ExpectFatal("'' 3\r\n", message, "");
}
