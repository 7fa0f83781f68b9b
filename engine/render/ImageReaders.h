// Image file readers: TGA (to 32-bit ARGB), the top level of a DDS file and the DDT texture format.
#pragma once

#include <cstdint>
#include <memory>

class Stream;

// The renderer's texture format codes that the readers hand out or accept in a DDT file.
constexpr uint32_t kImageFormatA1R5G5B5 = 1;
constexpr uint32_t kImageFormatR5G6B5 = 2;
constexpr uint32_t kImageFormatA4R4G4B4 = 3;
constexpr uint32_t kImageFormatA8R8G8B8 = 4;
constexpr uint32_t kImageFormatDXT1 = 5;
constexpr uint32_t kImageFormatDXT2 = 6;
constexpr uint32_t kImageFormatDXT3 = 7;
constexpr uint32_t kImageFormatDXT4 = 8;
constexpr uint32_t kImageFormatDXT5 = 9;

// Bytes of one packed level of a format code: 2 or 4 bytes per texel, or whole 4 x 4 blocks of 8 (DXT1) or 16
// bytes (DXT2 to DXT5), so a side that is not a multiple of 4 still gets its last partial block. 0 for an unknown
// code; saturates at UINT64_MAX instead of wrapping.
uint64_t ImageLevelSize(uint32_t format, uint32_t width, uint32_t height);

// ---------------------------------------------------------------------------------------------------------------
// TGA

constexpr uint32_t kTGAHeaderSize = 18;

// Reads an uncompressed TGA file by name (types 1, 2 and 3). Returns width x height pixels of 32-bit ARGB stored
// little-endian (B, G, R, A), rows top first and left pixel first whichever corner the file starts from, and sets
// the size; null (size 0) when the file cannot be opened or read, with a message box naming the file. 16 and
// 32-bit pixels carry alpha (bit 15, or the fourth byte) only when the image descriptor counts attribute bits;
// otherwise they are opaque.
std::unique_ptr<uint8_t[]> LoadTGAFile(const char* fileName, uint32_t* pWidth, uint32_t* pHeight);

// The same reader over a stream positioned at the TGA header; the file name serves the messages.
std::unique_ptr<uint8_t[]> LoadTGA(const char* fileName, Stream& stream, uint32_t* pWidth, uint32_t* pHeight);

// ---------------------------------------------------------------------------------------------------------------
// DDS

constexpr uint32_t kDDSHeaderSize = 128;

// The first 128 bytes of a DDS file (magic and surface description) as read, with the fields the reader uses.
struct DDSHeader
{
    uint8_t m_bytes[kDDSHeaderSize] = {};

    uint32_t GetHeight() const { return Field(12); }
    uint32_t GetWidth() const { return Field(16); }
    uint32_t GetPixelFormatFlags() const { return Field(80); }
    uint32_t GetFourCC() const { return Field(84); }
    uint32_t GetRGBBitCount() const { return Field(88); }
    uint32_t GetRedMask() const { return Field(92); }
    uint32_t GetGreenMask() const { return Field(96); }
    uint32_t GetBlueMask() const { return Field(100); }
    uint32_t GetAlphaMask() const { return Field(104); }
    uint32_t GetCaps1() const { return Field(108); }
    uint32_t GetCaps2() const { return Field(112); }

private:
    uint32_t Field(uint32_t offset) const
    {
        return static_cast<uint32_t>(m_bytes[offset]) | (static_cast<uint32_t>(m_bytes[offset + 1]) << 8) |
               (static_cast<uint32_t>(m_bytes[offset + 2]) << 16) | (static_cast<uint32_t>(m_bytes[offset + 3]) << 24);
    }
};

// Reads the top level of a 2D DDS texture by name. RGB layouts of 32, 24 or 16 bits come out as 32-bit ARGB
// (format 4), each channel taken from where the header's mask puts it and widened to 8 bits (opaque without an
// alpha mask; a header with no colour masks at all means A8R8G8B8, R8G8B8 or A1R5G5B5); DXT1, DXT3 and DXT5 come
// out as their blocks (formats 5, 7, 9). Other layouts, masks that are not one run of bits within the pixel,
// cube maps, volumes, empty sizes and files too short for their data are refused (false, no pixels). The header
// is filled whenever its 128 bytes could be read; pSize (optional) receives the byte count of the pixels.
bool LoadDDS(const char* fileName, std::unique_ptr<uint8_t[]>* pPixels, DDSHeader* pHeader, uint32_t* pFormat,
             uint32_t* pSize = nullptr);

// ---------------------------------------------------------------------------------------------------------------
// DDT

constexpr uint32_t kDDTHeaderSize = 328;
constexpr uint32_t kDDTMaxLevels = 16;

struct DDTLevel
{
    uint32_t m_uOffset = 0; // from the start of the pixel data
    uint32_t m_uWidth = 0;
    uint32_t m_uHeight = 0;
    uint32_t m_uSize = 0; // bytes
};

// The 328-byte DDT header, field by field (the unused bytes are not kept).
struct DDTHeader
{
    uint16_t m_uMajorVersion = 0;
    uint16_t m_uMinorVersion = 0;
    uint32_t m_uFormat = 0; // renderer format code of the pixel data
    int32_t m_iWidth = 0;   // level 0
    int32_t m_iHeight = 0;
    int32_t m_iMarginLeft = 0; // texels
    int32_t m_iMarginRight = 0;
    int32_t m_iMarginTop = 0;
    int32_t m_iMarginBottom = 0;
    uint8_t m_bOwnPage = 0; // non-zero: the image wants a page of its own and its margins are final
    uint32_t m_uMipLevels = 0;
    DDTLevel m_levels[kDDTMaxLevels];
    uint32_t m_uTotalSize = 0; // bytes of pixel data after the header
    uint32_t m_uAverageColour = 0;
};

// Reads the 328 header bytes from the stream's position into the header; false when the stream ends first.
bool ReadDDTHeader(const char* fileName, Stream& stream, DDTHeader* pHeader);

// Fills the level table from the level-0 size, as done when the file's table is empty (first width 0): each level
// follows the last one's data, its size from ImageLevelSize; each next side is the last one rounded up to a
// multiple of 4, halved and raised to 4 when below 4.
void CompleteDDTLevelTable(DDTHeader* pHeader);

// With the stream at the start of the file: reads the header again (into pHeader, table completed when empty),
// checks it, and returns the pixel data from firstLevel to the last level. Level 0 gives the header's total bytes
// that follow the header; a later level gives the packed levels from its table offset on. Null, with a message
// box, when the version is not 1.0 or the header's sizes, offsets or totals do not fit the file. pSize
// (optional) receives the byte count.
std::unique_ptr<uint8_t[]> LoadDDT(const char* fileName, Stream& stream, DDTHeader* pHeader, uint32_t firstLevel,
                                   uint32_t* pSize = nullptr);
