// The park's object classes, entered in the world's kind table.
#include "park/ParkObjectKinds.h"

#include "park/AnimalObject.h"
#include "park/BuildingObject.h"
#include "world/ObjectKinds.h"

void RegisterParkObjectKinds()
{
    // Scenery, guests, tables, shop servers, mechanics, cleaners, zookeepers and litter register here as
    // their classes are written; a kind with no class is refused by the object manager.
    RegisterObjectKind(OBJECT_BUILDING, []() -> BaseObject* { return new BuildingObject; });
    RegisterObjectKind(OBJECT_ANIMAL, []() -> BaseObject* { return new AnimalObject; });
}
