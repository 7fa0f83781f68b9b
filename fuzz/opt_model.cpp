// Fuzz target: the optimised model layout read from its bytes, as the model manager reads a file that is not a
// ".tm" (without textures or a renderer to check the state sets).
#include "engine/render/OptModel.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    OptReadOptions options;
    options.m_bLoadTextures = false;
    options.m_bValidate = false;
    std::unique_ptr<OptModel> model = ReadOptModel(data, size, options);
    if (model)
    {
        model->FindLocator("");
        model->FindLocator("root");
    }
    return 0;
}
