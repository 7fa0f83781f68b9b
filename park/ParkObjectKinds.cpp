// The park's object classes, entered in the world's kind table.
#include "park/ParkObjectKinds.h"

#include "park/AnimalObject.h"
#include "park/BuildingObject.h"
#include "park/CleanerObject.h"
#include "park/GuestObject.h"
#include "park/LitterObject.h"
#include "park/MechanicObject.h"
#include "park/SceneryObject.h"
#include "park/ServerObject.h"
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
    RegisterObjectKind(OBJECT_SERVER, []() -> BaseObject* { return new ServerObject; });
    RegisterObjectKind(OBJECT_MECHANIC, []() -> BaseObject* { return new MechanicObject; });
    RegisterObjectKind(OBJECT_CLEANER, []() -> BaseObject* { return new CleanerObject; });
    RegisterObjectKind(OBJECT_ZOOKEEPER, []() -> BaseObject* { return new ZooKeeperObject; });
}
