// The movie demultiplexer: pack headers, system headers and PES packets of MPEG-1 system and MPEG-2 program
// streams, read through a bounded buffer so no packet length in the file can reach past what was read.
#include "platform/movie/MpegDemuxer.h"

#include "platform/Paths.h"

#include <algorithm>
#include <cstring>

namespace platform
{
namespace
{

// The largest thing read at once: a packet with the 16-bit length's maximum, and the probe window.
constexpr size_t kBufferSize = 128 * 1024;
static_assert(kBufferSize >= 6 + 65535);
static_assert(kBufferSize >= MpegDemuxer::kProbeBytes + 4);

constexpr uint8_t kPackStart = 0xBA;
constexpr uint8_t kSystemHeader = 0xBB;
constexpr uint8_t kProgramEnd = 0xB9;
constexpr uint8_t kSequenceHeader = 0xB3;

// A 33-bit time stamp as both stream kinds code it: 4 marker bits, then 3, 15 and 15 bits with marker bits.
int64_t ReadTimeStamp(const uint8_t* p)
{
    return (static_cast<int64_t>((p[0] >> 1) & 0x07) << 30) | (static_cast<int64_t>(p[1]) << 22) |
           (static_cast<int64_t>(p[2] >> 1) << 15) | (static_cast<int64_t>(p[3]) << 7) | (p[4] >> 1);
}

} // namespace

MpegDemuxer::~MpegDemuxer()
{
    Close();
}

void MpegDemuxer::Close()
{
    if (m_pFile)
        std::fclose(m_pFile);
    m_pFile = nullptr;
    m_kind = Kind::None;
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    m_uPos = m_uEnd = 0;
    m_bEof = false;
    m_uJunkBytes = 0;
    m_uDamagedPackets = 0;
}

bool MpegDemuxer::Open(std::string_view fileName)
{
    Close();
    m_pFile = OpenFile(fileName, "rb");
    if (!m_pFile)
        return false;
    m_buffer.resize(kBufferSize);

    // The first start code of the file tells what it is; zero bytes or other junk may come before it.
    size_t available = Fill(kProbeBytes + 4);
    size_t limit = std::min(available, kProbeBytes + 4);
    const uint8_t* p = At();
    for (size_t i = 0; i + 4 <= limit; ++i)
    {
        if (p[i] != 0 || p[i + 1] != 0 || p[i + 2] != 1)
            continue;
        if (p[i + 3] == kPackStart)
            m_kind = Kind::SystemStream;
        else if (p[i + 3] == kSequenceHeader)
            m_kind = Kind::VideoElementary;
        break;
    }
    if (m_kind == Kind::None)
    {
        Close();
        return false;
    }
    return true;
}

size_t MpegDemuxer::Fill(size_t count)
{
    count = std::min(count, m_buffer.size());
    if (Available() >= count || m_bEof || !m_pFile)
        return Available();
    if (m_uPos > 0)
    {
        std::memmove(m_buffer.data(), m_buffer.data() + m_uPos, Available());
        m_uEnd -= m_uPos;
        m_uPos = 0;
    }
    while (m_uEnd < count)
    {
        size_t got = std::fread(m_buffer.data() + m_uEnd, 1, m_buffer.size() - m_uEnd, m_pFile);
        m_uEnd += got;
        if (got == 0)
        {
            m_bEof = true;
            break;
        }
    }
    return Available();
}

void MpegDemuxer::Skip(size_t count)
{
    m_uPos += std::min(count, Available());
}

bool MpegDemuxer::FindStartCode()
{
    for (;;)
    {
        size_t available = Fill(3);
        if (available < 3)
        {
            m_uJunkBytes += available;
            Skip(available);
            return false;
        }
        const uint8_t* p = At();
        for (size_t i = 0; i + 3 <= available; ++i)
        {
            if (p[i] == 0 && p[i + 1] == 0 && p[i + 2] == 1)
            {
                m_uJunkBytes += i;
                Skip(i);
                return true;
            }
        }
        // Keep the last two bytes: they may begin a prefix that the next read completes.
        m_uJunkBytes += available - 2;
        Skip(available - 2);
    }
}

bool MpegDemuxer::NextPacket(MpegPacket* out)
{
    if (!m_pFile || !out)
        return false;

    if (m_kind == Kind::VideoElementary)
    {
        size_t available = Fill(kElementaryChunk);
        if (available == 0)
            return false;
        *out = MpegPacket{};
        out->streamId = kMpegFirstVideoStream;
        out->data = At();
        out->size = std::min(available, kElementaryChunk);
        Skip(out->size);
        return true;
    }

    for (;;)
    {
        if (!FindStartCode())
            return false;
        size_t available = Fill(4);
        if (available < 4)
        {
            m_uJunkBytes += available;
            Skip(available);
            return false;
        }
        uint8_t code = At()[3];

        if (code == kPackStart)
        {
            // MPEG-1 packs are 12 bytes ('0010' marker); MPEG-2 packs 14 plus up to 7 stuffing bytes ('01').
            available = Fill(14 + 7);
            const uint8_t* p = At();
            size_t size = 0;
            if (available >= 12 && (p[4] & 0xF0) == 0x20)
                size = 12;
            else if (available >= 14 && (p[4] & 0xC0) == 0x40)
                size = 14 + (p[13] & 0x07);
            if (size == 0)
            {
                m_uJunkBytes += 4;
                Skip(4);
                continue;
            }
            Skip(size);
            continue;
        }
        if (code == kProgramEnd)
        {
            Skip(4);
            continue;
        }
        if (code < kSystemHeader)
        {
            // Picture-level start codes have no place between packets.
            m_uJunkBytes += 3;
            Skip(3);
            continue;
        }

        // The system header and every packet carry a 16-bit length after the start code.
        available = Fill(6);
        if (available < 6)
        {
            ++m_uDamagedPackets;
            Skip(available);
            return false;
        }
        if (IsMpegAudioStream(code) || IsMpegVideoStream(code))
        {
            if (ReadPes(code, out))
                return true;
            continue;
        }
        size_t total = 6 + ((static_cast<size_t>(At()[4]) << 8) | At()[5]);
        available = Fill(total);
        if (available < total)
            ++m_uDamagedPackets;
        Skip(total);
    }
}

bool MpegDemuxer::ReadPes(uint8_t streamId, MpegPacket* out)
{
    size_t total = 6 + ((static_cast<size_t>(At()[4]) << 8) | At()[5]);
    size_t available = Fill(total);
    bool cut = available < total;
    if (cut)
    {
        ++m_uDamagedPackets;
        total = available;
    }
    const uint8_t* p = At();
    size_t header = 6;
    bool ok = true;
    bool hasPts = false;
    int64_t pts = 0;

    if (total > 6 && (p[6] & 0xC0) == 0x80)
    {
        // MPEG-2 packet header: two flag bytes, then the length of the optional fields.
        if (total < 9)
            ok = false;
        else
        {
            header = 9 + p[8];
            if (header > total)
                ok = false;
            else if ((p[7] & 0x80) && p[8] >= 5)
            {
                hasPts = true;
                pts = ReadTimeStamp(p + 9);
            }
        }
    }
    else
    {
        // MPEG-1 packet header: up to 16 stuffing bytes, an optional buffer size, then the time stamps.
        while (header < total && header < 6 + 16 && p[header] == 0xFF)
            ++header;
        if (header < total && (p[header] & 0xC0) == 0x40)
            header += 2;
        if (header >= total)
            ok = false;
        else if ((p[header] & 0xF0) == 0x20)
        {
            if (header + 5 > total)
                ok = false;
            else
            {
                hasPts = true;
                pts = ReadTimeStamp(p + header);
                header += 5;
            }
        }
        else if ((p[header] & 0xF0) == 0x30)
        {
            if (header + 10 > total)
                ok = false;
            else
            {
                hasPts = true;
                pts = ReadTimeStamp(p + header);
                header += 10;
            }
        }
        else if (p[header] == 0x0F)
            ++header;
        else
            ok = false;
    }

    Skip(total);
    if (!ok)
    {
        ++m_uDamagedPackets;
        return false;
    }
    if (header == total)
        return false;
    *out = MpegPacket{};
    out->streamId = streamId;
    out->data = p + header;
    out->size = total - header;
    out->hasPts = hasPts;
    out->pts = pts;
    out->cut = cut;
    return true;
}

} // namespace platform
