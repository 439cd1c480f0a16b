// The About box.
#pragma once

// Shows the platform's standard About box, owned by the main window, with the program's name and
// the version of its own file.
void ShowAboutBox();
