#include <gtest/gtest.h>

#include "codec/codec_table.hpp"

TEST(Smoke, TableHasSixCodecs) { EXPECT_EQ(pelmo::CodecTable().size(), 6u); }
