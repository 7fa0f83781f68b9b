// The text service: the font operations passed to its fonts, and unicode tables (.uni files, expansion, dump).
#include "engine/core/TextSystem.h"

#include "engine/core/FileSystem.h"
#include "engine/core/Logger.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/Report.h"
#include "platform/Strings.h"
#include "platform/WideText.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <iterator>
#include <new>
#include <string>
#include <vector>

namespace
{

constexpr char16_t kLineFeed = 0x000A;
constexpr char16_t kCarriageReturn = 0x000D;
constexpr char16_t kSpace = u' ';
constexpr char16_t kQuote = u'"';
constexpr char16_t kUnderscore = u'_';
// Room for one converted "%s" argument.
constexpr int kMaxStringArgUnits = 2048;

bool IsFormatLetter(char16_t c)
{
    return c == u'f' || c == u'd' || c == u'i' || c == u's';
}

// The text up to (not including) the first `stop` unit of the range, or the whole range.
std::u16string TakeUntil(const char16_t* begin, const char16_t* end, char16_t stop)
{
    const char16_t* p = begin;
    while (p < end && *p != stop)
        ++p;
    return std::u16string(begin, p);
}

// Appends the printf-formatted ASCII text to a 16-bit dump, one unit per byte; "%%" gives one '%' as the
// runtime's wide formatter does.
void AppendFormatted(std::u16string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void AppendFormatted(std::u16string& out, const char* format, ...)
{
    char buffer[256];
    va_list args;
    va_start(args, format);
    size_t length = platform::FormatStringV(buffer, sizeof(buffer), format, args);
    va_end(args);
    for (size_t i = 0; i < length; ++i)
        out.push_back(static_cast<unsigned char>(buffer[i]));
}

void AppendUnits(std::u16string& out, const char16_t* text)
{
    if (text)
        out.append(text);
}

} // namespace

// Where the arguments of an expansion come from: a C variable argument list or an array of slots.
class TextSystem::ArgumentSource
{
public:
    virtual ~ArgumentSource() = default;
    virtual int32_t NextInt() = 0;
    virtual double NextFloat() = 0;
    virtual const char* NextString() = 0;
};

class TextSystem::VaArgumentSource final : public TextSystem::ArgumentSource
{
public:
    explicit VaArgumentSource(va_list* list) : m_pList(list) {}
    int32_t NextInt() override { return va_arg(*m_pList, int); }
    double NextFloat() override { return va_arg(*m_pList, double); }
    const char* NextString() override { return va_arg(*m_pList, const char*); }

private:
    va_list* m_pList;
};

class TextSystem::SlotArgumentSource final : public TextSystem::ArgumentSource
{
public:
    SlotArgumentSource(const uintptr_t* slots, int count, int& index)
        : m_pSlots(slots), m_iCount(count), m_rIndex(index)
    {
    }
    int32_t NextInt() override { return static_cast<int32_t>(static_cast<uint32_t>(Next())); }
    double NextFloat() override
    {
        uint32_t bits = static_cast<uint32_t>(Next());
        float value;
        std::memcpy(&value, &bits, sizeof(value));
        return value;
    }
    // A number where the text asks for a text reads as no text.
    const char* NextString() override
    {
        const uintptr_t slot = Next();
        if ((slot & kNumberSlotTag) == kNumberSlotTag)
            return nullptr;
        return reinterpret_cast<const char*>(slot);
    }

private:
    // The caller's slots end at the count: a text with more conversions than arguments reads zeros beyond them.
    uintptr_t Next()
    {
        if (!m_pSlots || m_rIndex >= m_iCount)
            return 0;
        return m_pSlots[m_rIndex++];
    }

