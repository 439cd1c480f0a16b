// What the native build records of a scan's feedback, for tests.
#pragma once

#include "catalogue/app_state.h"

struct NativeScanFeedback {
    unsigned steps;          // progress steps taken
    unsigned statusUpdates;  // status texts shown
    EntryText lastStatus;    // the last status text
};

extern NativeScanFeedback nativeScanFeedback;
