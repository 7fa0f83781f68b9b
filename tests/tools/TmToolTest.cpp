// Tests of tmtool: the model text read and written back, the .tm bytes at the places the format fixes, byte-exact
// round trips through the engine's reader, the command line, and the shipped placeholder model.
#include "tools/tmtool/TmTool.h"
#include "engine/render/TmFormat.h"
#include "tests/support/TestSupport.h"
#include "tools/tmtool/TmText.h"
#include "tools/tmtool/TmWriter.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{

// Every kind of field the text knows, away from its default.
const char* const kRichModel = R"(# a model that uses every field
model
    header 0102030405060708
    values 1 0x2 3
    bounds -1 -2 -3 4 5 6 1.5 1.5 1.5 7 9.25
    frames 77
    attachment 1 2 3 4 5 0xAB
    attachment -1 -2 -3 -4 -5 6
    table 2 3 1 2 3 4 5 6
    box 1 0 1 0 0.5 0.25 2 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1
    link "LeftHand" 0 1 2 3 4 5
    locator "CAM_POS_00" 10 20 30 0 0 1
    tail 0xCAFE 00FF00FF
    bone "Root"
        matrix 2 0 0 0 0 2 0 0 0 0 2 0 1 2 3 1
        position 1 2 3
        rotation 0.5 0 -0.25
        scale 2 2 2
        overwritten 0xFFFFFFFF
        value16 1
        carried 0A0B
        toggle 0x4
        pairs 1 2 3 4
        fixed 1
        tail FF
        wave 0x10 2 64 100 256 -128 1 3 50 20 10
        wave 0xFFFFFFFF 255 255 65535 -32768 32767 255 255 65535 32767 -32768
        keys rotation
            0 0 0 0 1
            10 0 0.5 0 0.75
        end
        keys scale
        end
        keys position
            0 0 0 0 0
            4800 1 2 3 0
        end
        bone "Child \"A\""
            rotation 0 0 0.5
            haskeys 1
            submodel "Strip"
                value 0x12
                kind 2
                records 2 0102
                level 5
                    indices 0 1 1
                    vertexcount 0
                    material
                        layer 0 mode 1 sampling 0 bias 0 colourop 4 alphaop 2
                    end
                end
            end
        end
        bone "Child B"
            position 1 0 0
            scale 2 1 1
        end
        submodel "Quad"
            bounds 0 0 0 1 1 0 0.5 0.5 0 0 0.7
            vertex 0 0 0 0 0 -1 0 0 0xFF102030
            vertex 1 0 0 0 0 -1 1 0 0xFF405060
            vertex 1 1 0 0 0 -1 1 1 0xFF708090
            vertex 0 1 0 0 0 -1 0 1 0xFFA0B0C0
            capsule 0x3 0 0 0 1 1 1 0.5 0xFF00FF00 0xFF0000FF
            box 0x101 0.5 0.5 0 0.5 0.5 0.005 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1
            tail 0x1 0x2 11223344
            level 0
                indices 0 1 2 0 2 3
                valuea 0x5
                bytes 01020304
                own 1
                carried 00000000000000000000000000000000000000000000EEFF
                material
                    diffuse 0x80FF8040
                    self 0x00112233
                    specular 0x00445566
                    power 16
                    layer 0 mode 1 sampling 5 bias -3 colourop 2 alphaop 1 texture "tex\\a.tga"
                    layer 1 mode 1 sampling 0 bias -128 colourop 3 alphaop 3 texture "b.tga"
                    blend 9
                    depth 3
                    alpharef 200
                    flags 3
                    spare 0x1234
                    animator 0x100000 2 0 10 128 0 0 0 0 0 0
                end
            end
            level 30
                indices 0 1 2
                vertexcount 3
                registration 1
                valueb 0x6
                material
                    diffuse 0xFF000000
                end
            end
        end
    end
    bone "Second Root"
        submodel "Empty"
            levelbyte 0
            colourflag 1
            level 0
                material
                end
            end
        end
    end
