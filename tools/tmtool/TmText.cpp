// The text form of models: a line-based reader (keywords, numbers, quoted names, blocks closed by "end") and the
// writer that prints every field that differs from its default.
#include "tools/tmtool/TmText.h"

#include "engine/render/MaterialParts.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace tmtool
{
namespace
{

// ---------------------------------------------------------------- reading

// The record data a text may ask for (kinds 1 to 4).
constexpr uint64_t kMaxRecordBytes = 64u << 20;

// The base of a number token: hexadecimal after "0x" (a sign before it allowed), decimal otherwise, leading zeros
// included ("010" is ten, as a column of numbers padded with zeros means it).
int NumberBase(const std::string& token)
{
    const size_t digits = !token.empty() && (token[0] == '-' || token[0] == '+') ? 1 : 0;
    return token.size() > digits + 1 && token[digits] == '0' && (token[digits + 1] == 'x' || token[digits + 1] == 'X')
               ? 16
               : 10;
}

struct Line
{
    int number = 0;
    std::vector<std::string> tokens;
    std::vector<bool> quoted;
};

struct ParseError : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Throw(int line, const std::string& message)
{
    throw ParseError("line " + std::to_string(line) + ": " + message);
}

std::vector<Line> SplitLines(const std::string& text)
{
    std::vector<Line> lines;
    int number = 0;
    size_t at = 0;
    while (at <= text.size())
    {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        ++number;
        Line line;
        line.number = number;
        size_t i = at;
        while (i < end)
        {
            const char c = text[i];
            if (c == '#')
                break;
            if (c == ' ' || c == '\t' || c == '\r')
            {
                ++i;
                continue;
            }
            std::string token;
            if (c == '"')
            {
                ++i;
                bool closed = false;
                while (i < end)
                {
                    if (text[i] == '\\' && i + 1 < end)
                    {
                        token += text[i + 1];
                        i += 2;
                        continue;
                    }
                    if (text[i] == '"')
                    {
                        closed = true;
                        ++i;
                        break;
                    }
                    token += text[i++];
                }
                if (!closed)
                    Throw(number, "unclosed quote");
                line.tokens.push_back(token);
                line.quoted.push_back(true);
                continue;
            }
            while (i < end && text[i] != ' ' && text[i] != '\t' && text[i] != '\r' && text[i] != '#')
                token += text[i++];
            line.tokens.push_back(token);
            line.quoted.push_back(false);
        }
        if (!line.tokens.empty())
            lines.push_back(std::move(line));
        at = end + 1;
    }
    return lines;
}

// The fields of one line, read in order.
class Fields
{
public:
    explicit Fields(const Line& line) : m_line(line) {}

    const std::string& Keyword() const { return m_line.tokens[0]; }
    int Number() const { return m_line.number; }
    bool More() const { return m_next < m_line.tokens.size(); }
    size_t Left() const { return m_line.tokens.size() - m_next; }

    const std::string& Token(const char* what)
    {
        if (!More())
            Throw(m_line.number, std::string("missing ") + what);
        return m_line.tokens[m_next++];
    }
    // A quoted name that fits a field of `field` bytes with its terminator.
    std::string Name(size_t field)
    {
        if (!More() || !m_line.quoted[m_next])
            Throw(m_line.number, "expected a quoted name");
        const std::string& name = m_line.tokens[m_next++];
        if (name.size() >= field)
            Throw(m_line.number, "names here have at most " + std::to_string(field - 1) + " characters");
        return name;
    }
    uint64_t Unsigned(uint64_t max)
    {
        const std::string& t = Token("number");
        errno = 0;
        char* end = nullptr;
        const unsigned long long value = std::strtoull(t.c_str(), &end, NumberBase(t));
        if (t.empty() || *end != '\0' || errno != 0 || value > max || t[0] == '-')
            Throw(m_line.number, "bad number '" + t + "'");
        return value;
    }
    uint32_t U32() { return static_cast<uint32_t>(Unsigned(0xFFFFFFFFu)); }
    uint16_t U16() { return static_cast<uint16_t>(Unsigned(0xFFFF)); }
    uint8_t U8() { return static_cast<uint8_t>(Unsigned(0xFF)); }
    int32_t Signed(int32_t min, int32_t max)
    {
        const std::string& t = Token("number");
        errno = 0;
        char* end = nullptr;
        const long value = std::strtol(t.c_str(), &end, NumberBase(t));
        if (t.empty() || *end != '\0' || errno != 0 || value < min || value > max)
            Throw(m_line.number, "bad number '" + t + "'");
        return static_cast<int32_t>(value);
    }
    float F32()
    {
        const std::string& t = Token("number");
        char* end = nullptr;
        const float value = std::strtof(t.c_str(), &end);
        if (t.empty() || *end != '\0')
            Throw(m_line.number, "bad number '" + t + "'");
        return value;
    }
    platform::Vec3 Vec3()
    {
        const float x = F32();
        const float y = F32();
        return {x, y, F32()};
    }
    platform::Matrix Matrix()
    {
        platform::Matrix m;
        for (auto& row : m.m)
            for (float& value : row)
                value = F32();
        return m;
    }
    // Hex digits for the first bytes of the field; the rest stay 0.
    void Hex(uint8_t* out, size_t size)
    {
        const std::string& t = Token("hex bytes");
        if (t.size() % 2 != 0 || t.size() / 2 > size)
            Throw(m_line.number, "bad hex bytes");
        for (size_t i = 0; i < t.size() / 2; ++i)
        {
            char pair[3] = {t[2 * i], t[2 * i + 1], 0};
            char* end = nullptr;
            const unsigned long b = std::strtoul(pair, &end, 16);
            if (*end != '\0' || !std::isxdigit(static_cast<unsigned char>(pair[0])))
                Throw(m_line.number, "bad hex bytes");
            out[i] = static_cast<uint8_t>(b);
        }
    }
    template <size_t N> void Hex(std::array<uint8_t, N>* out) { Hex(out->data(), N); }
    WaveRecord Wave()
    {
        WaveRecord w{};
        w.uTarget = U32();
        w.uShapeOp = U8();
        w.uPhase1 = U8();
        w.uFrequency1 = U16();
        w.iAmplitude1 = static_cast<int16_t>(Signed(-32768, 32767));
        w.iOffset1 = static_cast<int16_t>(Signed(-32768, 32767));
        w.uShape2 = U8();
        w.uPhase2 = U8();
        w.uFrequency2 = U16();
        w.iAmplitude2 = static_cast<int16_t>(Signed(-32768, 32767));
        w.iOffset2 = static_cast<int16_t>(Signed(-32768, 32767));
        return w;
    }
    ModelBounds Bounds()
    {
        ModelBounds bounds;
        for (float& value : bounds.m_af)
            value = F32();
        return bounds;
    }
    void Done()
    {
        if (More())
            Throw(m_line.number, "unexpected '" + m_line.tokens[m_next] + "'");
    }

private:
    const Line& m_line;
    size_t m_next = 1;
};

class TextReader
{
public:
    explicit TextReader(std::vector<Line> lines) : m_lines(std::move(lines)) {}

    void ReadModel(SModel* model);

private:
    bool AtEnd() const { return m_at >= m_lines.size(); }
    const Line& Next()
    {
        if (AtEnd())
            Throw(m_lines.empty() ? 1 : m_lines.back().number, "missing 'end'");
        return m_lines[m_at++];
    }
    // Reads the lines of a block up to its "end", handing each to `field`: it reads the line's values and returns
    // false, after which nothing may be left on the line, or reads a nested block and returns true.
    template <class Field> void ReadBlock(Field field)
    {
        for (;;)
        {
            Fields f(Next());
            if (f.Keyword() == "end")
            {
                f.Done();
                return;
            }
            if (!field(f))
                f.Done();
        }
    }
    // Reads the bone opened on the line into a new last entry of `bones`, refusing bones nested deeper than the
    // engine's reader follows them.
    void ReadNamedBone(Fields& f, std::vector<SBone>* bones);
    void ReadBone(SBone* bone);
    void ReadSubModel(SubModel* sub);
    void ReadLevel(SubModelLOD* level, uint32_t* vertexCount, bool* vertexCountSet, int* indicesLine);
    void ReadMaterial(SubModelLOD* level);
    void ReadKeys(std::vector<KeyFrame>* keys);
    // A box line: the flag, then the box when the flag says there is one (for submodels only its low byte counts).
    void ReadBox(Fields& f, uint32_t* flag, OrientedBox* box, bool lowByteCounts);

    std::vector<Line> m_lines;
    size_t m_at = 0;
    uint32_t m_boneDepth = 0;
};

void TextReader::ReadNamedBone(Fields& f, std::vector<SBone>* bones)
{
    // A bone at depth d has its submodels read at depth d + 1, which the engine's reader takes up to its limit.
    if (m_boneDepth >= kTmMaxBoneDepth)
        Throw(f.Number(), "bones nest at most " + std::to_string(kTmMaxBoneDepth) + " deep");
    bones->emplace_back();
    bones->back().m_name = f.Name(kTmBoneNameSize);
    f.Done();
    ++m_boneDepth;
    ReadBone(&bones->back());
    --m_boneDepth;
}

void TextReader::ReadBox(Fields& f, uint32_t* flag, OrientedBox* box, bool lowByteCounts)
{
    *flag = f.U32();
    const bool present = lowByteCounts ? (*flag & 0xFF) != 0 : *flag != 0;
    if (present)
    {
        box->m_centre = f.Vec3();
        box->m_halfSize = f.Vec3();
        box->m_orientation = f.Matrix();
    }
}

void TextReader::ReadModel(SModel* m)
{
    if (AtEnd())
        Throw(1, "no model");
    {
        Fields f(Next());
        if (f.Keyword() != "model")
            Throw(f.Number(), "expected 'model'");
        f.Done();
    }
    ReadBlock(
        [&](Fields& f)
        {
            const std::string& k = f.Keyword();
            if (k == "header")
                f.Hex(&m->m_auHeaderSpare);
            else if (k == "values")
                for (uint32_t& value : m->m_auValues)
                    value = f.U32();
            else if (k == "bounds")
                m->m_bounds = f.Bounds();
            else if (k == "frames")
                m->m_uFrameCount = f.U32();
            else if (k == "attachment")
            {
                AttachmentPoint point;
                for (float& value : point.m_afValues)
                    value = f.F32();
                point.m_uValue = f.U32();
                m->m_attachments.push_back(point);
            }
            else if (k == "table")
            {
                m->m_uTableWidth = f.U32();
                m->m_uTableHeight = f.U32();
                m->m_table.clear();
                if (m->m_uTableWidth != 0 && m->m_uTableHeight != 0)
                {
                    const uint64_t cells = uint64_t{m->m_uTableWidth} * m->m_uTableHeight;
                    if (cells != f.Left())
                        Throw(f.Number(), "the table needs width x height values");
                    for (uint64_t i = 0; i < cells; ++i)
                        m->m_table.push_back(f.U32());
                }
            }
            else if (k == "box")
                ReadBox(f, &m->m_uBoxFlag, &m->m_box, false);
            else if (k == "link")
            {
                ModelLink link;
                link.m_name = f.Name(kTmLinkNameSize);
                link.m_a = f.Vec3();
                link.m_b = f.Vec3();
                m->m_links.push_back(link);
            }
            else if (k == "locator")
            {
                Locator locator;
                locator.m_name = f.Name(kTmLinkNameSize);
                locator.m_position = f.Vec3();
                locator.m_vector = f.Vec3();
                m->m_locators.push_back(locator);
            }
            else if (k == "tail")
            {
                m->m_uTailValue = f.U32();
                if (f.More())
                    f.Hex(&m->m_auTail);
            }
            else if (k == "bone")
            {
                ReadNamedBone(f, &m->m_bones);
                return true;
            }
            else
                Throw(f.Number(), "unknown model field '" + k + "'");
            return false;
        });
    if (!AtEnd())
        Throw(m_lines[m_at].number, "text after the model");
}

void TextReader::ReadKeys(std::vector<KeyFrame>* keys)
{
    // Each line a key: its time, then its four values.
    ReadBlock(
        [&](Fields& f)
        {
            KeyFrame key;
            char* end = nullptr;
            errno = 0;
            const unsigned long long time = std::strtoull(f.Keyword().c_str(), &end, NumberBase(f.Keyword()));
            if (*end != '\0' || errno != 0 || time > 0xFFFFFFFFu || f.Keyword()[0] == '-')
                Throw(f.Number(), "expected a key time or 'end'");
            key.m_uTime = static_cast<uint32_t>(time);
            // The game finds the key for a time by halving the list, and the last key's time is the loop's length.
            if (!keys->empty() && key.m_uTime < keys->back().m_uTime)
                Throw(f.Number(), "key times go back (" + std::to_string(key.m_uTime) + " after " +
                                      std::to_string(keys->back().m_uTime) + ")");
            for (float& value : key.m_afValue)
                value = f.F32();
            keys->push_back(key);
            return false;
        });
}

void TextReader::ReadBone(SBone* bone)
{
    bool hasKeysSet = false;
    int haskeysLine = 0;
    ReadBlock(
        [&](Fields& f)
        {
            const std::string& k = f.Keyword();
            if (k == "matrix")
                bone->m_local = f.Matrix();
            else if (k == "position")
                bone->m_restPosition = f.Vec3();
            else if (k == "rotation")
                bone->m_restRotation = f.Vec3();
            else if (k == "scale")
                bone->m_restScale = f.Vec3();
            else if (k == "overwritten")
                bone->m_uOverwritten = f.U32();
            else if (k == "value16")
                bone->m_uValue16 = f.U16();
            else if (k == "carried")
                f.Hex(&bone->m_auCarried);
            else if (k == "haskeys")
            {
                bone->m_uHasKeyLists = f.U8();
                hasKeysSet = true;
                haskeysLine = f.Number();
            }
            else if (k == "toggle")
                bone->m_uToggleBit = f.U32();
            else if (k == "pairs")
            {
                bone->m_auPairA = {f.U16(), f.U16()};
                bone->m_auPairB = {f.U16(), f.U16()};
            }
            else if (k == "fixed")
                bone->m_uFixedPositionValue = f.U32();
            else if (k == "tail")
                f.Hex(&bone->m_auTail);
            else if (k == "wave")
                bone->m_waves.push_back(f.Wave());
            else if (k == "keys")
            {
                static const char* const kLists[kKeyListCount] = {"rotation", "scale", "position"};
                const std::string& which = f.Token("key list");
                int list = -1;
                for (int i = 0; i < kKeyListCount; ++i)
                    if (which == kLists[i])
                        list = i;
                if (list < 0)
                    Throw(f.Number(), "keys are rotation, scale or position");
                f.Done();
                if (!bone->m_pKeys)
                {
                    bone->m_pKeys = std::make_unique<KeyListSet>();
                    bone->m_pKeys->m_name = bone->m_name;
                }
                if (!hasKeysSet)
                    bone->m_uHasKeyLists = 1;
                ReadKeys(&bone->m_pKeys->m_lists[list]);
                return true;
            }
            else if (k == "bone")
            {
                ReadNamedBone(f, &bone->m_children);
                return true;
            }
            else if (k == "submodel")
            {
                bone->m_subModels.emplace_back();
                bone->m_subModels.back().m_name = f.Name(kTmSubModelNameSize);
                f.Done();
                ReadSubModel(&bone->m_subModels.back());
                return true;
            }
            else
                Throw(f.Number(), "unknown bone field '" + k + "'");
            return false;
        });
    // A bone whose key lists are switched off has none written: keys given to it would be lost without a word.
    if (bone->m_uHasKeyLists == 0 && bone->m_pKeys)
        for (const std::vector<KeyFrame>& keys : bone->m_pKeys->m_lists)
            if (!keys.empty())
                Throw(haskeysLine, "bone '" + bone->m_name + "' has keys, which 'haskeys 0' leaves out");
    if (bone->m_uHasKeyLists != 0 && !bone->m_pKeys)
    {
        bone->m_pKeys = std::make_unique<KeyListSet>();
        bone->m_pKeys->m_name = bone->m_name;
    }
}

void TextReader::ReadMaterial(SubModelLOD* level)
{
    SMaterial& m = level->m_material;
    ReadBlock(
        [&](Fields& f)
        {
            const std::string& k = f.Keyword();
            if (k == "diffuse")
                m.m_uDiffuse = f.U32();
            else if (k == "self")
                m.m_uSelfIllumination = f.U32();
            else if (k == "specular")
                m.m_uSpecular = f.U32();
            else if (k == "power")
                m.m_fSpecularPower = f.F32();
            else if (k == "layer")
            {
                const uint32_t layer = f.U32();
                if (layer > 1)
                    Throw(f.Number(), "layers are 0 and 1");
                MaterialStage& stage = m.m_aStages[layer];
                while (f.More())
                {
                    const std::string& field = f.Token("layer field");
                    if (field == "mode")
                        stage.m_uTextureMode = f.U16();
                    else if (field == "sampling")
                        stage.m_uSampling = f.U8();
                    else if (field == "bias")
                        stage.m_iMipBias = static_cast<int8_t>(f.Signed(-128, 127));
                    else if (field == "colourop")
                        stage.m_uColourOp = f.U16();
                    else if (field == "alphaop")
                        stage.m_uAlphaOp = f.U16();
                    else if (field == "texture")
                    {
                        level->m_aszTexture[layer] = f.Name(kTmTextureNameSize);
                    }
                    else
                        Throw(f.Number(), "unknown layer field '" + field + "'");
                }
            }
            else if (k == "blend")
                m.m_uBlendMode = f.U8();
            else if (k == "depth")
                m.m_uDepthCompare = f.U8();
            else if (k == "alpharef")
                m.m_uAlphaRef = f.U8();
            else if (k == "flags")
                m.m_uDepthAlphaFlags = f.U8();
            else if (k == "spare")
                level->m_uMaterialSpare = f.U16();
            else if (k == "animator")
                m.m_channels.push_back(f.Wave());
            else
                Throw(f.Number(), "unknown material field '" + k + "'");
            return false;
        });
}

void TextReader::ReadLevel(SubModelLOD* level, uint32_t* vertexCount, bool* vertexCountSet, int* indicesLine)
{
    ReadBlock(
        [&](Fields& f)
        {
            const std::string& k = f.Keyword();
            if (k == "indices")
            {
                *indicesLine = f.Number();
                while (f.More())
                    level->m_indices.push_back(f.U16());
            }
            else if (k == "vertexcount")
            {
                *vertexCount = f.U32();
                *vertexCountSet = true;
            }
            else if (k == "valuea")
                level->m_uValueA = f.U32();
            else if (k == "bytes")
                f.Hex(&level->m_auBytes);
            else if (k == "own")
                level->m_uOwnByte = f.U8();
            else if (k == "registration")
                level->m_uRegistration = f.U32();
            else if (k == "valueb")
                level->m_uValueB = f.U32();
            else if (k == "carried")
                f.Hex(&level->m_auCarried);
            else if (k == "material")
            {
                f.Done();
                ReadMaterial(level);
                return true;
            }
            else
                Throw(f.Number(), "unknown level field '" + k + "'");
            return false;
        });
}

void TextReader::ReadSubModel(SubModel* sub)
{
    std::vector<uint32_t> vertexCounts;
    std::vector<bool> vertexCountsSet;
    std::vector<int> indicesLines;
    bool colourFlagSet = false;
    int lastVertexLine = 0;
    size_t coloured = 0;
    ReadBlock(
        [&](Fields& f)
        {
            const std::string& k = f.Keyword();
            if (k == "value")
                sub->m_uValue = f.U32();
            else if (k == "bounds")
                sub->m_bounds = f.Bounds();
            else if (k == "levelbyte")
                sub->m_uLevelCountByte = f.U8();
            else if (k == "kind")
                sub->m_uVertexKind = f.U32();
            else if (k == "records")
            {
                sub->m_uRecordCount = f.U32();
                if (uint64_t{sub->m_uRecordCount} * kTmKindRecordSize > kMaxRecordBytes)
                    Throw(f.Number(), "too many records");
                sub->m_records.clear();
                if (f.More())
                {
                    sub->m_records.assign(size_t{sub->m_uRecordCount} * kTmKindRecordSize, 0);
                    f.Hex(sub->m_records.data(), sub->m_records.size());
                }
            }
            else if (k == "colourflag")
            {
                sub->m_uColourFlag = f.U8();
                colourFlagSet = true;
            }
            else if (k == "vertex")
            {
                sub->m_positions.push_back(f.Vec3());
                sub->m_normals.push_back(f.Vec3());
                const float u = f.F32();
                sub->m_uvs.push_back({u, f.F32()});
                if (f.More())
                {
                    sub->m_colours.resize(sub->m_positions.size() - 1, 0);
                    sub->m_colours.push_back(f.U32());
                    ++coloured;
                }
                lastVertexLine = f.Number();
            }
            else if (k == "capsule")
            {
                sub->m_uCapsuleValue = f.U32();
                sub->m_capsuleA = f.Vec3();
                sub->m_capsuleB = f.Vec3();
                sub->m_fCapsuleRadius = f.F32();
                sub->m_auColours = {f.U32(), f.U32()};
            }
            else if (k == "box")
                ReadBox(f, &sub->m_uBoxFlag, &sub->m_box, true);
            else if (k == "tail")
            {
                sub->m_auTail = {f.U32(), f.U32()};
                if (f.More())
                    f.Hex(&sub->m_auTailBytes);
            }
            else if (k == "level")
            {
                if (sub->m_levels.size() == kTmMaxLevels)
                    Throw(f.Number(), "a submodel has at most 5 levels");
                sub->m_levels.emplace_back();
                sub->m_levels.back().m_fSwitchDistance = f.F32();
                f.Done();
                uint32_t count = 0;
                bool set = false;
                int indicesLine = f.Number();
                ReadLevel(&sub->m_levels.back(), &count, &set, &indicesLine);
                vertexCounts.push_back(count);
                vertexCountsSet.push_back(set);
                indicesLines.push_back(indicesLine);
                return true;
            }
            else
                Throw(f.Number(), "unknown submodel field '" + k + "'");
            return false;
        });
    if (sub->m_levels.empty())
        Throw(lastVertexLine, "submodel '" + sub->m_name + "' has no level");
    if (coloured != 0 && coloured != sub->m_positions.size())
        Throw(lastVertexLine, "either every vertex has a colour or none has");
    if (!colourFlagSet)
        sub->m_uColourFlag = coloured != 0 ? 1 : 0;
    const uint32_t n = static_cast<uint32_t>(sub->m_positions.size());
    for (size_t i = 0; i < sub->m_levels.size(); ++i)
        sub->m_levels[i].m_uVertexCount = vertexCountsSet[i] ? vertexCounts[i] : n;
    if (sub->m_uLevelCountByte != 0 || sub->m_levels.size() != 1)
        sub->m_uLevelCountByte = static_cast<uint8_t>(sub->m_levels.size());

    // Every level draws whole triangles from the submodel's vertices (kind 0) or records (kinds 1 to 4), as the
    // engine's loader checks.
    const uint32_t first = sub->GetVertexCount();
    const uint32_t available = sub->m_uVertexKind == 0 ? first : sub->m_uVertexKind <= 4 ? sub->m_uRecordCount : 0;
    // The first level's vertex count is the submodel's: it counts the vertex lines given (or, for kinds 1 to 4,
    // at most the records), never vertices that no line gives, which would be written as made-up zeros.
    const bool records = sub->m_uVertexKind >= 1 && sub->m_uVertexKind <= 4;
    const uint32_t given = records ? std::max(n, sub->m_uRecordCount) : n;
    if (first > given)
        Throw(indicesLines[0], "the first level's vertex count " + std::to_string(first) + " is past the " +
                                   std::to_string(given) + " vertices given in submodel '" + sub->m_name + "'");
    for (size_t i = 0; i < sub->m_levels.size(); ++i)
    {
        const SubModelLOD& level = sub->m_levels[i];
        const std::string where = " in submodel '" + sub->m_name + "'";
        if (level.m_indices.size() % 3 != 0)
            Throw(indicesLines[i], "the index count is not a multiple of 3" + where);
        if (level.m_uVertexCount > std::max(available, first))
            Throw(indicesLines[i], "the level's vertex count is past the vertices" + where);
        for (uint16_t index : level.m_indices)
            if (index >= available)
                Throw(indicesLines[i], "index " + std::to_string(index) + " is past the " + std::to_string(available) +
                                           " vertices" + where);
        // A level is drawn from the first of its own vertex count of the submodel's vertices: indices past them
        // would leave it undrawn.
        if (sub->m_uVertexKind == 0)
            for (uint16_t index : level.m_indices)
                if (index >= level.m_uVertexCount)
                    Throw(indicesLines[i], "index " + std::to_string(index) + " is past the level's vertex count " +
                                               std::to_string(level.m_uVertexCount) + where);
    }
}

// ---------------------------------------------------------------- writing

class TextWriter
{
public:
    void Line(int depth, const char* format, ...) __attribute__((format(printf, 3, 4)))
    {
        m_text.append(static_cast<size_t>(depth) * 4, ' ');
        char buffer[4096];
        va_list args;
        va_start(args, format);
        std::vsnprintf(buffer, sizeof(buffer), format, args);
        va_end(args);
        m_text += buffer;
        m_text += '\n';
    }
    // A keyword followed by values, built piece by piece.
    void Begin(int depth, const std::string& keyword)
    {
        m_text.append(static_cast<size_t>(depth) * 4, ' ');
        m_text += keyword;
    }
    void Float(float f)
    {
        char buffer[48];
        std::snprintf(buffer, sizeof(buffer), " %.9g", static_cast<double>(f));
        m_text += buffer;
    }
    void Floats(const float* f, size_t n)
    {
        for (size_t i = 0; i < n; ++i)
            Float(f[i]);
    }
    void Vec3(const platform::Vec3& v)
    {
        Float(v.x);
        Float(v.y);
        Float(v.z);
    }
    void Matrix(const platform::Matrix& m) { Floats(&m.m[0][0], 16); }
    void Unsigned(uint64_t v, bool hex = false)
    {
        char buffer[32];
        std::snprintf(buffer, sizeof(buffer), hex ? " 0x%" PRIX64 : " %" PRIu64, v);
        m_text += buffer;
    }
    void Signed(int64_t v)
    {
        char buffer[32];
        std::snprintf(buffer, sizeof(buffer), " %" PRId64, v);
        m_text += buffer;
    }
    void Name(const std::string& name)
    {
        m_text += " \"";
        for (char c : name)
        {
            if (c == '"' || c == '\\')
                m_text += '\\';
            m_text += c;
        }
        m_text += '"';
    }
    // The bytes in hex with the trailing zeros left out; false (nothing written) when all are zero.
    static std::string Hex(const uint8_t* data, size_t size)
    {
        size_t used = size;
        while (used > 0 && data[used - 1] == 0)
            --used;
        std::string out;
        char pair[3];
        for (size_t i = 0; i < used; ++i)
        {
            std::snprintf(pair, sizeof(pair), "%02X", data[i]);
            out += pair;
        }
        return out;
    }
    void HexField(const uint8_t* data, size_t size)
    {
        const std::string hex = Hex(data, size);
        m_text += ' ';
        m_text += hex;
    }
    void Wave(const WaveRecord& w)
    {
        Unsigned(w.uTarget, true);
        Unsigned(w.uShapeOp);
        Unsigned(w.uPhase1);
        Unsigned(w.uFrequency1);
        Signed(w.iAmplitude1);
        Signed(w.iOffset1);
        Unsigned(w.uShape2);
        Unsigned(w.uPhase2);
        Unsigned(w.uFrequency2);
        Signed(w.iAmplitude2);
        Signed(w.iOffset2);
    }
    void End() { m_text += '\n'; }
    void Append(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        char buffer[1024];
        va_list args;
        va_start(args, format);
        std::vsnprintf(buffer, sizeof(buffer), format, args);
        va_end(args);
        m_text += buffer;
    }

    std::string m_text;
};

bool AllZero(const float* f, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (f[i] != 0.0f || std::signbit(f[i]))
            return false;
    return true;
}

bool IsZero(const platform::Vec3& v)
{
    return AllZero(&v.x, 3);
}

bool IsIdentityMatrix(const platform::Matrix& m)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m.m[r][c] != (r == c ? 1.0f : 0.0f) || std::signbit(m.m[r][c]))
                return false;
    return true;
}

