#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv)
{
    // Output through Wine's pipe is block-buffered; a hung test must still
    // show how far it got.
    setvbuf(stdout, nullptr, _IONBF, 0);
    setvbuf(stderr, nullptr, _IONBF, 0);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
