#include "Qel.Shared.Config.ImportExport.Data.h"

#include "Qel.Shared.DeChipher.h"

#include <algorithm>

namespace {
const QString cOwnSection = QStringLiteral("ImportExport");
const QString cDefault = QStringLiteral("DEFAULT");
// The name this section has always had in the files; kept for reading and writing.
const QString cDeafult = QStringLiteral("DEAFULT");
const QString cPop = QStringLiteral("POP");
const QString cSmtp = QStringLiteral("SMTP");
const QString cInterval = QStringLiteral("Interval");
const QString cAccount = QStringLiteral("account");
const QString cPwd = QStringLiteral("pwd");
const QString cPort = QStringLiteral("port");
const QString cImportResForm = QStringLiteral("importResForm");
} // namespace

TConfigImportExport::TConfigImportExport(TCreateKey, TFileData* aFile)
    : TIniData(aFile, cOwnSection) {}

void TConfigImportExport::SetIntervalSeconds(int32_t aValue) {
  FIntervalSeconds = std::clamp(aValue, cMinIntervalSeconds, cMaxIntervalSeconds);
}

void TConfigImportExport::SetIntervalMilliseconds(int64_t aValue) {
  FIntervalSeconds = static_cast<int32_t>(aValue / 1000);
}

bool TConfigImportExport::LoadFromIni(const QString& aSection, TIniFile* aIni) {
  (void)aSection;
  if (!aIni)
    return false;
  const TDeChipher lChipher;
  // The interval is written into the own section; older files hold it in "DEFAULT" only.
  SetIntervalSeconds(aIni->ReadInteger(cOwnSection, cInterval,
                                       aIni->ReadInteger(cDefault, cInterval, FIntervalSeconds)));
  FSaveFiles = aIni->ReadBool(cDeafult, QStringLiteral("SaveFiles"), false);
  FSubject = aIni->ReadString(cPop, QStringLiteral("subject"), QStringLiteral("Voucherbestellung"));
  FPopserver =
      aIni->ReadString(cPop, QStringLiteral("popserver"), QString::fromLatin1(cDefaultPopServer));
  FPopSSL = aIni->ReadInteger(cPop, QStringLiteral("ssl"), 0);
  FPopAccount = aIni->ReadString(cPop, cAccount, QString());
  FPopPassword = lChipher.Decipher(aIni->ReadString(cPop, cPwd, QString()));
  FPopPort = aIni->ReadString(cPop, cPort, QStringLiteral("110"));
  FImportResForm = aIni->ReadBool(cDefault, cImportResForm, !FPopserver.isEmpty());
  FImportResFormImport =
      aIni->ReadBool(cDefault, QStringLiteral("importResFormImport"), FImportResForm);
  FImportResFormExport = aIni->ReadBool(cDefault, QStringLiteral("importResFormExport"), false);
  FImportResFormSendCopy = aIni->ReadBool(cDefault, QStringLiteral("importResFormSendCopy"), false);
  FSmtpServer = aIni->ReadString(cSmtp, QStringLiteral("smtpserver"),
                                 QString::fromLatin1(cDefaultSmtpServer));
  FSmtpAccount = aIni->ReadString(cSmtp, cAccount, QString());
  FSmtpPwd = lChipher.Decipher(aIni->ReadString(cSmtp, cPwd, QString()));
  FSmtpPort = aIni->ReadString(cSmtp, cPort, QStringLiteral("587"));
  FSmtpSSL = aIni->ReadInteger(cSmtp, QStringLiteral("ssl"), 0);
  return true;
}

bool TConfigImportExport::SaveToIni(const QString& aSection, TIniFile* aIni) {
  (void)aSection;
  if (!aIni)
    return false;
  const TDeChipher lChipher;
  aIni->WriteInteger(cOwnSection, cInterval, FIntervalSeconds);
  aIni->WriteBool(cDeafult, QStringLiteral("SaveFiles"), FSaveFiles);
  aIni->WriteString(cPop, QStringLiteral("subject"), FSubject);
  aIni->WriteString(cPop, QStringLiteral("popserver"), FPopserver);
  aIni->WriteInteger(cPop, QStringLiteral("ssl"), FPopSSL);
  aIni->WriteString(cPop, cAccount, FPopAccount);
  aIni->WriteString(cPop, cPwd, lChipher.Cipher(FPopPassword));
  aIni->WriteString(cPop, cPort, FPopPort);
  aIni->WriteBool(cDefault, cImportResForm, FImportResForm);
  aIni->WriteBool(cDefault, QStringLiteral("importResFormImport"), FImportResFormImport);
  aIni->WriteBool(cDefault, QStringLiteral("importResFormExport"), FImportResFormExport);
  aIni->WriteBool(cDefault, QStringLiteral("importResFormSendCopy"), FImportResFormSendCopy);
  aIni->WriteString(cSmtp, QStringLiteral("smtpserver"), FSmtpServer);
  aIni->WriteString(cSmtp, cAccount, FSmtpAccount);
  aIni->WriteString(cSmtp, cPwd, lChipher.Cipher(FSmtpPwd));
  aIni->WriteString(cSmtp, cPort, FSmtpPort);
  aIni->WriteInteger(cSmtp, QStringLiteral("SSL"), FSmtpSSL);
  return true;
}
