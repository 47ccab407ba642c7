#pragma once
// The database section of the configuration: where the database lives (server and path), who
// connects (user name and password, held enciphered by the base) and with which role. It is
// the one place that points a connection at the configured database and decides whether an
// open connection must be opened again; it owns the program's shared connection and the
// application settings store, both made on first use.

#include "Qel.Core.AppSettings.h"
#include "Qel.Shared.Config.UserNameAndPassword.Data.h"
#include "Qel.Shared.IBC.h"
#include "Qel.Shared.Version.h"

#include <QStringList>
#include <memory>

enum TDatabaseLocation : uint8_t { dlLocal, dlRemote };
enum TDatabaseMode : uint8_t { dmNormal, dmUpdate };

inline constexpr const char* cDatabaseLocation[] = {"Local", "Remote"};

class TConfigDatabaseData : public TConfigUserNameAndPasswordData {
  QEL_CLASS("Qel.Shared.Config.Database.Data", TConfigDatabaseData)
  QEL_FIELDS(TConfigDatabaseData, TConfigUserNameAndPasswordData, QEL_FIELD(FDatabase),
             QEL_FIELD(FServer), QEL_FIELD(FDatabaseForUpdate), QEL_FIELD(FBackupFileName),
             QEL_FIELD(FShutdownSupported), QEL_FIELD(FMode), QEL_FIELD(FRole))

public:
  TConfigDatabaseData(TCreateKey, TFileData* aFile);
  // The shared connection goes first, then the settings store.
  ~TConfigDatabaseData() override;

  // The database path alone without server, else server, ":" and path.
  QString GetCaption() const override;
  // Credentials (base), the old "DB" keys, then the "Database" keys, which win when they
  // name a database; the role follows the running program (see LoadFromIni in the .cpp).
  bool LoadFromIni(const QString& aSection, TIniFile* aIni) override;
  // Credentials, "Server", "Database", "Role" and "ShutdownSupported".
  bool SaveToIni(const QString& aSection, TIniFile* aIni) override;

  // Sets Server and Database from "server:path". Texts that do not name both (a local
  // "C:\path", "server:alias", no colon) change nothing. False only for a text without ":".
  bool ExtractServerDatabase(const QString& aStr);

  // Whether a connection with the configured values opens now (tried on a connection of
  // its own, always on Database, never on the update copy).
  bool Connected();
  // Points aCon at the configured database (CurDatabase) with the configured credentials and
  // opens it unless it is open on exactly these already. Never raises.
  bool Connect(TIBCConnection* aCon);
  bool Connect(TIBCConnection* aCon, const QString& aRole);
  using TConfigUserNameAndPasswordData::Connect;
  // Whether aCon is closed or pointed elsewhere; when so, it is pointed at the configured
  // database and credentials (and a warning logged).
  bool ReconnectRequired(TIBCConnection* aCon);

  TDatabaseLocation GetLoaction() const;
  TDatabaseLocation Location() const { return GetLoaction(); }
  QString GetCurDatabase() const;
  QString CurDatabase() const { return GetCurDatabase(); }
  // The shared connection, connected to the configured database on every call.
  TQelIBCConnection* GetCon();
  TQelIBCConnection* Con() { return GetCon(); }
  // The settings store on the shared connection, loaded (when needed) on every call.
  TAppSettings* GetAppSettings();
  TAppSettings* AppSettings() { return GetAppSettings(); }
  // The versions stored in modify_db; empty (0) when they cannot be read.
  TVersion GetAppVersion();
  TVersion AppVersion() { return GetAppVersion(); }
  int GetVersion();
  int Version() { return GetVersion(); }

  const QString& Server() const { return FServer; }
  void SetServer(const QString& aValue);
  const QString& Database() const { return FDatabase; }
  void SetDatabase(const QString& aValue);
  const QString& DatabaseForUpdate() const { return FDatabaseForUpdate; }
  const QString& BackupFileName() const { return FBackupFileName; }
  const QString& Role() const { return FRole; }
  void SetRole(const QString& aValue) { Change(FRole, aValue); }
  bool ShutdownSupported() const { return FShutdownSupported; }
  void SetShutdownSupported(bool aValue) { Change(FShutdownSupported, aValue); }
  TDatabaseMode Mode() const { return FMode; }
  void SetMode(TDatabaseMode aValue) { FMode = aValue; }
  const QStringList& ExternalDbs() const { return FExternalDbs; }

  // A database configuration is no connection of its own: always false.
  bool GetConnected() const override { return false; }

protected:
  bool ConnectInternal() override { return true; }
  bool DisconnectInternal() override { return true; }

private:
  // Opens a temporary connection on the configured database and hands the opened query of
  // aSql to aRead; a failure there logs "Version of DB unknown!". False when not connected.
  template <typename F> bool ReadModifyDb(const QString& aMethod, const QString& aSql, F&& aRead);

  std::unique_ptr<TAppSettings> FAppSettings;
  std::unique_ptr<TQelIBCConnection> FCon;
  QString FDatabase;
  QString FServer;
  QString FDatabaseForUpdate;
  QString FBackupFileName;
  bool FShutdownSupported = false;
  TDatabaseMode FMode = dmNormal;
  QString FRole;
  QStringList FExternalDbs;
};
