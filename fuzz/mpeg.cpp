// Fuzz target: MPEG movies as the logo movie player meets them: the system-stream demultiplexer read packet by
// packet, then the whole movie opened and decoded picture by picture (unpaced) with its sound decoded, queued and
// mixed by the back end mixing by hand (no device).
#include "fuzz/FuzzSupport.h"
#include "platform/audio/Sound.h"
#include "platform/movie/MovieStream.h"
#include "platform/movie/MpegDemuxer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    fuzzsupport::WriteFile("movie.mpg", data, size);
    {
        platform::MpegDemuxer demuxer;
        if (demuxer.Open("movie.mpg"))
        {
            platform::MpegPacket packet;
            size_t packets = 0, bytes = 0;
            while (demuxer.NextPacket(&packet))
            {
                bytes += packet.size;
                // Every packet holds bytes of the file, at least one start code's worth apart.
                if (++packets > size + 1 || bytes > size)
                    __builtin_trap();
            }
        }
    }
    platform::SoundUseManualMixing(true);
    platform::MovieStream::Options options;
    options.audio = true;
    options.paced = false;
    if (auto movie = platform::MovieStream::Open("movie.mpg", options))
    {
        movie->Run();
        size_t pictures = 0;
        int16_t mixed[2 * 1024];
        while (movie->Update())
        {
            if (++pictures > size + 16)
                __builtin_trap(); // more pictures than the file can code
            platform::SoundRender(mixed, 1024);
        }
        movie->Stop();
    }
    return 0;
}
