// libmpg123 decoding with our own reader callbacks over a FILE* from the path resolver, our frame-header check of
// what a file holds, and the length walk for files whose rate changes.
#include "platform/audio/Mp3Decoder.h"

#include "platform/Paths.h"

#include <mpg123.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <sys/types.h>
#include <vector>

namespace platform
{

struct Mp3Decoder::Handle
{
    mpg123_handle* decoder = nullptr;
    FILE* file = nullptr; // ours: closed after the decoder is gone; null for a fed decoder
};

namespace
{

// Bitrates in kbit/s by [MPEG-1 ? 0 : 1][layer - 1][index]; index 0 (free format) and 15 are refused.
constexpr int kBitrates[2][3][16] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}},
};
constexpr int kMpeg1Rates[3] = {44100, 48000, 32000};

// Zero bytes allowed between the ID3v2 tags and the first frame.
constexpr uint64_t kMaxPadding = 64 * 1024;

bool InitLibrary()
{
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] { ok = mpg123_init() == MPG123_OK; });
    return ok;
}

ssize_t ReadCallback(void* handle, void* buffer, size_t bytes)
{
    FILE* file = static_cast<FILE*>(handle);
    size_t got = std::fread(buffer, 1, bytes, file);
    if (got == 0 && std::ferror(file))
        return -1;
    return static_cast<ssize_t>(got);
}

off_t SeekCallback(void* handle, off_t offset, int whence)
{
    FILE* file = static_cast<FILE*>(handle);
    if (fseeko(file, offset, whence) != 0)
        return -1;
    return ftello(file);
}

// A sliding window over a file, for walking its frame headers front to back.
class FileWindow
{
public:
    explicit FileWindow(FILE* file) : m_file(file), m_buffer(64 * 1024) {}

    // The bytes [offset, offset + count) of the file, or null when the file ends before them.
    const uint8_t* At(uint64_t offset, size_t count)
    {
        if (offset < m_base || offset + count > m_base + m_end)
        {
            if (offset >= m_base && offset < m_base + m_end)
            {
                size_t keep = static_cast<size_t>(m_base + m_end - offset);
                std::memmove(m_buffer.data(), m_buffer.data() + (offset - m_base), keep);
                m_end = keep;
            }
            else
            {
                if (fseeko(m_file, static_cast<off_t>(offset), SEEK_SET) != 0)
                    return nullptr;
                m_end = 0;
            }
            m_base = offset;
            m_end += std::fread(m_buffer.data() + m_end, 1, m_buffer.size() - m_end, m_file);
            if (count > m_end)
                return nullptr;
        }
        return m_buffer.data() + (offset - m_base);
    }

private:
    FILE* m_file;
    std::vector<uint8_t> m_buffer;
    uint64_t m_base = 0;
    size_t m_end = 0;
};

// What the header walk finds in a file.
struct Layout
{
    bool audio = false;       // the first frame starts where it should and is confirmed
    bool oneRate = true;      // every frame has the first frame's rate
    double firstRateFrames{}; // the frames of all frames of the first frame's layer, counted at the first rate
};

Layout WalkFile(FILE* file)
{
    Layout layout;
    FileWindow window(file);
    uint64_t offset = 0;
    while (const uint8_t* p = window.At(offset, 10))
    {
        if (std::memcmp(p, "ID3", 3) != 0)
            break;
        uint64_t size = (uint64_t{p[6] & 0x7Fu} << 21) | (uint64_t{p[7] & 0x7Fu} << 14) |
                        (uint64_t{p[8] & 0x7Fu} << 7) | (p[9] & 0x7Fu);
        offset += 10 + size + ((p[5] & 0x10) ? 10 : 0);
    }
    for (uint64_t zeros = 0; zeros < kMaxPadding; ++zeros, ++offset)
    {
        const uint8_t* p = window.At(offset, 1);
        if (p == nullptr || *p != 0)
            break;
    }
    MpegAudioFrame first;
    const uint8_t* p = window.At(offset, 4);
    if (p == nullptr || !ParseMpegAudioFrame(p, &first))
        return layout;
    // Confirmed by what follows: the next frame of the same kind, an ID3v1 tag, or the end of the file.
    uint64_t next = offset + static_cast<uint64_t>(first.bytes);
    MpegAudioFrame second;
    if ((p = window.At(next, 4)) != nullptr && std::memcmp(p, "TAG", 3) != 0 &&
        !(ParseMpegAudioFrame(p, &second) && second.version == first.version && second.layer == first.layer &&
          second.rate == first.rate))
        return layout;
    layout.audio = true;
    // Every frame of the first frame's layer counts; bytes between frames are stepped over one at a time.
    while ((p = window.At(offset, 4)) != nullptr)
    {
        MpegAudioFrame frame;
        if (!ParseMpegAudioFrame(p, &frame) || frame.layer != first.layer)
        {
            ++offset;
            continue;
        }
        layout.oneRate = layout.oneRate && frame.rate == first.rate;
        layout.firstRateFrames += static_cast<double>(frame.samples) * first.rate / frame.rate;
        offset += static_cast<uint64_t>(frame.bytes);
    }
    return layout;
}

} // namespace

