// The INI-bound data object and the main configuration: first start, the two INI files,
// legacy and numbered services and applications, garbage files and interrupted saves.
#include "Qel.Rtl.IniFiles.h"
#include "Qel.Shared.Config.Data.h"
#include "Qel.Shared.PathsAndFiles.h"
#include "QelLogCapture.h"
#include "QelServiceTest.h"
#include "QelTestChild.h"
#include "QelTestFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString& aFileName) {
  QFile lFile(aFileName);
  return lFile.open(QIODevice::ReadOnly) ? lFile.readAll() : QByteArray("<missing>");
}

// A section object with one text key, to watch the bare INI binding.
class TSampleIni : public TIniData {
  QEL_CLASS("Test.Config", TSampleIni)
public:
  TSampleIni(TCreateKey, TFileData* aFile) : TIniData(aFile, QStringLiteral("Sample")) {}
  bool LoadFromIni(const QString& aSection, TIniFile* aIni) override {
    if (!TIniData::LoadFromIni(aSection, aIni))
      return false;
    FValue = aIni->ReadString(aSection, QStringLiteral("Value"), QStringLiteral("default"));
    ++FLoads;
    return true;
  }
  bool SaveToIni(const QString& aSection, TIniFile* aIni) override {
    if (!TIniData::SaveToIni(aSection, aIni))
      return false;
    return aIni->WriteString(aSection, QStringLiteral("Value"), FValue);
  }
  QString FValue;
  int FLoads = 0;
};

class ConfigData : public TServiceTest {
protected:
  QString OwnIni() const { return FFolder->Main() + QStringLiteral("Data/Qel_Test.ini"); }
  QString BinAppIni() const { return FFolder->Main() + QStringLiteral("Bin/app.ini"); }
  QString Write(const QString& aFileName, const QByteArray& aContent) const {
    return FFolder->WriteFile(aFileName.mid(FFolder->Root().size()), aContent);
  }
  TConfigData* Config() const { return TPathsAndFiles::Instance()->GetConfig(); }
  // Ends the service, which writes the configuration back.
  void Shutdown() const { TPathsAndFiles::FinalizeInstance(); }
  static QString Read(const QString& aFileName, const QString& aSection, const QString& aKey) {
    return TIniFile(aFileName).ReadString(aSection, aKey, QStringLiteral("<none>"));
  }
  static QStringList ServiceNames(const TConfigData* aConfig) {
    QStringList lResult;
    for (qsizetype i = 0; i < aConfig->ServiceLst()->Count(); ++i)
      lResult << aConfig->ServiceLst()->Items(i)->Name() + u'=' +
                     aConfig->ServiceLst()->Items(i)->Ident();
    return lResult;
  }

  TLogCapture FLog;
};

TEST_F(ConfigData, IniDataCreatesAMissingFileAndSavesOnlyOnRequest) {
  const QString lName = FFolder->Root() + QStringLiteral("Conf/sample.ini");
  TFileData* lFile = TPathsAndFiles::AddFile(lName, true, false);
  {
    auto lData = TIniData::Create<TSampleIni>(lFile);
    EXPECT_EQ(ReadAll(lName), QByteArray("<empty>\n"));
    EXPECT_EQ(lData->FLoads, 1);
    EXPECT_EQ(lData->FValue, QStringLiteral("default"));
    EXPECT_EQ(lData->GetFileName(), lName);
    lData->FValue = QStringLiteral("changed");
  }
  // The destructor does not save.
  EXPECT_EQ(ReadAll(lName), QByteArray("<empty>\n"));

  auto lData = TIniData::Create<TSampleIni>(lFile);
  lData->FValue = QStringLiteral("saved");
  EXPECT_TRUE(lData->Save());
  EXPECT_EQ(Read(lName, QStringLiteral("Sample"), QStringLiteral("Value")),
            QStringLiteral("saved"));

  // Without a file nothing is read and nothing is open.
  EXPECT_FALSE(lData->Load(nullptr));
  EXPECT_TRUE(lData->GetFileName().isEmpty());
  EXPECT_FALSE(lData->Save());
  auto lNone = TIniData::Create<TSampleIni>(nullptr);
  EXPECT_EQ(lNone->FLoads, 0);
}

TEST_F(ConfigData, IniDataWhereTheFileCannotBeCreatedReadsDefaults) {
  // A folder stands where the file should be.
  const QString lName = FFolder->Root() + QStringLiteral("Conf/blocked.ini");
  ASSERT_TRUE(QDir().mkpath(lName));
  TFileData* lFile = TPathsAndFiles::AddFile(lName, true, false);
  auto lData = TIniData::Create<TSampleIni>(lFile);
  EXPECT_EQ(lData->FValue, QStringLiteral("default"));
  EXPECT_TRUE(FLog.Contains(ltError, QStringLiteral("Unable to create")));
  EXPECT_FALSE(lData->Save());
}

