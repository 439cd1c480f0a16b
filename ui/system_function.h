// Functions of system DLLs that some supported Windows versions lack, looked up at run time.
#pragma once

#include "catalogue/platform_types.h"

// A function of a system DLL looked up at run time, as the type its caller needs; null when the
// DLL lacks it. The cast goes through the generic function type, which every function pointer
// converts from and to.
template <typename Function>
Function SystemFunction(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
