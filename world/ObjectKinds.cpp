// The kind -> class table.
#include "world/ObjectKinds.h"

namespace
{

ObjectFactory s_factories[kLastObjectKind + 1] = {};

bool IsKind(uint8_t kind)
{
    return kind >= kFirstObjectKind && kind <= kLastObjectKind;
}

} // namespace

void RegisterObjectKind(uint8_t kind, ObjectFactory factory)
{
    if (IsKind(kind))
        s_factories[kind] = factory;
}

ObjectFactory GetObjectFactory(uint8_t kind)
{
    return IsKind(kind) ? s_factories[kind] : nullptr;
}

void ClearObjectKinds()
{
    for (ObjectFactory& factory : s_factories)
        factory = nullptr;
}
