// What a building asks of its tables: the table class answers it.
#pragma once

#include <cstdint>

class TableSeats
{
public:
    virtual ~TableSeats() = default;
    // None of the table's chairs is taken.
    virtual bool IsFree() const = 0;
    // True when a free chair was given to the guest.
    virtual bool ReserveSeat(uint32_t guest) = 0;
    // True when the guest held a chair of this table, which is now free.
    virtual bool ReleaseSeat(uint32_t guest) = 0;
};
