// The GL device's states: the setters, and how the device's fixed-function state maps onto GL at a draw
// (depth, stencil, blending, rasterisation, fog, lighting, texture stages and their samplers).
#include "platform/gfx/GLDevice.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace platform
{

namespace
{

// ---------------------------------------------------------------- state mapping

GLenum GlCompare(uint32_t f)
{
    switch (f)
    {
    case CompareFunc::Never:
        return GL_NEVER;
    case CompareFunc::Less:
        return GL_LESS;
    case CompareFunc::Equal:
        return GL_EQUAL;
    case CompareFunc::LessEqual:
        return GL_LEQUAL;
    case CompareFunc::Greater:
        return GL_GREATER;
    case CompareFunc::NotEqual:
        return GL_NOTEQUAL;
    case CompareFunc::GreaterEqual:
        return GL_GEQUAL;
    default:
        return GL_ALWAYS;
    }
}

GLenum GlBlend(uint32_t f)
{
    switch (f)
    {
    case BlendFactor::Zero:
        return GL_ZERO;
    case BlendFactor::One:
        return GL_ONE;
    case BlendFactor::SrcColour:
        return GL_SRC_COLOR;
    case BlendFactor::InvSrcColour:
        return GL_ONE_MINUS_SRC_COLOR;
    case BlendFactor::SrcAlpha:
        return GL_SRC_ALPHA;
    case BlendFactor::InvSrcAlpha:
        return GL_ONE_MINUS_SRC_ALPHA;
    case BlendFactor::DestAlpha:
        return GL_DST_ALPHA;
    case BlendFactor::InvDestAlpha:
        return GL_ONE_MINUS_DST_ALPHA;
    case BlendFactor::DestColour:
        return GL_DST_COLOR;
    case BlendFactor::InvDestColour:
        return GL_ONE_MINUS_DST_COLOR;
    case BlendFactor::SrcAlphaSat:
        return GL_SRC_ALPHA_SATURATE;
    default:
        return GL_ONE;
    }
}

GLenum GlBlendOp(uint32_t op)
{
    switch (op)
    {
    case BlendOp::Subtract:
        return GL_FUNC_SUBTRACT;
    case BlendOp::RevSubtract:
        return GL_FUNC_REVERSE_SUBTRACT;
    case BlendOp::Min:
        return GL_MIN;
    case BlendOp::Max:
        return GL_MAX;
    default:
        return GL_FUNC_ADD;
    }
}

GLenum GlStencilOp(uint32_t op)
{
    switch (op)
    {
    case StencilOp::Zero:
        return GL_ZERO;
    case StencilOp::Replace:
        return GL_REPLACE;
    case StencilOp::IncrSat:
        return GL_INCR;
    case StencilOp::DecrSat:
        return GL_DECR;
    case StencilOp::Invert:
        return GL_INVERT;
    case StencilOp::Incr:
        return GL_INCR_WRAP;
    case StencilOp::Decr:
        return GL_DECR_WRAP;
    default:
        return GL_KEEP;
    }
}

GLenum GlAddress(uint32_t a)
{
    switch (a)
    {
    case TextureAddress::Mirror:
        return GL_MIRRORED_REPEAT;
    case TextureAddress::Clamp:
        return GL_CLAMP_TO_EDGE;
    case TextureAddress::Border:
        return GL_CLAMP_TO_BORDER;
    case TextureAddress::MirrorOnce:
        return Gl().mirrorClamp ? GL_MIRROR_CLAMP_TO_EDGE : GL_CLAMP_TO_EDGE;
    default:
        return GL_REPEAT;
    }
}

GLenum GlMinFilter(uint32_t minFilter, uint32_t mipFilter, bool hasMips)
{
    bool linear = minFilter != TextureFilter::Point && minFilter != TextureFilter::None;
    if (!hasMips || mipFilter == TextureFilter::None)
        return linear ? GL_LINEAR : GL_NEAREST;
    bool mipLinear = mipFilter != TextureFilter::Point;
    if (linear)
        return mipLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_NEAREST;
    return mipLinear ? GL_NEAREST_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST;
}

// A colour 0xAARRGGBB as GL's four floats (alpha 1 where the colour's alpha is not used).
std::array<float, 4> ColourFloats(uint32_t c, bool withAlpha = true)
{
    return {((c >> 16) & 255) / 255.0f, ((c >> 8) & 255) / 255.0f, (c & 255) / 255.0f,
            withAlpha ? (c >> 24) / 255.0f : 1.0f};
}

// One combiner source: where an argument comes from and which part of it is used.
void CombinerSource(uint32_t arg, bool alpha, GLenum* source, GLenum* operand)
{
    switch (arg & TextureArg::SelectMask)
    {
    case TextureArg::Diffuse:
    case TextureArg::Specular:
        *source = GL_PRIMARY_COLOR;
        break;
    case TextureArg::Texture:
        *source = GL_TEXTURE;
        break;
    case TextureArg::TFactor:
        *source = GL_CONSTANT;
        break;
    default:
        *source = GL_PREVIOUS;
        break;
    }
    bool complement = (arg & TextureArg::Complement) != 0;
    if (alpha || (arg & TextureArg::AlphaReplicate))
        *operand = complement ? GL_ONE_MINUS_SRC_ALPHA : GL_SRC_ALPHA;
    else
        *operand = complement ? GL_ONE_MINUS_SRC_COLOR : GL_SRC_COLOR;
}

// Sets the colour (alpha = false) or alpha combiner of a unit for one operation.
void SetCombiner(GLStateShadow& shadow, uint32_t unit, uint32_t op, uint32_t arg1, uint32_t arg2, uint32_t arg0,
                 bool alpha)
{
    const GLenum combine = alpha ? GL_COMBINE_ALPHA : GL_COMBINE_RGB;
    const GLenum sources[3] = {alpha ? GLenum(GL_SRC0_ALPHA) : GLenum(GL_SRC0_RGB),
                               alpha ? GLenum(GL_SRC1_ALPHA) : GLenum(GL_SRC1_RGB),
                               alpha ? GLenum(GL_SRC2_ALPHA) : GLenum(GL_SRC2_RGB)};
    const GLenum operands[3] = {alpha ? GLenum(GL_OPERAND0_ALPHA) : GLenum(GL_OPERAND0_RGB),
                                alpha ? GLenum(GL_OPERAND1_ALPHA) : GLenum(GL_OPERAND1_RGB),
                                alpha ? GLenum(GL_OPERAND2_ALPHA) : GLenum(GL_OPERAND2_RGB)};
    const GLenum scaleName = alpha ? GL_ALPHA_SCALE : GL_RGB_SCALE;
    GLenum mode = GL_MODULATE;
    float scale = 1.0f;
    uint32_t args[3] = {arg1, arg2, arg0};
    // A third source for the blending operations: an alpha that weights arg1 against arg2.
    int blendSource = -1;
    switch (op)
    {
    case TextureOp::SelectArg1:
        mode = GL_REPLACE;
        break;
    case TextureOp::SelectArg2:
        mode = GL_REPLACE;
        args[0] = arg2;
        break;
    case TextureOp::Modulate:
        break;
    case TextureOp::Modulate2x:
        scale = 2.0f;
        break;
    case TextureOp::Modulate4x:
        scale = 4.0f;
        break;
    case TextureOp::Add:
    case TextureOp::AddSmooth:
    case TextureOp::ModulateAlphaAddColour:
    case TextureOp::ModulateColourAddAlpha:
    case TextureOp::ModulateInvAlphaAddColour:
    case TextureOp::ModulateInvColourAddAlpha:
        mode = GL_ADD;
        break;
    case TextureOp::AddSigned:
        mode = GL_ADD_SIGNED;
        break;
    case TextureOp::AddSigned2x:
        mode = GL_ADD_SIGNED;
        scale = 2.0f;
        break;
    case TextureOp::Subtract:
        mode = GL_SUBTRACT;
        break;
    case TextureOp::BlendDiffuseAlpha:
        mode = GL_INTERPOLATE;
        blendSource = TextureArg::Diffuse;
        break;
    case TextureOp::BlendTextureAlpha:
    case TextureOp::BlendTextureAlphaPM:
        mode = GL_INTERPOLATE;
        blendSource = TextureArg::Texture;
        break;
    case TextureOp::BlendFactorAlpha:
        mode = GL_INTERPOLATE;
        blendSource = TextureArg::TFactor;
        break;
    case TextureOp::BlendCurrentAlpha:
        mode = GL_INTERPOLATE;
        blendSource = TextureArg::Current;
        break;
    case TextureOp::DotProduct3:
        mode = alpha ? GL_MODULATE : GL_DOT3_RGBA;
        break;
    case TextureOp::Lerp:
        mode = GL_INTERPOLATE;
        break;
    default: // Disable (of alpha only), Premodulate, bump mapping, MultiplyAdd: pass the current value on
        mode = GL_REPLACE;
        args[0] = TextureArg::Current;
        break;
    }
    if (blendSource >= 0)
        args[2] = static_cast<uint32_t>(blendSource) | TextureArg::AlphaReplicate;
    shadow.TexEnvi(unit, combine, static_cast<GLint>(mode));
    int used = mode == GL_REPLACE ? 1 : mode == GL_INTERPOLATE ? 3 : 2;
    for (int i = 0; i < used; ++i)
    {
        GLenum source, operand;
        CombinerSource(args[i], alpha, &source, &operand);
        if (mode == GL_INTERPOLATE && i == 2 && op != TextureOp::Lerp)
            operand = GL_SRC_ALPHA;
        shadow.TexEnvi(unit, sources[i], static_cast<GLint>(source));
        shadow.TexEnvi(unit, operands[i], static_cast<GLint>(operand));
    }
    shadow.TexEnvf(unit, scaleName, scale);
}

} // namespace

// ---------------------------------------------------------------- state

GfxResult GLDevice::SetTransform(TransformType type, const Matrix& matrix)
{
    if (type >= TransformType::Count)
        return GfxResult::InvalidCall;
    Matrix& current = m_aTransforms[static_cast<uint32_t>(type)];
    if (std::memcmp(current.Data(), matrix.Data(), sizeof(Matrix)) == 0)
        return GfxResult::Ok;
    current = matrix;
    m_bStatesChanged = true;
    if (type >= TransformType::Texture0)
        m_abCoordsDirty[static_cast<uint32_t>(type) - static_cast<uint32_t>(TransformType::Texture0)] = true;
    else
    {
        m_bMatricesDirty = true;
        if (type == TransformType::View)
            m_bLightsDirty = true;
    }
    return GfxResult::Ok;
}

GfxResult GLDevice::SetViewport(const Viewport& viewport)
{
    // An empty viewport is allowed: nothing is drawn or cleared until the next one.
    if (viewport.X + viewport.Width > m_params.backBufferWidth ||
        viewport.Y + viewport.Height > m_params.backBufferHeight || viewport.MinZ < 0.0f || viewport.MaxZ > 1.0f)
    {
        return GfxResult::InvalidCall;
    }
    m_viewport = viewport;
    m_bStatesChanged = m_bMatricesDirty = true;
    return GfxResult::Ok;
}

GfxResult GLDevice::SetMaterial(const MaterialDesc& material)
{
    m_material = material;
    m_bStatesChanged = m_bMaterialDirty = true;
    return GfxResult::Ok;
}

GfxResult GLDevice::SetLight(uint32_t index, const LightDesc& light)
{
    if (index >= kMaxLights)
        return GfxResult::InvalidCall;
    m_aLights[index] = light;
    m_bStatesChanged = m_bLightsDirty = true;
    return GfxResult::Ok;
}

GfxResult GLDevice::LightEnable(uint32_t index, bool enable)
{
    if (index >= kMaxLights)
        return GfxResult::InvalidCall;
    m_abLightEnabled[index] = enable;
    m_bStatesChanged = m_bLightsDirty = true;
    return GfxResult::Ok;
}

GfxResult GLDevice::SetRenderState(RenderState state, uint32_t value)
{
    if (state >= RenderState::Count)
        return GfxResult::InvalidCall;
    uint32_t& current = m_auRenderStates[static_cast<uint32_t>(state)];
    if (current == value)
        return GfxResult::Ok;
    current = value;
    m_bStatesChanged = true;
    switch (state)
    {
    case RenderState::TextureFactor:
        for (bool& dirty : m_abCombinerDirty)
            dirty = true;
        break;
    case RenderState::Ambient:
    case RenderState::SpecularEnable:
    case RenderState::DiffuseMaterialSource:
    case RenderState::AmbientMaterialSource:
    case RenderState::SpecularMaterialSource:
    case RenderState::EmissiveMaterialSource:
    case RenderState::ColourVertex:
        m_bMaterialDirty = true;
        break;
    default:
        break;
    }
    return GfxResult::Ok;
}

GfxResult GLDevice::SetTextureStageState(uint32_t stage, TextureStageState state, uint32_t value)
{
    if (stage >= kMaxTextureStages || state >= TextureStageState::Count)
        return GfxResult::InvalidCall;
    uint32_t& current = m_auStageStates[stage][static_cast<uint32_t>(state)];
    if (current == value)
        return GfxResult::Ok;
    current = value;
    m_bStatesChanged = true;
    switch (state)
    {
    case TextureStageState::AddressU:
    case TextureStageState::AddressV:
    case TextureStageState::AddressW:
    case TextureStageState::BorderColour:
    case TextureStageState::MagFilter:
    case TextureStageState::MinFilter:
    case TextureStageState::MipFilter:
    case TextureStageState::MipMapLodBias:
    case TextureStageState::MaxMipLevel:
    case TextureStageState::MaxAnisotropy:
        m_abSamplerDirty[stage] = true;
        break;
    case TextureStageState::TexCoordIndex:
    case TextureStageState::TextureTransformFlags:
        m_abCoordsDirty[stage] = true;
        break;
    default:
        m_abCombinerDirty[stage] = true;
        break;
    }
    return GfxResult::Ok;
}

// ---------------------------------------------------------------- applying state to GL

void GLDevice::ApplyViewport(bool pretransformed)
{
    GLsizei height = static_cast<GLsizei>(m_params.backBufferHeight);
    if (pretransformed)
    {
        // Screen-space vertices are placed by their own coordinates over the whole target.
        m_shadow.Viewport(0, 0, static_cast<GLsizei>(m_params.backBufferWidth), height);
        m_shadow.DepthRange(0.0f, 1.0f);
        m_shadow.LoadMatrix(GL_PROJECTION, MatrixIdentity());
        m_shadow.LoadMatrix(GL_MODELVIEW, MatrixIdentity());
        return;
    }
    m_shadow.Viewport(static_cast<GLint>(m_viewport.X), height - static_cast<GLint>(m_viewport.Y + m_viewport.Height),
                      static_cast<GLsizei>(m_viewport.Width), static_cast<GLsizei>(m_viewport.Height));
    m_shadow.DepthRange(m_viewport.MinZ, m_viewport.MaxZ);
}

void GLDevice::ApplyFixedState(uint32_t fvf, bool pretransformed)
{
    if (m_iLastPretransformed != static_cast<int>(pretransformed))
    {
        // Screen-space draws load identity matrices and no texture coordinate generation: the other kind reloads.
        m_iLastPretransformed = pretransformed;
        m_bMatricesDirty = true;
        for (bool& dirty : m_abCoordsDirty)
            dirty = true;
    }
    ApplyViewport(pretransformed);

    if (!pretransformed && m_bMatricesDirty)
    {
        // Projection: the device's projection after the z flip, then depth 0..1 to -1..1 and the shift that puts
        // pixel centres on whole screen coordinates (kPixelCentreShift; 2 / size in clip space is one pixel).
        Matrix fix = MatrixIdentity();
        fix.m[2][2] = 2.0f;
        fix.m[3][2] = -1.0f;
        fix.m[3][0] = 2.0f * kPixelCentreShift / static_cast<float>(m_viewport.Width);
        fix.m[3][1] = -2.0f * kPixelCentreShift / static_cast<float>(m_viewport.Height);
        m_shadow.LoadMatrix(GL_PROJECTION, FlipZ() * Transform(TransformType::Projection) * fix);
        m_shadow.LoadMatrix(GL_MODELVIEW, Transform(TransformType::World) * Transform(TransformType::View) * FlipZ());
        m_bMatricesDirty = false;
    }

    // depth and stencil
    m_shadow.Enable(GL_DEPTH_TEST, m_bHasDepth && Rs(RenderState::ZEnable) != 0);
    m_shadow.DepthFunc(GlCompare(Rs(RenderState::ZFunc)));
    m_shadow.DepthMask(Rs(RenderState::ZWriteEnable) != 0);
    uint32_t bias = Rs(RenderState::ZBias);
    m_shadow.Enable(GL_POLYGON_OFFSET_FILL, bias != 0);
    if (bias)
        m_shadow.PolygonOffset(-static_cast<float>(bias));
    bool stencil = m_bHasStencil && Rs(RenderState::StencilEnable) != 0;
    m_shadow.Enable(GL_STENCIL_TEST, stencil);
    if (stencil)
    {
        m_shadow.StencilFunc(GlCompare(Rs(RenderState::StencilFunc)), static_cast<GLint>(Rs(RenderState::StencilRef)),
                             Rs(RenderState::StencilMask));
        m_shadow.StencilOp(GlStencilOp(Rs(RenderState::StencilFail)), GlStencilOp(Rs(RenderState::StencilZFail)),
                           GlStencilOp(Rs(RenderState::StencilPass)));
        m_shadow.StencilMask(Rs(RenderState::StencilWriteMask));
    }

    // alpha test and blending
    m_shadow.Enable(GL_ALPHA_TEST, Rs(RenderState::AlphaTestEnable) != 0);
    if (Rs(RenderState::AlphaTestEnable))
        m_shadow.AlphaFunc(GlCompare(Rs(RenderState::AlphaFunc)),
                           static_cast<float>(Rs(RenderState::AlphaRef) & 255) / 255.0f);
    m_shadow.Enable(GL_BLEND, Rs(RenderState::AlphaBlendEnable) != 0);
    if (Rs(RenderState::AlphaBlendEnable))
    {
        m_shadow.BlendFunc(GlBlend(Rs(RenderState::SrcBlend)), GlBlend(Rs(RenderState::DestBlend)));
        m_shadow.BlendEquation(GlBlendOp(Rs(RenderState::BlendOp)));
    }
    uint32_t write = Rs(RenderState::ColourWriteEnable);
    m_shadow.ColourMask((write & ColourWrite::Red) != 0, (write & ColourWrite::Green) != 0,
                        (write & ColourWrite::Blue) != 0, (write & ColourWrite::Alpha) != 0);

    // rasterisation
    uint32_t cull = Rs(RenderState::CullMode);
    m_shadow.Enable(GL_CULL_FACE, cull == CullMode::CW || cull == CullMode::CCW);
    if (cull == CullMode::CW || cull == CullMode::CCW)
        m_shadow.CullFace(cull == CullMode::CCW ? GL_BACK : GL_FRONT);
    uint32_t fill = Rs(RenderState::FillMode);
    m_shadow.PolygonMode(fill == FillMode::Point ? GL_POINT : fill == FillMode::Wireframe ? GL_LINE : GL_FILL);
    m_shadow.ShadeModel(Rs(RenderState::ShadeMode) == ShadeMode::Flat ? GL_FLAT : GL_SMOOTH);
    m_shadow.PointSize(std::max(1.0f, BitsFloat(Rs(RenderState::PointSize))));

    // fog: by eye depth for transformed vertices; screen-space vertices take it from their specular alpha
    uint32_t table = Rs(RenderState::FogTableMode), vertex = Rs(RenderState::FogVertexMode);
    uint32_t mode = table != FogMode::None ? table : vertex;
    bool fog = Rs(RenderState::FogEnable) && mode != FogMode::None;
    if (pretransformed)
        fog = Rs(RenderState::FogEnable) && (fvf & Fvf::Specular) && table == FogMode::None;
    m_shadow.Enable(GL_FOG, fog);
    if (fog)
    {
        m_shadow.FogColour(ColourFloats(Rs(RenderState::FogColour), false));
        if (pretransformed)
        {
            m_shadow.Fogi(GL_FOG_COORD_SRC, GL_FOG_COORD);
            m_shadow.Fogi(GL_FOG_MODE, GL_LINEAR);
            m_shadow.Fogf(GL_FOG_START, 1.0f); // factor = coordinate
            m_shadow.Fogf(GL_FOG_END, 0.0f);
        }
        else
        {
            m_shadow.Fogi(GL_FOG_COORD_SRC, GL_FRAGMENT_DEPTH);
            m_shadow.Fogi(GL_FOG_MODE, mode == FogMode::Exp ? GL_EXP : mode == FogMode::Exp2 ? GL_EXP2 : GL_LINEAR);
            m_shadow.Fogf(GL_FOG_START, BitsFloat(Rs(RenderState::FogStart)));
            m_shadow.Fogf(GL_FOG_END, BitsFloat(Rs(RenderState::FogEnd)));
            m_shadow.Fogf(GL_FOG_DENSITY, BitsFloat(Rs(RenderState::FogDensity)));
        }
    }

    // lighting (never for screen-space vertices)
    bool lighting = !pretransformed && Rs(RenderState::Lighting) != 0;
    m_shadow.Enable(GL_LIGHTING, lighting);
    if (lighting)
        ApplyLighting(fvf);
    else
        m_shadow.Enable(GL_COLOR_MATERIAL, false); // unlit vertex colours must not reach the material
    m_shadow.Enable(GL_COLOR_SUM, !lighting && Rs(RenderState::SpecularEnable) && (fvf & Fvf::Specular));
}

void GLDevice::ApplyLighting(uint32_t fvf)
{
    GLApi& gl = Gl();
    if (m_bLightsDirty)
    {
        // Light directions are in world space: give them with the view transform loaded. GL keeps them in eye space
        // from then on, so only new lights or a new view give them again.
        m_shadow.LoadMatrix(GL_MODELVIEW, Transform(TransformType::View) * FlipZ());
        for (uint32_t i = 0; i < kMaxLights; ++i)
        {
            GLenum light = GL_LIGHT0 + i;
            m_shadow.Enable(light, m_abLightEnabled[i]);
            if (!m_abLightEnabled[i])
                continue;
            const LightDesc& l = m_aLights[i];
            GLfloat diffuse[4] = {l.diffuse.r, l.diffuse.g, l.diffuse.b, l.diffuse.a};
            GLfloat specular[4] = {l.specular.r, l.specular.g, l.specular.b, l.specular.a};
            GLfloat ambient[4] = {l.ambient.r, l.ambient.g, l.ambient.b, l.ambient.a};
            gl.Lightfv(light, GL_DIFFUSE, diffuse);
            gl.Lightfv(light, GL_SPECULAR, specular);
            gl.Lightfv(light, GL_AMBIENT, ambient);
            if (l.type == LightType::Directional)
            {
                GLfloat towards[4] = {-l.direction.x, -l.direction.y, -l.direction.z, 0.0f};
                gl.Lightfv(light, GL_POSITION, towards);
                gl.Lightf(light, GL_SPOT_CUTOFF, 180.0f);
                gl.Lightf(light, GL_CONSTANT_ATTENUATION, 1.0f);
                gl.Lightf(light, GL_LINEAR_ATTENUATION, 0.0f);
                gl.Lightf(light, GL_QUADRATIC_ATTENUATION, 0.0f);
            }
            else
            {
                GLfloat position[4] = {l.position.x, l.position.y, l.position.z, 1.0f};
                gl.Lightfv(light, GL_POSITION, position);
                gl.Lightf(light, GL_CONSTANT_ATTENUATION, l.attenuation0);
                gl.Lightf(light, GL_LINEAR_ATTENUATION, l.attenuation1);
                gl.Lightf(light, GL_QUADRATIC_ATTENUATION, l.attenuation2);
                if (l.type == LightType::Spot)
                {
                    GLfloat direction[3] = {l.direction.x, l.direction.y, l.direction.z};
                    gl.Lightfv(light, GL_SPOT_DIRECTION, direction);
                    gl.Lightf(light, GL_SPOT_CUTOFF, std::clamp(l.phi * 0.5f * 57.29578f, 0.0f, 90.0f));
                    gl.Lightf(light, GL_SPOT_EXPONENT, std::clamp(l.falloff, 0.0f, 128.0f));
                }
                else
                {
                    gl.Lightf(light, GL_SPOT_CUTOFF, 180.0f);
                }
            }
        }
        m_shadow.LoadMatrix(GL_MODELVIEW, Transform(TransformType::World) * Transform(TransformType::View) * FlipZ());
        m_bLightsDirty = false;
    }

    m_shadow.LightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, Rs(RenderState::LocalViewer) ? GL_TRUE : GL_FALSE);
    m_shadow.LightModeli(GL_LIGHT_MODEL_COLOR_CONTROL,
                         Rs(RenderState::SpecularEnable) ? GL_SEPARATE_SPECULAR_COLOR : GL_SINGLE_COLOR);
    m_shadow.Enable(GL_NORMALIZE, Rs(RenderState::NormalizeNormals) != 0);

    // Vertex colours feed the material only where the layout has them.
    bool colourVertex = Rs(RenderState::ColourVertex) != 0;
    auto fromVertex = [&](RenderState source)
    {
        uint32_t s = Rs(source);
        return colourVertex && ((s == MaterialSource::Colour1 && (fvf & Fvf::Diffuse)) ||
                                (s == MaterialSource::Colour2 && (fvf & Fvf::Specular)));
    };
    bool diffuse = fromVertex(RenderState::DiffuseMaterialSource);
    bool ambient = fromVertex(RenderState::AmbientMaterialSource);
    bool emissive = fromVertex(RenderState::EmissiveMaterialSource);
    bool specular = fromVertex(RenderState::SpecularMaterialSource);
    GLenum tracked = 0;
    if (diffuse && ambient)
        tracked = GL_AMBIENT_AND_DIFFUSE;
    else if (diffuse)
        tracked = GL_DIFFUSE;
    else if (ambient)
        tracked = GL_AMBIENT;
    else if (emissive)
        tracked = GL_EMISSION;
    else if (specular)
        tracked = GL_SPECULAR;
    // Colour tracking overwrites the tracked part of the material at every vertex, and only that part: the
    // material is written again when it changed or another part was tracked. It is written before tracking
    // starts, so that the tracked part follows the vertices.
    if (m_bMaterialDirty || tracked != m_uTrackedMaterial)
    {
        m_shadow.Enable(GL_COLOR_MATERIAL, false);
        const MaterialDesc& m = m_material;
        bool specularOn = Rs(RenderState::SpecularEnable) != 0;
        GLfloat md[4] = {m.diffuse.r, m.diffuse.g, m.diffuse.b, m.diffuse.a};
        GLfloat ma[4] = {m.ambient.r, m.ambient.g, m.ambient.b, m.ambient.a};
        GLfloat ms[4] = {specularOn ? m.specular.r : 0.0f, specularOn ? m.specular.g : 0.0f,
                         specularOn ? m.specular.b : 0.0f, m.specular.a};
        GLfloat me[4] = {m.emissive.r, m.emissive.g, m.emissive.b, m.emissive.a};
        gl.Materialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, md);
        gl.Materialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ma);
        gl.Materialfv(GL_FRONT_AND_BACK, GL_SPECULAR, ms);
        gl.Materialfv(GL_FRONT_AND_BACK, GL_EMISSION, me);
        gl.Materialf(GL_FRONT_AND_BACK, GL_SHININESS, std::clamp(m.power, 0.0f, 128.0f));
        m_shadow.LightModelAmbient(ColourFloats(Rs(RenderState::Ambient), false));
        if (tracked)
            gl.ColorMaterial(GL_FRONT_AND_BACK, tracked);
        m_uTrackedMaterial = tracked;
        m_bMaterialDirty = false;
    }
    m_shadow.Enable(GL_COLOR_MATERIAL, tracked != 0);
}

