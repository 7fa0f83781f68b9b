// The park's object classes, entered in the world's kind table.
#include "park/ParkObjectKinds.h"

#include "park/AnimalObject.h"
#include "park/BuildingObject.h"
#include "park/GuestObject.h"
#include "park/LitterObject.h"
#include "park/SceneryObject.h"
#include "park/TableObject.h"
#include "world/ObjectKinds.h"

void RegisterParkObjectKinds()
{
    // Shop servers, mechanics, cleaners and zookeepers register here as their classes are written; a kind with no
    // class is refused by the object manager.
    RegisterObjectKind(OBJECT_BUILDING, []() -> BaseObject* { return new BuildingObject; });
    RegisterObjectKind(OBJECT_ANIMAL, []() -> BaseObject* { return new AnimalObject; });
    RegisterObjectKind(OBJECT_SCENERY, []() -> BaseObject* { return new Scenery; });
    RegisterObjectKind(OBJECT_GUEST, []() -> BaseObject* { return new GuestObject; });
    RegisterObjectKind(OBJECT_TABLE, []() -> BaseObject* { return new TableObject; });
    RegisterObjectKind(OBJECT_LITTER, []() -> BaseObject* { return new LitterObject; });
}