end
)";

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
    raw.m_bDerive = false;
    raw.m_bOptimise = false;
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
    EXPECT_TRUE(read.m_messages.empty());
    EXPECT_EQ(read.m_uBytesRead, bytes.size());
    EXPECT_EQ(tmtool::WriteTmModel(*read.m_pModel), bytes);
    const std::string text = tmtool::DumpModelText(*read.m_pModel);
    EXPECT_EQ(text, tmtool::DumpModelText(parsed));
    EXPECT_EQ(tmtool::WriteTmModel(Parse(text.c_str())), bytes);

    // A few values as written in the text, read back through the engine.
    const SModel& m = *read.m_pModel;
    ASSERT_EQ(m.m_bones.size(), 2u);
    const SBone& root = m.m_bones[0];
    EXPECT_EQ(root.m_children[0].m_name, "Child \"A\"");
    EXPECT_EQ(root.m_uToggleBit, 4u);
    EXPECT_EQ(root.m_uOverwritten, 0xFFFFFFFFu);
    ASSERT_EQ(root.m_waves.size(), 2u);
    EXPECT_EQ(root.m_waves[1].iAmplitude1, -32768);
    EXPECT_EQ(root.m_waves[1].iOffset1, 32767);
    EXPECT_EQ(root.m_waves[1].iOffset2, -32768);
    EXPECT_EQ(root.m_pKeys->m_lists[kKeysPosition].back().m_uTime, 4800u);
    const SubModel& quad = root.m_subModels[0];
    EXPECT_EQ(quad.m_levels[0].m_aszTexture[0], "tex\\a.tga");
    EXPECT_EQ(quad.m_levels[0].m_material.m_aStages[0].m_iMipBias, -3);
    EXPECT_EQ(quad.m_levels[0].m_material.m_aStages[1].m_iMipBias, -128);
    EXPECT_EQ(root.m_children[1].m_restPosition.x, 1.0f);
    EXPECT_EQ(root.m_children[1].m_restScale.x, 2.0f);

    // A table with a height of 0 keeps its width, and no values.
    const SModel flat = Parse("model\n    table 3 0\nend\n");
    const std::vector<uint8_t> flatBytes = tmtool::WriteTmModel(flat);
    const TmReadResult flatRead = ReadRaw(flatBytes);
    ASSERT_NE(flatRead.m_pModel, nullptr);
    EXPECT_EQ(flatRead.m_pModel->m_uTableWidth, 3u);
    EXPECT_EQ(tmtool::DumpModelText(*flatRead.m_pModel), "model\n    table 3 0\nend\n");
    EXPECT_EQ(quad.m_colours[2], 0xFF708090u);
    EXPECT_FLOAT_EQ(quad.m_fArea, 1.0f);     // two triangles of half a unit
    EXPECT_FLOAT_EQ(quad.m_fBoxSize, 2.01f); // twice 0.5 + 0.5 + 0.005
    EXPECT_EQ(quad.m_fCapsuleRadius, 0.5f);  // as stored: the raw reading derives nothing
    EXPECT_EQ(quad.m_levels[1].m_uVertexCount, 3u);
    EXPECT_EQ(m.m_bones[1].m_subModels[0].m_uLevelCountByte, 0u);
    EXPECT_EQ(m.m_bones[1].m_subModels[0].m_uColourFlag, 1u);
    EXPECT_EQ(root.m_children[0].m_subModels[0].m_levels[0].m_material.m_aStages[0].m_uColourOp, 4u);
    EXPECT_EQ(m.FindLocator("cam_pos_00")->m_position.y, 20.0f);
    EXPECT_EQ(m.FindLocator("CAM_POS_01"), nullptr);
}

