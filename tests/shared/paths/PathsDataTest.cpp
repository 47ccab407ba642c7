// The folder catalogue: main folder, standard folders, registration and dated folders.
#include "Qel.Rtl.Exceptions.h"
#include "Qel.Rtl.FormatSettings.h"
#include "Qel.Rtl.SysUtils.h"
#include "Qel.Shared.Paths.Data.h"
#include "Qel.Shared.PathsAndFiles.h"
#include "QelTestFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

struct TMainCase {
  const char* Program;
  const char* Main;
};

class MainFolder : public ::testing::TestWithParam<TMainCase> {};

TEST_P(MainFolder, DropsTrailingBinAndEmptyElements) {
  EXPECT_EQ(MainFolderOf(QString::fromUtf8(GetParam().Program)),
            QString::fromUtf8(GetParam().Main));
}

INSTANTIATE_TEST_SUITE_P(Programs, MainFolder,
                         ::testing::Values(TMainCase{"/opt/Prog/Bin/app", "/opt/Prog/"},
                                           TMainCase{"/opt/Prog/bin/bin/app", "/opt/Prog/"},
                                           TMainCase{"/opt/Prog/BIN/app", "/opt/Prog/"},
                                           TMainCase{"/opt/Prog/ bin /app", "/opt/Prog/"},
                                           TMainCase{"/opt/Prog//Bin/app", "/opt/Prog/"},
                                           TMainCase{"/opt/Prog/app", "/opt/Prog/"},
                                           TMainCase{"/opt/Prog/Binaries/app",
                                                     "/opt/Prog/Binaries/"},
                                           TMainCase{"/bin/app", "/"}));

class PathsData : public ::testing::Test {
protected:
  TTestProgramFolder FFolder;
  TPathDataList FList{FFolder.ProgramFile()};
};

TEST_F(PathsData, SubPathsAreRegisteredInTheServicesCatalogue) {
  TPathDataList* lCatalogue = TPathsAndFiles::Instance()->PathLst();
  const TPathData* lData = lCatalogue->GetPath(ptData);
  const QString lRoot = lData->Path() + QStringLiteral("SubPathsTest/");
  for (const char* lName : {"one", "Two", "two"})
    ASSERT_TRUE(QDir().mkpath(lRoot + QString::fromUtf8(lName)));
  QFile(lRoot + QStringLiteral("file.txt")).open(QIODevice::WriteOnly);

  const std::vector<TPathData*> lSubs = lCatalogue->Add(lRoot)->GetSubPaths();
  QStringList lPaths;
  for (const TPathData* lSub : lSubs) {
    lPaths << lSub->Path();
    EXPECT_EQ(lCatalogue->Add(lSub->Path()), lSub) << "registered once";
  }
  lPaths.sort();
  EXPECT_EQ(lPaths, (QStringList{lRoot + QStringLiteral("Two/"), lRoot + QStringLiteral("one/"),
                                 lRoot + QStringLiteral("two/")}));
  QDir(lRoot).removeRecursively();
}

TEST_F(PathsData, CreatesEveryStandardFolderBelowTheMainFolder) {
  EXPECT_EQ(FList.Main().Path(), FFolder.Main());
  EXPECT_EQ(FList.Main().Typ(), ptMain);
  const struct {
    TPathTyp Typ;
    const char* Name;
  } cCases[] = {{ptBin, "Bin"},
                {ptData, "Data"},
                {ptTmp, "Tmp"},
                {ptBackup, "Backup"},
                {ptArchive, "Archive"},
                {ptZIP, "ZIP"},
                {ptExport, "Export"},
                {ptLog, "Log"},
                {ptUpdate, "Update"},
                {ptDownload, "Download"},
                {ptSQL, "SQL"},
                {ptValidationReasons, "Validation/Reasons"},
                {ptValidationResults, "Validation/Results"},
                {ptEMail, "Mail"}};
  for (const auto& c : cCases) {
    SCOPED_TRACE(c.Name);
    const TPathData* lEntry = FList.GetPath(c.Typ);
    EXPECT_EQ(lEntry->Name(), QString::fromUtf8(c.Name));
    EXPECT_EQ(lEntry->ID(), lEntry->Name());
    EXPECT_EQ(lEntry->Path(), FFolder.Main() + QString::fromUtf8(c.Name) + u'/');
    EXPECT_EQ(lEntry->Directory(), FFolder.Main() + QString::fromUtf8(c.Name));
    EXPECT_EQ(lEntry->Drive(), u'/');
    EXPECT_EQ(lEntry->Typ(), c.Typ);
    EXPECT_TRUE(lEntry->GetExists());
  }
}

