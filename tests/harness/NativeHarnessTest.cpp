// The native build runs its tests under AddressSanitizer, which must catch a heap overflow.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

TEST(NativeHarness, AddressSanitizerIsActive)
{
#if defined(__SANITIZE_ADDRESS__)
    SUCCEED();
#else
    FAIL() << "the native build must be compiled with -fsanitize=address";
#endif
}

TEST(NativeHarness, HeapOverflowIsCaught)
{
    EXPECT_DEATH(
        {
            char* volatile p = static_cast<char*>(std::malloc(8));
            std::memset(p, 'x', 9);
            std::free(p);
        },
        "heap-buffer-overflow");
}
