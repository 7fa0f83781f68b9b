// Money as the park books and shows it: whole cents, and the money text "$12.50" / "-$3.25".
#pragma once

#include "platform/WideText.h"

// The amount rounded to the nearest cent (halves away from zero); NaN counts as 0 and amounts beyond
// +-2,000,000,000 dollars are held there.
float RoundToCents(float dollars);

// "$%d.%02d", or "-$%d.%02d" for an amount below 0, of the amount rounded to whole cents first, so the cents never
// show 100 (5.999 reads "$6.00").
platform::WString FormatMoney(float dollars);