TEST_F(PathsData, CommonFolderLiesBelowTheMachineWideDataFolder) {
  const TPathData* lCommon = FList.GetPath(ptCommon);
  EXPECT_EQ(lCommon->Path(), FFolder.Common() + QStringLiteral("Kestrova/qel_lumo/"));
  EXPECT_EQ(lCommon->Name(), FFolder.Common() + QStringLiteral("Kestrova/qel_lumo"));
  EXPECT_EQ(lCommon->Typ(), ptCommon);
  EXPECT_TRUE(lCommon->GetExists());
}

TEST_F(PathsData, MainAndUnknownHaveNoIndexEntry) {
  EXPECT_THROW(FList.GetPath(ptMain), EArgumentException);
  EXPECT_THROW(FList.GetPath(ptUnknown), EArgumentException);
}

TEST_F(PathsData, SameFolderGivenThreeWaysIsOneEntry) {
  TPathData* lData = FList.GetPath(ptData);
  const qsizetype lCount = FList.Count();
  EXPECT_EQ(FList.Add(QStringLiteral("Data")), lData);
  EXPECT_EQ(FList.Add(FFolder.Main() + QStringLiteral("Data")), lData);
  EXPECT_EQ(FList.Add(FFolder.Main() + QStringLiteral("Data/")), lData);
  EXPECT_EQ(lData->Typ(), ptData);
  EXPECT_EQ(FList.Count(), lCount);
}

TEST_F(PathsData, NamesDifferingInCaseAreTwoFolders) {
  TPathData* lData = FList.GetPath(ptData);
  TPathData* lLower = FList.Add(FFolder.Main() + QStringLiteral("data/"));
  ASSERT_NE(lLower, lData);
  EXPECT_EQ(lLower->Name(), QStringLiteral("data"));
  EXPECT_EQ(lLower->Typ(), ptUnknown);
  EXPECT_TRUE(QFileInfo(FFolder.Main() + QStringLiteral("data")).isDir());
  EXPECT_EQ(FList.FindByName(QStringLiteral("Data")), lData);
}

TEST_F(PathsData, FolderOutsideTheMainFolderIsKeyedByItsFullName) {
  const QString lDocs = FFolder.Root() + QStringLiteral("Docs/");
  TPathData* lEntry = FList.Add(lDocs);
  EXPECT_EQ(lEntry->Name(), FFolder.Root() + QStringLiteral("Docs"));
  EXPECT_EQ(lEntry->Path(), lDocs);
  EXPECT_EQ(lEntry->Typ(), ptUnknown);
  EXPECT_TRUE(lEntry->GetExists());
  EXPECT_EQ(FList.Add(FFolder.Root() + QStringLiteral("Docs")), lEntry);
}

TEST_F(PathsData, ForeignPathHoldingTheMainFolderInsideIsNotCutApart) {
  const QString lForeign =
      FFolder.Root() + QStringLiteral("Mirror") + FFolder.Main() + QStringLiteral("Data/");
  TPathData* lEntry = FList.Add(lForeign);
  EXPECT_NE(lEntry, FList.GetPath(ptData));
  EXPECT_EQ(lEntry->Path(), lForeign);
  EXPECT_EQ(lEntry->Name(), ExcludeTrailingPathDelimiter(lForeign));
}

