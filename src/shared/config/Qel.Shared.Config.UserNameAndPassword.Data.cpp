#include "Qel.Shared.Config.UserNameAndPassword.Data.h"

#include "Qel.Rtl.Exceptions.h"

#include "Qel.Rtl.Tick.h"
#include "Qel.Shared.Logging.h"
#include "Qel.Shared.StrFunc.h"
#include "Qel.Shared.Utils.h"

namespace {
const QString cLegacySection = QStringLiteral("DB");
} // namespace

TConfigUserNameAndPasswordData::TConfigUserNameAndPasswordData(TFileData* aFile,
                                                               const QString& aSection)
    : TIniData(aFile, aSection) {}

QString TConfigUserNameAndPasswordData::GetUserName() const {
  return TQelStringFunctions::Decipher(FUserName);
}

void TConfigUserNameAndPasswordData::SetUserName(const QString& aValue) {
  Change(FUserName, TQelStringFunctions::Cipher(aValue));
}

QString TConfigUserNameAndPasswordData::GetPassword() const {
  return TQelStringFunctions::Decipher(FPassword);
}

void TConfigUserNameAndPasswordData::SetPassword(const QString& aValue) {
  Change(FPassword, TQelStringFunctions::Cipher(aValue));
}

TColor TConfigUserNameAndPasswordData::GetColor() const {
  return BoolToColor(GetConnected());
}

QString TConfigUserNameAndPasswordData::OldDecipher(const QString& aValue) {
  return TQelStringFunctions::Decipher(aValue);
}

bool TConfigUserNameAndPasswordData::Connect() {
  const QString lMethod = QStringLiteral("Connect");
  const uint64_t lTick = GetTickCount64();
  if (FOnBeforeConnect)
    FOnBeforeConnect(this);
  bool lResult = false;
  try {
    lResult = ConnectInternal();
  } catch (const std::exception& e) {
    TLogging::Add(this, lMethod, e, false);
    lResult = false;
  } catch (...) {
    // Whatever a connection throws, the attempt ends as a failure with both events run.
    TLogging::Add(this, lMethod, Exception(QStringLiteral("Unknown error")), false);
    lResult = false;
  }
  if (FOnAfterConnect)
    FOnAfterConnect(this);
  TLogging::SuccessError(lResult, QStringLiteral("Connected"), this, lMethod);
  TLogging::AddRunTime(this, lMethod, lTick, 0);
  return lResult;
}

bool TConfigUserNameAndPasswordData::LoadFromIni(const QString& aSection, TIniFile* aIni) {
  if (!TIniData::LoadFromIni(aSection, aIni))
    return false;
  const QString lUserName = aIni->ReadString(aSection, QStringLiteral("Username"), FUserName);
  if (!lUserName.isEmpty())
    FUserName = lUserName;
  const QString lOldUser = aIni->ReadString(cLegacySection, QStringLiteral("user"), GetUserName());
  if (!lOldUser.isEmpty())
    SetUserName(lOldUser);
  const QString lPassword = aIni->ReadString(aSection, QStringLiteral("Password"), FPassword);
  if (!lPassword.isEmpty())
    FPassword = lPassword;
  const QString lOldPassword = aIni->ReadString(cLegacySection, QStringLiteral("pwd"), QString());
  if (!lOldPassword.isEmpty()) {
    TLogging::Add(this, QStringLiteral("LoadFromIni"), QStringLiteral("Found old Password"),
                  ltInformation);
    SetPassword(OldDecipher(lOldPassword));
  }
  return true;
}

bool TConfigUserNameAndPasswordData::SaveToIni(const QString& aSection, TIniFile* aIni) {
  if (!TIniData::SaveToIni(aSection, aIni))
    return false;
  aIni->WriteString(aSection, QStringLiteral("Username"), FUserName);
  aIni->WriteString(aSection, QStringLiteral("Password"), FPassword);
  return true;
}
