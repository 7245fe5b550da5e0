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
const int kWarmUpFrames = 3;

void MakeAndDestroyFrame()
{
    CMainFrameFixture store;
    ASSERT_NE(nullptr, store.Start());
    store.Stop();
}
} // namespace

TEST(MainFrameResourcesTest, FramesMadeAndDestroyedInARowGiveBackWhatTheyTook)
{
    // The first windows load what the process then keeps for good: libraries, classes, the system's
    // cached device contexts.
    for (int i = 0; i < kWarmUpFrames; i++)
        MakeAndDestroyFrame();
    CProcessResources start = CProcessResources::Read();
    for (int i = 0; i < kFrames; i++)
    {
        MakeAndDestroyFrame();
        ASSERT_FALSE(HasFatalFailure()) << "frame " << i + 1;
    }
    EXPECT_EQ(start.Describe(), CProcessResources::Read().Describe());
}