TEST_F(PathsData, RelativeSubFolderIsCreatedWithItsParents) {
  TPathData* lEntry = FList.Add(QStringLiteral(" Export/2026/Q1/ "));
  EXPECT_EQ(lEntry->Name(), QStringLiteral("Export/2026/Q1"));
  EXPECT_TRUE(lEntry->GetExists());
}

TEST_F(PathsData, FolderThatCannotBeCreatedIsRegisteredButMissing) {
  FFolder.WriteFile(QStringLiteral("Prog/Blocked"), "a file, not a folder");
  TPathData* lEntry = FList.Add(QStringLiteral("Blocked/Sub"));
  ASSERT_NE(lEntry, nullptr);
  EXPECT_FALSE(lEntry->GetExists());
  QStringList lFiles{QStringLiteral("stale")};
  EXPECT_FALSE(lEntry->FindFiles(QStringLiteral("*"), lFiles));
  EXPECT_TRUE(lFiles.isEmpty());
}

TEST_F(PathsData, DatedFoldersFollowTheClock) {
  SetNowOverride(EncodeDateTime(2026, 1, 5, 23, 59, 59, 999));
  TPathData* lFirst = FList.GetArchive();
  EXPECT_EQ(lFirst->Name(), QStringLiteral("Archive/2026/01/05"));
  EXPECT_EQ(lFirst->Typ(), ptArchive);
  EXPECT_EQ(FList.GetArchive(), lFirst);

  SetNowOverride(EncodeDateTime(2026, 1, 6, 0, 0, 0, 0));
  TPathData* lSecond = FList.GetArchive();
  EXPECT_NE(lSecond, lFirst);
  EXPECT_EQ(lSecond->Name(), QStringLiteral("Archive/2026/01/06"));
  EXPECT_TRUE(lFirst->GetExists());
  EXPECT_TRUE(lSecond->GetExists());

  EXPECT_EQ(FList.GetLogTrace()->Name(), QStringLiteral("Log/2026/01/06"));
  EXPECT_EQ(FList.GetEMail()->Name(), QStringLiteral("Mail/2026/01/06"));
  TPathData* lAttachement = FList.GetEMailAttachement();
  EXPECT_EQ(lAttachement->Name(), QStringLiteral("Mail/2026/01/06/Attachement"));
  EXPECT_EQ(lAttachement->Typ(), ptEMail);
  EXPECT_TRUE(lAttachement->GetExists());
}

TEST_F(PathsData, DatedFoldersUseThePathDelimiterWhateverTheDateSeparator) {
  TFormatSettings lGerman = TFormatSettings::German();
  SetFormatSettings(lGerman);
  SetNowOverride(EncodeDate(2026, 3, 9));
  EXPECT_EQ(FList.GetLogTrace()->Name(), QStringLiteral("Log/2026/03/09"));
  SetFormatSettings(TFormatSettings::Invariant());
}

TEST_F(PathsData, FindsFilesAndFoldersOfAStandardFolder) {
  FFolder.WriteFile(QStringLiteral("Prog/Log/a.log"), "a");
  FFolder.WriteFile(QStringLiteral("Prog/Log/b.trc"), "b");
  FFolder.WriteFile(QStringLiteral("Prog/Log/c.txt"), "c");
  QStringList lFiles;
  ASSERT_TRUE(FList.FindFiles(ptLog, QStringLiteral("*.log;*.trc"), lFiles));
  lFiles.sort();
  EXPECT_EQ(lFiles, (QStringList{FFolder.Main() + QStringLiteral("Log/a.log"),
                                 FFolder.Main() + QStringLiteral("Log/b.trc")}));
  QStringList lDirs;
  ASSERT_TRUE(FList.FindDirectories(ptValidationReasons, QStringLiteral("*"), lDirs));
  EXPECT_TRUE(lDirs.isEmpty());
}

} // namespace
