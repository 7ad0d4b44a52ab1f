// Shared fixture of the io tests: a scratch file per test.
#pragma once

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "support/vorn_test.h"

class IoTest : public VornTest {
 protected:
  void SetUp() override {
    VornTest::SetUp();
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string test = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : test)
      if (c == '/') c = '_';
    path_ = ::testing::TempDir() + "h4_" + test;
    std::remove(path_.c_str());
  }
  void TearDown() override {
    std::remove(path_.c_str());
    VornTest::TearDown();
  }
  const char* path() const { return path_.c_str(); }
  std::string saved() const { return SlurpFile(path_); }
  void put(const std::string& text) const {
    std::ofstream out(path_, std::ios::binary);
    out << text;
  }

  std::string path_;
};