bool ParseMpegAudioFrame(const uint8_t* p, MpegAudioFrame* out)
{
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0)
        return false;
    int versionBits = (p[1] >> 3) & 3; // 0: MPEG-2.5, 1: reserved, 2: MPEG-2, 3: MPEG-1
    int layerBits = (p[1] >> 1) & 3;   // 1: Layer III, 2: Layer II, 3: Layer I
    int bitrateIndex = p[2] >> 4;
    int rateIndex = (p[2] >> 2) & 3;
    if (versionBits == 1 || layerBits == 0 || rateIndex == 3)
        return false;
    MpegAudioFrame f;
    f.version = versionBits == 3 ? 10 : (versionBits == 2 ? 20 : 25);
    f.layer = 4 - layerBits;
    bool mpeg1 = f.version == 10;
    f.bitrate = kBitrates[mpeg1 ? 0 : 1][f.layer - 1][bitrateIndex];
    if (f.bitrate == 0)
        return false;
    f.rate = kMpeg1Rates[rateIndex] / (mpeg1 ? 1 : (f.version == 20 ? 2 : 4));
    f.channels = (p[3] >> 6) == 3 ? 1 : 2;
    int padding = (p[2] >> 1) & 1;
    if (f.layer == 1)
    {
        f.samples = 384;
        f.bytes = (12 * f.bitrate * 1000 / f.rate + padding) * 4;
    }
    else
    {
        f.samples = (f.layer == 3 && !mpeg1) ? 576 : 1152;
        f.bytes = f.samples / 8 * f.bitrate * 1000 / f.rate + padding;
    }
    *out = f;
    return true;
}

std::unique_ptr<Mp3Decoder> Mp3Decoder::Open(std::string_view path)
{
    if (!InitLibrary())
        return nullptr;
    FILE* file = OpenFile(path, "rb");
    if (file == nullptr)
        return nullptr;
    Layout layout = WalkFile(file);
    if (!layout.audio)
    {
        std::fclose(file);
        return nullptr;
    }
    std::unique_ptr<Mp3Decoder> decoder(new Mp3Decoder());
    decoder->m_pHandle = new Handle{nullptr, file};
    // The parser normally confirms a first frame by the header of the next one. A file of a single frame has no
    // next one, so a file refused that way is tried once more without the confirmation.
    if (!decoder->Setup(0) && !decoder->Setup(MPG123_NO_READAHEAD))
        return nullptr;
    mpg123_handle* mh = decoder->m_pHandle->decoder;
    if (layout.oneRate)
    {
        // A full pass over the frames: exact even for files of changing bitrate without an index.
        mpg123_scan(mh);
        off_t length = mpg123_length(mh);
        decoder->m_uLength = length > 0 ? static_cast<uint64_t>(length) : 0;
    }
    else
    {
        decoder->m_uLength = static_cast<uint64_t>(std::llround(layout.firstRateFrames));
    }
    return decoder;
}

