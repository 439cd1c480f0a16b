// The sorted list boxes of the program: the hidden catalogue store and the help screen.
#pragma once

#include "catalogue/platform_types.h"

// A child list box that keeps its lines sorted, with a caption bar and close box. Null on failure.
HWND CreateSortedListBox(HWND parent, unsigned controlId);
