// Property checks of the fuzz targets: a broken one aborts with its text, so the report names it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                               \
    ((condition) ? (void)0                                                                                  \
                 : (fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__),     \
                    abort()))
