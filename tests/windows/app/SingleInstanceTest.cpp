// A second start while another copy holds the session's mutex: it takes over only when that
// copy has ended, whether before the search for its window or during it.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "app/SingleInstance_win32.h"

namespace {
struct TakeOverCase {
    const char* what;
    int holderEndsAfterMs;  // < 0: the holder runs on; 0: it has ended before the search
    bool takesOver;
};

class SingleInstanceTakeOver : public testing::TestWithParam<TakeOverCase> {};

TEST_P(SingleInstanceTakeOver, OnlyFromACopyThatEnded)
{
    const TakeOverCase& c = GetParam();
    const std::wstring name = L"MarlowindSingleInstanceTest" + std::to_wstring(::GetCurrentProcessId());
    auto holder = std::make_unique<SingleInstance>(name.c_str());
    ASSERT_TRUE(holder->First());
    SingleInstance later(name.c_str());
    ASSERT_FALSE(later.First());
    std::thread ending;
    if (c.holderEndsAfterMs == 0)
        holder.reset();
    else if (c.holderEndsAfterMs > 0)
        ending = std::thread([&] {
            ::Sleep(c.holderEndsAfterMs);
            holder.reset();
        });
    // No copy of this test shows a window of that class: the search ends by the mutex or the
    // time alone.
    const HWND found = FindOtherCopysWindow(later, L"MarlowindNoSuchClass", 1500);
    if (ending.joinable())
        ending.join();
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(later.First(), c.takesOver);
    // Whoever holds the mutex now, a third start finds it held.
    EXPECT_FALSE(SingleInstance(name.c_str()).First());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SingleInstanceTakeOver,
    testing::Values(TakeOverCase{"ended before the search", 0, true},
                    TakeOverCase{"ends during the search", 300, true},
                    TakeOverCase{"runs on without a window", -1, false}),
    [](const testing::TestParamInfo<TakeOverCase>& i) {
        std::string n = i.param.what;
        for (char& ch : n)
            if (ch == ' ')
                ch = '_';
        return n;
    });
}  // namespace
