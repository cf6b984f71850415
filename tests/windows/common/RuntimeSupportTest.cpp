// The programs' own terminate handler, library error helpers and per-thread exception state,
// seen through the standard library code that uses them.
#include <gtest/gtest.h>

#include <cstdint>
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

TEST(RuntimeSupport, ThrownObjectsKeepTheirBytesAndAlignment)
{
    // Small, large and most strictly aligned objects, each thrown while the one before is held,
    // then once more through an exception_ptr rethrown on another thread.
    struct alignas(16) Aligned { unsigned char bytes[48]; };
    struct Large { unsigned char bytes[5000]; };
    auto filled = [](auto value, unsigned char seed) {
        for (size_t i = 0; i < sizeof value.bytes; ++i)
            value.bytes[i] = static_cast<unsigned char>(seed + i);
        return value;
    };
    auto intact = [](const auto& value, unsigned char seed) {
        for (size_t i = 0; i < sizeof value.bytes; ++i)
            if (value.bytes[i] != static_cast<unsigned char>(seed + i))
                return false;
        return true;
    };
    try {
        throw filled(Aligned{}, 1);
    } catch (const Aligned& held) {
        try {
            throw filled(Large{}, 2);
        } catch (const Large& large) {
            EXPECT_TRUE(intact(large, 2));
        }
        EXPECT_EQ(reinterpret_cast<uintptr_t>(&held) % 16, 0u);
        EXPECT_TRUE(intact(held, 1));
    }
    const std::exception_ptr carried = std::make_exception_ptr(filled(Large{}, 3));
    bool seen = false;
    std::thread([&] {
        for (int i = 0; i < 2; ++i) {
            try {
                std::rethrow_exception(carried);
            } catch (const Large& large) {
                seen = intact(large, 3);
            }
        }
    }).join();
    EXPECT_TRUE(seen);
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
