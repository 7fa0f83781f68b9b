// The text form of a model: every field of the ".tm" source form as keyword lines, so that models can be written
// by hand and any file inspected. Dumping a model and parsing the text back gives the same model.
#pragma once

#include "engine/render/OptModel.h"
#include "engine/render/TmFormat.h"

#include <string>

namespace tmtool
{

// Parses the text into the model; false with "line N: ..." in `error` when the text is not a model.
bool ParseModelText(const std::string& text, SModel* model, std::string* error);

// The model as text: fields at their defaults are left out.
std::string DumpModelText(const SModel& model);

// A summary of an optimised model (bones, meshes, levels with their parts and textures), for reading only.
std::string DumpOptModelText(const OptModel& model);

} // namespace tmtool
