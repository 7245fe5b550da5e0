// Main windows made and destroyed one after another in one process give back every GDI and USER object,
// handle and thread they took.
#include <windows.h>

#include <gtest/gtest.h>

#include "MainFrameFixture.h"
#include "tests/support/ProcessResources.h"

namespace
{
// More windows than one test process makes: a few objects kept per window add up to a process that can
// no longer make one.
const int kFrames = 30;
const int kMostWarmUpFrames = 10;

void MakeAndDestroyFrame()
{
    CMainFrameFixture store;
    ASSERT_NE(nullptr, store.Start());
    store.Stop();
}
} // namespace

TEST(MainFrameResourcesTest, FramesMadeAndDestroyedInARowGiveBackWhatTheyTook)
{
    // The first windows load what the process then keeps for good (libraries, classes, the system's
    // caches): made until one more adds nothing, or a few, after which a leak shows in the count below.
    CProcessResources start = CProcessResources::Read();
    for (int i = 0; i < kMostWarmUpFrames; i++)
    {
        MakeAndDestroyFrame();
        CProcessResources now = CProcessResources::Read();
        if (now == start)
            break;
        start = now;
    }
    for (int i = 0; i < kFrames; i++)
    {
        MakeAndDestroyFrame();
        ASSERT_FALSE(HasFatalFailure()) << "frame " << i + 1;
    }
    EXPECT_EQ(start.Describe(), CProcessResources::Read().Describe());
}
