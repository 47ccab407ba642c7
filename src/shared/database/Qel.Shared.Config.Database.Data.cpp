#include "Qel.Shared.Config.Database.Data.h"

#include "Qel.Rtl.SysUtils.h"
#include "Qel.Rtl.Tick.h"
#include "Qel.Shared.Files.Data.h"
#include "Qel.Shared.Logging.h"
#include "Qel.Shared.PathsAndFiles.h"

#include <QDir>

namespace {
const QString cLegacySection = QStringLiteral("DB");
constexpr int cExternDbCount = 100;

QString ServerDatabaseText(const QString& aServer, const QString& aDatabase) {
  return QStringLiteral("Server:\"%1\"; Database:\"%2\"").arg(aServer, aDatabase);
}

// The role of the running program: the importer replicates, every other program is "lumo".
QString ProgramRole() {
  const TPathsAndFiles* lService = TPathsAndFiles::Instance();
  const TFileData* lProgram =
      lService && lService->FileLst() ? lService->FileLst()->ApplicationExe() : nullptr;
  const QString lName = lProgram ? ExtractFileName(lProgram->FileName()).toLower() : QString();
  return lName.contains(QStringLiteral("qel_import")) ? QStringLiteral("replication")
                                                      : QStringLiteral("lumo");
}
} // namespace

TConfigDatabaseData::TConfigDatabaseData(TCreateKey, TFileData* aFile)
    : TConfigUserNameAndPasswordData(aFile, QStringLiteral("Database")) {}

TConfigDatabaseData::~TConfigDatabaseData() {
  FCon.reset();
  FAppSettings.reset();
}

QString TConfigDatabaseData::GetCaption() const {
  return FServer.isEmpty() ? FDatabase : FServer + u':' + FDatabase;
}

bool TConfigDatabaseData::LoadFromIni(const QString& aSection, TIniFile* aIni) {
  if (!TConfigUserNameAndPasswordData::LoadFromIni(aSection, aIni))
    return false;
  const QString lLegacy = aIni->ReadString(cLegacySection, QStringLiteral("database"), FDatabase);
  if (!ExtractServerDatabase(lLegacy))
    SetDatabase(lLegacy);
  ExtractServerDatabase(aIni->ReadString(cLegacySection, QStringLiteral("connectDB"), QString()));
  SetRole(aIni->ReadString(cLegacySection, QStringLiteral("connectRole"), FRole));

  const QString lServer = aIni->ReadString(aSection, QStringLiteral("Server"), FServer);
  const QString lDatabase = aIni->ReadString(aSection, QStringLiteral("Database"), FDatabase);
  if (!lDatabase.isEmpty()) {
    SetServer(lServer);
    SetDatabase(lDatabase);
  }
  const QString lRole = aIni->ReadString(aSection, QStringLiteral("Role"), FRole);
  if (!lRole.isEmpty())
    SetRole(lRole);
  // The role belongs to the program, not to the file.
  SetRole(ProgramRole());

  for (int n = 0; n < cExternDbCount; ++n) {
    const QString lExtern = aIni->ReadString(
        cLegacySection, QStringLiteral("externDb") + QString::number(n), QString());
    if (!lExtern.isEmpty() && !FExternalDbs.contains(lExtern, Qt::CaseInsensitive))
      FExternalDbs.append(lExtern);
  }
  SetShutdownSupported(aIni->ReadBool(aSection, QStringLiteral("ShutdownSupported"), false));
  TLogging::Add(this, QStringLiteral("LoadFromIni"), ServerDatabaseText(FServer, FDatabase),
                ltInformation);
  return true;
}

bool TConfigDatabaseData::SaveToIni(const QString& aSection, TIniFile* aIni) {
  if (!TConfigUserNameAndPasswordData::SaveToIni(aSection, aIni))
    return false;
  aIni->WriteString(aSection, QStringLiteral("Server"), FServer);
  aIni->WriteString(aSection, QStringLiteral("Database"), FDatabase);
  aIni->WriteString(aSection, QStringLiteral("Role"), FRole);
  aIni->WriteBool(aSection, QStringLiteral("ShutdownSupported"), FShutdownSupported);
  return true;
}

bool TConfigDatabaseData::ExtractServerDatabase(const QString& aStr) {
  const QString lMethod =
      TLoggingUtils::BuildMethodName(QStringLiteral("ExtractServerDatabase"), QStringList{aStr});
  if (aStr.isEmpty() || !aStr.contains(u':'))
    return false;
  // Parts end at ":" only (a part in double quotes stays whole): blanks belong to the path.
  const QStringList lParts = FromDelimitedText(aStr, u':', u'"', true);
  // A database path here has no drive: "server:/path" names a server and an absolute path;
  // a one-letter first part is a drive ("C:/path"), a relative second part an alias.
  const bool lServerAndPath = lParts.size() > 2 || (lParts.size() == 2 && lParts[0].size() > 1 &&
                                                    lParts[1].startsWith(u'/'));
  if (lServerAndPath) {
    SetServer(lParts[0]);
    SetDatabase(lParts.mid(1).join(u':'));
    TLogging::Add(this, lMethod,
                  QStringLiteral("Extracted Server and Database from String \"%1\"; ").arg(aStr) +
                      ServerDatabaseText(FServer, FDatabase),
                  ltInformation);
  }
  return true;
}

void TConfigDatabaseData::SetServer(const QString& aValue) {
  Change(FServer, aValue.trimmed());
}