template <size_t N> bool HasBytes(const std::array<uint8_t, N>& data)
{
    return !TextWriter::Hex(data.data(), N).empty();
}

void WriteBox(TextWriter& out, int depth, uint32_t flag, const OrientedBox& box, bool present)
{
    out.Begin(depth, "box");
    out.Unsigned(flag, true);
    if (present)
    {
        out.Vec3(box.m_centre);
        out.Vec3(box.m_halfSize);
        out.Matrix(box.m_orientation);
    }
    out.End();
}

void WriteMaterialText(TextWriter& out, int depth, const SubModelLOD& level)
{
    const SMaterial& m = level.m_material;
    const MaterialFields defaults;
    out.Line(depth, "material");
    if (m.m_uDiffuse != defaults.m_uDiffuse)
        out.Line(depth + 1, "diffuse 0x%08X", m.m_uDiffuse);
    if (m.m_uSelfIllumination != 0)
        out.Line(depth + 1, "self 0x%08X", m.m_uSelfIllumination);
    if (m.m_uSpecular != 0)
        out.Line(depth + 1, "specular 0x%08X", m.m_uSpecular);
    if (m.m_fSpecularPower != 0.0f || std::signbit(m.m_fSpecularPower))
    {
        out.Begin(depth + 1, "power");
        out.Float(m.m_fSpecularPower);
        out.End();
    }
    for (int layer = 0; layer < 2; ++layer)
    {
        const MaterialStage& s = m.m_aStages[layer];
        const MaterialStage& d = defaults.m_aStages[layer];
        if (s.m_uTextureMode == d.m_uTextureMode && s.m_uSampling == d.m_uSampling && s.m_iMipBias == d.m_iMipBias &&
            s.m_uColourOp == d.m_uColourOp && s.m_uAlphaOp == d.m_uAlphaOp && !level.HasTexture(layer))
            continue;
        out.Begin(depth + 1, "layer " + std::to_string(layer) + " mode");
        out.Unsigned(s.m_uTextureMode);
        out.m_text += " sampling";
        out.Unsigned(s.m_uSampling);
        out.m_text += " bias";
        out.Signed(s.m_iMipBias);
        out.m_text += " colourop";
        out.Unsigned(s.m_uColourOp);
        out.m_text += " alphaop";
        out.Unsigned(s.m_uAlphaOp);
        if (level.HasTexture(layer))
        {
            out.m_text += " texture";
            out.Name(level.m_aszTexture[layer]);
        }
        out.End();
    }
    if (m.m_uBlendMode != defaults.m_uBlendMode)
        out.Line(depth + 1, "blend %u", m.m_uBlendMode);
    if (m.m_uDepthCompare != defaults.m_uDepthCompare)
        out.Line(depth + 1, "depth %u", m.m_uDepthCompare);
    if (m.m_uAlphaRef != defaults.m_uAlphaRef)
        out.Line(depth + 1, "alpharef %u", m.m_uAlphaRef);
    if (m.m_uDepthAlphaFlags != defaults.m_uDepthAlphaFlags)
        out.Line(depth + 1, "flags %u", m.m_uDepthAlphaFlags);
    if (level.m_uMaterialSpare != 0)
        out.Line(depth + 1, "spare %u", level.m_uMaterialSpare);
    for (const MaterialChannel& channel : m.m_channels)
    {
        out.Begin(depth + 1, "animator");
        out.Wave(channel);
        out.End();
    }
    out.Line(depth, "end");
}

