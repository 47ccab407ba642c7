#pragma once
// A test whose process-wide paths-and-files service works in a program folder of its own;
// afterwards the service is built again in the run's folder, where the other tests expect it.

#include "QelTestFolder.h"

#include <gtest/gtest.h>
#include <memory>

class TServiceTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  std::unique_ptr<TTestProgramFolder> FFolder = std::make_unique<TTestProgramFolder>();
};
