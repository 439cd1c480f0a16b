// What a scan shows while it runs: a progress step, and now and then the path being added.
#pragma once

void ScanStepProgress();
void ScanShowStatus(const char* path);
// The walk goes into a folder: the controls are shown if it is time, as at a step.
void ScanEnteredFolder();
// The walk is over: every step taken and the last status text are given to the controls.
void ScanFeedbackSettle();
