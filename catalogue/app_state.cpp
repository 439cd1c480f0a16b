#include "catalogue/app_state.h"

AppState appState;

void ResetAppState()
{
    appState = AppState{};
}
