#pragma once
// A private temporary folder per test, removed afterwards.
#include "hilfe/ordner.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

class TempOrdnerTest : public ::testing::Test {
protected:
    std::string schreibe(const std::string& name, const std::string& inhalt) {
        return trelvik::test::schreibe(ordner + name, inhalt);
    }
    static std::string lies(const std::string& pfad) { return trelvik::test::lies(pfad); }
    trelvik::test::TestOrdner tmp;
    std::string ordner = tmp.pfad();
};
