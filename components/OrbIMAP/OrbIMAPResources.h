// Resource identifiers of OrbIMAP.dll.
#pragma once

#define IDR_ORBIMAP 101
