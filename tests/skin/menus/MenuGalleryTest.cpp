#include <gtest/gtest.h>
TEST(M, P) {}
