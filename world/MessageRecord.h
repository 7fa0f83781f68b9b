// MessageRecord lives with the script languages, which build and post messages; the world includes it from here.
#pragma once

#include "scripts/MessageRecord.h"
