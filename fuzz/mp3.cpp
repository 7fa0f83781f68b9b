// Fuzz target: MPEG audio files as the jukebox meets them: the frame scan that times a track, the ID3v1 tag at
// the end, and the music stream's decoder opened on the file and read to the end.
#include "engine/media/Jukebox.h"
#include "fuzz/FuzzSupport.h"
#include "platform/audio/Mp3Decoder.h"

#include <optional>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    fuzzsupport::WriteFile("track.mp3", data, size);
    Mp3FrameScanner scanner;
    if (scanner.ScanFile("track.mp3") && scanner.IsValid())
        scanner.GetPlayTime();
    std::optional<std::string> artist, title;
    Jukebox::ReadId3v1("track.mp3", &artist, &title);

    Jukebox jukebox(nullptr);
    jukebox.AddTrack("", "track.mp3", 0, -1);
    for (int32_t i = 0; i < jukebox.GetTrackCount(); ++i)
    {
        jukebox.GetTrackTitle(i);
        jukebox.GetTrackArtist(i);
        jukebox.GetTrackTime(i);
    }

    if (auto decoder = platform::Mp3Decoder::Open("track.mp3"))
    {
        int16_t pcm[2 * 1152 * 4];
        // Every frame decodes to at most 1152 samples a channel; the input bounds the frames.
        size_t reads = 0;
        while (decoder->Read(pcm, 1152 * 4) > 0)
            if (++reads > size + 16)
                __builtin_trap(); // the decoder keeps handing out sound the file cannot hold
        decoder->Rewind();
        decoder->Read(pcm, 1152);
    }
    return 0;
}
