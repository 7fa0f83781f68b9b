// The GL device's textures: formats, creation, locking and uploading levels to GL, and binding them to stages.
#include "platform/gfx/GLDevice.h"

#include "platform/gfx/TextureUtil.h"

#include <algorithm>
#include <new>

namespace platform
{

namespace
{

struct GlFormat
{
    GLint internal = GL_RGBA8;
    GLenum format = GL_BGRA;
    GLenum type = GL_UNSIGNED_BYTE;
    bool compressed = false; // data goes to CompressedTexImage2D as it is
    bool decode = false;     // data is decoded to A8R8G8B8 first
};

GlFormat GlFormatOf(PixelFormat f)
{
    GlFormat g;
    switch (f)
    {
    case PixelFormat::A8R8G8B8:
        break;
    case PixelFormat::X8R8G8B8:
        g.internal = GL_RGB8;
        break;
    case PixelFormat::R8G8B8:
        g.internal = GL_RGB8;
        g.format = GL_BGR;
        break;
    case PixelFormat::R5G6B5:
        g.internal = GL_RGB8;
        g.format = GL_RGB;
        g.type = GL_UNSIGNED_SHORT_5_6_5;
        break;
    case PixelFormat::X1R5G5B5:
        g.internal = GL_RGB8;
        g.type = GL_UNSIGNED_SHORT_1_5_5_5_REV;
        break;
    case PixelFormat::A1R5G5B5:
        g.type = GL_UNSIGNED_SHORT_1_5_5_5_REV;
        break;
    case PixelFormat::A4R4G4B4:
        g.type = GL_UNSIGNED_SHORT_4_4_4_4_REV;
        break;
    case PixelFormat::X4R4G4B4:
        g.internal = GL_RGB8;
        g.type = GL_UNSIGNED_SHORT_4_4_4_4_REV;
        break;
    case PixelFormat::A8:
        g.internal = GL_ALPHA8;
        g.format = GL_ALPHA;
        break;
    case PixelFormat::DXT1:
        g.internal = GL_COMPRESSED_RGBA_S3TC_DXT1_EXT;
        g.compressed = true;
        break;
    case PixelFormat::DXT2:
    case PixelFormat::DXT3:
        g.internal = GL_COMPRESSED_RGBA_S3TC_DXT3_EXT;
        g.compressed = true;
        break;
    case PixelFormat::DXT4:
    case PixelFormat::DXT5:
        g.internal = GL_COMPRESSED_RGBA_S3TC_DXT5_EXT;
        g.compressed = true;
        break;
    default:
        break;
    }
    if (g.compressed && !Gl().s3tc)
    {
        g = GlFormat{};
        g.decode = true;
    }
    return g;
}

} // namespace

// ---------------------------------------------------------------- resource bodies

GLTexture::~GLTexture()
{
    if (device)
    {
        device->MakeCurrent();
        ReleaseGL();
        device->Forget(this);
    }
}

void GLTexture::ReleaseGL()
{
    if (!device)
        return;
    if (name)
        device->DeleteTextureName(name);
    name = 0;
    device->ReleaseVideoBytes(videoBytes);
    videoBytes = 0;
}

GfxResult GLTexture::LockRect(uint32_t level, LockedRect* locked, const Rect* rect, uint32_t flags)
{
    if (level >= levels.size() || !locked)
        return GfxResult::InvalidCall;
    Level& l = levels[level];
    if (l.locked)
        return GfxResult::InvalidCall;
    Rect whole{0, 0, static_cast<int32_t>(l.width), static_cast<int32_t>(l.height)};
    Rect r = rect ? *rect : whole;
    size_t offset = 0;
    if (LockRectOffset(format, l.width, l.height, l.pitch, r, &offset) != GfxResult::Ok)
        return GfxResult::InvalidCall;
    if (l.bytes.empty())
    {
        try
        {
            l.bytes.assign(l.size, 0);
        }
        catch (const std::bad_alloc&)
        {
            return GfxResult::OutOfMemory;
        }
    }
    l.locked = true;
    l.readOnly = (flags & LockFlags::ReadOnly) != 0;
    l.rect = r;
    locked->pitch = static_cast<int32_t>(l.pitch);
    locked->bits = l.bytes.data() + offset;
    return GfxResult::Ok;
}

GfxResult GLTexture::UnlockRect(uint32_t level)
{
    if (level >= levels.size() || !levels[level].locked)
        return GfxResult::InvalidCall;
    Level& l = levels[level];
    l.locked = false;
    if (!l.readOnly && device && name)
        device->UploadLevel(this, level, &l.rect);
    return GfxResult::Ok;
}

bool GLDevice::IsTextureFormatSupported(PixelFormat format) const
{
    switch (format)
    {
    case PixelFormat::A8R8G8B8:
    case PixelFormat::X8R8G8B8:
    case PixelFormat::R8G8B8:
    case PixelFormat::R5G6B5:
    case PixelFormat::X1R5G5B5:
    case PixelFormat::A1R5G5B5:
    case PixelFormat::A4R4G4B4:
    case PixelFormat::X4R4G4B4:
    case PixelFormat::A8:
    case PixelFormat::DXT1:
    case PixelFormat::DXT2:
    case PixelFormat::DXT3:
    case PixelFormat::DXT4:
    case PixelFormat::DXT5:
        return true;
    default:
        return false;
    }
}

GfxResult GLDevice::CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, PixelFormat format,
                                  Pool pool, TexturePtr* texture)
{
    if (!texture)
        return GfxResult::InvalidCall;
    texture->reset();
    if (width == 0 || height == 0 || !IsTextureFormatSupported(format))
        return width == 0 || height == 0 ? GfxResult::InvalidCall : GfxResult::NotAvailable;
    bool bindable = pool == Pool::Default || pool == Pool::Managed;
    if (bindable && (width > m_caps.maxTextureWidth || height > m_caps.maxTextureHeight))
        return GfxResult::InvalidCall;
    uint32_t full = FullMipChainLevels(width, height);
    if (levels == 0 || levels > full)
        levels = full;
    auto made = std::make_unique<GLTexture>();
    made->pool = pool;
    made->usage = usage;
    made->format = format;
    uint64_t total = 0;
    uint32_t w = width, h = height;
    try
    {
        for (uint32_t i = 0; i < levels; ++i)
        {
            GLTexture::Level level;
            level.width = w;
            level.height = h;
            level.pitch = FormatRowPitch(format, w);
            level.size = FormatLevelSize(format, w, h); // memory comes at the first lock
            total += level.size;
            made->levels.push_back(std::move(level));
            w = std::max(1u, w / 2);
            h = std::max(1u, h / 2);
        }
    }
    catch (const std::bad_alloc&)
    {
        return GfxResult::OutOfMemory;
    }
    if (pool == Pool::Default)
    {
        if (m_uVideoUsed + total > kDefaultPoolBudget)
            return GfxResult::OutOfVideoMemory;
        m_uVideoUsed += total;
        made->videoBytes = total;
    }
    made->device = this;
    m_resources.push_back(made.get());
    *texture = std::move(made);
    return GfxResult::Ok;
}

