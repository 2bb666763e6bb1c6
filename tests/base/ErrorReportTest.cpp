#include "base/ErrorReport.h"

#include <gtest/gtest.h>

TEST(ErrorReport, AppendsAFullStopOnlyAfterCharactersSortingAfterIt)
{
    EXPECT_EQ(ErrorReport::reportText("Cannot open clipboard"), "Cannot open clipboard.");
    EXPECT_EQ(ErrorReport::reportText("'12C4' is not a valid integer value"), "'12C4' is not a valid integer value.");
    EXPECT_EQ(ErrorReport::reportText("Done."), "Done.");
    EXPECT_EQ(ErrorReport::reportText("Really!"), "Really!");  // "!" sorts before "."
    EXPECT_EQ(ErrorReport::reportText("a-"), "a-");
    EXPECT_EQ(ErrorReport::reportText("ends in 5"), "ends in 5.");
    EXPECT_EQ(ErrorReport::reportText(""), "");
}
