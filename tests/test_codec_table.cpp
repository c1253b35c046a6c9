#include <gtest/gtest.h>

#include "codec/codec_table.hpp"

// Every row of the codec table sits at the index of its own kind, so that
// CodecFor(kind) and the parser's keyword search agree.
TEST(CodecTable, RowsAreInKindOrder) {
    const auto& table = pelmo::CodecTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(static_cast<std::size_t>(table[i].kind), i);
        EXPECT_NE(table[i].make, nullptr);
    }
}
