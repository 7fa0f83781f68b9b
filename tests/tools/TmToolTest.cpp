// Tests of tmtool: the model text read and written back, the .tm bytes at the places the format fixes, byte-exact
// round trips through the engine's reader, the command line, and the shipped placeholder model.
#include "tools/tmtool/TmTool.h"
#include "engine/render/TmFormat.h"
#include "tests/support/TestSupport.h"
#include "tools/tmtool/TmText.h"
#include "tools/tmtool/TmWriter.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <regex>
#include <sstream>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

// Every kind of field the text knows, away from its default: the model's fields, a root bone with waves and key
// lists, two children (one with a strip of records), a quad with two levels and full materials, a second root with
// an empty submodel.
const char* const kRichModel =
    "# a model that uses every field\nmodel\nheader 0102030405060708\nvalues 1 0x2 3\n"
    "bounds -1 -2 -3 4 5 6 1.5 1.5 1.5 7 9.25\nframes 77\nattachment 1 2 3 4 5 0xAB\nattachment -1 -2 -3 -4 -5 6\n"
    "table 2 3 1 2 3 4 5 6\nbox 1 0 1 0 0.5 0.25 2 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1\nlink \"LeftHand\" 0 1 2 3 4 5\n"
    "locator \"CAM_POS_00\" 10 20 30 0 0 1\ntail 0xCAFE 00FF00FF\n"
    "bone \"Root\"\nmatrix 2 0 0 0 0 2 0 0 0 0 2 0 1 2 3 1\nposition 1 2 3\nrotation 0.5 0 -0.25\nscale 2 2 2\n"
    "overwritten 0xFFFFFFFF\nvalue16 1\ncarried 0A0B\ntoggle 0x4\npairs 1 2 3 4\nfixed 1\ntail FF\n"
    "wave 0x10 2 64 100 256 -128 1 3 50 20 10\n"
    "wave 0xFFFFFFFF 255 255 65535 -32768 32767 255 255 65535 32767 -32768\n"
    "wave 0 0 0 0 32767 -32768 0 0 0 -32768 32767\n"
    "keys rotation\n0 0 0 0 1\n10 0 0.5 0 0.75\nend\nkeys scale\nend\nkeys position\n0 0 0 0 0\n4800 1 2 3 0\nend\n"
    "  bone \"Child \\\"A\\\"\"\nrotation 0 0 0.5\nhaskeys 1\n"
    "    submodel \"Strip\"\nvalue 0x12\nkind 2\nrecords 2 0102\nlevel 5\nindices 0 1 1\nvertexcount 0\n"
    "      material\nlayer 0 mode 1 sampling 0 bias 127 colourop 4 alphaop 2\nend\nend\nend\nend\n"
    "  bone \"Child B\"\nposition 1 0 0\nscale 2 1 1\nend\n"
    "  submodel \"Quad\"\nbounds 0 0 0 1 1 0 0.5 0.5 0 0 0.7\nvertex 0 0 0 0 0 -1 0 0 0xFF102030\n"
    "vertex 1 0 0 0 0 -1 1 0 0xFF405060\nvertex 1 1 0 0 0 -1 1 1 0xFF708090\nvertex 0 1 0 0 0 -1 0 1 0xFFA0B0C0\n"
    "capsule 0x3 0 0 0 1 1 1 0.5 0xFF00FF00 0xFF0000FF\n"
    "box 0x101 0.5 0.5 0 0.5 0.5 0.005 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1\ntail 0x1 0x2 11223344\n"
    "    level 0\nindices 0 1 2 0 2 3\nvaluea 0x5\nbytes 01020304\nown 1\n"
    "carried 00000000000000000000000000000000000000000000EEFF\n"
    "      material\ndiffuse 0x80FF8040\nself 0x00112233\nspecular 0x00445566\npower 16\n"
    "layer 0 mode 1 sampling 5 bias -3 colourop 2 alphaop 1 texture \"tex\\\\a.tga\"\n"
    "layer 1 mode 1 sampling 0 bias -128 colourop 3 alphaop 3 texture \"b.tga\"\nblend 9\ndepth 3\nalpharef 200\n"
    "flags 3\nspare 0x1234\nanimator 0x100000 2 0 10 128 0 0 0 0 0 0\nend\nend\n"
    "    level 30\nindices 0 1 2\nvertexcount 3\nregistration 1\nvalueb 0x6\nmaterial\ndiffuse 0xFF000000\nend\nend\n"
    "end\nend\n"
    "bone \"Second Root\"\nsubmodel \"Empty\"\nlevelbyte 0\ncolourflag 1\nlevel 0\nmaterial\nend\nend\nend\nend\nend\n";

