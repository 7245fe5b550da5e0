// Main windows made and destroyed one after another in one process give back every GDI and USER object,
// handle and thread they took.
#include <windows.h>

#include <gtest/gtest.h>

#include "MainFrameFixture.h"
#include "tests/support/ProcessResources.h"

namespace
{
// Well past the twenty windows after which a leak once stopped the next one from coming up.
const int kFrames = 30;

void MakeAndDestroyFrame()
{
    CMainFrameFixture store;
    ASSERT_NE(nullptr, store.Start());
    store.Stop();
}
} // namespace

TEST(MainFrameResourcesTest, FramesMadeAndDestroyedInARowGiveBackWhatTheyTook)
{
    // The first window loads what the process then keeps for good: libraries, classes, stock objects.
    MakeAndDestroyFrame();
    CProcessResources start = CProcessResources::Read();
    CProcessResources after = start;
    for (int i = 0; i < kFrames; i++)
    {
        MakeAndDestroyFrame();
        ASSERT_FALSE(HasFatalFailure()) << "frame " << i + 1;
        after = CProcessResources::Read();
        if (i == 0)
            printf("after one frame: %s (start %s)\n", after.Describe().c_str(), start.Describe().c_str());
    }
    EXPECT_EQ(start.Describe(), after.Describe());
}
