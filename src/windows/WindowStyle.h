#pragma once
// The style every installer window takes once its skin is loaded: no native
// caption or maximise box, children clipped, never above other programs.

#include <windows.h>

void ApplyInstallerWindowStyle(HWND window);
