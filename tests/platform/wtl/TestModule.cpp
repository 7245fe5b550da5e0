// The application module of the window-layer test program.
#include <atlapp.h>

CAppModule _Module;