    const uintptr_t* m_pSlots;
    int m_iCount;
    int& m_rIndex;
};

TextSystem::TextSystem()
{
    Init();
}

TextSystem::~TextSystem()
{
    for (int t = 0; t < kTableCount; ++t)
        FreeTable(t);
}

int32_t TextSystem::Init()
{
    m_iCurrentTable = 0;
    m_iCurrentFont = 0;
    m_uColour = 0xFFFFFFFF;
    if (m_pFonts)
        m_pFonts->Clear();
    // Entries still held from an earlier run are freed rather than dropped.
    for (int t = 0; t < kTableCount; ++t)
        FreeTable(t);
    return 0;
}

void TextSystem::Shutdown()
{
    for (int t = 0; t < kTableCount; ++t)
        FreeTable(t);
}

void TextSystem::FreeTable(int table)
{
    for (auto& entry : m_tables[table])
        entry.reset();
    // The count follows the entries so that no lookup reaches a freed entry.
    m_entryCounts[table] = 0;
}

// ---- Fonts ----

namespace
{

// The font code of the character at p, and p moved past it: U+0000 to U+00FF keep their code, anything beyond the
// tables becomes '?', once for a character written as a surrogate pair.
char NextFontCode(const char16_t*& p)
{
    const char16_t c = *p++;
    if (c >= 0xD800 && c <= 0xDBFF && *p >= 0xDC00 && *p <= 0xDFFF)
        ++p;
    return static_cast<char>(c <= 0xFF ? c : u'?');
}

// A 16-bit text as the 8-bit codes of the font tables. Cut to the buffer.
void NarrowToFont(const char16_t* text, char* out, size_t cap)
{
    size_t n = 0;
    for (const char16_t* p = text; p && *p != 0 && n + 1 < cap;)
        out[n++] = NextFontCode(p);
    out[n] = 0;
}

std::string NarrowToFont(const char16_t* text)
{
    std::string out;
    for (const char16_t* p = text; p && *p;)
        out.push_back(NextFontCode(p));
    return out;
}

void WriteCaret(const FontCaret& caret, float* x, float* y, float* width, float* height)
{
    if (x)
        *x = caret.fX;
    if (y)
        *y = caret.fY;
    if (width)
        *width = caret.fWidth;
    if (height)
        *height = caret.fHeight;
}

} // namespace

void TextSystem::SetFonts(std::unique_ptr<TextFonts> fonts)
{
    m_pFonts = std::move(fonts);
}

int TextSystem::GetFontCount()
{
    return m_pFonts ? m_pFonts->GetFontCount() : 0;
}

bool TextSystem::LoadFont(const char* baseName)
{
    if (!m_pFonts)
    {
        GetLogger()->Report(1, "LoadFont : the text service has no fonts to load %s into", baseName ? baseName : "");
        return false;
    }
    return m_pFonts->LoadFont(baseName);
}

void TextSystem::DrawTextShadowed(float x, float y, const char* text, int width)
{
    if (!m_pFonts)
        return;
    m_pFonts->DrawText(m_iCurrentFont, kShadowColour, x + 2.0f, y + 2.0f, width, 0, text, false, -1, nullptr);
    m_pFonts->DrawText(m_iCurrentFont, m_uColour, x, y, width, 0, text, false, -1, nullptr);
}

void TextSystem::DrawTextW(float x, float y, int width, int alignment, const char16_t* text, bool oneLine)
{
    char buffer[kLineBufferSize];
    NarrowToFont(text, buffer, sizeof(buffer));
    DrawText(x, y, width, alignment, buffer, oneLine);
}

void TextSystem::DrawText(float x, float y, int width, int alignment, const char* text, bool oneLine)
{
    if (m_pFonts)
        m_pFonts->DrawText(m_iCurrentFont, m_uColour, x, y, width, alignment, text, oneLine, -1, nullptr);
}

void TextSystem::DrawStringW(float x, float y, const char16_t* text)
{
    DrawString(x, y, NarrowToFont(text).c_str());
}

void TextSystem::DrawString(float x, float y, const char* text)
{
    if (m_pFonts)
        m_pFonts->DrawString(m_iCurrentFont, m_uColour, x, y, text, -1, nullptr);
}

void TextSystem::DrawText3DW(float x, float y, float z, int width, int alignment, const char16_t* text, bool oneLine)
{
    char buffer[kLineBufferSize];
    NarrowToFont(text, buffer, sizeof(buffer));
    DrawText3D(x, y, z, width, alignment, buffer, oneLine);
}

void TextSystem::DrawText3D(float x, float y, float z, int width, int alignment, const char* text, bool oneLine)
{
    // Text in the world always uses the first font, which stays selected.
    m_iCurrentFont = 0;
    if (m_pFonts)
        m_pFonts->DrawText3D(0, m_uColour, x, y, z, width, alignment, text, oneLine);
}

int TextSystem::MeasureTextHeight(const char* text, int font, int width, int mode, int* outHeight)
{
    if (m_pFonts)
        return m_pFonts->MeasureTextHeight(text, font, width, mode, outHeight);
    if (outHeight)
        *outHeight = 0;
    return 0;
}

void TextSystem::MeasureText(const char* text, int font, int* outWidth, int* outHeight)
{
    if (m_pFonts)
    {
        m_pFonts->MeasureText(text, font, outWidth, outHeight);
        return;
    }
    if (outWidth)
        *outWidth = 0;
    if (outHeight)
        *outHeight = 0;
}

int TextSystem::GetFontHeight(int font)
{
    return m_pFonts ? m_pFonts->GetFontHeight(font) : 0;
}

int TextSystem::GetGlyphWidth(int character)
{
    return m_pFonts ? m_pFonts->GetGlyphWidth(m_iCurrentFont, character) : 0;
}

void TextSystem::DrawStringUpTo(float x, float y, const char* text, int count, float* caretX, float* caretY,
                                float* caretWidth, float* caretHeight)
{
    FontCaret caret;
    if (m_pFonts)
        m_pFonts->DrawString(m_iCurrentFont, m_uColour, x, y, text, std::max(count, 0), &caret);
    WriteCaret(caret, caretX, caretY, caretWidth, caretHeight);
}

void TextSystem::DrawTextUpTo(float x, float y, int width, int alignment, const char* text, int count, float* caretX,
                              float* caretY, float* caretWidth, float* caretHeight)
{
    FontCaret caret;
    if (m_pFonts)
        m_pFonts->DrawText(m_iCurrentFont, m_uColour, x, y, width, alignment, text, false, std::max(count, 0), &caret);
    WriteCaret(caret, caretX, caretY, caretWidth, caretHeight);
}

// ---- Entry operations ----

void TextSystem::GetText(const char*, char* buffer, int size)
{
    if (buffer && size > 0)
        buffer[0] = 0;
}

const TextEntry* TextSystem::CurrentEntry(int entry) const
{
    return GetEntry(m_iCurrentTable, entry);
}

int TextSystem::GetEntryCount(int table) const
{
    if (table < 0 || table >= kTableCount)
        return 0;
    return m_entryCounts[table];
}

const TextEntry* TextSystem::GetEntry(int table, int index) const
{
    if (table < 0 || table >= kTableCount || index < 0 || index >= m_entryCounts[table])
        return nullptr;
    return m_tables[table][index].get();
}

const char* TextSystem::GetIdName(int entry)
{
    m_szIdBuffer[0] = 0;
    const TextEntry* e = CurrentEntry(entry);
    if (!e)
        return m_szIdBuffer;
    // Ids hold only units up to U+00FF, each one byte in the 8-bit form.
    size_t n = 0;
    for (char16_t c : e->id)
    {
        if (c == 0 || n + 1 >= sizeof(m_szIdBuffer))
            break;
        m_szIdBuffer[n++] = static_cast<char>(c & 0xFF);
    }
    m_szIdBuffer[n] = 0;
    return m_szIdBuffer;
}

int32_t TextSystem::GetTextLength(int entry)
{
    const TextEntry* e = CurrentEntry(entry);
    return e ? e->length : 0;
}

const char16_t* TextSystem::GetFormatSpec(int entry, int position)
{
    const TextEntry* e = CurrentEntry(entry);
    const char16_t* text = e ? e->Text() : nullptr;
    if (!text || position < 0)
        return nullptr;
    size_t length = platform::WStrLen(text);
    if (static_cast<size_t>(position) >= length)
        return nullptr;
    if (text[position] == u'%' && IsFormatLetter(text[position + 1]))
        return text + position + 1;
    return nullptr;
}

void TextSystem::InspectEntry(int entry)
{
    GetTextLength(entry);
    CountFormatSpecs(entry);
}

int TextSystem::CountFormatSpecs(int entry)
{
    const TextEntry* e = CurrentEntry(entry);
    const char16_t* text = e ? e->Text() : nullptr;
    if (!text)
        return 0;
    int count = 0;
    for (const char16_t* p = text; *p != 0; ++p)
    {
        if (*p == u'%' && IsFormatLetter(p[1]))
            ++count;
    }
    return count;
}

// ---- Text expansion ----
//
// The entry's text is walked unit by unit: "%d" writes the next argument as a decimal integer, "%f" as a number
// with two decimals, "%s" converts an 8-bit text through the ANSI code page, "%i" expands the entry it names in
// place with the same arguments; a '%' before anything else is copied and the unit after it handled normally.
// FormatTextArgs also turns every backslash-n pair into a line feed. The output holds at most 1023 units and is
// always terminated; references nest at most kMaxReferenceDepth deep.

const char16_t* TextSystem::FormatText(int entry, ...)
{
    va_list args;
    va_start(args, entry);
    const char16_t* result = FormatTextV(entry, args);
    va_end(args);
    return result;
}

const char16_t* TextSystem::FormatTextV(int entry, va_list args)
{
    CountFormatSpecs(entry);
    va_list copy;
    va_copy(copy, args);
    VaArgumentSource source(&copy);
    const char16_t* result = Expand(entry, source, false);
    va_end(copy);
    return result;
}

const char16_t* TextSystem::FormatTextArgs(int entry, const uintptr_t* args, int count)
{
    m_iArgumentIndex = 0;
    SlotArgumentSource source(args, count, m_iArgumentIndex);
    return Expand(entry, source, true);
}

const char16_t* TextSystem::Expand(int entry, ArgumentSource& args, bool lineFeeds)
{
    m_iOutputLength = 0;
    ExpandEntry(entry, args, lineFeeds, 0);
    // A full buffer that ends in the first half of a character beyond U+FFFF lost the second half at the cut: the
    // character is left out whole.
    if (m_iOutputLength == kOutputSize - 1 && m_szOutput[m_iOutputLength - 1] >= 0xD800 &&
        m_szOutput[m_iOutputLength - 1] <= 0xDBFF)
        --m_iOutputLength;
    m_szOutput[m_iOutputLength] = 0;
    return m_szOutput;
}

bool TextSystem::Put(char16_t unit)
{
    if (m_iOutputLength >= kOutputSize - 1)
        return false;
    m_szOutput[m_iOutputLength++] = unit;
    return true;
}

void TextSystem::PutText(const char16_t* text)
{
    for (const char16_t* p = text; *p != 0; ++p)
    {
        if (!Put(*p))
            return;
    }
}

void TextSystem::ExpandEntry(int entry, ArgumentSource& args, bool lineFeeds, int depth)
{
    const TextEntry* e = CurrentEntry(entry);
    const char16_t* p = e ? e->Text() : nullptr;
    if (!p)
        return;
    char16_t number[512];
    while (m_iOutputLength < kOutputSize - 1)
    {
        while (lineFeeds && p[0] == u'\\' && p[1] == u'n')
        {
            Put(kLineFeed);
            p += 2;
        }
        char16_t c = *p;
        if (c == 0)
            return;
        if (c != u'%')
        {
            Put(c);
            ++p;
            continue;
        }
        switch (p[1])
        {
        case u'd':
            platform::IntToWStr(args.NextInt(), number, std::size(number));
            PutText(number);
            p += 2;
            break;
        case u'f':
            platform::FloatToWStr(args.NextFloat(), 2, number, std::size(number));
            PutText(number);
            p += 2;
            break;
        case u's':
        {
            const char* text = args.NextString();
            if (text)
            {
                char16_t wide[kMaxStringArgUnits + 1];
                platform::AnsiToWide(text, wide, std::size(wide));
                PutText(wide);
            }
            p += 2;
            break;
        }
        case u'i':
        {
            int referenced = args.NextInt();
            if (depth < kMaxReferenceDepth)
                ExpandEntry(referenced, args, lineFeeds, depth + 1);
            p += 2;
            break;
        }
        default:
            Put(c);
            ++p;
            break;
        }
    }
}

// ---- Loading ----

bool TextSystem::LoadTable(int table, const char* fileName)
{
    // A directory opens for reading too, but has no data and no meaningful end: it cannot be read in either.
    FILE* file = IsRegularFile(fileName) ? platform::OpenFile(fileName, "rb") : nullptr;
    if (!file)
    {
        std::string message = platform::Format("Cannot read in %s file - the program will now quit\nNote: You MUST "
                                               "have an english.uni in the current directory to start",
                                               fileName ? fileName : "");
        platform::ShowMessageBox("Warning", message.c_str());
        return false;
    }
    long fileSize = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        fileSize = std::ftell(file);
    if (fileSize < 0 || std::fseek(file, 0, SEEK_SET) != 0)
        fileSize = 0;
    // Only whole 16-bit units count.
    size_t byteCount = static_cast<size_t>(fileSize) / 2 * 2;
    std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[byteCount + 1]);
    if (!bytes)
    {
        std::fclose(file);
        std::fputs("Error allocating memory for string file\n", stdout);
        return false;
    }
    byteCount = std::fread(bytes.get(), 1, byteCount, file) / 2 * 2;
    std::fclose(file);

