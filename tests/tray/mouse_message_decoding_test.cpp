// SPDX-License-Identifier: MIT
#include "tray/mouse_message_decoding.h"

#include <gtest/gtest.h>

#include <cmath>

#include "runtime/form.h"

namespace quorvel::tray {
namespace {

TEST(MouseMessageDecoding, RecoversTheMessageFromTwipsOrPixels) {
    EXPECT_EQ(recoverMouseMessage(513.0f * 15, runtime::vbTwips, 15), 513);
    EXPECT_EQ(recoverMouseMessage(516.0f * 12, runtime::vbTwips, 12), 516);
    EXPECT_EQ(recoverMouseMessage(519.0f, runtime::vbPixels, 15), 519);
    // Truncated toward zero after rounding X: 7739.5 rounds to the even 7740, 7740 / 15 = 516.
    EXPECT_EQ(recoverMouseMessage(7739.5f, runtime::vbTwips, 15), 516);
    EXPECT_EQ(recoverMouseMessage(7754.0f, runtime::vbTwips, 15), 516);
}

TEST(MouseMessageDecoding, NonsenseInputGivesNoMessageInsteadOfUndefinedBehaviour) {
    EXPECT_EQ(recoverMouseMessage(std::nanf(""), runtime::vbTwips, 15), 0);
    EXPECT_EQ(recoverMouseMessage(1e30f, runtime::vbPixels, 15), 0);
    EXPECT_EQ(recoverMouseMessage(7740.0f, runtime::vbTwips, 0), 0);
    // The lowest 32-bit X over -1 twips per pixel does not fit 32 bits either.
    EXPECT_EQ(recoverMouseMessage(-2147483648.0f, runtime::vbTwips, -1), 0);
    EXPECT_EQ(recoverMouseMessage(-2147483648.0f, runtime::vbTwips, 1), -2147483647 - 1);
}

}  // namespace
}  // namespace quorvel::tray
