#pragma once
// A test with a folder of its own under the temporary folder: made empty before each test,
// removed after it. Programs under test run from it and keep their files there.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace dvdsp::testing {

class FolderTest : public ::testing::Test {
protected:
    // `prefix` names the folder, with the process and the test after it.
    explicit FolderTest(std::string prefix) : prefix_(std::move(prefix)) {}
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               (prefix_ + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    std::filesystem::path dir_;

private:
    std::string prefix_;
};

}  // namespace dvdsp::testing
