// The park layer's one registration with the World: what the program and the tests call before a park is built.
#pragma once

// Enters the class of every park object kind written so far in the world's kind table and registers the park's
// services (its managers and what its classes tell the World). Kinds without a park class keep whatever class is
// registered for them.
void RegisterParkLayer();
// Takes the registrations back: the kind table is emptied and the World is left without the park's services.
void UnregisterParkLayer();
