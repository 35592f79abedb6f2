// A fresh directory per test, removed afterwards.
#pragma once

#include "platform/Path.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include <filesystem>
#include <string>

namespace kelmora::testing {

class TempDir {
    static long ProcessId() {
#ifdef _WIN32
        return _getpid();
#else
        return getpid();
#endif
    }

public:
    TempDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        // The process id keeps two runs of the same test (two build trees)
        // out of each other's way.
        std::string name = std::string("kelmora-") + info->test_suite_name() + "-" + info->name() +
                           "-" + std::to_string(ProcessId());
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
    std::string str() const {
        return path_.string();
    }
    std::string file(std::string_view name) const {
        return join_path(str(), name);
    }
    const std::filesystem::path& path() const {
        return path_;
    }

private:
    std::filesystem::path path_;
};

} // namespace kelmora::testing
