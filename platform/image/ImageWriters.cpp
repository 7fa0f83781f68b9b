// Image file writers for screenshots: uncompressed DDS, BMP and JPEG (the JPEG coder is libjpeg-turbo).
#include "platform/image/ImageWriters.h"

#include "platform/FileOps.h"
#include "platform/Paths.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include <jpeglib.h>
// jerror.h needs jpeglib.h first.
#include <jerror.h>

namespace platform
{

namespace
{

// The largest file the 32-bit size fields can describe.
constexpr uint64_t kMaxFileBytes = 0xFFFFFFFFull;

bool ValidImage(const void* pixels, uint32_t width, uint32_t height, uint32_t stride)
{
    return pixels != nullptr && width != 0 && height != 0 && stride >= width;
}

void Put16(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

} // namespace

// ---------------------------------------------------------------- DDS

bool EncodeDDS(const uint32_t* pixels, uint32_t width, uint32_t height, uint32_t stride, DdsPixelLayout layout,
               std::vector<uint8_t>* out)
{
    out->clear();
    if (!ValidImage(pixels, width, height, stride))
        return false;
    const uint64_t rowBytes = uint64_t(width) * 4;
    const uint64_t total = kDdsFileHeaderBytes + rowBytes * height;
    if (total > kMaxFileBytes)
        return false;

    out->assign(static_cast<size_t>(total), 0);
    uint8_t* h = out->data();
    const bool alpha = layout == DdsPixelLayout::A8R8G8B8;

    Put32(h + 0, kDdsMagic);
    uint8_t* d = h + 4;                                                                 // the header proper
    Put32(d + 0, kDdsHeaderSize);                                                       // dwSize
    Put32(d + 4, kDdsdCaps | kDdsdHeight | kDdsdWidth | kDdsdPitch | kDdsdPixelFormat); // dwFlags
    Put32(d + 8, height);                                                               // dwHeight
    Put32(d + 12, width);                                                               // dwWidth
    Put32(d + 16, static_cast<uint32_t>(rowBytes));                                     // dwPitchOrLinearSize
    // dwDepth (20), dwMipMapCount (24) and dwReserved1[11] (28..71) stay zero.
    uint8_t* pf = d + 72; // DDPIXELFORMAT
    Put32(pf + 0, kDdsPixelFormatSize);
    Put32(pf + 4, kDdpfRgb | (alpha ? kDdpfAlphaPixels : 0));
    // dwFourCC (8) stays zero.
    Put32(pf + 12, 32);                     // dwRGBBitCount
    Put32(pf + 16, 0x00FF0000);             // red mask
    Put32(pf + 20, 0x0000FF00);             // green mask
    Put32(pf + 24, 0x000000FF);             // blue mask
    Put32(pf + 28, alpha ? 0xFF000000 : 0); // alpha mask
    Put32(d + 104, kDdsCapsTexture);        // dwCaps; dwCaps2, 3, 4 and dwReserved2 stay zero

    uint8_t* dst = h + kDdsFileHeaderBytes;
    for (uint32_t y = 0; y < height; ++y)
    {
        const uint32_t* row = pixels + size_t(y) * stride;
        for (uint32_t x = 0; x < width; ++x, dst += 4)
            Put32(dst, alpha ? row[x] : (row[x] | 0xFF000000u));
    }
    return true;
}

bool WriteDDS(std::string_view fileName, const uint32_t* pixels, uint32_t width, uint32_t height, uint32_t stride,
              DdsPixelLayout layout)
{
    std::vector<uint8_t> bytes;
    return EncodeDDS(pixels, width, height, stride, layout, &bytes) && WriteImageFile(fileName, bytes);
}

// ---------------------------------------------------------------- BMP

bool EncodeBMP(const uint32_t* pixels, uint32_t width, uint32_t height, uint32_t stride, uint32_t bitsPerPixel,
               std::vector<uint8_t>* out)
{
    out->clear();
    if (!ValidImage(pixels, width, height, stride) || (bitsPerPixel != 24 && bitsPerPixel != 32))
        return false;
    // The info header keeps width and height as signed 32-bit values.
    if (width > 0x7FFFFFFFu || height > 0x7FFFFFFFu)
        return false;
    const uint32_t bytesPerPixel = bitsPerPixel / 8;
    const uint64_t rowBytes = (uint64_t(width) * bytesPerPixel + 3) & ~uint64_t(3);
    const uint64_t imageBytes = rowBytes * height;
    const uint64_t total = kBmpPixelOffset + imageBytes;
    if (total > kMaxFileBytes)
        return false;

    out->assign(static_cast<size_t>(total), 0);
    uint8_t* f = out->data();
    // BITMAPFILEHEADER
    f[0] = 'B';
    f[1] = 'M';
    Put32(f + 2, static_cast<uint32_t>(total)); // bfSize
    // bfReserved1 and bfReserved2 (6, 8) stay zero.
    Put32(f + 10, kBmpPixelOffset); // bfOffBits
    // BITMAPINFOHEADER
    uint8_t* b = f + kBmpFileHeaderSize;
    Put32(b + 0, kBmpInfoHeaderSize);
    Put32(b + 4, width);
    Put32(b + 8, height); // positive: bottom-up rows
    Put16(b + 12, 1);     // planes
    Put16(b + 14, bitsPerPixel);
    // biCompression (16) = BI_RGB = 0.
    Put32(b + 20, static_cast<uint32_t>(imageBytes));
    // Resolution, colours used and colours important (24..39) stay zero.

    for (uint32_t y = 0; y < height; ++y)
    {
        // The first stored row is the bottom of the picture.
        const uint32_t* row = pixels + size_t(height - 1 - y) * stride;
        uint8_t* dst = f + kBmpPixelOffset + size_t(y) * rowBytes;
        for (uint32_t x = 0; x < width; ++x, dst += bytesPerPixel)
        {
            const uint32_t v = row[x];
            dst[0] = static_cast<uint8_t>(v);
            dst[1] = static_cast<uint8_t>(v >> 8);
            dst[2] = static_cast<uint8_t>(v >> 16);
            if (bytesPerPixel == 4)
                dst[3] = static_cast<uint8_t>(v >> 24);
        }
        // Padding bytes were zeroed by assign.
    }
    return true;
}

bool WriteBMP(std::string_view fileName, const uint32_t* pixels, uint32_t width, uint32_t height, uint32_t stride,
              uint32_t bitsPerPixel)
{
    std::vector<uint8_t> bytes;
    return EncodeBMP(pixels, width, height, stride, bitsPerPixel, &bytes) && WriteImageFile(fileName, bytes);
}

// ---------------------------------------------------------------- JPEG

namespace
{

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back to the encoder.
struct JpegErrorManager
{
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void JpegErrorExit(j_common_ptr cinfo)
{
    JpegErrorManager* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    std::longjmp(err->jump, 1);
}

void JpegSilentMessage(j_common_ptr, int) {}

// The coded bytes go straight into a vector owned by the caller; it grows by doubling.
struct VectorDestination
{
    jpeg_destination_mgr base;
    std::vector<uint8_t>* out;
};

// Resizes the vector; a failed allocation becomes a libjpeg error (no exception may cross libjpeg's frames).
void VectorResize(j_compress_ptr cinfo, std::vector<uint8_t>* out, size_t size)
{
    bool done = false;
    try
    {
        out->resize(size);
        done = true;
    }
    catch (...)
    {
    }
    if (!done)
    {
        cinfo->err->msg_code = JERR_OUT_OF_MEMORY;
        cinfo->err->error_exit(reinterpret_cast<j_common_ptr>(cinfo));
    }
}

void VectorInit(j_compress_ptr cinfo)
{
    VectorDestination* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
    VectorResize(cinfo, dest->out, 64 * 1024);
    dest->base.next_output_byte = dest->out->data();
    dest->base.free_in_buffer = dest->out->size();
}

// Called when the whole buffer is full.
boolean VectorEmpty(j_compress_ptr cinfo)
{
    VectorDestination* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
    const size_t used = dest->out->size();
    VectorResize(cinfo, dest->out, used * 2);
    dest->base.next_output_byte = dest->out->data() + used;
    dest->base.free_in_buffer = dest->out->size() - used;
    return TRUE;
}

void VectorTerm(j_compress_ptr cinfo)
{
    VectorDestination* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
    dest->out->resize(dest->out->size() - dest->base.free_in_buffer);
}

// Everything the encoder touches between setjmp and a possible longjmp lives here, reached through a pointer
// that does not change, so its values are well defined after the jump.
struct JpegJob
{
    jpeg_compress_struct cinfo;
    JpegErrorManager err;
    VectorDestination dest;
    bool created = false;
};

// No C++ object with a destructor lives in this function: a longjmp out of libjpeg lands here.
bool RunJpegEncode(JpegJob* job, const uint8_t* rgb, uint32_t width, uint32_t height, int quality)
{
    jpeg_compress_struct* cinfo = &job->cinfo;
    cinfo->err = jpeg_std_error(&job->err.base);
    job->err.base.error_exit = JpegErrorExit;
    job->err.base.emit_message = JpegSilentMessage;
    if (setjmp(job->err.jump) != 0)
        return false;

    jpeg_create_compress(cinfo);
    job->created = true;
    job->dest.base.init_destination = VectorInit;
    job->dest.base.empty_output_buffer = VectorEmpty;
    job->dest.base.term_destination = VectorTerm;
    cinfo->dest = &job->dest.base;

    cinfo->image_width = width;
    cinfo->image_height = height;
    cinfo->input_components = 3;
    cinfo->in_color_space = JCS_RGB;
    jpeg_set_defaults(cinfo);
    jpeg_set_colorspace(cinfo, JCS_YCbCr);
    // Chroma once per 2 x 2 pixels: four Y blocks to one Cb and one Cr block in every MCU.
    cinfo->comp_info[0].h_samp_factor = 2;
    cinfo->comp_info[0].v_samp_factor = 2;
    cinfo->comp_info[1].h_samp_factor = 1;
    cinfo->comp_info[1].v_samp_factor = 1;
    cinfo->comp_info[2].h_samp_factor = 1;
    cinfo->comp_info[2].v_samp_factor = 1;
    jpeg_set_quality(cinfo, quality, TRUE);

    jpeg_start_compress(cinfo, TRUE);
    const size_t rowBytes = size_t(width) * 3;
    while (cinfo->next_scanline < cinfo->image_height)
    {
        JSAMPROW row = const_cast<JSAMPROW>(rgb + size_t(cinfo->next_scanline) * rowBytes);
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

} // namespace

bool EncodeJPEG(const uint8_t* rgb, uint32_t width, uint32_t height, int quality, std::vector<uint8_t>* out)
{
    out->clear();
    if (!ValidImage(rgb, width, height, width) || width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION)
        return false;
    quality = quality < 1 ? 1 : (quality > 100 ? 100 : quality);

    JpegJob* job = new JpegJob();
    job->dest.out = out;
    const bool ok = RunJpegEncode(job, rgb, width, height, quality);
    if (job->created)
        jpeg_destroy_compress(&job->cinfo);
    delete job;
    if (!ok)
        out->clear();
    return ok && !out->empty();
}

bool WriteJPEG(std::string_view fileName, const uint8_t* rgb, uint32_t width, uint32_t height, int quality)
{
    std::vector<uint8_t> bytes;
    return EncodeJPEG(rgb, width, height, quality, &bytes) && WriteImageFile(fileName, bytes);
}

// ---------------------------------------------------------------- files

bool WriteImageFile(std::string_view fileName, const std::vector<uint8_t>& bytes)
{
    return WriteFileAtomically(fileName, bytes.data(), bytes.size());
}

} // namespace platform
