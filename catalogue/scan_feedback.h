// What a scan shows while it runs: a progress step, and now and then the path being added.
#pragma once

void ScanStepProgress();
void ScanShowStatus(const char* path);
// The walk is over: every step taken and the last status text are given to the controls.
void ScanFeedbackSettle();
