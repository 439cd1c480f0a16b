#include "catalogue/scan_feedback_native.h"

#include "catalogue/bounded_text.h"
#include "catalogue/scan_feedback.h"

NativeScanFeedback nativeScanFeedback;

void ScanStepProgress()
{
    ++nativeScanFeedback.steps;
}

void ScanShowStatus(const char* path)
{
    ++nativeScanFeedback.statusUpdates;
    CopyText(nativeScanFeedback.lastStatus, path);
}

// Nothing is painted natively.
void ScanEnteredFolder() {}

// Steps are counted as they are taken: nothing waits to be given.
void ScanFeedbackSettle() {}
