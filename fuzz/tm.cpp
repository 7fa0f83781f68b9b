// Fuzz target: ".tm" model files, read as the model manager reads them (with the derived capsules and the vertex
// cache reordering) and turned into the optimised layout as the loader then does.
#include "engine/render/OptModel.h"
#include "engine/render/TmFormat.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    TmReadResult result = ReadTmModel(data, size);
    if (result.m_uBytesRead > size)
        __builtin_trap(); // read past the bytes given
    if (!result.m_pModel)
        return 0;
    SModel& model = *result.m_pModel;
    model.m_uFrameCount = model.m_uLargestKeyTime;
    model.FindLocator("");
    model.FindLocator("root");
    bool stored = true;
    std::unique_ptr<OptModel> opt = BuildOptModel(model, &stored);
    if (opt)
        opt->FindLocator("root");
    return 0;
}
