#include <gtest/gtest.h>
#include "sky/catalogues.h"

TEST(Build, LinksTheProgramLibrary) { EXPECT_GE(pulsar_count, 0); }
