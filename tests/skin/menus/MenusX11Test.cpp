#include <gtest/gtest.h>
TEST(X, P) {}
