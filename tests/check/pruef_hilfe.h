#pragma once
// A private temporary folder per test, removed afterwards.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

class TempOrdnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string muster =
            (std::filesystem::temp_directory_path() / "trelvik-check-XXXXXX").string();
        ASSERT_NE(::mkdtemp(muster.data()), nullptr);
        ordner = muster + "/";
    }
    void TearDown() override { std::filesystem::remove_all(ordner); }
    std::string schreibe(const std::string& name, const std::string& inhalt) {
        std::ofstream(ordner + name, std::ios::binary) << inhalt;
        return ordner + name;
    }
    static std::string lies(const std::string& pfad) {
        std::ifstream datei(pfad, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(datei), {});
    }
    std::string ordner;
};