GLSamplerKey GLDevice::SamplerKeyOf(uint32_t unit, const GLTexture* texture) const
{
    const GLApi& gl = Gl();
    GLSamplerKey key;
    bool hasMips = texture && texture->levels.size() > 1;
    key.minFilter =
        GlMinFilter(Tss(unit, TextureStageState::MinFilter), Tss(unit, TextureStageState::MipFilter), hasMips);
    key.magFilter = Tss(unit, TextureStageState::MagFilter) == TextureFilter::Point ? GL_NEAREST : GL_LINEAR;
    key.border = ColourFloats(Tss(unit, TextureStageState::BorderColour));
    key.wrapS = GlAddress(Tss(unit, TextureStageState::AddressU));
    key.wrapT = GlAddress(Tss(unit, TextureStageState::AddressV));
    key.bias = BitsFloat(Tss(unit, TextureStageState::MipMapLodBias));
    key.minLod = static_cast<float>(Tss(unit, TextureStageState::MaxMipLevel));
    key.anisotropy =
        std::clamp(static_cast<float>(Tss(unit, TextureStageState::MaxAnisotropy)), 1.0f, gl.maxAnisotropy);
    if (Tss(unit, TextureStageState::MinFilter) != TextureFilter::Anisotropic)
        key.anisotropy = 1.0f;
    return key;
}

