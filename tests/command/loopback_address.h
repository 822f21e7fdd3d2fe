#pragma once
// Kept for the test folders that still include it from here.
#include "tests/support/loopback_address.h"
