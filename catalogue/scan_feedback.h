// What a scan shows while it runs: a progress step, and now and then the path being added.
#pragma once

void ScanStepProgress();
void ScanShowStatus(const char* path);
