#include "app/PendingCalls.h"

#include <gtest/gtest.h>

TEST(PendingCalls, OnlyThePublishedCallRunsAndOnlyOnce) {
    PendingCalls calls;
    int ran = 0;
    const PendingCalls::Call call = [&] { ++ran; };
    const auto address = reinterpret_cast<uintptr_t>(&call);
    // Nothing published: whatever a stray message carries names nothing.
    EXPECT_EQ(calls.Take(0, address), nullptr);
    EXPECT_EQ(calls.Take(1, 0x4141414141414141u), nullptr);

    const uint64_t token = calls.Publish(&call);
    EXPECT_NE(token, 0u);
    EXPECT_EQ(calls.Take(token + 1, address), nullptr);           // a guessed token
    EXPECT_EQ(calls.Take(token, address + 8), nullptr);           // a guessed address
    EXPECT_EQ(calls.Take(0, address), nullptr);
    const PendingCalls::Call* taken = calls.Take(token, address);
    ASSERT_EQ(taken, &call);
    (*taken)();
    EXPECT_EQ(calls.Take(token, address), nullptr);               // a replay
    calls.Withdraw(token);
    EXPECT_EQ(ran, 1);

    // A call the worker stopped waiting for can no longer be taken.
    const uint64_t late = calls.Publish(&call);
    calls.Withdraw(late);
    EXPECT_EQ(calls.Take(late, address), nullptr);
    // Two waiting callers, each with its own token.
    const PendingCalls::Call other = [] {};
    const uint64_t a = calls.Publish(&call), b = calls.Publish(&other);
    EXPECT_NE(a, b);
    EXPECT_EQ(calls.Take(a, reinterpret_cast<uintptr_t>(&other)), nullptr);
    EXPECT_EQ(calls.Take(b, reinterpret_cast<uintptr_t>(&other)), &other);
    EXPECT_EQ(calls.Take(a, address), &call);
}
