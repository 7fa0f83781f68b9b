// Writing models: the ".tm" source form and the optimised layout, field by field, exactly as the engine reads them.
#pragma once

#include "engine/render/OptModel.h"
#include "engine/render/TmFormat.h"

#include <cstdint>
#include <vector>

namespace tmtool
{

// The bytes of a .tm file holding the model (texture handles and the loader's own fields written as 0).
std::vector<uint8_t> WriteTmModel(const SModel& model);

// The bytes of the optimised layout of the model; its levels' parts are taken from the engine-wide tables and
// their channels from the channel store.
std::vector<uint8_t> WriteOptModel(const OptModel& model);

} // namespace tmtool
