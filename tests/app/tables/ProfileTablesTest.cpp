#include "app/tables/ProfileTables.h"
#include <gtest/gtest.h>
TEST(ProfileTables, Loads) { EXPECT_EQ(tables::OutputFormatCatalogue().Count(), 288); }
