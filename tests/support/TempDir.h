// A fresh directory per test, removed afterwards.
#pragma once

#include "platform/Path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace kelmora::testing {

class TempDir {
public:
    TempDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("kelmora-") + info->test_suite_name() + "-" + info->name();
        for (auto& c : name) {
            if (c == '/') {
                c = '_';
            }
        }
        path_ = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The directory as the core's text (ASCII here, so the same bytes).
    std::string str() const { return path_.string(); }
    std::string file(std::string_view name) const { return join_path(str(), name); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace kelmora::testing
