// Resource ids of the test-only COM server.
#pragma once

#define IDR_ATLTESTOBJECT 101
