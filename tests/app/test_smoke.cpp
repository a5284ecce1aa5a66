#include "app/AppHelpers.h"
#include <gtest/gtest.h>

TEST(Smoke, TrimRemovesSpaces)
{
    EXPECT_EQ(Trim_Str(QStringLiteral("  a b \n")), QStringLiteral("a b"));
}