void TConfigDatabaseData::SetDatabase(const QString& aValue) {
  Change(FDatabase, aValue.trimmed());
  const QString lExt = ExtractFileExt(FDatabase);
  FDatabaseForUpdate =
      FDatabase.left(FDatabase.size() - lExt.size()) + QStringLiteral("_srv_upd") + lExt;
  FBackupFileName = FDatabase.left(FDatabase.size() - lExt.size()) + QStringLiteral(".gbk");
  // Known before any of them exists; only files of this machine (a path on another server,
  // or an alias, is no file here, and registering would create its folders here).
  if (GetLoaction() == dlLocal && QDir::isAbsolutePath(FDatabase))
    for (const QString& lName : {FDatabase, FDatabaseForUpdate, FBackupFileName})
      TPathsAndFiles::AddFile(lName, true, false);
}

TDatabaseLocation TConfigDatabaseData::GetLoaction() const {
  const bool lLocal = FServer.isEmpty() ||
                      FServer.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0 ||
                      FServer.compare(QStringLiteral("127.0.0.1"), Qt::CaseInsensitive) == 0;
  return lLocal ? dlLocal : dlRemote;
}

QString TConfigDatabaseData::GetCurDatabase() const {
  return FMode == dmUpdate ? FDatabaseForUpdate : FDatabase;
}

bool TConfigDatabaseData::Connected() {
  TQelIBCConnection lConnection(nullptr);
  lConnection.SetServer(FServer);
  lConnection.SetDatabase(FDatabase);
  lConnection.SetUsername(GetUserName());
  lConnection.SetPassword(GetPassword());
  const bool lResult = lConnection.Open(FRole);
  lConnection.Close();
  return lResult;
}

bool TConfigDatabaseData::Connect(TIBCConnection* aCon) {
  return Connect(aCon, FRole);
}

bool TConfigDatabaseData::Connect(TIBCConnection* aCon, const QString& aRole) {
  if (!aCon)
    return false;
  if (!ReconnectRequired(aCon))
    return true;
  return TQelIBCConnection::Open(*aCon, aRole);
}

bool TConfigDatabaseData::ReconnectRequired(TIBCConnection* aCon) {
  const QString lServer = FServer;
  const QString lDatabase = GetCurDatabase();
  const QString lUserName = GetUserName();
  const QString lPassword = GetPassword();
  if (!aCon)
    return true;
  const auto lDiffers = [](const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) != 0;
  };
  const bool lResult = !aCon->Connected() || lDiffers(aCon->Server(), lServer) ||
                       lDiffers(aCon->Database(), lDatabase) ||
                       lDiffers(aCon->Username(), lUserName) ||
                       lDiffers(aCon->Password(), lPassword);
  if (lResult) {
    TLogging::Add(this, QStringLiteral("ReconnectRequired"), lServer + u':' + lDatabase, ltWarning);
    aCon->SetServer(lServer);
    aCon->SetDatabase(lDatabase);
    aCon->SetUsername(lUserName);
    aCon->SetPassword(lPassword);
  }
  return lResult;
}

TQelIBCConnection* TConfigDatabaseData::GetCon() {
  if (!FCon)
    FCon = std::make_unique<TQelIBCConnection>(nullptr);
  Connect(FCon.get());
  return FCon.get();
}

TAppSettings* TConfigDatabaseData::GetAppSettings() {
  if (!FAppSettings)
    FAppSettings = std::make_unique<TAppSettings>(GetCon(), false);
  else
    GetCon();
  FAppSettings->Load();
  return FAppSettings.get();
}

template <typename F>
bool TConfigDatabaseData::ReadModifyDb(const QString& aMethod, const QString& aSql, F&& aRead) {
  TQelIBCConnection lConnection(nullptr);
  TQelIBCQuery lQuery(&lConnection);
  if (!Connect(&lConnection))
    return false;
  try {
    lQuery.SQL().SetText(aSql);
    lQuery.Open();
    aRead(lQuery);
  } catch (const std::exception&) {
    TLogging::Add(this, aMethod, QStringLiteral("Version of DB unknown!"), ltError);
  }
  return true;
}

TVersion TConfigDatabaseData::GetAppVersion() {
  TVersion lResult;
  const uint64_t lTick = GetTickCount64();
  const QString lMethod = TLoggingUtils::BuildMethodName(QStringLiteral("GetAppVersion"),
                                                         QStringList{FServer, FDatabase});
  if (ReadModifyDb(
          lMethod, QStringLiteral("SELECT app_version FROM modify_db"), [&](TIBCQuery& aQuery) {
            TVersion lRead;
            lRead.SetAsString(aQuery.FieldByName(QStringLiteral("app_version"))->AsString());
            lResult = lRead;
          }))
    TLogging::Add(this, lMethod, QStringLiteral("Version of DB = %1").arg(lResult.GetAsString()),
                  ltInformation);
  TLogging::AddRunTime(this, lMethod, lTick, 1);
  return lResult;
}

int TConfigDatabaseData::GetVersion() {
  int lResult = 0;
  const uint64_t lTick = GetTickCount64();
  const QString lMethod =
      TLoggingUtils::BuildMethodName(QStringLiteral("GetVersion"), QStringList{FServer, FDatabase});
  if (ReadModifyDb(lMethod, QStringLiteral("SELECT version FROM modify_db"),
                   [&](TIBCQuery& aQuery) {
                     lResult = aQuery.FieldByName(QStringLiteral("version"))->AsInteger();
                   }))
    TLogging::Add(this, lMethod, QStringLiteral("Version of DB = %1").arg(lResult), ltInformation);
  TLogging::AddRunTime(this, lMethod, lTick, 1);
  return lResult;
}