bool Mp3Decoder::Setup(long extraFlags)
{
    Handle& h = *m_pHandle;
    if (h.decoder != nullptr)
    {
        mpg123_close(h.decoder);
        mpg123_delete(h.decoder);
        h.decoder = nullptr;
    }
    if (h.file != nullptr)
        std::rewind(h.file);
    int error = MPG123_OK;
    h.decoder = mpg123_new(nullptr, &error);
    if (h.decoder == nullptr)
        return false;
    mpg123_handle* mh = h.decoder;
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_FORCE_STEREO | extraFlags, 0.0);
    // A damaged stretch (a hole of zeros, a run of junk) is searched through to the frames after it however long it
    // is: by default the search gives up after a kilobyte, and the rest of the track would be lost.
    mpg123_param(mh, MPG123_RESYNC_LIMIT, -1, 0.0);
    mpg123_format_none(mh);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(mh, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (h.file == nullptr)
        return mpg123_open_feed(mh) == MPG123_OK;

    if (mpg123_replace_reader_handle(mh, ReadCallback, SeekCallback, nullptr) != MPG123_OK ||
        mpg123_open_handle(mh, h.file) != MPG123_OK)
        return false;
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 || channels != 2 ||
        encoding != MPG123_ENC_SIGNED_16)
        return false;
    PinRate(rate);
    return true;
}

void Mp3Decoder::PinRate(long rate)
{
    // From here on only this rate is offered: frames of another rate are resampled to it by the decoder.
    m_iRate = static_cast<int>(rate);
    mpg123_format_none(m_pHandle->decoder);
    mpg123_format(m_pHandle->decoder, rate, MPG123_STEREO, MPG123_ENC_SIGNED_16);
}

std::unique_ptr<Mp3Decoder> Mp3Decoder::OpenFeed()
{
    if (!InitLibrary())
        return nullptr;
    std::unique_ptr<Mp3Decoder> decoder(new Mp3Decoder());
    decoder->m_pHandle = new Handle{};
    decoder->m_bFed = true;
    if (!decoder->Setup(0))
        return nullptr;
    return decoder;
}

Mp3Decoder::~Mp3Decoder()
{
    if (m_pHandle != nullptr)
    {
        if (m_pHandle->decoder != nullptr)
        {
            mpg123_close(m_pHandle->decoder);
            mpg123_delete(m_pHandle->decoder);
        }
        if (m_pHandle->file != nullptr)
            std::fclose(m_pHandle->file);
        delete m_pHandle;
    }
}

int Mp3Decoder::SourceChannels() const
{
    mpg123_frameinfo2 info{};
    if (m_iRate == 0 || mpg123_info2(m_pHandle->decoder, &info) != MPG123_OK)
        return 0;
    return info.mode == MPG123_M_MONO ? 1 : 2;
}

bool Mp3Decoder::Feed(const uint8_t* data, size_t size)
{
    if (!m_bFed || m_bEnded)
        return false;
    if (size == 0)
        return true;
    if (mpg123_feed(m_pHandle->decoder, data, size) != MPG123_OK)
    {
        m_bEnded = true;
        return false;
    }
    return true;
}

size_t Mp3Decoder::Read(int16_t* out, size_t maxFrames)
{
    if (m_bEnded || maxFrames == 0)
        return 0;
    mpg123_handle* mh = m_pHandle->decoder;
    unsigned char* dst = reinterpret_cast<unsigned char*>(out);
    size_t wanted = maxFrames * kChannels * sizeof(int16_t);
    size_t total = 0;
    // A few rounds: a format notice or a skipped damaged frame can return without data.
    for (int round = 0; round < 64 && total < wanted; ++round)
    {
        size_t done = 0;
        int result = mpg123_read(mh, dst + total, wanted - total, &done);
        total += done;
        if (result == MPG123_NEW_FORMAT)
        {
            // A fed decoder learns its rate from its first frame; a file's rate is pinned when it opens.
            long rate = 0;
            int channels = 0;
            int encoding = 0;
            if (m_iRate == 0 && mpg123_getformat(mh, &rate, &channels, &encoding) == MPG123_OK && rate > 0)
                PinRate(rate);
            continue;
        }
        if (result == MPG123_NEED_MORE && m_bFed)
            break;
        if (result == MPG123_DONE || (result != MPG123_OK && result != MPG123_NEED_MORE && done == 0))
        {
            m_bEnded = true;
            break;
        }
    }
    return total / (kChannels * sizeof(int16_t));
}

bool Mp3Decoder::Rewind()
{
    if (m_bFed || mpg123_seek(m_pHandle->decoder, 0, SEEK_SET) < 0)
        return false;
    m_bEnded = false;
    return true;
}

} // namespace platform
