// The park's object classes, entered in the world's kind table.
#include "park/ParkObjectKinds.h"

#include "world/ObjectKinds.h"

void RegisterParkObjectKinds()
{
    // Scenery, buildings, guests, tables, shop servers, mechanics, cleaners, zookeepers, animals and litter
    // register here as their classes are written; a kind with no class is refused by the object manager.
}
