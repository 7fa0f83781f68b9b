// A park object made on a creation request takes the rest of its request once the World has placed it.
#pragma once

#include <cstdint>

class RequestedObject
{
public:
    virtual ~RequestedObject() = default;
    // The request record of the object's kind (world/CreationRequests.h); false refuses the object.
    virtual bool SetUpFromRequest(uint8_t kind, const void* request) = 0;
};
