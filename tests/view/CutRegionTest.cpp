#include "view/CutRegion.h"

#include <gtest/gtest.h>

namespace {

CCutRegion cutOf(int64_t begin, int64_t end)
{
    CCutRegion cut;
    cut.setBegin(begin);
    cut.setEnd(end);
    cut.validate();
    return cut;
}

} // namespace

TEST(CutRegion, ValidLengthsStartAtOneSecond)
{
    EXPECT_TRUE(cutOf(5000, 6000).valid);
    EXPECT_FALSE(cutOf(5000, 5999).valid);
    EXPECT_FALSE(cutOf(5000, 5000).valid);
    EXPECT_FALSE(cutOf(-1, 5000).valid);
    const CCutRegion refused = cutOf(7000, 2000);
    EXPECT_EQ(refused, CCutRegion()) << "an invalid cut is reset";
    EXPECT_TRUE(cutOf(0, 2147483647).valid);
    EXPECT_FALSE(cutOf(0, 2147483648LL).valid);
}

TEST(CutRegion, FadesStayInsideTheCutAndApart)
{
    CCutRegion cut = cutOf(10000, 20000);
    cut.setFadeOut(3000);
    cut.setFadeIn(50000);
    EXPECT_EQ(cut.fadeIn, 10000);
    EXPECT_EQ(cut.fadeOut, 0);
    EXPECT_LE(cut.fadeInEnd(), cut.fadeOutStart());

    cut.setFadeIn(4000);
    cut.setFadeOutStart(12000);
    EXPECT_EQ(cut.fadeOut, 8000);
    EXPECT_EQ(cut.fadeIn, 2000) << "the fade not kept gives way";
    cut.setFadeInEnd(12000);
    EXPECT_EQ(cut.fadeIn, 2000);
    EXPECT_EQ(cut.fadeOut, 8000) << "fades that touch stay";
    EXPECT_TRUE(cut.contains(10000));
    EXPECT_FALSE(cut.contains(20000));
}