void WriteSubModelText(TextWriter& out, int depth, const SubModel& sub)
{
    out.Begin(depth, "submodel");
    out.Name(sub.m_name);
    out.End();
    const int in = depth + 1;
    if (sub.m_uValue != 0xFFFFFFFF)
        out.Line(in, "value 0x%X", sub.m_uValue);
    if (!AllZero(sub.m_bounds.m_af.data(), 11))
    {
        out.Begin(in, "bounds");
        out.Floats(sub.m_bounds.m_af.data(), 11);
        out.End();
    }
    if (sub.m_uLevelCountByte == 0 && sub.m_levels.size() == 1)
        out.Line(in, "levelbyte 0");
    if (sub.m_uVertexKind != 0)
        out.Line(in, "kind %u", sub.m_uVertexKind);
    if (sub.m_uRecordCount != 0 || !sub.m_records.empty())
    {
        out.Begin(in, "records");
        out.Unsigned(sub.m_uRecordCount);
        if (!TextWriter::Hex(sub.m_records.data(), sub.m_records.size()).empty())
            out.HexField(sub.m_records.data(), sub.m_records.size());
        out.End();
    }
    const uint32_t n = sub.GetVertexCount();
    const bool coloured = sub.m_uColourFlag != 0 && n > 0;
    if (sub.m_uColourFlag != (n > 0 && coloured ? 1 : 0))
        out.Line(in, "colourflag %u", sub.m_uColourFlag);
    for (uint32_t i = 0; i < n; ++i)
    {
        out.Begin(in, "vertex");
        out.Vec3(i < sub.m_positions.size() ? sub.m_positions[i] : platform::Vec3{});
        out.Vec3(i < sub.m_normals.size() ? sub.m_normals[i] : platform::Vec3{});
        const platform::Vec2 uv = i < sub.m_uvs.size() ? sub.m_uvs[i] : platform::Vec2{};
        out.Float(uv.x);
        out.Float(uv.y);
        if (coloured)
            out.Unsigned(i < sub.m_colours.size() ? sub.m_colours[i] : 0, true);
        out.End();
    }
    if (sub.m_uCapsuleValue != 0 || !IsZero(sub.m_capsuleA) || !IsZero(sub.m_capsuleB) ||
        sub.m_fCapsuleRadius != 0.0f || std::signbit(sub.m_fCapsuleRadius) || sub.m_auColours[0] != 0 ||
        sub.m_auColours[1] != 0)
    {
        out.Begin(in, "capsule");
        out.Unsigned(sub.m_uCapsuleValue, true);
        out.Vec3(sub.m_capsuleA);
        out.Vec3(sub.m_capsuleB);
        out.Float(sub.m_fCapsuleRadius);
        out.Unsigned(sub.m_auColours[0], true);
        out.Unsigned(sub.m_auColours[1], true);
        out.End();
    }
    if (sub.m_uBoxFlag != 0)
        WriteBox(out, in, sub.m_uBoxFlag, sub.m_box, sub.HasBox());
    if (sub.m_auTail[0] != 0 || sub.m_auTail[1] != 0 || HasBytes(sub.m_auTailBytes))
    {
        out.Begin(in, "tail");
        out.Unsigned(sub.m_auTail[0], true);
        out.Unsigned(sub.m_auTail[1], true);
        if (HasBytes(sub.m_auTailBytes))
            out.HexField(sub.m_auTailBytes.data(), 16);
        out.End();
    }
    for (const SubModelLOD& level : sub.m_levels)
    {
        out.Begin(in, "level");
        out.Float(level.m_fSwitchDistance);
        out.End();
        const int l = in + 1;
        if (!level.m_indices.empty())
        {
            out.Begin(l, "indices");
            for (uint16_t index : level.m_indices)
                out.Unsigned(index);
            out.End();
        }
        if (level.m_uVertexCount != sub.m_positions.size() || sub.m_uVertexKind != 0)
            out.Line(l, "vertexcount %u", level.m_uVertexCount);
        if (level.m_uValueA != 0)
            out.Line(l, "valuea 0x%X", level.m_uValueA);
        if (HasBytes(level.m_auBytes))
        {
            out.Begin(l, "bytes");
            out.HexField(level.m_auBytes.data(), 4);
            out.End();
        }
        if (level.m_uOwnByte != 0)
            out.Line(l, "own %u", level.m_uOwnByte);
        if (level.m_uRegistration != 0)
            out.Line(l, "registration 0x%X", level.m_uRegistration);
        if (level.m_uValueB != 0)
            out.Line(l, "valueb 0x%X", level.m_uValueB);
        if (HasBytes(level.m_auCarried))
        {
            out.Begin(l, "carried");
            out.HexField(level.m_auCarried.data(), 24);
            out.End();
        }
        WriteMaterialText(out, l, level);
        out.Line(in, "end");
    }
    out.Line(depth, "end");
}

