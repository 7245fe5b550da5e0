// Every test of this executable runs on a thread that has entered COM, as the program's threads do.
#include <windows.h>

#include <gtest/gtest.h>

namespace
{

class CComEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { CoInitialize(NULL); }
    void TearDown() override { CoUninitialize(); }
};

const ::testing::Environment* const s_pComEnvironment =
    ::testing::AddGlobalTestEnvironment(new CComEnvironment);

} // namespace
