// Shared helpers of the table tests: data-script texts, empty tables that process them, and recorded reports.
#pragma once

#include "scripts/WorldParams.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tablestest
{

// The tokens, each in double quotes, one line per token.
inline std::string Quoted(std::initializer_list<std::string> tokens)
{
    std::string text;
    for (const std::string& token : tokens)
        text += "\"" + token + "\"\n";
    return text;
}

// A declaration and field lines of one record: "<PREFIX>_<keyword>" then "<keyword>_<field>" "<value>" pairs.
inline std::string Record(const std::string& declare, const std::string& keyword,
                          const std::vector<std::pair<std::string, std::string>>& fields)
{
    std::string text = "\"" + declare + "_" + keyword + "\"\n";
    for (const auto& [field, value] : fields)
        text += "\"" + keyword + "_" + field + "\"  \"" + value + "\"\n";
    return text;
}

// The same from "FIELD=value|FIELD=value|..." (a value may hold spaces but no '|').
inline std::string Record(const std::string& declare, const std::string& keyword, const std::string& fields)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    for (size_t start = 0; start < fields.size();)
    {
        size_t end = fields.find('|', start);
        end = end == std::string::npos ? fields.size() : end;
        const std::string field = fields.substr(start, end - start);
        const size_t equals = field.find('=');
        pairs.emplace_back(field.substr(0, equals), field.substr(equals + 1));
        start = end + 1;
    }
    return Record(declare, keyword, pairs);
}

// A record's text as a string (empty for none), for comparing fields in tuples.
inline std::string S(const char* text)
{
    return text ? text : "";
}

// The text with every byte complemented, as the scrambled files store it.
inline std::vector<uint8_t> Scrambled(const std::string& text)
{
    std::vector<uint8_t> bytes(text.begin(), text.end());
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(~b);
    return bytes;
}

// The texts of the recorded reports, in order.
inline std::vector<std::string> ReportTexts(const testsupport::RecordingReportSink& sink)
{
    std::vector<std::string> texts;
    for (const auto& box : sink.boxes)
        texts.push_back(box.text);
    return texts;
}

// Empty tables and the reports they make; each test processes its own texts.
class Tables : public ::testing::Test
{
protected:
    // Runs the grammar over exactly the text's bytes (a heap buffer of that size, no terminator after it).
    void Process(const std::string& text)
    {
        std::unique_ptr<char[]> buffer(new char[text.size() ? text.size() : 1]);
        std::memcpy(buffer.get(), text.data(), text.size());
        params->Process(buffer.get(), static_cast<uint32_t>(text.size()));
    }

    std::vector<std::string> Reports() const { return ReportTexts(sink); }

    testsupport::RecordingReportSink sink;
    std::unique_ptr<WorldParams> params = std::make_unique<WorldParams>();
};

} // namespace tablestest
