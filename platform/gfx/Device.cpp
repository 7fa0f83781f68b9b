// What both device back ends share: result texts, format and vertex-layout sizes, the default states and the
// choice of back end.
#include "platform/gfx/Device.h"

namespace platform
{

const char* GfxResultText(GfxResult r)
{
    switch (r)
    {
    case GfxResult::Ok:
        return "No error";
    case GfxResult::DeviceLost:
        return "Device lost";
    case GfxResult::DeviceNotReset:
        return "Device not reset";
    case GfxResult::OutOfMemory:
        return "Out of memory";
    case GfxResult::OutOfVideoMemory:
        return "Out of video memory";
    case GfxResult::InvalidCall:
        return "Invalid call";
    case GfxResult::NotAvailable:
        return "Not available";
    case GfxResult::DriverError:
        return "Driver internal error";
    }
    return "Unknown error";
}

uint32_t FormatBitsPerPixel(PixelFormat f)
{
    switch (f)
    {
    case PixelFormat::R8G8B8:
        return 24;
    case PixelFormat::A8R8G8B8:
    case PixelFormat::X8R8G8B8:
    case PixelFormat::D24S8:
    case PixelFormat::D24X8:
    case PixelFormat::D24X4S4:
    case PixelFormat::D32:
    case PixelFormat::Index32:
        return 32;
    case PixelFormat::R5G6B5:
    case PixelFormat::X1R5G5B5:
    case PixelFormat::A1R5G5B5:
    case PixelFormat::A4R4G4B4:
    case PixelFormat::X4R4G4B4:
    case PixelFormat::D16:
    case PixelFormat::D15S1:
    case PixelFormat::Index16:
        return 16;
    case PixelFormat::A8:
    case PixelFormat::DXT2:
    case PixelFormat::DXT3:
    case PixelFormat::DXT4:
    case PixelFormat::DXT5:
        return 8;
    case PixelFormat::DXT1:
        return 4;
    case PixelFormat::Unknown:
    case PixelFormat::VertexData:
        return 0;
    }
    return 0;
}

bool IsBlockCompressed(PixelFormat f)
{
    return f == PixelFormat::DXT1 || f == PixelFormat::DXT2 || f == PixelFormat::DXT3 || f == PixelFormat::DXT4 ||
           f == PixelFormat::DXT5;
}

bool IsDepthFormat(PixelFormat f)
{
    return f == PixelFormat::D16 || f == PixelFormat::D15S1 || f == PixelFormat::D24S8 || f == PixelFormat::D24X8 ||
           f == PixelFormat::D24X4S4 || f == PixelFormat::D32;
}

bool FormatHasStencil(PixelFormat f)
{
    return f == PixelFormat::D15S1 || f == PixelFormat::D24S8 || f == PixelFormat::D24X4S4;
}

bool FormatHasAlpha(PixelFormat f)
{
    return f == PixelFormat::A8R8G8B8 || f == PixelFormat::A1R5G5B5 || f == PixelFormat::A4R4G4B4 ||
           f == PixelFormat::A8 || IsBlockCompressed(f);
}

const char* FormatName(PixelFormat f)
{
    switch (f)
    {
    case PixelFormat::Unknown:
        return "UNKNOWN";
    case PixelFormat::R8G8B8:
        return "R8G8B8";
    case PixelFormat::A8R8G8B8:
        return "A8R8G8B8";
    case PixelFormat::X8R8G8B8:
        return "X8R8G8B8";
    case PixelFormat::R5G6B5:
        return "R5G6B5";
    case PixelFormat::X1R5G5B5:
        return "X1R5G5B5";
    case PixelFormat::A1R5G5B5:
        return "A1R5G5B5";
    case PixelFormat::A4R4G4B4:
        return "A4R4G4B4";
    case PixelFormat::X4R4G4B4:
        return "X4R4G4B4";
    case PixelFormat::A8:
        return "A8";
    case PixelFormat::DXT1:
        return "DXT1";
    case PixelFormat::DXT2:
        return "DXT2";
    case PixelFormat::DXT3:
        return "DXT3";
    case PixelFormat::DXT4:
        return "DXT4";
    case PixelFormat::DXT5:
        return "DXT5";
    case PixelFormat::D16:
        return "D16";
    case PixelFormat::D15S1:
        return "D15S1";
    case PixelFormat::D24S8:
        return "D24S8";
    case PixelFormat::D24X8:
        return "D24X8";
    case PixelFormat::D24X4S4:
        return "D24X4S4";
    case PixelFormat::D32:
        return "D32";
    case PixelFormat::Index16:
        return "INDEX16";
    case PixelFormat::Index32:
        return "INDEX32";
    case PixelFormat::VertexData:
        return "VERTEXDATA";
    }
    return "UNKNOWN";
}

uint32_t FvfVertexSize(uint32_t fvf)
{
    uint32_t size = 0;
    switch (fvf & Fvf::PositionMask)
    {
    case Fvf::XYZ:
        size = 12;
        break;
    case Fvf::XYZRHW:
        size = 16;
        break;
    default:
        return 0;
    }
    if (fvf & Fvf::Normal)
        size += 12;
    if (fvf & Fvf::Diffuse)
        size += 4;
    if (fvf & Fvf::Specular)
        size += 4;
    size += 8 * ((fvf & Fvf::TexCountMask) >> Fvf::TexCountShift);
    return size;
}

uint32_t DefaultRenderState(RenderState state)
{
    switch (state)
    {
    case RenderState::ZEnable:
    case RenderState::ZWriteEnable:
    case RenderState::LastPixel:
    case RenderState::Clipping:
    case RenderState::Lighting:
    case RenderState::ColourVertex:
    case RenderState::LocalViewer:
        return 1;
    case RenderState::FillMode:
        return FillMode::Solid;
    case RenderState::ShadeMode:
        return ShadeMode::Gouraud;
    case RenderState::SrcBlend:
        return BlendFactor::One;
    case RenderState::DestBlend:
        return BlendFactor::Zero;
    case RenderState::CullMode:
        return CullMode::CCW;
    case RenderState::ZFunc:
        return CompareFunc::LessEqual;
    case RenderState::AlphaFunc:
    case RenderState::StencilFunc:
        return CompareFunc::Always;
    case RenderState::FogEnd:
    case RenderState::FogDensity:
    case RenderState::PointSize:
        return FloatBits(1.0f);
    case RenderState::StencilFail:
    case RenderState::StencilZFail:
    case RenderState::StencilPass:
        return StencilOp::Keep;
    case RenderState::StencilMask:
    case RenderState::StencilWriteMask:
    case RenderState::TextureFactor:
        return 0xFFFFFFFFu;
    case RenderState::DiffuseMaterialSource:
        return MaterialSource::Colour1;
    case RenderState::SpecularMaterialSource:
        return MaterialSource::Colour2;
    case RenderState::ColourWriteEnable:
        return ColourWrite::All;
    case RenderState::BlendOp:
        return BlendOp::Add;
    default:
        return 0;
    }
}

uint32_t DefaultTextureStageState(uint32_t stage, TextureStageState state)
{
    switch (state)
    {
    case TextureStageState::ColourOp:
        return stage == 0 ? TextureOp::Modulate : TextureOp::Disable;
    case TextureStageState::AlphaOp:
        return stage == 0 ? TextureOp::SelectArg1 : TextureOp::Disable;
    case TextureStageState::ColourArg1:
    case TextureStageState::AlphaArg1:
        return TextureArg::Texture;
    case TextureStageState::ColourArg2:
    case TextureStageState::AlphaArg2:
    case TextureStageState::ColourArg0:
    case TextureStageState::AlphaArg0:
    case TextureStageState::ResultArg:
        return TextureArg::Current;
    case TextureStageState::TexCoordIndex:
        return stage;
    case TextureStageState::AddressU:
    case TextureStageState::AddressV:
    case TextureStageState::AddressW:
        return TextureAddress::Wrap;
    case TextureStageState::MagFilter:
    case TextureStageState::MinFilter:
        return TextureFilter::Point;
    case TextureStageState::MipFilter:
        return TextureFilter::None;
    case TextureStageState::MaxAnisotropy:
        return 1;
    default:
        return 0;
    }
}

namespace
{
GraphicsSystemFactory& InstalledFactory()
{
    static GraphicsSystemFactory factory;
    return factory;
}
} // namespace

GraphicsSystemPtr CreateGraphicsSystem()
{
    if (InstalledFactory())
        return InstalledFactory()();
    return CreateOpenGLSystem();
}

GraphicsSystemFactory SetGraphicsSystemFactory(GraphicsSystemFactory factory)
{
    GraphicsSystemFactory old = std::move(InstalledFactory());
    InstalledFactory() = std::move(factory);
    return old;
}

} // namespace platform
