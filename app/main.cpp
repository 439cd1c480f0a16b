#include "catalogue/app_state.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    appState.instance = instance;
    return 0;
}
