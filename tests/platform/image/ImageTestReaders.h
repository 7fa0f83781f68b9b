// Test-side image readers (DDS and BMP parsed by hand, JPEG through libjpeg's decompressor) and a test picture.
#pragma once

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace imagetest
{

inline uint32_t Get32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | (uint32_t(b[at + 1]) << 8) | (uint32_t(b[at + 2]) << 16) | (uint32_t(b[at + 3]) << 24);
}

// Smooth gradients with three solid 16-pixel blocks (red at 8..23 x 8..23, blue at 32..47 x 8..23, white at
// 8..23 x 32..47), as A8R8G8B8 values with varied alpha. Needs at least 48 x 48 pixels for all blocks.
inline std::vector<uint32_t> MakePicture(uint32_t w, uint32_t h)
{
    std::vector<uint32_t> p(size_t(w) * h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
        {
            uint32_t rgb = ((x * 255 / (w - 1 ? w - 1 : 1)) << 16) | ((y * 255 / (h - 1 ? h - 1 : 1)) << 8) | 128;
            const bool top = y >= 8 && y < 24, left = x >= 8 && x < 24;
            if (top && left)
                rgb = 0xFF0000;
            else if (top && x >= 32 && x < 48)
                rgb = 0x2040E0;
            else if (left && y >= 32 && y < 48)
                rgb = 0xFFFFFF;
            p[size_t(y) * w + x] = (((x * 7 + y * 13) & 0xFF) << 24) | rgb;
        }
    return p;
}

struct Image
{
    uint32_t width = 0, height = 0;
    std::vector<uint32_t> pixels; // A8R8G8B8, rows top to bottom
};

// The 8-bit channel under a mask of 8 contiguous bits; 0xFF for an absent (zero) mask.
inline uint32_t Channel(uint32_t v, uint32_t mask)
{
    if (mask == 0)
        return 0xFF;
    uint32_t shift = 0;
    while (((mask >> shift) & 1) == 0)
        ++shift;
    return (v & mask) >> shift;
}

// An uncompressed 32-bit RGB DDS, read through its pitch and pixel-format masks.
inline bool ReadDds(const std::vector<uint8_t>& f, Image* out)
{
    if (f.size() < 128 || Get32(f, 0) != 0x20534444 || (Get32(f, 80) & 0x40) == 0 || Get32(f, 88) != 32)
        return false;
    const uint32_t h = Get32(f, 12), w = Get32(f, 16), pitch = Get32(f, 20);
    if (pitch < w * 4 || f.size() < 128 + size_t(pitch) * h)
        return false;
    const uint32_t a = (Get32(f, 80) & 1) ? Get32(f, 104) : 0;
    *out = {w, h, std::vector<uint32_t>(size_t(w) * h)};
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
        {
            const uint32_t v = Get32(f, 128 + size_t(y) * pitch + x * 4);
            out->pixels[size_t(y) * w + x] = (Channel(v, a) << 24) | (Channel(v, Get32(f, 92)) << 16) |
                                             (Channel(v, Get32(f, 96)) << 8) | Channel(v, Get32(f, 100));
        }
    return true;
}

// An uncompressed 24- or 32-bit BMP, bottom-up or top-down; 24-bit pixels get alpha 0xFF.
inline bool ReadBmp(const std::vector<uint8_t>& f, Image* out)
{
    if (f.size() < 54 || f[0] != 'B' || f[1] != 'M' || Get32(f, 30) != 0)
        return false;
    const int32_t w = int32_t(Get32(f, 18)), h = int32_t(Get32(f, 22));
    const uint32_t bytes = (f[28] | (f[29] << 8)) / 8, height = h < 0 ? -h : h;
    const size_t row = (size_t(w) * bytes + 3) / 4 * 4;
    if (w <= 0 || (bytes != 3 && bytes != 4) || f.size() < Get32(f, 10) + row * height)
        return false;
    *out = {uint32_t(w), height, std::vector<uint32_t>(size_t(w) * height)};
    for (uint32_t r = 0; r < height; ++r)
        for (int32_t x = 0; x < w; ++x)
        {
            const uint8_t* p = &f[Get32(f, 10) + r * row + x * bytes];
            out->pixels[size_t(h > 0 ? height - 1 - r : r) * w + x] =
                (uint32_t(bytes == 4 ? p[3] : 0xFF) << 24) | (p[2] << 16) | (p[1] << 8) | p[0];
        }
    return true;
}

// What the decompressor saw in a JPEG's header.
struct JpegInfo
{
    int components = 0;
    J_COLOR_SPACE colorSpace = JCS_UNKNOWN;
    int hSamp[3] = {}, vSamp[3] = {};
    int lumaDcStep = 0, chromaDcStep = 0; // the DC entries of the components' quantisation tables
};

struct JpegReadJob
{
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    std::jmp_buf jump;
    unsigned char* row = nullptr;
};

// No C++ object with a destructor lives in here: libjpeg's errors jump back to the setjmp.
inline bool RunJpegRead(JpegReadJob* job, const std::vector<uint8_t>* f, Image* out, JpegInfo* info)
{
    j_decompress_ptr c = &job->cinfo;
    c->err = jpeg_std_error(&job->err);
    job->err.error_exit = [](j_common_ptr ci) { std::longjmp(reinterpret_cast<JpegReadJob*>(ci)->jump, 1); };
    job->err.emit_message = [](j_common_ptr, int) {};
    if (setjmp(job->jump) != 0)
        return false;
    jpeg_create_decompress(c);
    jpeg_mem_src(c, f->data(), static_cast<unsigned long>(f->size()));
    jpeg_read_header(c, TRUE);
    *info = {c->num_components, c->jpeg_color_space, {}, {}, 0, 0};
    for (int i = 0; i < 3 && i < c->num_components; ++i)
        info->hSamp[i] = c->comp_info[i].h_samp_factor, info->vSamp[i] = c->comp_info[i].v_samp_factor;
    info->lumaDcStep = c->quant_tbl_ptrs[c->comp_info[0].quant_tbl_no]->quantval[0];
    info->chromaDcStep = c->quant_tbl_ptrs[c->comp_info[c->num_components - 1].quant_tbl_no]->quantval[0];
    c->out_color_space = JCS_RGB;
    jpeg_start_decompress(c);
    out->width = c->output_width, out->height = c->output_height;
    out->pixels.assign(size_t(out->width) * out->height, 0);
    job->row = static_cast<unsigned char*>(std::malloc(size_t(out->width) * 3));
    while (c->output_scanline < out->height)
    {
        uint32_t* dst = &out->pixels[size_t(c->output_scanline) * out->width];
        jpeg_read_scanlines(c, &job->row, 1);
        for (uint32_t x = 0; x < out->width; ++x)
            dst[x] = 0xFF000000u | (job->row[x * 3] << 16) | (job->row[x * 3 + 1] << 8) | job->row[x * 3 + 2];
    }
    jpeg_finish_decompress(c);
    return true;
}

// Decodes a JPEG to RGB pixels (alpha 0xFF); false when libjpeg reports an error.
inline bool ReadJpeg(const std::vector<uint8_t>& f, Image* out, JpegInfo* info = nullptr)
{
    JpegInfo ignored;
    JpegReadJob* job = new JpegReadJob();
    const bool ok = !f.empty() && RunJpegRead(job, &f, out, info ? info : &ignored);
    jpeg_destroy_decompress(&job->cinfo);
    std::free(job->row);
    delete job;
    return ok;
}

// Largest difference of red, green or blue between two pixels.
inline int ColourDistance(uint32_t a, uint32_t b)
{
    int worst = 0;
    for (int shift = 0; shift <= 16; shift += 8)
        worst = std::max(worst, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return worst;
}

// A quality-90 JPEG of MakePicture stays within a few levels where the picture is smooth. Within 3 pixels of a
// block edge the chroma, kept once per 2 x 2 pixels and smoothed when widened again, blurs the colour step, so
// those pixels only count towards the mean. Pictures read from wrong rows, columns or channels fail by far.
inline bool JpegCloseToPicture(const Image& img, const std::vector<uint32_t>& picture)
{
    auto nearEdge = [](uint32_t c)
    {
        for (uint32_t edge : {8u, 24u, 32u, 48u})
            if (c + 3 >= edge && c < edge + 3)
                return true;
        return false;
    };
    long total = 0;
    for (uint32_t y = 0; y < img.height; ++y)
        for (uint32_t x = 0; x < img.width; ++x)
        {
            const int d = ColourDistance(img.pixels[size_t(y) * img.width + x], picture[size_t(y) * img.width + x]);
            total += d;
            if (!nearEdge(x) && !nearEdge(y) && d > 24)
                return false;
        }
    return img.pixels.size() == picture.size() && double(total) / picture.size() < 10.0;
}

} // namespace imagetest