void GLDevice::ApplySampler(uint32_t unit, GLTexture* texture)
{
    GLApi& gl = Gl();
    GLSamplerKey key = SamplerKeyOf(unit, texture);
    // With sampler objects each unit has its own; without, the parameters belong to the bound texture.
    std::optional<GLSamplerKey>& known =
        gl.samplers ? m_aSamplerKeys[unit] : (texture ? texture->sampling : m_whiteSampling);
    if (known == key)
        return;
    known = key;
    if (gl.samplers)
    {
        GLuint s = m_aSamplers[unit];
        gl.SamplerParameteri(s, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(key.minFilter));
        gl.SamplerParameteri(s, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(key.magFilter));
        gl.SamplerParameteri(s, GL_TEXTURE_WRAP_S, static_cast<GLint>(key.wrapS));
        gl.SamplerParameteri(s, GL_TEXTURE_WRAP_T, static_cast<GLint>(key.wrapT));
        gl.SamplerParameterfv(s, GL_TEXTURE_BORDER_COLOR, key.border.data());
        gl.SamplerParameterf(s, GL_TEXTURE_LOD_BIAS, key.bias);
        gl.SamplerParameterf(s, GL_TEXTURE_MIN_LOD, key.minLod);
        if (gl.anisotropic)
            gl.SamplerParameterf(s, GL_TEXTURE_MAX_ANISOTROPY, key.anisotropy);
        return;
    }
    m_shadow.ActiveUnit(unit);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(key.minFilter));
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(key.magFilter));
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(key.wrapS));
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(key.wrapT));
    gl.TexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, key.border.data());
    gl.TexParameterf(GL_TEXTURE_2D, GL_TEXTURE_LOD_BIAS, key.bias);
    gl.TexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_LOD, key.minLod);
    if (gl.anisotropic)
        gl.TexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY, key.anisotropy);
}