TEST_F(ConfigData, FirstStartWithoutAnyIniFile) {
  ASSERT_FALSE(QFileInfo::exists(OwnIni()));
  const TConfigData* lConfig = Config();
  EXPECT_EQ(Config(), lConfig);
  EXPECT_TRUE(QFileInfo::exists(OwnIni()));
  EXPECT_EQ(lConfig->GetFileName(), OwnIni());
  EXPECT_EQ(lConfig->Language(), QStringLiteral("german"));
  EXPECT_EQ(lConfig->LanguageLst(),
            QStringList({"german", "english", "french", "italian", "czech", "-"}));
  EXPECT_EQ(lConfig->UpdateConfigFileName(), QStringLiteral("download/qel_update_config.dat"));
  EXPECT_EQ(lConfig->ServiceLst()->Count(), 0);
  EXPECT_TRUE(lConfig->ApplicationLst().empty());
  EXPECT_EQ(lConfig->ValidationRun()->ThreadCount(), 5);
  EXPECT_EQ(lConfig->Updater()->UpdateCheckEveryHours(), 2);

  Shutdown();
  EXPECT_EQ(Read(OwnIni(), QStringLiteral("Update"), QStringLiteral("ConfigFile")),
            QStringLiteral("download/qel_update_config.dat"));
  EXPECT_EQ(Read(OwnIni(), QStringLiteral("DEFAULT"), QStringLiteral("language")),
            QStringLiteral("german"));
  EXPECT_EQ(Read(OwnIni(), QStringLiteral("Services"), QStringLiteral("Count")),
            QStringLiteral("0"));
  EXPECT_EQ(Read(OwnIni(), QStringLiteral("Applications"), QStringLiteral("Count")),
            QStringLiteral("0"));
  // Sections that write on request only were not written.
  EXPECT_EQ(Read(OwnIni(), QStringLiteral("POP"), QStringLiteral("popserver")),
            QStringLiteral("<none>"));
}

TEST_F(ConfigData, AppIniInBinOverridesTheProgramsOwnFile) {
  Write(OwnIni(), "[DEFAULT]\nlanguage=english\n[Service_1]\nName=Own\nIdent=own\n"
                  "[HTTP]\nhost=own.example\n");
  const QByteArray lOwn = ReadAll(OwnIni());
  Write(BinAppIni(), "[DEFAULT]\nlanguage=french\n[Service_1]\nName=Bin\nIdent=bin\n"
                     "[FTP]\nhost=ftp.example\n[Update]\nConfigFile=x/y.dat\n");
  TConfigData* lConfig = Config();
  EXPECT_EQ(lConfig->GetFileName(), BinAppIni());
  EXPECT_EQ(lConfig->Language(), QStringLiteral("french"));
  EXPECT_EQ(lConfig->UpdateConfigFileName(), QStringLiteral("x/y.dat"));
  EXPECT_EQ(ServiceNames(lConfig), QStringList({"Own=own", "Bin=bin"}));

  lConfig->SetLanguage(QStringLiteral("czech"));
  Shutdown();
  EXPECT_EQ(ReadAll(OwnIni()), lOwn);
  EXPECT_EQ(Read(BinAppIni(), QStringLiteral("DEFAULT"), QStringLiteral("language")),
            QStringLiteral("czech"));
  EXPECT_EQ(Read(BinAppIni(), QStringLiteral("Services"), QStringLiteral("Count")),
            QStringLiteral("2"));
  // Keys of sections the configuration does not own stay untouched.
  EXPECT_EQ(Read(BinAppIni(), QStringLiteral("FTP"), QStringLiteral("host")),
            QStringLiteral("ftp.example"));
}

TEST_F(ConfigData, LegacyServicesAndApplicationsWithAGap) {
  const QString lTool = Write(FFolder->Main() + QStringLiteral("Bin/tool"), "x");
  const QString lOther = FFolder->Main() + QStringLiteral("Bin/other");
  Write(OwnIni(), "[Service_1]\nName=Backup\nIdent=srv_backup\n"
                  "[Service_3]\nName=Import\nIdent=srv_import\n"
                  "[Applications]\nApp1=" +
                      lTool.toUtf8() + "\nApp3=" + lOther.toUtf8() + "\n");
  const TConfigData* lConfig = Config();
  // Section 2 repeats the pair of section 1; 4 to 10 repeat that of 3: no further entries.
  EXPECT_EQ(ServiceNames(lConfig), QStringList({"Backup=srv_backup", "Import=srv_import"}));
  // The program's file is both the program's own and the configuration file, so it is read
  // twice; each application is listed once all the same.
  ASSERT_EQ(lConfig->ApplicationLst().size(), 2u);
  EXPECT_EQ(lConfig->ApplicationLst()[0]->FileName(), lTool);
  EXPECT_EQ(lConfig->ApplicationLst()[1]->FileName(), lOther);
  EXPECT_TRUE(lConfig->ApplicationLst()[1]->Required());

  Shutdown();
  EXPECT_EQ(Read(OwnIni(), QStringLiteral("Applications"), QStringLiteral("Count")),
            QStringLiteral("2"));
  EXPECT_EQ(Read(OwnIni(), QStringLiteral("Application_1"), QStringLiteral("Name")), lOther);
  EXPECT_EQ(Read(OwnIni(), QStringLiteral("Service_0"), QStringLiteral("Name")),
            QStringLiteral("Backup"));
  EXPECT_EQ(ServiceNames(Config()), QStringList({"Backup=srv_backup", "Import=srv_import"}));
}

