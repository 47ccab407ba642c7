#pragma once
// The mail import/export settings: polling interval, the POP3 and SMTP accounts and flags.
// The passwords are plain text in memory and enciphered in the file.

#include "Qel.Shared.Config.Ini.Data.h"

#include <cstdint>

class TConfigImportExport : public TIniData {
  QEL_CLASS("Qel.Shared.Config.ImportExport.Data", TConfigImportExport)
  QEL_FIELDS(TConfigImportExport, TIniData, QEL_FIELD(FIntervalSeconds), QEL_FIELD(FImportResForm),
             QEL_FIELD(FImportResFormSendCopy), QEL_FIELD(FImportResFormExport), QEL_FIELD(FPopSSL),
             QEL_FIELD(FPopserver), QEL_FIELD(FImportResFormImport), QEL_FIELD(FSubject),
             QEL_FIELD(FSmtpPort), QEL_FIELD(FSmtpSSL), QEL_FIELD(FSmtpAccount),
             QEL_FIELD(FSmtpServer), QEL_FIELD(FSmtpPwd), QEL_FIELD(FPopPort),
             QEL_FIELD(FPopPassword), QEL_FIELD(FPopAccount), QEL_FIELD(FSaveFiles))

public:
  static constexpr int32_t cMinIntervalSeconds = 15;
  static constexpr int32_t cMaxIntervalSeconds = 900;
  // Placeholders until a customer's mail servers are configured.
  static constexpr const char* cDefaultPopServer = "pop.example.com";
  static constexpr const char* cDefaultSmtpServer = "smtp.example.com";

  TConfigImportExport(TCreateKey, TFileData* aFile);

  int32_t IntervalSeconds() const { return FIntervalSeconds; }
  // Kept within 15 to 900 seconds.
  void SetIntervalSeconds(int32_t aValue);
  int64_t IntervalMilliseconds() const { return int64_t{FIntervalSeconds} * 1000; }
  // Stored as whole seconds, not clamped.
  void SetIntervalMilliseconds(int64_t aValue);
  QString EMailExpQelLumoSubject() const { return QStringLiteral("mail_exp_qel_lumo"); }

  bool ImportResForm() const { return FImportResForm; }
  void SetImportResForm(bool aValue) { FImportResForm = aValue; }
  bool ImportResFormSendCopy() const { return FImportResFormSendCopy; }
  void SetImportResFormSendCopy(bool aValue) { FImportResFormSendCopy = aValue; }
  bool ImportResFormExport() const { return FImportResFormExport; }
  void SetImportResFormExport(bool aValue) { FImportResFormExport = aValue; }
  bool ImportResFormImport() const { return FImportResFormImport; }
  void SetImportResFormImport(bool aValue) { FImportResFormImport = aValue; }
  bool SaveFiles() const { return FSaveFiles; }
  void SetSaveFiles(bool aValue) { FSaveFiles = aValue; }
  const QString& Subject() const { return FSubject; }
  void SetSubject(const QString& aValue) { FSubject = aValue; }
  const QString& PopServer() const { return FPopserver; }
  void SetPopServer(const QString& aValue) { FPopserver = aValue; }
  int32_t PopSSL() const { return FPopSSL; }
  void SetPopSSL(int32_t aValue) { FPopSSL = aValue; }
  const QString& PopAccount() const { return FPopAccount; }
  void SetPopAccount(const QString& aValue) { FPopAccount = aValue; }
  const QString& PopPassword() const { return FPopPassword; }
  void SetPopPassword(const QString& aValue) { FPopPassword = aValue; }
  const QString& PopPort() const { return FPopPort; }
  void SetPopPort(const QString& aValue) { FPopPort = aValue; }
  const QString& SmtpServer() const { return FSmtpServer; }
  void SetSmtpServer(const QString& aValue) { FSmtpServer = aValue; }
  const QString& SmtpAccount() const { return FSmtpAccount; }
  void SetSmtpAccount(const QString& aValue) { FSmtpAccount = aValue; }
  const QString& SmtpPwd() const { return FSmtpPwd; }
  void SetSmtpPwd(const QString& aValue) { FSmtpPwd = aValue; }
  const QString& SmtpPort() const { return FSmtpPort; }
  void SetSmtpPort(const QString& aValue) { FSmtpPort = aValue; }
  int32_t SmtpSSL() const { return FSmtpSSL; }
  void SetSmtpSSL(int32_t aValue) { FSmtpSSL = aValue; }

  // The keys live in the sections "DEFAULT", "DEAFULT", "POP" and "SMTP"; the interval is
  // written into the object's own section. False only without a file.
  bool LoadFromIni(const QString& aSection, TIniFile* aIni) override;
  bool SaveToIni(const QString& aSection, TIniFile* aIni) override;

private:
  int32_t FIntervalSeconds = cMaxIntervalSeconds;
  bool FImportResForm = false;
  bool FImportResFormSendCopy = false;
  bool FImportResFormExport = false;
  int32_t FPopSSL = 0;
  QString FPopserver;
  bool FImportResFormImport = false;
  QString FSubject;
  QString FSmtpPort;
  int32_t FSmtpSSL = 0;
  QString FSmtpAccount;
  QString FSmtpServer;
  QString FSmtpPwd;
  QString FPopPort;
  QString FPopPassword;
  QString FPopAccount;
  bool FSaveFiles = false;
};
