// The tracking line of a dragged splitter bar: drawn inverted, so drawing it again removes it.
#pragma once

#include <windows.h>

void DrawHorizontalTrackingLine(HWND hWndParent, int y);
void DrawVerticalTrackingLine(HWND hWndParent, int x);
