// The park layer's side of the World: its managers and what its object classes tell the World.
#pragma once

// Registers the park layer with the World (see world/ParkServices.h).
void RegisterParkWorldServices();