void WriteBoneText(TextWriter& out, int depth, const SBone& bone)
{
    out.Begin(depth, "bone");
    out.Name(bone.m_name);
    out.End();
    const int in = depth + 1;
    if (!IsIdentityMatrix(bone.m_local))
    {
        out.Begin(in, "matrix");
        out.Matrix(bone.m_local);
        out.End();
    }
    const struct
    {
        const char* keyword;
        const platform::Vec3& value;
        platform::Vec3 fallback;
    } vectors[] = {{"position", bone.m_restPosition, {0, 0, 0}},
                   {"rotation", bone.m_restRotation, {0, 0, 0}},
                   {"scale", bone.m_restScale, {1, 1, 1}}};
    for (const auto& v : vectors)
    {
        if (v.value.x == v.fallback.x && v.value.y == v.fallback.y && v.value.z == v.fallback.z &&
            !std::signbit(v.value.x) && !std::signbit(v.value.y) && !std::signbit(v.value.z))
            continue;
        out.Begin(in, v.keyword);
        out.Vec3(v.value);
        out.End();
    }
    if (bone.m_uOverwritten != 0)
        out.Line(in, "overwritten 0x%X", bone.m_uOverwritten);
    if (bone.m_uValue16 != 0)
        out.Line(in, "value16 %u", bone.m_uValue16);
    if (HasBytes(bone.m_auCarried))
    {
        out.Begin(in, "carried");
        out.HexField(bone.m_auCarried.data(), bone.m_auCarried.size());
        out.End();
    }
    if (bone.m_uHasKeyLists > 1 || (bone.m_uHasKeyLists == 1 && !bone.m_pKeys))
        out.Line(in, "haskeys %u", bone.m_uHasKeyLists);
    if (bone.m_uToggleBit != 0xFFFFFFFF)
        out.Line(in, "toggle 0x%X", bone.m_uToggleBit);
    if (bone.m_auPairA[0] || bone.m_auPairA[1] || bone.m_auPairB[0] || bone.m_auPairB[1])
        out.Line(in, "pairs %u %u %u %u", bone.m_auPairA[0], bone.m_auPairA[1], bone.m_auPairB[0], bone.m_auPairB[1]);
    if (bone.m_uFixedPositionValue != 0)
        out.Line(in, "fixed %u", bone.m_uFixedPositionValue);
    if (HasBytes(bone.m_auTail))
    {
        out.Begin(in, "tail");
        out.HexField(bone.m_auTail.data(), bone.m_auTail.size());
        out.End();
    }
    for (const WaveRecord& wave : bone.m_waves)
    {
        out.Begin(in, "wave");
        out.Wave(wave);
        out.End();
    }
    if (bone.m_uHasKeyLists != 0 && bone.m_pKeys)
    {
        static const char* const kLists[kKeyListCount] = {"rotation", "scale", "position"};
        for (int list = 0; list < kKeyListCount; ++list)
        {
            out.Line(in, "keys %s", kLists[list]);
            for (const KeyFrame& key : bone.m_pKeys->m_lists[list])
            {
                out.Begin(in + 1, std::to_string(key.m_uTime));
                out.Floats(key.m_afValue.data(), 4);
                out.End();
            }
            out.Line(in, "end");
        }
    }
    for (const SBone& child : bone.m_children)
        WriteBoneText(out, in, child);
    for (const SubModel& sub : bone.m_subModels)
        WriteSubModelText(out, in, sub);
    out.Line(depth, "end");
}