void GLDevice::UploadTexture(GLTexture* texture, uint32_t unit)
{
    GLApi& gl = Gl();
    gl.GenTextures(1, &texture->name);
    texture->sampling.reset(); // a new GL object has GL's default sampling
    m_shadow.BindTexture(unit, texture->name);
    m_shadow.ActiveUnit(unit); // the edits below go to the active unit's texture
    m_apSamplerTexture[unit] = nullptr;
    m_abSamplerDirty[unit] = true;
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(texture->levels.size()) - 1);
    for (uint32_t level = 0; level < texture->levels.size(); ++level)
    {
        GLTexture::Level& l = texture->levels[level];
        if (l.bytes.empty())
            l.bytes.assign(l.size, 0);
        UploadLevel(texture, level, nullptr, unit);
    }
}

void GLDevice::UploadLevel(GLTexture* texture, uint32_t level, const Rect* rect, uint32_t unit)
{
    MakeCurrent();
    GLApi& gl = Gl();
    const GLTexture::Level& l = texture->levels[level];
    GlFormat g = GlFormatOf(texture->format);
    m_shadow.BindTexture(unit, texture->name);
    m_shadow.ActiveUnit(unit); // the edits below go to the active unit's texture
    GLsizei w = static_cast<GLsizei>(l.width), h = static_cast<GLsizei>(l.height);
    bool whole = !rect || (rect->left == 0 && rect->top == 0 && rect->right == w && rect->bottom == h);
    if (g.compressed)
    {
        gl.CompressedTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), static_cast<GLenum>(g.internal), w, h, 0,
                                static_cast<GLsizei>(l.bytes.size()), l.bytes.data());
        return;
    }
    if (g.decode)
    {
        std::vector<uint32_t> argb(static_cast<size_t>(l.width) * l.height);
        DecodePixels(texture->format, l.bytes.data(), l.pitch, l.width, l.height, argb.data());
        gl.TexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), g.internal, w, h, 0, g.format, g.type, argb.data());
        return;
    }
    if (whole || !texture->name)
    {
        gl.TexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), g.internal, w, h, 0, g.format, g.type, l.bytes.data());
        return;
    }
    uint32_t bpp = FormatBitsPerPixel(texture->format) / 8;
    gl.PixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(l.pitch / bpp));
    const uint8_t* start = l.bytes.data() + static_cast<size_t>(rect->top) * l.pitch + rect->left * bpp;
    gl.TexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), rect->left, rect->top, rect->right - rect->left,
                     rect->bottom - rect->top, g.format, g.type, start);
    gl.PixelStorei(GL_UNPACK_ROW_LENGTH, 0);
}

void GLDevice::DeleteTextureName(GLuint name)
{
    Gl().DeleteTextures(1, &name);
    m_shadow.TextureDeleted(name);
}

GfxResult GLDevice::SetTexture(uint32_t stage, ITexture* texture)
{
    if (stage >= kMaxTextureStages)
        return GfxResult::InvalidCall;
    GLTexture* own = nullptr;
    if (texture)
    {
        own = dynamic_cast<GLTexture*>(texture);
        if (!own || own->device != this || (own->pool != Pool::Default && own->pool != Pool::Managed))
            return GfxResult::InvalidCall;
    }
    if (m_apTextures[stage] != own)
        m_bStatesChanged = true;
    m_apTextures[stage] = own;
    return GfxResult::Ok;
}

ITexture* GLDevice::GetTexture(uint32_t stage) const
{
    return stage < kMaxTextureStages ? m_apTextures[stage] : nullptr;
}

} // namespace platform
