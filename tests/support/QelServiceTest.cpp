#include "QelServiceTest.h"

#include "Qel.Shared.PathsAndFiles.h"

void TServiceTest::SetUp() {
  TPathsAndFiles::FinalizeInstance();
}

void TServiceTest::TearDown() {
  TPathsAndFiles::FinalizeInstance();
  FFolder.reset();
  TPathsAndFiles::Instance();
}