    std::vector<char16_t> units(byteCount / 2);
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    bytes.reset();

    FreeTable(table);
    auto builtIn = std::make_unique<TextEntry>();
    builtIn->id = u"ERROR";
    builtIn->text = u"No Text!";
    builtIn->bHasText = true;
    builtIn->token = u"__";
    builtIn->bHasToken = true;
    builtIn->length = 8;
    m_tables[table][0] = std::move(builtIn);
    m_entryCounts[table] = 1;

    enum class Expect
    {
        Id,
        Text,
        Token
    };
    Expect state = Expect::Id;
    bool result = true;
    std::unique_ptr<TextEntry> pending;
    const char16_t* data = units.data();
    size_t end = units.size();
    // The first unit is the byte-order mark.
    size_t pos = 1;
    while (pos < end)
    {
        size_t start = pos;
        while (pos < end && data[pos] != kLineFeed)
            ++pos;
        size_t lineUnits = pos - start;
        bool hasLineFeed = pos < end;
        if (hasLineFeed)
            ++pos;
        if (lineUnits > static_cast<size_t>(kMaxLineUnits))
        {
            // A line longer than the reader's line buffer: the file is refused from here on.
            std::fputs("MAX_UNI_LENGTH exceeded. Increase it....\n", stdout);
            GetLogger()->Report(1, "%s: a line is longer than %d units; loading stopped", fileName, kMaxLineUnits);
            result = false;
            break;
        }
        // The unit before the line feed (the CR of a CR LF) is dropped; a last line without a line feed loses
        // only a final CR. A line that holds nothing but the line feed is an empty line.
        size_t length = lineUnits;
        if (hasLineFeed && length > 0)
            --length;
        else if (!hasLineFeed && length > 0 && data[start + length - 1] == kCarriageReturn)
            --length;
        const char16_t* line = data + start;
        const char16_t* lineEnd = line + length;

        switch (state)
        {
        case Expect::Id:
            if (length >= 2 && line[0] == u'I' && line[1] == u'D')
            {
                if (m_entryCounts[table] >= kMaxEntries)
                {
                    GetLogger()->Report(1, "%s: more than %d entries; loading stopped", fileName, kMaxEntries);
                    result = false;
                    pos = end;
                    break;
                }
                pending = std::make_unique<TextEntry>();
                // The id is the first word; each unit keeps only its low byte.
                for (char16_t c : TakeUntil(line, lineEnd, kSpace))
                    pending->id.push_back(static_cast<char16_t>(c & 0xFF));
                state = Expect::Text;
            }
            break;
        case Expect::Text:
        {
            const char16_t* first = line;
            while (first < lineEnd && *first == kSpace)
                ++first;
            if (first < lineEnd && *first == kQuote)
            {
                // The text starts at the line's second unit, also when spaces stand before the quote.
                const char16_t* from = length > 0 ? line + 1 : lineEnd;
                pending->text = TakeUntil(from, lineEnd, kQuote);
                pending->bHasText = true;
                pending->length = static_cast<int32_t>(lineEnd - from);
            }
            else
            {
                pending->bHasText = false;
                size_t n = 0;
                for (char16_t c : pending->id)
                {
                    if (n + 1 >= sizeof(m_szIdBuffer))
                        break;
                    m_szIdBuffer[n++] = static_cast<char>(c & 0xFF);
                }
                m_szIdBuffer[n] = 0;
                result = false;
            }
            state = Expect::Token;
            break;
        }
        case Expect::Token:
            if (length >= 1 && line[0] == kUnderscore)
            {
                pending->token = TakeUntil(line + 1, lineEnd, kUnderscore);
                pending->bHasToken = true;
            }
            m_tables[table][m_entryCounts[table]] = std::move(pending);
            ++m_entryCounts[table];
            state = Expect::Id;
            break;
        }
    }
    // An entry cut off by the end of the data is not counted.
    return result;
}

