// The warning check's delay: requests close together run one check, the delay after the last.

#include "app/cuiWarningCheck.h"
#include "platform/doubles/VirtualScheduler.h"

#include <gtest/gtest.h>

namespace {

TEST(cuiWarningCheckTest, RequestsWithinTheDelayRunOneCheckAfterTheLast) {
    platform::ScopedVirtualTime time;
    cuiWarningCheck check;
    EXPECT_FALSE(check.TakeDue()) << "nothing requested";
    for (int i = 0; i < 10; ++i) {
        check.Request();
        time.clock.advance(100);
        EXPECT_FALSE(check.TakeDue()) << "request " << i;
    }
    time.clock.advance(cuiWarningCheck::kDelayMs - 100 - 1);
    EXPECT_FALSE(check.TakeDue());
    time.clock.advance(1);
    EXPECT_TRUE(check.TakeDue());
    EXPECT_FALSE(check.TakeDue()) << "taken once";
}

}  // namespace
