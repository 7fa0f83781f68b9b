// Shared pieces of the fuzz targets: a quiet report sink, a private working folder and file writers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzsupport
{

// Installs a sink that drops message boxes and debugger output, and makes a fresh folder under the temporary
// folder the working directory, so readers that take relative game paths find what the target writes there.
// Safe to call on every input; the work is done once.
void Init();

// Writes the bytes as a file of that (relative) name in the working folder, creating folders on the way; the name
// may use backslashes as game paths do. Returns the name as given.
std::string WriteFile(const char* name, const uint8_t* data, size_t size);

// Writes the bytes scrambled, as the game's ".ble" files are stored, under the name's ".ble" form (the name given
// is the plain one, as the readers are asked for it). Returns the ".ble" name written.
std::string WriteBleFile(const char* name, const uint8_t* data, size_t size);

// Removes a file written by the above, if it is there.
void RemoveFile(const char* name);

// Message boxes shown since Init.
uint64_t MessageBoxCount();

} // namespace fuzzsupport
