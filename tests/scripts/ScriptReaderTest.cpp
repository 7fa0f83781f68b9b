// Tests of the script tokens: whitespace, comments, ';' as a token of its own, the token and condition limits, and
// reading that never passes the end of the text.
#include "scripts/ScriptReader.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace
{

// The text in a heap buffer of exactly its size, so a read past the end is caught.
class Text
{
public:
    explicit Text(const std::string& text) : m_size(static_cast<uint32_t>(text.size()))
    {
        m_buffer.reset(new char[text.size() ? text.size() : 1]);
        std::memcpy(m_buffer.get(), text.data(), text.size());
    }
    ScriptReader Reader() const { return ScriptReader(m_buffer.get(), m_size, "ObjectScript"); }

private:
    std::unique_ptr<char[]> m_buffer;
    uint32_t m_size;
};

std::vector<std::string> Tokens(const std::string& text)
{
    Text buffer(text);
    ScriptReader reader = buffer.Reader();
    std::vector<std::string> tokens;
    std::string token;
    for (;;)
    {
        reader.ReadToken(token);
        if (token.empty())
            break;
        tokens.push_back(token);
    }
    EXPECT_TRUE(reader.AtEnd());
    return tokens;
}

using Strings = std::vector<std::string>;

} // namespace

TEST(ScriptTokens, WhitespaceSeparatesAndASemicolonIsATokenOfItsOwn)
{
    EXPECT_EQ(Tokens("OnEntry Function SetVisible; End"), (Strings{"OnEntry", "Function", "SetVisible", ";", "End"}));
    EXPECT_EQ(Tokens("End;"), (Strings{"End", ";"}));
    EXPECT_EQ(Tokens(";;a;b"), (Strings{";", ";", "a", ";", "b"}));
    EXPECT_EQ(Tokens("\tA\r\nB  \n\n C\t"), (Strings{"A", "B", "C"}));
    // Quotes do not group.
    EXPECT_EQ(Tokens("Set x \"two words\" ;"), (Strings{"Set", "x", "\"two", "words\"", ";"}));
    EXPECT_TRUE(Tokens("").empty());
    EXPECT_TRUE(Tokens(" \r\n\t ").empty());
    // A text that is not there reads as empty.
    ScriptReader none(nullptr, 100, "WorldScript");
    std::string token = "x";
    EXPECT_EQ(std::tuple(none.ReadToken(token), token, none.AtEnd(), std::string(none.GetLanguage())),
              std::tuple(0u, "", true, "WorldScript"));
}

TEST(ScriptTokens, CommentsRunFromASlashToTheLineFeedAndASlashInsideATokenBelongsToIt)
{
    EXPECT_EQ(Tokens("/ one slash\nA\n// two slashes\nB"), (Strings{"A", "B"}));
    EXPECT_EQ(Tokens("A /comment; End\nB"), (Strings{"A", "B"}));
    EXPECT_EQ(Tokens("a/b c//d"), (Strings{"a/b", "c//d"}));
    // Comments and whitespace follow each other in any order.
    EXPECT_EQ(Tokens("  /x\n\n   // y\r\n/z\n  W"), (Strings{"W"}));
    // A final comment without a line feed ends at the end of the text.
    EXPECT_EQ(Tokens("A // the end"), (Strings{"A"}));
    EXPECT_EQ(Tokens("/"), Strings{});
}

TEST(ScriptTokens, ConditionsRunFromTheFirstParenthesisToTheFirstClosingOne)
{
    testsupport::RecordingReportSink sink;
    Text text("If junk (a (b) c) After");
    ScriptReader reader = text.Reader();
    std::string token, condition;
    reader.ReadToken(token);
    reader.ReadCondition(condition);
    EXPECT_EQ(condition, "(a (b)"); // parentheses do not nest
    reader.ReadToken(token);
    EXPECT_EQ(token, "c)");
    // A condition may span lines.
    Text lines("(a\n==\nb)");
    ScriptReader second = lines.Reader();
    second.ReadCondition(condition);
    EXPECT_EQ(condition, "(a\n==\nb)");
    EXPECT_TRUE(sink.boxes.empty());
}

TEST(ScriptTokens, ConditionsWithoutParenthesesAreRefusedWithAReport)
{
    testsupport::RecordingReportSink sink;
    std::string condition = "x";
    Text noOpen("no parenthesis at all");
    ScriptReader reader = noOpen.Reader();
    reader.ReadCondition(condition);
    EXPECT_TRUE(condition.empty());
    EXPECT_TRUE(reader.AtEnd());
    Text noClose("(a == b");
    ScriptReader second = noClose.Reader();
    second.ReadCondition(condition);
    EXPECT_TRUE(condition.empty());
    EXPECT_TRUE(second.AtEnd());
    ASSERT_EQ(sink.boxes.size(), 2u);
    EXPECT_NE(sink.boxes[0].text.find("without '('"), std::string::npos);
    EXPECT_NE(sink.boxes[1].text.find("without ')'"), std::string::npos);
}

TEST(ScriptTokens, TokensAndConditionsKeepToFiftyOneCharacters)
{
    testsupport::RecordingReportSink sink;
    const std::string longest(51, 'a');
    const std::string tooLong = std::string(51, 'b') + "cdef";
    EXPECT_EQ(Tokens(longest + " " + tooLong + ";x"), (Strings{longest, std::string(51, 'b'), ";", "x"}));
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_NE(sink.boxes[0].text.find("ObjectScript::ReadToken"), std::string::npos);

    // 49 characters between the parentheses make 51 in all; one more is refused, and reading goes on after it.
    const std::string fits = "(" + std::string(49, 'x') + ")";
    const std::string over = "(" + std::string(50, 'y') + ")";
    Text text(fits + " " + over + " next");
    ScriptReader reader = text.Reader();
    std::string condition, token;
    reader.ReadCondition(condition);
    EXPECT_EQ(condition, fits);
    EXPECT_EQ(sink.boxes.size(), 1u);
    reader.ReadCondition(condition);
    EXPECT_TRUE(condition.empty());
    EXPECT_EQ(sink.boxes.size(), 2u);
    reader.ReadToken(token);
    EXPECT_EQ(token, "next");
}