// The writer's bytes where the file layout puts each field: the header, the model record's counts and tables,
// the first bone record's fields (689 bytes) and where its waves follow.
TEST(TmToolTest, FieldsLandAtTheirFileOffsets)
{
    const std::vector<uint8_t> b = tmtool::WriteTmModel(Parse(R"(model
    frames 42
    attachment 1 2 3 4 5 6
    table 1 2 7 8
    bone "B"
        toggle 0x40
        fixed 1
        wave 0x1 0 0 0 0 0 0 0 0 0 0
    end
end
)"));
    EXPECT_EQ(U32At(b, 0), 10u << 16); // 16-bit 0, then version 10
    EXPECT_EQ(U32At(b, 12), 1u);       // one root bone
    // 12 + 4 + 12 + 44: the frame count after the bounds; then one 24-byte attachment.
    EXPECT_EQ(U32At(b, 72), 42u);
    EXPECT_EQ(U32At(b, 76), 1u);
    EXPECT_EQ(F32At(b, 80 + 16), 5.0f);
    EXPECT_EQ(U32At(b, 80 + 20), 6u);
    // Table 1 x 2 with its values, box flag 0, no links, no locators, a u32 and 48 bytes.
    EXPECT_EQ(U32At(b, 104), 1u);
    EXPECT_EQ(U32At(b, 108), 2u);
    EXPECT_EQ(U32At(b, 116), 8u);
    const size_t bone = 120 + 4 + 4 + 4 + 4 + 48;
    EXPECT_EQ(b[bone], 'B');
    EXPECT_EQ(F32At(b, bone + 54), 1.0f);       // the local matrix starts after the name and the child count
    EXPECT_EQ(F32At(b, bone + 118 + 24), 1.0f); // rest scale x
    EXPECT_EQ(U32At(b, bone + 154), 1u);        // wave count
    EXPECT_EQ(U32At(b, bone + 617), 0x40u);     // toggle bit
    EXPECT_EQ(U32At(b, bone + 625), 1u);        // fixed-position value
    EXPECT_EQ(b.size(), bone + 689 + 20);       // the record, then its one wave
}

// Text that is not a model is refused with the line that is wrong.
TEST(TmToolTest, BadTextIsRefusedWithItsLine)
{
    // A submodel of three vertices whose level 0's indices end the text given.
    const std::string kTri = "model\n bone \"B\"\n submodel \"S\"\n vertex 0 0 0 0 0 1 0 0\n vertex 1 0 0 0 0 1 0 0\n"
                             " vertex 0 1 0 0 0 1 0 0\n level 0\n indices 0 1 ";
    const struct
    {
        std::string text;
        const char* error;
    } cases[] = {
        {"model\n  frames x\nend\n", "line 2: bad number 'x'"},
        {"model\n  frames 4294967296\nend\n", "line 2: bad number '4294967296'"},
        {"model\n  frames -1\nend\n", "line 2: bad number '-1'"},
        {"model\n  frames 12z\nend\n", "line 2: bad number '12z'"},
        {"model\n bone \"B\"\n  wave 1 0 0 0 40000 0 0 0 0 0 0\n", "line 3: bad number '40000'"},
        {"model\n bone \"B\"\n  wave 1 0 0 0 -32769 0 0 0 0 0 0\n", "line 3: bad number '-32769'"},
        {"model\n bone \"B\"\n  keys scale\n   x 0 0 0 0\n  end\n end\nend\n", "line 4: expected a key time"},
        {"model\n bone \"B\"\n  keys scale\n   5000000000 0 0 0 0\n", "line 4: expected a key time"},
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
        {"model\n bone \"B\"\n submodel \"S\"\n kind 2\n records 2\n level 0\n indices 0 1 2\n end\n end\n end\nend\n",
         "line 7: index 2 is past the 2 vertices"},
    };
    for (const auto& c : cases)
    {
        SModel model;
        std::string error;
        EXPECT_FALSE(tmtool::ParseModelText(c.text, &model, &error)) << c.text;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
    // The longest names that fit are taken.
    const std::string longest = "model\n link \"" + std::string(31, 'L') + "\" 0 0 0 0 0 0\n bone \"" +
                                std::string(49, 'B') + "\"\n end\nend\n";
    EXPECT_EQ(Parse(longest.c_str()).m_bones[0].m_name.size(), 49u);
}

// The command line: write, dump (to the output and to a file), optimise, and the failures.
TEST(TmToolTest, CommandLineWritesDumpsAndOptimises)
{
    testsupport::TempDir dir;
    const std::string source = dir.File("m.txt");
    testsupport::WriteText(source, kRichModel);
    std::string out, err;
    ASSERT_EQ(tmtool::RunTmTool({"write", source, dir.File("m.tm")}, &out, &err), 0) << err;
    EXPECT_EQ(testsupport::ReadBytes(dir.File("m.tm")), tmtool::WriteTmModel(Parse(kRichModel)));
    ASSERT_EQ(tmtool::RunTmTool({"dump", dir.File("m.tm")}, &out, &err), 0) << err;
    EXPECT_EQ(out, tmtool::DumpModelText(Parse(kRichModel)));
    ASSERT_EQ(tmtool::RunTmTool({"dump", dir.File("m.tm"), dir.File("d.txt")}, &out, &err), 0);
    EXPECT_EQ(testsupport::ReadText(dir.File("d.txt")), out);

    ASSERT_EQ(tmtool::RunTmTool({"optimise", source, dir.File("m.opt")}, &out, &err), 0) << err;
    out.clear();
    ASSERT_EQ(tmtool::RunTmTool({"dump", dir.File("m.opt")}, &out, &err), 0) << err;
    EXPECT_EQ(out.rfind("optimised model\n", 0), 0u);
    EXPECT_NE(out.find("bone \"Child B\""), std::string::npos);
    EXPECT_NE(out.find("texture0 \"tex\\\\a.tga\""), std::string::npos);

    err.clear();
    EXPECT_EQ(tmtool::RunTmTool({"write", dir.File("none.txt"), dir.File("x.tm")}, &out, &err), 1);
    EXPECT_NE(err.find("cannot read"), std::string::npos);
    testsupport::WriteText(dir.File("bad.txt"), "model\n  frames\nend\n");
    EXPECT_EQ(tmtool::RunTmTool({"write", dir.File("bad.txt"), dir.File("x.tm")}, &out, &err), 1);
    testsupport::WriteText(dir.File("junk.bin"), "not a model at all");
    EXPECT_EQ(tmtool::RunTmTool({"dump", dir.File("junk.bin")}, &out, &err), 1);
    err.clear();
    EXPECT_EQ(tmtool::RunTmTool({"convert"}, &out, &err), 2);
    EXPECT_NE(err.find("usage"), std::string::npos);
}

// The placeholder model in the sample data is what tmtool makes from the text kept beside it.
TEST(TmToolTest, ShippedPlaceholderMatchesItsSource)
{
    const std::string root = TW_SOURCE_DIR "/sample-data/";
    const std::vector<uint8_t> shipped = testsupport::ReadBytes(root + "gamedata/gameart/TM Files/test/Alert.tm");
    const SModel source = Parse(testsupport::ReadText(root + "src/models/Alert.txt").c_str());
    EXPECT_EQ(shipped, tmtool::WriteTmModel(source)) << "run tools/make-sample-data.sh";
    ASSERT_EQ(source.m_bones.size(), 1u);
    const SubModel& box = source.m_bones[0].m_subModels[0];
    EXPECT_EQ(box.m_positions.size(), 24u);
    EXPECT_EQ(box.m_levels[0].m_indices.size(), 36u);
}

} // namespace
