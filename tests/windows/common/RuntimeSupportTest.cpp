// The programs' own terminate handler, library error helpers and per-thread exception state,
// seen through the standard library code that uses them.
#include <gtest/gtest.h>

#include <exception>
#include <string>
#include <thread>
#include <vector>

#include "../TestSupport.h"
#include "common/Exception.h"

namespace {

void Fail()
{
    throw Exception("Cannot open file \"x\"");
}

void CallWithoutThrowing(void (*f)()) noexcept
{
    f();
}
}  // namespace

TEST(RuntimeSupport, LibraryErrorsKeepTheirTexts)
{
    std::string s = "abc";
    std::vector<int> v;
    EXPECT_EQ(ErrorOf([&] { s.at(7); }),
              "basic_string::at: __n (which is 7) >= this->size() (which is 3)");
    EXPECT_EQ(ErrorOf([&] { s.substr(9); }),
              "basic_string::substr: __pos (which is 9) > this->size() (which is 3)");
    EXPECT_EQ(ErrorOf([&] { v.at(2); }),
              "vector::_M_range_check: __n (which is 2) >= this->size() (which is 0)");
    EXPECT_EQ(ErrorOf([&] { v.reserve(v.max_size() + 1); }), "vector::reserve");
    EXPECT_EQ(ErrorOf([&] { s.reserve(s.max_size() + 1); }), "basic_string::_M_create");
    EXPECT_THROW(v.resize(v.max_size() / 2 + 1), std::bad_alloc);
}

TEST(RuntimeSupport, ThreadsThrowAndCatchApart)
{
    // Each thread holds an exception in a catch block while the others throw their own.
    std::vector<std::string> seen(4);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &seen] {
            for (int i = 0; i < 200; ++i) {
                try {
                    throw Exception("thread " + std::to_string(t));
                } catch (const Exception& outer) {
                    try {
                        throw;
                    } catch (const Exception& inner) {
                        if (std::uncaught_exceptions() == 0 && &inner == &outer)
                            seen[t] = inner.what();
                    }
                }
            }
        });
    }
    for (auto& t : threads)
        t.join();
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(seen[t], "thread " + std::to_string(t));
    EXPECT_FALSE(std::current_exception());
}

TEST(RuntimeSupportDeathTest, TerminateSaysWhyAndAborts)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::terminate(), ::testing::ExitedWithCode(3),
                "terminate called without an active exception");
    EXPECT_EXIT(CallWithoutThrowing(Fail), ::testing::ExitedWithCode(3),
                "terminate called after throwing an instance of '9Exception'\n"
                "  what\\(\\):  Cannot open file \"x\"");
}
