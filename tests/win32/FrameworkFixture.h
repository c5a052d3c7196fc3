#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Application.h"

// The process's application object, initialised on the test's (main) thread, with its exception
// report recorded instead of shown.
class FrameworkFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    framework::Application().Initialize();
    framework::Application().OnException = [this](const std::string& message) { reports.push_back(message); };
  }
  void TearDown() override { framework::Application().OnException = nullptr; }
  std::vector<std::string> reports;
};
