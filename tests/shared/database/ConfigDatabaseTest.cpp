// The database section of the configuration: its INI keys old and new, the derived names,
// where the database lives, and connecting: the quick answer for a closed port, one open for
// an unchanged configuration, the update copy, the versions in modify_db and the shared
// connection with its settings store.
#include "Qel.Rtl.IniFiles.h"
#include "Qel.Shared.Config.Data.h"
#include "Qel.Shared.Config.Database.Data.h"
#include "Qel.Shared.Files.Data.h"
#include "Qel.Shared.PathsAndFiles.h"
#include "QelDbTest.h"
#include "QelLogCapture.h"
#include "QelTestFolder.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>

namespace {

// A database section loaded from an INI file of the given text.
class TSection {
public:
  explicit TSection(const QByteArray& aIni = QByteArray()) {
    const QString lName = FDir.path() + QStringLiteral("/app.ini");
    QFile lFile(lName);
    if (lFile.open(QIODevice::WriteOnly))
      lFile.write(aIni);
    lFile.close();
    FData = TIniData::Create<TConfigDatabaseData>(TPathsAndFiles::AddFile(lName, true, false));
  }
  TConfigDatabaseData* operator->() const { return FData.get(); }
  TConfigDatabaseData& operator*() const { return *FData; }
  QString IniText() const {
    QFile lFile(FDir.path() + QStringLiteral("/app.ini"));
    return lFile.open(QIODevice::ReadOnly) ? QString::fromUtf8(lFile.readAll()) : QString();
  }

private:
  QTemporaryDir FDir;
  std::unique_ptr<TConfigDatabaseData> FData;
};

// A section pointed at aDb through the embedded engine.
void PointAt(TConfigDatabaseData& aData, const TTestDatabase& aDb) {
  aData.SetServer(QString());
  aData.SetDatabase(aDb.FileName());
  aData.SetUserName(QStringLiteral("SYSDBA"));
  aData.SetPassword(QStringLiteral("masterkey"));
}

TEST(ConfigDatabase, ReadsTheOldAndTheNewKeys) {
  const struct {
    const char* Ini;
    const char* Server;
    const char* Database;
  } cCases[] = {
      {"[DB]\ndatabase=srv01:/data/main.fdb\n", "srv01", "/data/main.fdb"},
      {"[DB]\ndatabase=srv01:C:\\Data\\main.fdb\n", "srv01", "C:\\Data\\main.fdb"},
      {"[DB]\ndatabase=C:\\Data\\main.fdb\n", "", ""},
      {"[DB]\ndatabase=srv01:alias\n", "", ""},
      {"[DB]\ndatabase=/data/main.fdb\n", "", "/data/main.fdb"},
      {"[DB]\ndatabase=srv01:C:\\Program Files\\Data\\main.fdb\n", "srv01",
       "C:\\Program Files\\Data\\main.fdb"},
      {"[DB]\nconnectDB=localhost/3051:/data/x.fdb\n", "localhost/3051", "/data/x.fdb"},
      {"[DB]\ndatabase=srv01:/data/old.fdb\n[Database]\nServer=\nDatabase=/data/new.fdb\n", "",
       "/data/new.fdb"},
      {"[DB]\ndatabase=srv01:/data/old.fdb\n[Database]\nServer=srv02\nDatabase=\n", "srv01",
       "/data/old.fdb"},
  };
  for (const auto& c : cCases) {
    const TSection lSection(QByteArray(c.Ini));
    EXPECT_EQ(lSection->Server(), QString::fromUtf8(c.Server)) << c.Ini;
    EXPECT_EQ(lSection->Database(), QString::fromUtf8(c.Database)) << c.Ini;
  }
}

TEST(ConfigDatabase, TheRoleFollowsTheProgramAndTheOtherKeysAreKept) {
  const TSection lSection("[DB]\nconnectRole=admin\nexternDb0=/a.fdb\nexternDb7=/b.fdb\n"
                          "externDb9=/A.FDB\n[Database]\nRole=writer\nShutdownSupported=1\n");
  EXPECT_EQ(lSection->Role(), QStringLiteral("lumo"));
  EXPECT_EQ(lSection->ExternalDbs(),
            (QStringList{QStringLiteral("/a.fdb"), QStringLiteral("/b.fdb")}));
  EXPECT_TRUE(lSection->ShutdownSupported());

  // The importer connects for replication.
  TPathsAndFiles::FinalizeInstance();
  {
    const TTestProgramFolder lFolder(QStringLiteral("Qel_Import_Daily"));
    TPathsAndFiles::Instance();
    const TSection lImporter("[Database]\nRole=writer\n");
    EXPECT_EQ(lImporter->Role(), QStringLiteral("replication"));
    TPathsAndFiles::FinalizeInstance();
  }
  TPathsAndFiles::Instance();
}

TEST(ConfigDatabase, SavesItsKeysUnderDatabaseOnly) {
  TSection lSection("[DB]\ndatabase=srv01:/data/main.fdb\n");
  lSection->SetUserName(QStringLiteral("SYSDBA"));
  ASSERT_TRUE(lSection->Save());
  const TIniFile lIni(lSection->GetFileName());
  EXPECT_EQ(lIni.ReadString(QStringLiteral("Database"), QStringLiteral("Server"), QString()),
            QStringLiteral("srv01"));
  EXPECT_EQ(lIni.ReadString(QStringLiteral("Database"), QStringLiteral("Database"), QString()),
            QStringLiteral("/data/main.fdb"));
  EXPECT_EQ(lIni.ReadString(QStringLiteral("Database"), QStringLiteral("Role"), QString()),
            QStringLiteral("lumo"));
  EXPECT_TRUE(lIni.ValueExists(QStringLiteral("Database"), QStringLiteral("ShutdownSupported")));
  EXPECT_NE(lIni.ReadString(QStringLiteral("Database"), QStringLiteral("Username"), QString()),
            QStringLiteral("SYSDBA")); // enciphered
  EXPECT_FALSE(lIni.ValueExists(QStringLiteral("DB"), QStringLiteral("user")));
}

TEST(ConfigDatabase, LocationCaptionAndDerivedFileNames) {
  const struct {
    const char* Server;
    const char* Database;
    TDatabaseLocation Location;
    const char* Caption;
    const char* ForUpdate;
    const char* Backup;
  } cCases[] = {
      {"", "/data/main.fdb", dlLocal, "/data/main.fdb", "/data/main_srv_upd.fdb", "/data/main.gbk"},
      {"LocalHost", "/data/main", dlLocal, "LocalHost:/data/main", "/data/main_srv_upd",
       "/data/main.gbk"},
      {"127.0.0.1", "/d.v2/main", dlLocal, "127.0.0.1:/d.v2/main", "/d.v2/main_srv_upd",
       "/d.v2/main.gbk"},
      {" srv01 ", " /data/main.fdb ", dlRemote, "srv01:/data/main.fdb", "/data/main_srv_upd.fdb",
       "/data/main.gbk"},
  };
  for (const auto& c : cCases) {
    TSection lSection;
    lSection->SetServer(QString::fromUtf8(c.Server));
    lSection->SetDatabase(QString::fromUtf8(c.Database));
    EXPECT_EQ(lSection->Location(), c.Location) << c.Server;
    EXPECT_EQ(lSection->GetCaption(), QString::fromUtf8(c.Caption));
    EXPECT_EQ(lSection->DatabaseForUpdate(), QString::fromUtf8(c.ForUpdate));
    EXPECT_EQ(lSection->BackupFileName(), QString::fromUtf8(c.Backup));
    lSection->SetMode(dmUpdate);
    EXPECT_EQ(lSection->CurDatabase(), QString::fromUtf8(c.ForUpdate));
  }
}

TEST(ConfigDatabase, LocalDatabaseFilesAreKnownBeforeTheyExist) {
  const QTemporaryDir lDir;
  const QString lLocal = lDir.path() + QStringLiteral("/local/main.fdb");
  const QString lRemote = lDir.path() + QStringLiteral("/remote/main.fdb");
  TSection lSection;
  lSection->SetDatabase(lLocal);
  lSection->SetServer(QStringLiteral("srv01"));
  lSection->SetDatabase(lRemote);
  const TFileDataList* lFiles = TPathsAndFiles::Instance()->FileLst();
  EXPECT_NE(lFiles->FindByFileName(lLocal), nullptr);
  EXPECT_NE(lFiles->FindByFileName(lDir.path() + QStringLiteral("/local/main.gbk")), nullptr);
  // A path on another server is no file of this machine: neither registered nor created.
  EXPECT_EQ(lFiles->FindByFileName(lRemote), nullptr);
  EXPECT_FALSE(QFile::exists(lDir.path() + QStringLiteral("/remote")));
}

TEST(ConfigDatabase, AClosedPortAnswersQuicklyAndAReachableDatabaseOpens) {
  const int lPort = ClosedLoopbackPort();
  ASSERT_GT(lPort, 0);
  TSection lSection;
  lSection->SetServer(QStringLiteral("127.0.0.1/%1").arg(lPort));
  lSection->SetDatabase(QStringLiteral("/data/main.fdb"));
  TLogCapture lLog;
  const auto lStart = std::chrono::steady_clock::now();
  EXPECT_FALSE(lSection->Connected());
  EXPECT_LT(std::chrono::steady_clock::now() - lStart, std::chrono::seconds(3));
  EXPECT_TRUE(lLog.Contains(ltError, QStringLiteral("Connected")));
  TQelIBCConnection lConnection(nullptr);
  EXPECT_FALSE(lSection->Connect(&lConnection));
  EXPECT_FALSE(lSection->Connect(nullptr));

  const auto lDb = TTestDatabase::WithAppSchema();
  PointAt(*lSection, *lDb);
  lSection->SetMode(dmUpdate); // Connected always tries the database itself
  EXPECT_TRUE(lSection->Connected());
}

TEST(ConfigDatabase, ConnectOpensOnceUntilTheConfigurationChanges) {
  const auto lDb = TTestDatabase::WithAppSchema();
  TSection lSection;
  PointAt(*lSection, *lDb);
  TQelIBCConnection lConnection(nullptr);
  TLogCapture lLog;
  ASSERT_TRUE(lSection->Connect(&lConnection));
  EXPECT_EQ(lConnection.Username(), QStringLiteral("SYSDBA"));
  EXPECT_EQ(lConnection.Options().Role, QStringLiteral("lumo"));
  EXPECT_TRUE(lSection->Connect(&lConnection));
  EXPECT_EQ(lLog.Count(ltSuccess, QStringLiteral("Connected")), 1);
  EXPECT_EQ(lLog.Count(ltWarning), 1);

  lSection->SetPassword(QStringLiteral("MASTERKEY")); // letter case alone: no reconnect
  EXPECT_TRUE(lSection->Connect(&lConnection));
  EXPECT_EQ(lLog.Count(ltSuccess, QStringLiteral("Connected")), 1);
  lSection->SetPassword(QStringLiteral("other"));
  EXPECT_TRUE(lSection->Connect(&lConnection));
  EXPECT_EQ(lLog.Count(ltSuccess, QStringLiteral("Connected")), 2);
  EXPECT_TRUE(lLog.Contains(ltWarning, QStringLiteral(":") + lDb->FileName()));

  // The update copy: the connection is pointed at it (which does not exist here).
  lSection->SetMode(dmUpdate);
  EXPECT_FALSE(lSection->Connect(&lConnection));
  EXPECT_EQ(lConnection.Database(), lSection->DatabaseForUpdate());
}

TEST(ConfigDatabase, VersionsComeFromModifyDb) {
  const auto lDb = TTestDatabase::WithAppSchema();
  lDb->Exec(QStringLiteral("UPDATE MODIFY_DB SET VERSION = 42, APP_VERSION = '5.2.0.17'"));
  TSection lSection;
  PointAt(*lSection, *lDb);
  TLogCapture lLog;
  EXPECT_EQ(lSection->AppVersion().GetAsString(), QStringLiteral("5.2.0.17"));
  EXPECT_EQ(lSection->Version(), 42);
  EXPECT_TRUE(lLog.Contains(ltInformation, QStringLiteral("Version of DB = 5.2.0.17")));
  EXPECT_TRUE(lLog.Contains(ltInformation, QStringLiteral("Version of DB = 42")));

  const TTestDatabase lEmpty;
  PointAt(*lSection, lEmpty);
  lLog.Clear();
  EXPECT_FALSE(lSection->AppVersion().FHasData);
  EXPECT_EQ(lSection->Version(), 0);
  EXPECT_EQ(lLog.Count(ltError, QStringLiteral("Version of DB unknown!")), 2);
}

TEST(ConfigDatabase, TheSharedConnectionAndSettingsStoreFollowTheConfiguration) {
  const auto lDb = TTestDatabase::WithAppSchema();
  lDb->Exec(QStringLiteral("INSERT INTO APP_SETTINGS (SECTION, IDENT, VAL) VALUES "
                           "('KORRESPONDENZ', 'pfad', '/srv/docs/')"));
  const auto lOther = TTestDatabase::WithAppSchema();
  TSection lSection;
  PointAt(*lSection, *lDb);
  TQelIBCConnection* lCon = lSection->Con();
  ASSERT_TRUE(lCon->Connected());
  EXPECT_EQ(lSection->Con(), lCon);
  EXPECT_EQ(lSection->AppSettings()->ReadString(QStringLiteral("KORRESPONDENZ"),
                                                QStringLiteral("pfad"), QString()),
            QStringLiteral("/srv/docs/"));
  // Writes made through the property survive its next read and reach the table.
  lSection->AppSettings()->WriteString(QStringLiteral("KORRESPONDENZ"), QStringLiteral("pfad"),
                                       QStringLiteral("/new/"));
  EXPECT_TRUE(lSection->AppSettings()->Save());
  EXPECT_EQ(lDb->Scalar(QStringLiteral("SELECT VAL FROM APP_SETTINGS")), QStringLiteral("/new/"));

  lSection->SetDatabase(lOther->FileName());
  EXPECT_EQ(lSection->Con()->Database(), lOther->FileName());
  EXPECT_TRUE(lSection->Con()->Connected());
}

TEST(ConfigDatabase, TheMainConfigurationHoldsAndWritesTheDatabaseSection) {
  TPathsAndFiles::FinalizeInstance();
  {
    const TTestProgramFolder lFolder(QStringLiteral("Qel_Test"));
    const QString lIni = lFolder.WriteFile(QStringLiteral("Prog/Data/Qel_Test.ini"),
                                           "[Database]\nServer=srv01\nDatabase=/data/main.fdb\n");
    TConfigData* lConfig = TPathsAndFiles::Instance()->GetConfig();
    ASSERT_NE(lConfig->Database(), nullptr);
    EXPECT_EQ(lConfig->Database()->GetCaption(), QStringLiteral("srv01:/data/main.fdb"));
    lConfig->Database()->SetServer(QStringLiteral("srv02"));
    TPathsAndFiles::FinalizeInstance(); // writes the configuration back
    const TIniFile lWritten(lIni);
    EXPECT_EQ(lWritten.ReadString(QStringLiteral("Database"), QStringLiteral("Server"), QString()),
              QStringLiteral("srv02"));
  }
  TPathsAndFiles::Instance();
}

} // namespace
