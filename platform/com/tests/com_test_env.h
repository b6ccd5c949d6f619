#pragma once
// A fresh class registry under a temporary VELMOR_HOME and an apartment on
// the test's thread.

#include "platform/com/apartment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

class ComRegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/velmor-com-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        home_ = tmpl;
        ::setenv("VELMOR_HOME", home_.c_str(), 1);
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    }
    void TearDown() override
    {
        CoUninitialize();
        ::unsetenv("VELMOR_HOME");
        std::error_code ec;
        std::filesystem::remove_all(home_, ec);
    }
    std::string home_;
};
