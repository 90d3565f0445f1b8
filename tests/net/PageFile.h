// Reads the recorded and hand-made pages under tests/data/pages.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace quotrix {

inline std::string PageFile(const std::string& name) {
    std::ifstream in(std::string(QUOTRIX_TEST_DATA) + "/pages/" + name, std::ios::binary);
    EXPECT_TRUE(in.is_open()) << name;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace quotrix