// ---- the optimised summary

void WriteOptBoneText(TextWriter& out, int depth, const OptBone& bone)
{
    out.Begin(depth, "bone");
    out.Name(bone.m_name);
    out.m_text += " flags";
    out.Unsigned(bone.m_uFlags, true);
    out.m_text += " toggle";
    out.Unsigned(bone.GetToggleBit(), true);
    out.m_text += " waves";
    out.Unsigned(bone.m_uWaveCount);
    if (bone.m_pTrack)
    {
        out.m_text += " track";
        out.Unsigned(bone.m_pTrack->m_keys.size());
    }
    out.End();
    for (const OptMesh& mesh : bone.m_meshes)
    {
        out.Line(depth + 1, "mesh kind %u vertices %u levels %zu far %.9g capsule %.9g", mesh.m_uKind,
                 mesh.m_uVertexCount, mesh.m_levels.size(), static_cast<double>(mesh.m_fFarDistance),
                 static_cast<double>(mesh.m_fCapsuleRadius));
        for (size_t i = 0; i < mesh.m_levels.size(); ++i)
        {
            const OptMeshLOD& lod = mesh.m_levels[i];
            out.Begin(depth + 2, "level");
            out.Float(mesh.m_afLevelDistance[i]);
            out.Append(" vertices %u triangles %u sort %u parts %d %d %d", lod.m_uVertexCount, lod.m_uIndexCount / 3,
                       lod.m_uSortClass, lod.m_parts.m_iStateSet, lod.m_parts.m_iTextureTransformSet,
                       lod.m_parts.m_iLightingSet);
            for (int stage = 0; stage < 2; ++stage)
            {
                if (lod.m_aszTexture[stage].empty())
                    continue;
                out.m_text += " texture" + std::to_string(stage);
                out.Name(lod.m_aszTexture[stage]);
            }
            out.End();
        }
    }
    for (const OptBone& child : bone.m_children)
        WriteOptBoneText(out, depth + 1, child);
}

} // namespace

