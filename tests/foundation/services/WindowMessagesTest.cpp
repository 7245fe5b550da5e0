// Tests of the registered window messages.
#include "foundation/WindowMessages.h"

#include <set>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace
{
std::vector<UINT> CurrentIds()
{
    return {LetrovaSplitVertical,  LetrovaSplitHorizontal,      LetrovaGetTable,      LetrovaGetDatabase,
            LetrovaGetOrbDatabase, LetrovaGetAccountsDatabase,  LetrovaGetMyDatabase, LetrovaGetRegistry,
            LetrovaGetIdThread,    LetrovaGethEventDlgProgress, LetrovaEnable,        LetrovaNotifyIcon};
}
} // namespace

TEST(WindowMessages, TwelveDistinctIdsThatEveryThreadShares)
{
    RegisterLetrovaMessages();
    std::vector<UINT> ids = CurrentIds();
    std::set<UINT> distinct(ids.begin(), ids.end());
    EXPECT_EQ(ids.size(), distinct.size());
    for (UINT id : ids)
        EXPECT_GE(id, 0xC000u);
    EXPECT_EQ(RegisterWindowMessageA("LetrovaGetRegistry"), LetrovaGetRegistry);
    EXPECT_EQ(RegisterWindowMessageA("LetrovaGethEventDlgProgress"), LetrovaGethEventDlgProgress);

    std::vector<std::vector<UINT>> seen(4);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); i++)
        threads.emplace_back(
            [&seen, i]
            {
                RegisterLetrovaMessages();
                seen[i] = CurrentIds();
            });
    for (std::thread& thread : threads)
        thread.join();
    for (const std::vector<UINT>& other : seen)
        EXPECT_EQ(ids, other);

    UINT uAreYouMe = RegisterLetrovaAreYouMe();
    EXPECT_EQ(RegisterWindowMessageA("LetrovaAreYouMe"), uAreYouMe);
    EXPECT_EQ(0u, distinct.count(uAreYouMe));
}