TEST_F(ConfigData, ShrinkingServiceCountKeepsTheSectionButNotTheService) {
  Write(OwnIni(), "[Services]\nCount=2\n[Service_0]\nName=Proxy\nIdent=p\n"
                  "[Service_1]\nName=Gateway\nIdent=g\n");
  TConfigData* lConfig = Config();
  ASSERT_EQ(ServiceNames(lConfig), QStringList({"Proxy=p", "Gateway=g"}));
  // Names match without regard to case: the ident is updated, no entry added.
  lConfig->ServiceLst()->AddOrSet(QStringLiteral("PROXY"), QStringLiteral("p2"));
  EXPECT_EQ(lConfig->ServiceLst()->Count(), 2);
  EXPECT_TRUE(
      lConfig->ServiceLst()->Remove(lConfig->ServiceLst()->Find(QStringLiteral("gateway"))));
  EXPECT_TRUE(lConfig->Save());
  EXPECT_EQ(Read(OwnIni(), QStringLiteral("Services"), QStringLiteral("Count")),
            QStringLiteral("1"));
  EXPECT_EQ(Read(OwnIni(), QStringLiteral("Service_1"), QStringLiteral("Name")),
            QStringLiteral("Gateway"));

  Shutdown();
  EXPECT_EQ(ServiceNames(Config()), QStringList({"PROXY=p2"}));
}

struct TGarbageCase {
  const char* Name;
  QByteArray Content;
  const char* Language;
};

class ConfigDataGarbage : public ConfigData, public ::testing::WithParamInterface<TGarbageCase> {};

TEST_P(ConfigDataGarbage, LoadsWithDefaultsAndSavesAgain) {
  Write(OwnIni(), GetParam().Content);
  TConfigData* lConfig = Config();
  EXPECT_EQ(lConfig->Language(), QString::fromLatin1(GetParam().Language));
  EXPECT_EQ(lConfig->ValidationRun()->ThreadCount(), 5);
  lConfig->SetLanguage(QStringLiteral("italian"));
  Shutdown();
  EXPECT_EQ(Config()->Language(), QStringLiteral("italian"));
}

QByteArray Binary() {
  QByteArray lResult;
  for (int i = 0; i < 4096; ++i)
    lResult.append(static_cast<char>((i * 7919) & 0xFF));
  return lResult + "\n[DEFAULT]\nlanguage=czech\n";
}

INSTANTIATE_TEST_SUITE_P(
    Files, ConfigDataGarbage,
    ::testing::Values(
        TGarbageCase{"BinaryBytes", Binary(), "czech"},
        TGarbageCase{"TenMegabyteLine",
                     QByteArray(10 * 1024 * 1024, 'x') + "\n[DEFAULT]\nlanguage=czech\n", "czech"},
        TGarbageCase{"HeaderWithoutBracket", "[DEFAULT\nlanguage=english\n", "german"},
        TGarbageCase{"DuplicateKeys",
                     "[DEFAULT]\nlanguage=czech\nlanguage=english\n[Services]\nCount=x\n"
                     "[Validation.Run]\nThreadCount=five\nLastRun=yesterday\n",
                     "czech"},
        // Counts far beyond the sections the file holds are cut, not read a billion times.
        TGarbageCase{"HugeCounts",
                     "[DEFAULT]\nlanguage=czech\n[Services]\nCount=2147483647\n"
                     "[Applications]\nCount=2147483647\n",
                     "czech"}),
    [](const ::testing::TestParamInfo<TGarbageCase>& aInfo) { return aInfo.param.Name; });

TEST_F(ConfigData, AnInterruptedSaveLeavesTheOldFile) {
  QByteArray lContent = "[DEFAULT]\nlanguage=english\n[Filler]\n";
  for (int i = 0; i < 2000; ++i)
    lContent += "Key" + QByteArray::number(i) + "=some value to make the file large\n";
  Write(OwnIni(), lContent);
  Config();
  const QByteArray lBefore = ReadAll(OwnIni());
  ASSERT_GT(lBefore.size(), 40000);
  const int lCode = RunInChild([&] {
    if (!LimitFileSize(20000))
      return 98;
    TConfigData* lConfig = TPathsAndFiles::Instance()->GetConfig();
    lConfig->SetLanguage(QStringLiteral("french"));
    TLogCapture lLog;
    if (lConfig->Save())
      return 1;
    return lLog.Contains(ltError, QStringLiteral("Unable to write")) ? 0 : 2;
  });
  EXPECT_EQ(lCode, 0) << "1: the failed save reported success, 2: nothing logged";
  EXPECT_EQ(ReadAll(OwnIni()), lBefore);
}

} // namespace
