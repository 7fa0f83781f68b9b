// The park's object classes, entered in the world's kind table.
#pragma once

// Registers the class of every park object kind that exists so far with the world's kind table.
void RegisterParkObjectKinds();