SModel Parse(const char* text)
{
    SModel model;
    std::string error;
    EXPECT_TRUE(tmtool::ParseModelText(text, &model, &error)) << error;
    return model;
}

TmReadResult ReadRaw(const std::vector<uint8_t>& bytes)
{
    TmReadOptions raw;
    raw.m_bDerive = false, raw.m_bOptimise = false;
    return ReadTmModel(bytes.data(), bytes.size(), raw);
}

uint32_t U32At(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

float F32At(const std::vector<uint8_t>& b, size_t at)
{
    const uint32_t bits = U32At(b, at);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

// Text to bytes, bytes through the engine's reader back to bytes and to text: nothing changes on the way.
TEST(TmToolTest, RichModelRoundTripsByteForByteAndTextForText)
{
    const SModel parsed = Parse(kRichModel);
    const std::vector<uint8_t> bytes = tmtool::WriteTmModel(parsed);
    const TmReadResult read = ReadRaw(bytes);
    ASSERT_EQ(read.m_status, TmReadStatus::Ok);
    EXPECT_TRUE(read.m_messages.empty() && read.m_uBytesRead == bytes.size() &&
                tmtool::WriteTmModel(*read.m_pModel) == bytes);
    const std::string text = tmtool::DumpModelText(*read.m_pModel);
    EXPECT_TRUE(text == tmtool::DumpModelText(parsed) && tmtool::WriteTmModel(Parse(text.c_str())) == bytes);

    // A few values as written in the text, read back through the engine.
    const SModel& m = *read.m_pModel;
    ASSERT_EQ(m.m_bones.size(), 2u);
    const SBone& root = m.m_bones[0];
    const SubModel& quad = root.m_subModels[0];
    const SubModelLOD& level = quad.m_levels[0];
    EXPECT_TRUE(root.m_children[0].m_name == "Child \"A\"" && level.m_aszTexture[0] == "tex\\a.tga");
    EXPECT_EQ(std::vector<int64_t>(
                  {root.m_uToggleBit, root.m_uOverwritten, root.m_waves.at(1).iAmplitude1, root.m_waves[1].iOffset1,
                   root.m_waves[1].iOffset2, root.m_waves.at(2).iAmplitude1, root.m_waves[2].iOffset1,
                   root.m_waves[2].iAmplitude2, root.m_waves[2].iOffset2,
                   root.m_pKeys->m_lists[kKeysPosition].back().m_uTime, level.m_material.m_aStages[0].m_iMipBias,
                   level.m_material.m_aStages[1].m_iMipBias, quad.m_colours[2], quad.m_levels[1].m_uVertexCount,
                   m.m_bones[1].m_subModels[0].m_uLevelCountByte, m.m_bones[1].m_subModels[0].m_uColourFlag,
                   root.m_children[0].m_subModels[0].m_levels[0].m_material.m_aStages[0].m_uColourOp,
                   root.m_children[0].m_subModels[0].m_levels[0].m_material.m_aStages[0].m_iMipBias}),
              std::vector<int64_t>({4, 0xFFFFFFFF, -32768, 32767, -32768, 32767, -32768, -32768, 32767, 4800, -3, -128,
                                    0xFF708090, 3, 0, 1, 4, 127}));
    EXPECT_TRUE(root.m_children[1].m_restPosition.x == 1.0f && root.m_children[1].m_restScale.x == 2.0f);
    EXPECT_FLOAT_EQ(quad.m_fArea, 1.0f);     // two triangles of half a unit
    EXPECT_FLOAT_EQ(quad.m_fBoxSize, 2.01f); // twice 0.5 + 0.5 + 0.005
    // as stored: the raw reading derives nothing.
    EXPECT_TRUE(quad.m_fCapsuleRadius == 0.5f && m.FindLocator("cam_pos_00")->m_position.y == 20.0f &&
                m.FindLocator("CAM_POS_01") == nullptr);

    // A table with a height of 0 keeps its width, and no values.
    const TmReadResult flat = ReadRaw(tmtool::WriteTmModel(Parse("model\n    table 3 0\nend\n")));
    ASSERT_TRUE(flat.m_pModel != nullptr && flat.m_pModel->m_uTableWidth == 3u &&
                tmtool::DumpModelText(*flat.m_pModel) == "model\n    table 3 0\nend\n");

    // The writer's bytes where the file layout puts each field: the header, the model record's counts and tables, the
    // first bone record's fields (689 bytes) and where its waves follow.
    {
        const std::vector<uint8_t> b = tmtool::WriteTmModel(
            Parse("model\nframes 42\nattachment 1 2 3 4 5 6\ntable 1 2 7 8\nbone \"B\"\ntoggle 0x40\n"
                  "fixed 1\nwave 0x1 0 0 0 0 0 0 0 0 0 0\nend\nend\n"));
        // The header (16-bit 0, version 10), one root bone; 12 + 4 + 12 + 44: the frame count after the bounds; one
        // 24-byte attachment; table 1 x 2 with its values, box flag 0, no links, no locators, a u32 and 48 bytes; then
        // the bone record: name, child count, local matrix, rest values, wave count, ..., toggle bit, fixed-position
        // value, and its one wave.
        const size_t bone = 120 + 4 + 4 + 4 + 4 + 48;
        const std::pair<size_t, uint32_t> words[] = {
            {0, 10u << 16}, {12, 1},         {72, 42},           {76, 1},        {100, 6}, {104, 1}, {108, 2},
            {116, 8},       {bone + 154, 1}, {bone + 617, 0x40}, {bone + 625, 1}};
        for (const auto& [at, value] : words)
            EXPECT_EQ(U32At(b, at), value) << at;
        // the local matrix starts after the name and the child count; rest scale x.
        EXPECT_TRUE(F32At(b, 80 + 16) == 5.0f && b[bone] == 'B' && F32At(b, bone + 54) == 1.0f &&
                    F32At(b, bone + 118 + 24) == 1.0f && b.size() == bone + 689 + 20);
    }

    // The command line: write, dump (to the output and to a file), optimise, and the failures.
    {
        testsupport::TempDir dir;
        const std::string source = dir.File("m.txt");
        testsupport::WriteText(source, kRichModel);
        std::string out, err;
        ASSERT_EQ(tmtool::RunTmTool({"write", source, dir.File("m.tm")}, &out, &err), 0) << err;
        EXPECT_EQ(testsupport::ReadBytes(dir.File("m.tm")), tmtool::WriteTmModel(Parse(kRichModel)));
        ASSERT_EQ(tmtool::RunTmTool({"dump", dir.File("m.tm")}, &out, &err), 0) << err;
        EXPECT_EQ(out, tmtool::DumpModelText(Parse(kRichModel)));
        ASSERT_TRUE(tmtool::RunTmTool({"dump", dir.File("m.tm"), dir.File("d.txt")}, &out, &err) == 0 &&
                    testsupport::ReadText(dir.File("d.txt")) == out);

        ASSERT_EQ(tmtool::RunTmTool({"optimise", source, dir.File("m.opt")}, &out, &err), 0) << err;
        out.clear();
        ASSERT_EQ(tmtool::RunTmTool({"dump", dir.File("m.opt")}, &out, &err), 0) << err;
        EXPECT_TRUE(out.rfind("optimised model\n", 0) == 0u && out.find("bone \"Child B\"") != std::string::npos &&
                    out.find("texture0 \"tex\\\\a.tga\"") != std::string::npos);

        err.clear();
        EXPECT_TRUE(tmtool::RunTmTool({"write", dir.File("none.txt"), dir.File("x.tm")}, &out, &err) == 1 &&
                    err.find("cannot read") != std::string::npos);
        testsupport::WriteText(dir.File("bad.txt"), "model\n  frames\nend\n");
        EXPECT_EQ(tmtool::RunTmTool({"write", dir.File("bad.txt"), dir.File("x.tm")}, &out, &err), 1);
        testsupport::WriteText(dir.File("junk.bin"), "not a model at all");
        EXPECT_EQ(tmtool::RunTmTool({"dump", dir.File("junk.bin")}, &out, &err), 1);
        err.clear();
        EXPECT_TRUE(tmtool::RunTmTool({"convert"}, &out, &err) == 2 && err.find("usage") != std::string::npos);

        // The placeholder model in the sample data is what tmtool makes from the text kept beside it.
        const std::string samples = TW_SOURCE_DIR "/sample-data/";
        const std::vector<uint8_t> shipped =
            testsupport::ReadBytes(samples + "gamedata/gameart/TM Files/test/Alert.tm");
        const SModel alert = Parse(testsupport::ReadText(samples + "src/models/Alert.txt").c_str());
        EXPECT_EQ(shipped, tmtool::WriteTmModel(alert)) << "run tools/make-sample-data.sh";
        ASSERT_TRUE(alert.m_bones.size() == 1u && alert.m_bones[0].m_subModels[0].m_positions.size() == 24u &&
                    alert.m_bones[0].m_subModels[0].m_levels[0].m_indices.size() == 36u);
    }
}

// A record of the model, a bone or a submodel with only one of its parts set (a tail's word or last byte, a
// capsule's value, point, radius or colour) survives the dump: the text parses back into the same bytes.
TEST(TmToolTest, RecordsWithOnePartSetAreDumped)
{
    const std::string kSub = "model\nbone \"B\"\nsubmodel \"S\"\nvertex 0 0 0 0 0 1 0 0\nvertex 1 0 0 0 0 1 0 0\n"
                             "vertex 0 1 0 0 0 1 0 0\n";
    const std::string kSubEnd = "level 0\nindices 0 1 2\nend\nend\nend\nend\n";
    const std::string cases[] = {
        kSub + "tail 0x7 0\n" + kSubEnd,                                       // the first word alone
        kSub + "tail 0 0x9\n" + kSubEnd,                                       // the second word alone
        kSub + "tail 0 0 00000000000000000000000000000001\n" + kSubEnd,        // the last byte alone
        kSub + "capsule 0x3 0 0 0 0 0 0 0 0 0\n" + kSubEnd,                    // the capsule's value alone
        kSub + "capsule 0 0 0 2 0 0 0 0 0 0\n" + kSubEnd,                      // its first point alone
        kSub + "capsule 0 0 0 0 0 0 -1 0 0 0\n" + kSubEnd,                     // its second point alone
        kSub + "capsule 0 0 0 0 0 0 0 0.25 0 0\n" + kSubEnd,                   // its radius alone
        kSub + "capsule 0 0 0 0 0 0 0 0 0xFF0000FF 0\n" + kSubEnd,             // its first colour alone
        kSub + "capsule 0 0 0 0 0 0 0 0 0 0x1\n" + kSubEnd,                    // its second colour alone
        "model\ntail 0x5\nend\n",                                              // the model's value alone
        "model\ntail 0 " + std::string(94, '0') + "01\nend\n",                 // the model's last byte alone
        "model\nbone \"B\"\ntail " + std::string(110, '0') + "01\nend\nend\n", // the bone's last byte alone
    };
    for (const std::string& text : cases)
    {
        const std::vector<uint8_t> bytes = tmtool::WriteTmModel(Parse(text.c_str()));
        const std::string without = std::regex_replace(text, std::regex("(tail|capsule) [^\n]*\n"), "");
        ASSERT_NE(bytes, tmtool::WriteTmModel(Parse(without.c_str()))) << "the record is not in the file:\n" << text;
        const TmReadResult read = ReadRaw(bytes);
        ASSERT_EQ(read.m_status, TmReadStatus::Ok) << text;
        const std::string dumped = tmtool::DumpModelText(*read.m_pModel);
        EXPECT_EQ(tmtool::WriteTmModel(Parse(dumped.c_str())), bytes) << text << "dumped as\n" << dumped;
    }
}

// A dump is laid out by its nesting: "model", "bone", "submodel", "level", "material" and "keys" open a block,
// whose lines stand four spaces further in, and whose "end" stands level with the line that opened it.
TEST(TmToolTest, DumpsIndentEachLineUnderTheBlockThatHoldsIt)
{
    const std::string dumped = tmtool::DumpModelText(Parse(kRichModel));
    std::istringstream lines(dumped);
    int depth = 0, number = 0;
    for (std::string line; std::getline(lines, line);)
    {
        ++number;
        const size_t indent = line.find_first_not_of(' ');
        ASSERT_NE(indent, std::string::npos) << "line " << number << " is blank";
        const std::string word = line.substr(indent, line.find(' ', indent) - indent);
        if (word == "end")
            --depth;
        EXPECT_EQ(indent, static_cast<size_t>(4 * depth)) << "line " << number << ": " << line;
        if (word == "model" || word == "bone" || word == "submodel" || word == "level" || word == "material" ||
            word == "keys")
            ++depth;
    }
    EXPECT_EQ(depth, 0);
    EXPECT_GT(number, 100); // every kind of line was seen
}

// Text that is not a model is refused with the line that is wrong.
TEST(TmToolTest, BadTextIsRefusedWithItsLine)
{
    // A submodel of three vertices whose level 0's indices end the text given.
    const std::string kTri = "model\n bone \"B\"\n submodel \"S\"\n vertex 0 0 0 0 0 1 0 0\n vertex 1 0 0 0 0 1 0 0\n"
                             " vertex 0 1 0 0 0 1 0 0\n level 0\n indices 0 1 ";
    const std::pair<std::string, const char*> cases[] = {
        {"model\n  frames x\nend\n", "line 2: bad number 'x'"},
        {"model\n  frames 4294967296\nend\n", "line 2: bad number '4294967296'"},
        {"model\n  frames -1\nend\n", "line 2: bad number '-1'"},
        {"model\n  frames 12z\nend\n", "line 2: bad number '12z'"},
        {"model\n bone \"B\"\n  wave 1 0 0 0 40000 0 0 0 0 0 0\n", "line 3: bad number '40000'"},
        {"model\n bone \"B\"\n  wave 1 0 0 0 -32769 0 0 0 0 0 0\n", "line 3: bad number '-32769'"},
        {"model\n bone \"B\"\n  keys scale\n   x 0 0 0 0\n  end\n end\nend\n", "line 4: expected a key time"},
        {"model\n bone \"B\"\n  keys scale\n   5000000000 0 0 0 0\n", "line 4: expected a key time"},
        {"model\n bone \"B\"\n  keys position\n   0 0 0 0 0\n   9600 0 1 0 0\n   4800 0 0 0 0\n",
         "line 6: key times go back (4800 after 9600)"},
        {"model\n  colour 1\nend\n", "line 2: unknown model field 'colour'"},
        {"model\n  bone \"A\"\n", "missing 'end'"},
        {"model\n bone \"A\"\n  submodel \"S\"\n  end\n end\nend\n", "has no level"},
        {"model\n  bone A\n  end\nend\n", "line 2: expected a quoted name"},
        {"model\n  frames 1 2\nend\n", "line 2: unexpected '2'"},
        {"model\n  table 2 2 1 2 3\nend\n", "width x height"},
        {"model\nend\nmodel\n", "line 3: text after the model"},
        {"", "no model"},
        {"model\n  bone \"A\n", "line 2: unclosed quote"},
        // Names that do not fit their fields with a terminator, and levels the engine's loader would refuse.
        {"model\n link \"" + std::string(32, 'L') + "\" 0 0 0 0 0 0\nend\n", "line 2: names here have at most 31"},
        {"model\n locator \"" + std::string(32, 'L') + "\" 0 0 0 0 0 0\nend\n", "line 2: names here have at most 31"},
        {"model\n bone \"" + std::string(50, 'B') + "\"\n end\nend\n", "line 2: names here have at most 49"},
        {"model\n bone \"B\"\n bone \"" + std::string(50, 'C') + "\"\n", "line 3: names here have at most 49"},
        {"model\n bone \"B\"\n submodel \"" + std::string(50, 'S') + "\"\n", "line 3: names here have at most 49"},
        {kTri + "2\n material\n layer 0 texture \"" + std::string(256, 't') + "\"\n",
         "line 10: names here have at most 255"},
        {kTri + "3\n end\n end\n end\nend\n", "line 8: index 3 is past the 3 vertices in submodel 'S'"},
        {kTri + "2 0\n end\n end\n end\nend\n", "line 8: the index count is not a multiple of 3"},
        {kTri + "2\n end\n level 5\n vertexcount 4\n indices 0 1 2\n end\n end\n end\nend\n",
         "line 12: the level's vertex count is past"},
        {kTri + "2\n end\n level 5\n vertexcount 2\n indices 0 1 2\n end\n end\n end\nend\n",
         "line 12: index 2 is past the level's vertex count 2"},
        {"model\n bone \"B\"\n submodel \"S\"\n kind 2\n records 2\n level 0\n indices 0 1 2\n end\n end\n end\nend\n",
         "line 7: index 2 is past the 2 vertices"},
        {"model\n bone \"B\"\n submodel \"S\"\n kind 7\n level 0\n indices 0 0 0\n end\n end\n end\nend\n",
         "line 6: index 0 is past the 0 vertices"}, // a kind without a layout has nothing to index
    };
    for (const auto& [text, expected] : cases)
    {
        SModel model;
        std::string error;
        EXPECT_FALSE(tmtool::ParseModelText(text, &model, &error)) << text;
        EXPECT_NE(error.find(expected), std::string::npos) << error;
    }
    // The longest names that fit are taken, and indices within a submodel's records.
    const std::string longest = "model\n link \"" + std::string(31, 'L') + "\" 0 0 0 0 0 0\n bone \"" +
                                std::string(49, 'B') +
                                "\"\nsubmodel \"S\"\nkind 4\nrecords 3\nlevel 0\nindices 0 1 2\nend\nend\n end\nend\n";
    const SModel parsed = Parse(longest.c_str());
    ASSERT_TRUE(parsed.m_bones.size() == 1 && parsed.m_bones[0].m_name.size() == 49u);
}

} // namespace

namespace
{

// Bones nested `depth` deep, each holding the next, the innermost with a submodel of one triangle.
std::string NestedBones(int depth)
{
    std::string text = "model\n";
    for (int i = 0; i < depth; ++i)
        text += "bone \"B\"\n";
    text += "submodel \"S\"\nvertex 0 0 0 0 0 1 0 0\nvertex 1 0 0 0 0 1 1 0\nvertex 0 1 0 0 0 1 0 1\n"
            "level 0\nindices 0 1 2\nend\nend\n";
    for (int i = 0; i < depth; ++i)
        text += "end\n";
    return text + "end\n";
}

} // namespace

// A text that parses but whose model the game's reader would refuse is not written: the command fails, says why, and
// leaves no model behind.
TEST(TmToolTest, WriteRefusesModelsTheGameCannotRead)
{
    const std::string tri =
        "model\nbone \"B\"\nsubmodel \"S\"\n%BOUNDS%vertex 0 0 0 0 0 1 0 0\n"
        "vertex 1 0 0 0 0 1 %U% 0\nvertex 0 1 0 0 0 1 0 1\nlevel 0\nindices 0 1 2\nend\nend\nend\nend\n";
    const auto with = [&](const std::string& bounds, const std::string& u)
    {
        std::string text = tri;
        text.replace(text.find("%BOUNDS%"), 8, bounds);
        text.replace(text.find("%U%"), 3, u);
        return text;
    };
    std::string many = "model\nbone \"B\"\nsubmodel \"S\"\n";
    for (int i = 0; i < 65001; ++i)
        many += "vertex 0 0 0 0 0 1 0 0\n";
    many += "level 0\nindices 0 1 65000\nend\nend\nend\nend\n";

    const std::pair<std::string, const char*> cases[] = {
        {"model\nbounds nan 0 0 0 0 0 0 0 0 0 0\nend\n", "not a readable model"},
        {"model\nbounds 0 0 0 inf 0 0 0 0 0 0 0\nend\n", "not a readable model"},
        {with("bounds 0 0 0 1 1 1 0 0 0 0 -inf\n", "1"), "bounds are not finite"},
        {with("", "nan"), "texture coordinates are not finite"},
        {with("", "-inf"), "texture coordinates are not finite"},
        {many, "Number of vertices for submodel is suspect: 65001"},
    };
    testsupport::TempDir dir;
    for (const auto& [text, expected] : cases)
    {
        testsupport::WriteText(dir.File("m.txt"), text);
        std::string out, err;
        EXPECT_EQ(tmtool::RunTmTool({"write", dir.File("m.txt"), dir.File("m.tm")}, &out, &err), 1)
            << text.substr(0, 200);
        EXPECT_NE(err.find(expected), std::string::npos) << err;
        EXPECT_FALSE(std::ifstream(dir.File("m.tm")).good()) << text.substr(0, 200);
        std::remove(dir.File("m.tm").c_str());
    }

    // The one bound the reader leaves unchecked is written.
    testsupport::WriteText(dir.File("m.txt"), with("bounds 0 0 0 1 1 1 0 0 0 nan 0\n", "1"));
    std::string out, err;
    ASSERT_EQ(tmtool::RunTmTool({"write", dir.File("m.txt"), dir.File("m.tm")}, &out, &err), 0) << err;
    EXPECT_EQ(ReadRaw(testsupport::ReadBytes(dir.File("m.tm"))).m_status, TmReadStatus::Ok);
}

// Bones nested deeper than the game's reader follows are refused at the line of the first one too deep (however deep
// the text goes); the deepest nesting the reader takes is read.
TEST(TmToolTest, BonesNestedTooDeepAreRefusedWithTheirLine)
{
    for (const int depth : {257, 100000})
    {
        SModel model;
        std::string error;
        EXPECT_FALSE(tmtool::ParseModelText(NestedBones(depth), &model, &error)) << depth;
        EXPECT_EQ(error, "line 258: bones nest at most 256 deep") << depth;
    }
    const SModel deepest = Parse(NestedBones(256).c_str());
    const std::vector<uint8_t> bytes = tmtool::WriteTmModel(deepest);
    EXPECT_EQ(ReadRaw(bytes).m_status, TmReadStatus::Ok);
}

// A write that fails part way (here the file size limit is hit) leaves the file that was there before as it was, for
// each command that writes a file.
TEST(TmToolTest, AFailedWriteLeavesTheOldFileInPlace)
{
    testsupport::TempDir dir;
    testsupport::WriteText(dir.File("m.txt"), kRichModel);
    std::string out, err;
    ASSERT_EQ(tmtool::RunTmTool({"write", dir.File("m.txt"), dir.File("m.tm")}, &out, &err), 0) << err;
    const std::vector<std::vector<std::string>> commands = {{"write", dir.File("m.txt"), dir.File("old")},
                                                            {"optimise", dir.File("m.txt"), dir.File("old")},
                                                            {"dump", dir.File("m.tm"), dir.File("old")}};
    for (const std::vector<std::string>& command : commands)
    {
        const std::string before = "the file that was there before";
        testsupport::WriteText(dir.File("old"), before);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
        {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{64, 64};
            setrlimit(RLIMIT_FSIZE, &limit);
            std::string childOut, childErr;
            _exit(tmtool::RunTmTool(command, &childOut, &childErr));
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << command[0] << " " << status;
        EXPECT_EQ(testsupport::ReadText(dir.File("old")), before) << command[0];
        EXPECT_FALSE(std::ifstream(dir.File("old.tmp")).good()) << command[0];
    }
}

TEST(TmToolTest, AFirstLevelCountingMoreVerticesThanTheTextGivesIsRefused)
{
    // A submodel of three vertex lines (kind 0), or of records and no vertex lines (kind 2), whose first level
    // states its vertex count.
    const auto lines = [](const std::string& count)
    {
        return "model\n bone \"B\"\n submodel \"S\"\n vertex 0 0 0 0 0 1 0 0\n vertex 1 0 0 0 0 1 0 0\n"
               " vertex 0 1 0 0 0 1 0 0\n level 0\n vertexcount " +
               count + "\n indices 0 1 2\n end\n end\n end\nend\n";
    };
    const auto records = [](const std::string& count)
    {
        return "model\n bone \"B\"\n submodel \"S\"\n kind 2\n records 3\n level 0\n vertexcount " + count +
               "\n indices 0 1 2\n end\n end\n end\nend\n";
    };
    const struct
    {
        std::string text;
        bool taken;
        const char* line; // the level's indices line, named when the text is refused
    } cases[] = {
        {lines("3"), true, ""},   {lines("4"), false, "line 9:"},   {lines("4000000000"), false, "line 9:"},
        {records("3"), true, ""}, {records("4"), false, "line 8:"}, {records("4294967295"), false, "line 8:"},
    };
    for (const auto& c : cases)
    {
        SModel model;
        std::string error;
        EXPECT_EQ(tmtool::ParseModelText(c.text, &model, &error), c.taken) << c.text;
        if (!c.taken)
        {
            EXPECT_NE(error.find(c.line), std::string::npos) << error;
            EXPECT_NE(error.find("vertex count"), std::string::npos) << error;
        }
    }
    // Through the command line: the run ends at once, with the message and no model written.
    testsupport::TempDir dir;
    testsupport::WriteText(dir.File("m.txt"), lines("4000000000"));
    std::string out, err;
    EXPECT_EQ(tmtool::RunTmTool({"write", dir.File("m.txt"), dir.File("m.tm")}, &out, &err), 1);
    EXPECT_NE(err.find("vertex count"), std::string::npos) << err;
    EXPECT_FALSE(std::ifstream(dir.File("m.tm")).good());
}

TEST(TmToolTest, KeysOfABoneWhoseKeyListsAreSwitchedOffAreRefusedNotLost)
{
    const struct
    {
        const char* text;
        const char* refusal; // empty when the text is taken
    } cases[] = {
        {"model\n bone \"B\"\n  haskeys 0\n  keys rotation\n   0 0 0 0 1\n  end\n end\nend\n", "line 3:"},
        {"model\n bone \"B\"\n  keys position\n   0 1 2 3 0\n  end\n  haskeys 0\n end\nend\n", "line 6:"},
        {"model\n bone \"B\"\n  haskeys 0\n  keys scale\n  end\n end\nend\n", ""},
        {"model\n bone \"B\"\n  haskeys 2\n  keys rotation\n   0 0 0 0 1\n  end\n end\nend\n", ""},
    };
    for (const auto& c : cases)
    {
        SModel model;
        std::string error;
        const bool taken = tmtool::ParseModelText(c.text, &model, &error);
        EXPECT_EQ(taken, *c.refusal == '\0') << c.text;
        if (!taken)
        {
            EXPECT_NE(error.find(c.refusal), std::string::npos) << error;
            EXPECT_NE(error.find("haskeys 0"), std::string::npos) << error;
        }
    }
    // A bone whose key lists are on keeps its keys through the file the game reads.
    SModel model;
    std::string error;
    ASSERT_TRUE(tmtool::ParseModelText(cases[3].text, &model, &error)) << error;
    const std::vector<uint8_t> bytes = tmtool::WriteTmModel(model);
    TmReadOptions raw;
    raw.m_bDerive = false;
    raw.m_bOptimise = false;
    const TmReadResult read = ReadTmModel(bytes.data(), bytes.size(), raw);
    ASSERT_TRUE(read.m_pModel);
    ASSERT_EQ(read.m_pModel->m_bones.size(), 1u);
    ASSERT_TRUE(read.m_pModel->m_bones[0].m_pKeys);
    EXPECT_EQ(read.m_pModel->m_bones[0].m_pKeys->m_lists[0].size(), 1u);
}

TEST(TmToolTest, NumbersWithLeadingZerosAreDecimalAndHexNeedsItsPrefix)
{
    // A frame count, a key time and a wave's amplitude, each as a model text gives it and the value it stands for.
    const struct
    {
        const char* frames;
        const char* time;
        const char* amplitude;
        uint32_t framesValue;
        uint32_t timeValue;
        int16_t amplitudeValue;
    } cases[] = {
        {"010", "0100", "-010", 10, 100, -10},
        {"08", "09", "-09", 8, 9, -9},
        {"0x10", "0x100", "-0x10", 16, 256, -16},
        {"12", "0", "0", 12, 0, 0},
    };
    for (const auto& c : cases)
    {
        const std::string text = std::string("model\n frames ") + c.frames + "\n bone \"B\"\n  wave 1 0 0 0 " +
                                 c.amplitude + " 0 0 0 0 0 0\n  keys rotation\n   " + c.time +
                                 " 0 0 0 1\n  end\n end\nend\n";
        SModel model;
        std::string error;
        ASSERT_TRUE(tmtool::ParseModelText(text, &model, &error)) << text << error;
        EXPECT_EQ(model.m_uFrameCount, c.framesValue) << c.frames;
        ASSERT_EQ(model.m_bones.size(), 1u);
        const SBone& bone = model.m_bones[0];
        ASSERT_EQ(bone.m_waves.size(), 1u);
        EXPECT_EQ(bone.m_waves[0].iAmplitude1, c.amplitudeValue) << c.amplitude;
        ASSERT_TRUE(bone.m_pKeys);
        ASSERT_EQ(bone.m_pKeys->m_lists[0].size(), 1u);
        EXPECT_EQ(bone.m_pKeys->m_lists[0][0].m_uTime, c.timeValue) << c.time;
    }
}
