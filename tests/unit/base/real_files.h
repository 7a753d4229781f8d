// A fresh folder of real files for each test, for the system's file access
// (the POSIX stand-in natively) with Windows-style paths.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "file_access.h"

class RealFiles : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/velmora_settings_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string Slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void Put(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
    std::string folder;
    FileAccess& files = SystemFileAccess();
};
