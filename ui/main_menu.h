// The menu bar, built at run time from an in-memory extended menu template.
#pragma once

#include "catalogue/platform_types.h"

HMENU BuildMainMenu();
