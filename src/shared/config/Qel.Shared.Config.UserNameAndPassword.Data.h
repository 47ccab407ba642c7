#pragma once
// The base of configuration sections that log in somewhere: a user name and a password, both
// held and stored enciphered, taken over from the old "DB" keys, and a logged connect around
// the descendant's own.

#include "Qel.Shared.Config.Ini.Data.h"

#include <functional>

using TNotifyEvent = std::function<void(TObject* aSender)>;

class TConfigUserNameAndPasswordData : public TIniData {
  QEL_CLASS("Qel.Shared.Config.UserNameAndPassword.Data", TConfigUserNameAndPasswordData)
  QEL_FIELDS(TConfigUserNameAndPasswordData, TIniData, QEL_FIELD(FPassword), QEL_FIELD(FUserName))

public:
  // Readers get plain text; the fields never hold it.
  QString GetUserName() const;
  void SetUserName(const QString& aValue);
  QString GetPassword() const;
  void SetPassword(const QString& aValue);

  const TNotifyEvent& OnBeforeConnect() const { return FOnBeforeConnect; }
  void SetOnBeforeConnect(TNotifyEvent aValue) { FOnBeforeConnect = std::move(aValue); }
  const TNotifyEvent& OnAfterConnect() const { return FOnAfterConnect; }
  void SetOnAfterConnect(TNotifyEvent aValue) { FOnAfterConnect = std::move(aValue); }

  // Green when connected, red otherwise.
  TColor GetColor() const override;
  virtual bool GetConnected() const = 0;
  // Runs the descendant's connect between the two events; its errors are logged and give
  // false. Logs the outcome and the run time.
  bool Connect();

  // "Username" and "Password" of aSection (already enciphered), then the plain "user" and the
  // old enciphered "pwd" of section "DB", which win when present. Missing keys keep the
  // current values.
  bool LoadFromIni(const QString& aSection, TIniFile* aIni) override;
  // "Username" and "Password" of aSection, enciphered; the "DB" keys are never written.
  bool SaveToIni(const QString& aSection, TIniFile* aIni) override;

  // The deciphering of the old "DB"/"pwd" value.
  static QString OldDecipher(const QString& aValue);

protected:
  TConfigUserNameAndPasswordData(TFileData* aFile, const QString& aSection);

  virtual bool ConnectInternal() = 0;
  virtual bool DisconnectInternal() = 0;

private:
  QString FPassword;
  QString FUserName;
  TNotifyEvent FOnAfterConnect;
  TNotifyEvent FOnBeforeConnect;
};
