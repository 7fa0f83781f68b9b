// libmpg123 decoding with our own reader callbacks over a FILE* from the path resolver.
#include "platform/audio/Mp3Decoder.h"

#include "platform/Paths.h"

#include <mpg123.h>

#include <cstdio>
#include <mutex>
#include <sys/types.h>

namespace platform
{

struct Mp3Decoder::Handle
{
    mpg123_handle* decoder = nullptr;
    FILE* file = nullptr; // ours: closed after the decoder is gone
};

namespace
{

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

} // namespace

std::unique_ptr<Mp3Decoder> Mp3Decoder::Open(std::string_view path)
{
    if (!InitLibrary())
        return nullptr;
    // The parser normally confirms a first frame by the header of the next one. A file of a single frame has no
    // next one, so a file refused that way is tried once more without the confirmation.
    if (std::unique_ptr<Mp3Decoder> decoder = OpenWith(path, 0))
        return decoder;
    return OpenWith(path, MPG123_NO_READAHEAD);
}

std::unique_ptr<Mp3Decoder> Mp3Decoder::OpenWith(std::string_view path, long extraFlags)
{
    FILE* file = OpenFile(path, "rb");
    if (file == nullptr)
        return nullptr;

    int error = MPG123_OK;
    mpg123_handle* mh = mpg123_new(nullptr, &error);
    if (mh == nullptr)
    {
        std::fclose(file);
        return nullptr;
    }
    std::unique_ptr<Mp3Decoder> decoder(new Mp3Decoder());
    decoder->m_pHandle = new Handle{mh, file};

    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_FORCE_STEREO | extraFlags, 0.0);
    mpg123_format_none(mh);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(mh, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);

    if (mpg123_replace_reader_handle(mh, ReadCallback, SeekCallback, nullptr) != MPG123_OK ||
        mpg123_open_handle(mh, file) != MPG123_OK)
        return nullptr;
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 || channels != 2 ||
        encoding != MPG123_ENC_SIGNED_16)
        return nullptr;
    decoder->m_iRate = static_cast<int>(rate);
    return decoder;
}

Mp3Decoder::~Mp3Decoder()
{
    if (m_pHandle != nullptr)
    {
        mpg123_close(m_pHandle->decoder);
        mpg123_delete(m_pHandle->decoder);
        std::fclose(m_pHandle->file);
        delete m_pHandle;
    }
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
            // The output format is pinned to stereo 16-bit; only the rate can move, and we keep the first one.
            continue;
        }
        if (result == MPG123_DONE)
        {
            m_bEnded = true;
            break;
        }
        if (result != MPG123_OK)
        {
            if (done == 0 && result != MPG123_NEED_MORE)
            {
                m_bEnded = true;
                break;
            }
        }
    }
    return total / (kChannels * sizeof(int16_t));
}

bool Mp3Decoder::Rewind()
{
    if (mpg123_seek(m_pHandle->decoder, 0, SEEK_SET) < 0)
        return false;
    m_bEnded = false;
    return true;
}

uint64_t Mp3Decoder::LengthFrames() const
{
    off_t length = mpg123_length(m_pHandle->decoder);
    return length > 0 ? static_cast<uint64_t>(length) : 0;
}

} // namespace platform