void GLDevice::ApplyCombiner(uint32_t unit)
{
    SetCombiner(m_shadow, unit, Tss(unit, TextureStageState::ColourOp), Tss(unit, TextureStageState::ColourArg1),
                Tss(unit, TextureStageState::ColourArg2), Tss(unit, TextureStageState::ColourArg0), false);
    SetCombiner(m_shadow, unit, Tss(unit, TextureStageState::AlphaOp), Tss(unit, TextureStageState::AlphaArg1),
                Tss(unit, TextureStageState::AlphaArg2), Tss(unit, TextureStageState::AlphaArg0), true);
    m_shadow.TexEnvColour(unit, ColourFloats(Rs(RenderState::TextureFactor)));
}

void GLDevice::ApplyCoordinates(uint32_t unit, bool pretransformed)
{
    // Generation in camera space, and the texture matrix in the device's conventions.
    uint32_t index = Tss(unit, TextureStageState::TexCoordIndex);
    uint32_t gen = pretransformed ? 0 : index & TexCoordGen::Mask;
    GLint genMode = gen == TexCoordGen::CameraSpaceNormal     ? GL_NORMAL_MAP
                    : gen == TexCoordGen::CameraSpacePosition ? GL_EYE_LINEAR
                                                              : GL_REFLECTION_MAP;
    for (GLenum coord : {GL_S, GL_T, GL_R})
    {
        if (gen)
            m_shadow.TexGenMode(unit, coord, genMode);
        m_shadow.EnableOnUnit(unit,
                              coord == GL_S   ? GL_TEXTURE_GEN_S
                              : coord == GL_T ? GL_TEXTURE_GEN_T
                                              : GL_TEXTURE_GEN_R,
                              gen != 0);
    }
    uint32_t flags = Tss(unit, TextureStageState::TextureTransformFlags);
    if (pretransformed || (flags & 0xFF) == TextureTransform::Disable)
    {
        m_shadow.LoadMatrix(GL_TEXTURE, MatrixIdentity(), unit);
        return;
    }
    Matrix t = Transform(TextureTransformOf(unit));
    if (gen)
    {
        // Generated coordinates arrive in GL's eye space: undo the z flip first.
        t = FlipZ() * t;
    }
    else
    {
        // Two-component coordinates enter as (u, v, 1, 0) on the device but (u, v, 0, 1) in GL (the last column is
        // set below).
        for (int c = 0; c < 3; ++c)
            std::swap(t.m[2][c], t.m[3][c]);
    }
    uint32_t count = std::clamp<uint32_t>(flags & 0xFF, 1, 4);
    for (int r = 0; r < 4; ++r)
        t.m[r][3] = (flags & TextureTransform::Projected) ? t.m[r][count - 1] : (r == 3 ? 1.0f : 0.0f);
    m_shadow.LoadMatrix(GL_TEXTURE, t, unit);
}