bool TextSystem::LoadTextTable(const char* fileName)
{
    Shutdown();
    return LoadTable(0, fileName);
}

bool TextSystem::LoadTextFile(const char* fileName)
{
    return LoadTable(0, fileName);
}

bool TextSystem::LoadMasterAndSlave(const char* masterFile, const char* slaveFile)
{
    Shutdown();
    bool masterLoaded = LoadTable(0, masterFile);
    bool slaveLoaded = LoadTable(1, slaveFile);
    if (m_entryCounts[0] != m_entryCounts[1])
    {
        std::string message = platform::Format(
            "Number of ids appears to be different between final master and final slave files\n\nMaster Ids - "
            "%d\nSlave Ids - %d",
            m_entryCounts[0], m_entryCounts[1]);
        platform::ShowMessageBox("", message.c_str());
        return false;
    }
    return masterLoaded && slaveLoaded;
}

bool TextSystem::UnloadTextTables()
{
    Shutdown();
    return false;
}

// ---- The dump ----

bool TextSystem::WriteTextDump(int table, const char* fileName)
{
    if (table < 0 || table >= kTableCount || !fileName)
    {
        GetLogger()->Report(1, "WriteTextDump: no table %d or no file name", table);
        return false;
    }
    std::string cannotWrite =
        platform::Format("Cannot write to %s- make sure no other application is using this file!", fileName);

    std::time_t now = m_clock ? m_clock() : std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);

    std::u16string dump;
    AppendFormatted(dump, "------------------\n");
    AppendFormatted(dump, "Ravel Unicode File\n");
    AppendFormatted(dump, "------------------\n");
    AppendFormatted(dump, "Date Created: (%d:%d:%d, %d/%d/%d)\n\n", utc.tm_hour, utc.tm_min, utc.tm_sec, utc.tm_mday,
                    utc.tm_mon + 1, utc.tm_year + 1900);
    AppendFormatted(dump, "Token reference\n\n");
    AppendFormatted(dump, "%%d = Decimal number eg 1, 5, 7\n");
    AppendFormatted(dump, "%%f = Floating point number eg 1.23, 2.5\n");
    AppendFormatted(dump, "%%s = String eg \"Hello\", \"This is a string\"\n");
    AppendFormatted(dump, "%%i = Identifier eg ID_FRONTEND_MAINMENU_STARTGAME\n\n");
    AppendFormatted(dump, "Order and number of tokens in every language must match english.uni master\n");
    AppendFormatted(dump, "\n\n");
    AppendFormatted(dump, "%s\n\n", std::string(87, '-').c_str());

    for (int i = 1; i < m_entryCounts[table]; ++i)
    {
        const TextEntry* e = m_tables[table][i].get();
        if (!e)
            continue;
        AppendUnits(dump, e->id.c_str());
        dump += u" \n\"";
        AppendUnits(dump, e->Text());
        dump += u"\" \n_";
        AppendUnits(dump, e->Token());
        dump += u"_ \n \n";
    }

    std::vector<uint8_t> bytes;
    bytes.reserve(2 + dump.size() * 2);
    bytes.push_back(0xFF);
    bytes.push_back(0xFE);
    for (char16_t c : dump)
    {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    if (!platform::WriteFileAtomically(fileName, bytes.data(), bytes.size()))
    {
        // A dump that could not be written whole replaces neither the last dump nor its backup.
        platform::ShowMessageBox("Warning", cannotWrite.c_str());
        return false;
    }
    platform::ShowMessageBox("Warning", "File saved ok!");

    std::string backup = platform::Format("%s.bak", fileName);
    if (!platform::CopyFile(fileName, backup))
        platform::ShowMessageBox("Error", "Failed to make a backup!");
    return true;
}
