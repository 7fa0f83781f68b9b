// texttool's work: a plain UTF-8 text source read into id and text pairs, and the text table file made of them.
//
// The source: one text a line, its id (letters, digits and underscores) first, then white space, then the text to
// the end of the line (surrounding white space dropped). Blank lines and lines starting with '#' are skipped. A
// text may hold any character but the double quote, which the table has no way to write.
// A UTF-8 byte order mark at the start of the source is skipped.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace texttool
{

struct TextPair
{
    std::string id;
    std::u16string text;
};

// The pairs of the source in order; false, no pairs and a message naming the line for a line without an id or text, a
// text with a double quote, an id given twice (letter case ignored, as the game looks ids up), text that is not
// UTF-8 or a text beyond the most the game's table holds (which the game would leave out).
bool ParseSource(const std::string& source, std::vector<TextPair>* pairs, std::string* error);

// The text table's bytes: the UTF-16 little-endian byte-order mark, then each pair as "id" "text" on a line of
// its own (lines end with CR LF).
std::vector<uint8_t> EncodeTable(const std::vector<TextPair>& pairs);

// The command line: "encode <source.txt> <table.ble>" writes the table scrambled. Returns the exit code;
// messages go to standard error.
int Run(int argc, const char* const* argv);

} // namespace texttool
