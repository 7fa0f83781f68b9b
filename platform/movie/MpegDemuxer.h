// Splits an MPEG-1 system stream (or an MPEG-2 program stream) into its video and audio packets; also passes a
// bare MPEG video elementary stream through as one video stream.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

namespace platform
{

// Stream ids of the packets the demultiplexer hands out.
constexpr uint8_t kMpegFirstAudioStream = 0xC0;
constexpr uint8_t kMpegLastAudioStream = 0xDF;
constexpr uint8_t kMpegFirstVideoStream = 0xE0;
constexpr uint8_t kMpegLastVideoStream = 0xEF;

inline bool IsMpegAudioStream(uint8_t id)
{
    return id >= kMpegFirstAudioStream && id <= kMpegLastAudioStream;
}
inline bool IsMpegVideoStream(uint8_t id)
{
    return id >= kMpegFirstVideoStream && id <= kMpegLastVideoStream;
}

// One packet's payload. `data` stays valid until the next call to NextPacket or Close.
struct MpegPacket
{
    uint8_t streamId = 0;
    const uint8_t* data = nullptr;
    size_t size = 0;
    bool hasPts = false;
    int64_t pts = 0;  // 90 kHz units
    bool cut = false; // the end of the file cut the packet short
};

class MpegDemuxer
{
public:
    enum class Kind
    {
        None,            // nothing open, or the file is not MPEG
        SystemStream,    // pack headers (MPEG-1 system or MPEG-2 program stream)
        VideoElementary, // starts with a video sequence header; every byte is video
    };

    // How far into the file the first pack or sequence header may lie.
    static constexpr size_t kProbeBytes = 64 * 1024;
    // Chunk size of a bare video stream.
    static constexpr size_t kElementaryChunk = 16 * 1024;

    MpegDemuxer() = default;
    ~MpegDemuxer();
    MpegDemuxer(const MpegDemuxer&) = delete;
    MpegDemuxer& operator=(const MpegDemuxer&) = delete;

    // Opens the file through the case-insensitive resolver and finds out what it holds. False (and nothing
    // open) when the file is missing or neither a pack header nor a sequence header starts within
    // kProbeBytes.
    bool Open(std::string_view fileName);
    void Close();

    Kind GetKind() const { return m_kind; }

    // The next packet of a video (0xE0..0xEF) or audio (0xC0..0xDF) stream. Other packets (padding, private
    // streams, system headers) are stepped over, bytes between packets are skipped until the next start
    // code, and a packet cut short by the end of the file yields what is there. False at the end of the file.
    bool NextPacket(MpegPacket* out);

    // Bytes skipped because they belonged to no pack, header or packet.
    uint64_t GetJunkBytes() const { return m_uJunkBytes; }
    // Packets seen that were cut short by the end of the file or whose header did not fit their length.
    uint32_t GetDamagedPackets() const { return m_uDamagedPackets; }

private:
    // Makes at least `count` bytes available from the read position when the file still has them; returns
    // how many are available (at most the buffer's size).
    size_t Fill(size_t count);
    void Skip(size_t count);
    const uint8_t* At() const { return m_buffer.data() + m_uPos; }
    size_t Available() const { return m_uEnd - m_uPos; }
    // Moves to the next 00 00 01 prefix; false at the end of the file.
    bool FindStartCode();
    bool ReadPes(uint8_t streamId, MpegPacket* out);

    std::FILE* m_pFile = nullptr;
    Kind m_kind = Kind::None;
    std::vector<uint8_t> m_buffer;
    size_t m_uPos = 0;
    size_t m_uEnd = 0;
    bool m_bEof = false;
    uint64_t m_uJunkBytes = 0;
    uint32_t m_uDamagedPackets = 0;
};

} // namespace platform