bool ParseModelText(const std::string& text, SModel* model, std::string* error)
{
    try
    {
        SModel parsed;
        TextReader reader(SplitLines(text));
        reader.ReadModel(&parsed);
        *model = std::move(parsed);
        return true;
    }
    catch (const ParseError& e)
    {
        if (error)
            *error = e.what();
        return false;
    }
}

std::string DumpModelText(const SModel& m)
{
    TextWriter out;
    out.Line(0, "model");
    if (HasBytes(m.m_auHeaderSpare))
    {
        out.Begin(1, "header");
        out.HexField(m.m_auHeaderSpare.data(), 8);
        out.End();
    }
    if (m.m_auValues[0] || m.m_auValues[1] || m.m_auValues[2])
        out.Line(1, "values 0x%X 0x%X 0x%X", m.m_auValues[0], m.m_auValues[1], m.m_auValues[2]);
    if (!AllZero(m.m_bounds.m_af.data(), 11))
    {
        out.Begin(1, "bounds");
        out.Floats(m.m_bounds.m_af.data(), 11);
        out.End();
    }
    if (m.m_uFrameCount != 0)
        out.Line(1, "frames %u", m.m_uFrameCount);
    for (const AttachmentPoint& point : m.m_attachments)
    {
        out.Begin(1, "attachment");
        out.Floats(point.m_afValues.data(), 5);
        out.Unsigned(point.m_uValue, true);
        out.End();
    }
    if (m.m_uTableWidth != 0 || m.m_uTableHeight != 0)
    {
        out.Begin(1, "table");
        out.Unsigned(m.m_uTableWidth);
        out.Unsigned(m.m_uTableHeight);
        for (uint32_t value : m.m_table)
            out.Unsigned(value, true);
        out.End();
    }
    if (m.m_uBoxFlag != 0)
        WriteBox(out, 1, m.m_uBoxFlag, m.m_box, true);
    for (const ModelLink& link : m.m_links)
    {
        out.Begin(1, "link");
        out.Name(link.m_name);
        out.Vec3(link.m_a);
        out.Vec3(link.m_b);
        out.End();
    }
    for (const Locator& locator : m.m_locators)
    {
        out.Begin(1, "locator");
        out.Name(locator.m_name);
        out.Vec3(locator.m_position);
        out.Vec3(locator.m_vector);
        out.End();
    }
    if (m.m_uTailValue != 0 || HasBytes(m.m_auTail))
    {
        out.Begin(1, "tail");
        out.Unsigned(m.m_uTailValue, true);
        if (HasBytes(m.m_auTail))
            out.HexField(m.m_auTail.data(), m.m_auTail.size());
        out.End();
    }
    for (const SBone& bone : m.m_bones)
        WriteBoneText(out, 1, bone);
    out.Line(0, "end");
    return out.m_text;
}

std::string DumpOptModelText(const OptModel& m)
{
    TextWriter out;
    out.Line(0, "optimised model");
    out.Begin(1, "bounds");
    out.Floats(m.m_bounds.m_af.data(), 11);
    out.End();
    out.Line(1, "frames %u", m.m_uFrameCount);
    for (const Locator& locator : m.m_locators)
    {
        out.Begin(1, "locator");
        out.Name(locator.m_name);
        out.Vec3(locator.m_position);
        out.End();
    }
    for (const ModelLink& link : m.m_links)
    {
        out.Begin(1, "link");
        out.Name(link.m_name);
        out.End();
    }
    for (const OptBone& bone : m.m_bones)
        WriteOptBoneText(out, 1, bone);
    return out.m_text;
}

} // namespace tmtool