uint32_t GLDevice::ApplyStages(bool pretransformed)
{
    // The stages up to the first disabled one run; the units past them are switched off.
    uint32_t active = 0;
    while (active < m_uUnits && Tss(active, TextureStageState::ColourOp) != TextureOp::Disable)
        ++active;
    for (uint32_t unit = 0; unit < m_uUnits; ++unit)
    {
        if (unit >= active)
        {
            m_shadow.EnableOnUnit(unit, GL_TEXTURE_2D, false);
            for (GLenum gen : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R})
                m_shadow.EnableOnUnit(unit, gen, false);
            m_abCoordsDirty[unit] = true; // generation may be needed again when the unit comes back
            continue;
        }
        m_shadow.EnableOnUnit(unit, GL_TEXTURE_2D, true);
        // A white texture stands in on stages that have none, so that their operations still run.
        GLTexture* texture = m_apTextures[unit];
        if (texture && !texture->name)
            UploadTexture(texture, unit);
        m_shadow.BindTexture(unit, texture ? texture->name : m_whiteTexture);
        if (m_abSamplerDirty[unit] || m_apSamplerTexture[unit] != texture || !Gl().samplers)
        {
            ApplySampler(unit, texture);
            m_apSamplerTexture[unit] = texture;
            m_abSamplerDirty[unit] = false;
        }
        if (m_abCombinerDirty[unit])
        {
            ApplyCombiner(unit);
            m_abCombinerDirty[unit] = false;
        }
        if (m_abCoordsDirty[unit])
        {
            ApplyCoordinates(unit, pretransformed);
            m_abCoordsDirty[unit] = false;
        }
    }
    return active;
}

} // namespace platform
