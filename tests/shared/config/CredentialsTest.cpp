// Credentials: the character-shift cipher, enciphered user name and password in memory and in
// the file, the old "DB" keys, the logged connect; the encrypted-text routine.
#include "Qel.Rtl.Exceptions.h"
#include "Qel.Rtl.IniFiles.h"
#include "Qel.Shared.Config.UserNameAndPassword.Data.h"
#include "Qel.Shared.DeChipher.h"
#include "Qel.Shared.PathsAndFiles.h"
#include "Qel.Shared.StrFunc.h"
#include "Qel.Shared.Utils.h"
#include "QelLogCapture.h"
#include "QelServiceTest.h"
#include "QelTestFolder.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString& aFileName) {
  QFile lFile(aFileName);
  return lFile.open(QIODevice::ReadOnly) ? lFile.readAll() : QByteArray("<missing>");
}

TEST(Cipher, RoundTripsAnyText) {
  const QString cTexts[] = {
      QString(),
      QStringLiteral("a"),
      QStringLiteral("masterkey"),
      QStringLiteral("Grüße, 123 !\"#"),
      QString(QChar(0xFFFF)) + QChar(0xFFF0) + QChar(0xFFEB) + QChar(0xFFFE) + QChar(0xFFFA),
      QString(QChar(0x0001)) + QChar(0x0000) + QChar(0x0005),
  };
  const TDeChipher lChipher;
  for (const QString& lText : cTexts) {
    const QString lCiphered = TQelStringFunctions::Cipher(lText);
    EXPECT_EQ(lCiphered.size(), lText.size());
    EXPECT_EQ(TQelStringFunctions::Decipher(lCiphered), lText);
    // Both homes of the cipher use the one key.
    EXPECT_EQ(lChipher.Cipher(lText), lCiphered);
    EXPECT_EQ(lChipher.Decipher(lCiphered), lText);
    EXPECT_EQ(TConfigUserNameAndPasswordData::OldDecipher(lCiphered), lText);
  }
}

TEST(Cipher, KeyLettersRepeatAndWrapAround) {
  // Key "QELU": shifts 17, 5, 12, 21, then 17 again.
  EXPECT_EQ(TQelStringFunctions::Cipher(QStringLiteral("AAAAA")), QStringLiteral("RFMVR"));
  EXPECT_EQ(TQelStringFunctions::Cipher(QString(QChar(0xFFFF))), QString(QChar(0x0010)));
  EXPECT_EQ(TQelStringFunctions::Decipher(QString(QChar(0x0003))), QString(QChar(0xFFF2)));
}

TEST(Cipher, StringToHex) {
  EXPECT_EQ(TQelStringFunctions::StringToHex(QByteArray("\x0a\xff", 2)), QStringLiteral("0AFF"));
  EXPECT_EQ(TQelStringFunctions::StringToHex(QByteArray()), QString());
}

TEST(DecryptQel, RoundTrips) {
  for (const QString& lText : {QStringLiteral("x"), QStringLiteral("exactly 8 chars!"),
                               QStringLiteral("Grüße aus Tirol"), QString(300, QChar(0x20AC))}) {
    const QString lEncrypted = TQelStringFunctions::EncryptQel(lText);
    ASSERT_FALSE(lEncrypted.isEmpty());
    EXPECT_EQ(TQelStringFunctions::DecryptQel(lEncrypted), lText);
    // A fresh seed every time.
    EXPECT_NE(TQelStringFunctions::EncryptQel(lText), lEncrypted);
  }
}

TEST(DecryptQel, AnyDamageGivesTheEmptyText) {
  const QByteArray lGood =
      QByteArray::fromBase64(TQelStringFunctions::EncryptQel(QStringLiteral("secret")).toLatin1());
  // 16 bytes seed, 12 bytes data, 16 bytes MAC: a flipped byte in each part.
  ASSERT_EQ(lGood.size(), 16 + 12 + 16);
  for (qsizetype lIx : {0, 15, 16, 27, 28, 43}) {
    QByteArray lBad = lGood;
    lBad[lIx] = static_cast<char>(lBad[lIx] ^ 0x01);
    EXPECT_EQ(TQelStringFunctions::DecryptQel(QString::fromLatin1(lBad.toBase64())), QString())
        << "byte " << lIx;
  }
  EXPECT_EQ(TQelStringFunctions::DecryptQel(QString()), QString());
  EXPECT_EQ(TQelStringFunctions::DecryptQel(QStringLiteral("not base64 !")), QString());
  EXPECT_EQ(TQelStringFunctions::DecryptQel(QString::fromLatin1(lGood.left(31).toBase64())),
            QString());
  EXPECT_EQ(TQelStringFunctions::DecryptQel(QString::fromLatin1(QByteArray(20, 'a').toBase64())),
            QString());
}

// A login section whose connect does what the test says.
class TTestLogin : public TConfigUserNameAndPasswordData {
  QEL_CLASS("Test.Config", TTestLogin)
public:
  TTestLogin(TCreateKey, TFileData* aFile)
      : TConfigUserNameAndPasswordData(aFile, QStringLiteral("Database")) {}
  bool GetConnected() const override { return FConnected; }
  std::function<bool()> FConnect = [] { return true; };
  bool FConnected = false;

protected:
  bool ConnectInternal() override { return FConnected = FConnect(); }
  bool DisconnectInternal() override { return !(FConnected = false); }
};

class Credentials : public TServiceTest {
protected:
  std::unique_ptr<TTestLogin> Login(const QByteArray& aContent) {
    const QString lName = FFolder->WriteFile(QStringLiteral("Conf/login.ini"), aContent);
    FLog.Clear();
    return TIniData::Create<TTestLogin>(TPathsAndFiles::AddFile(lName, true, false));
  }
  QString FileName() const { return FFolder->Root() + QStringLiteral("Conf/login.ini"); }

  TLogCapture FLog;
};

TEST_F(Credentials, OldDbKeysAreTakenOverAndSavedEnciphered) {
  const QByteArray lOldPwd = TQelStringFunctions::Cipher(QStringLiteral("masterkey")).toUtf8();
  auto lLogin = Login("[DB]\nuser=sysdba\npwd=" + lOldPwd + "\n");
  EXPECT_EQ(lLogin->GetUserName(), QStringLiteral("sysdba"));
  EXPECT_EQ(lLogin->GetPassword(), QStringLiteral("masterkey"));
  EXPECT_EQ(lLogin->Action(), daUpdate);
  EXPECT_TRUE(FLog.Contains(ltInformation, QStringLiteral("Found old Password")));

  ASSERT_TRUE(lLogin->Save());
  const TIniFile lIni(FileName());
  EXPECT_EQ(lIni.ReadString(QStringLiteral("Database"), QStringLiteral("Username"), QString()),
            TQelStringFunctions::Cipher(QStringLiteral("sysdba")));
  EXPECT_EQ(lIni.ReadString(QStringLiteral("Database"), QStringLiteral("Password"), QString()),
            TQelStringFunctions::Cipher(QStringLiteral("masterkey")));
  // The old keys are only read, never written or erased.
  EXPECT_EQ(lIni.ReadString(QStringLiteral("DB"), QStringLiteral("user"), QString()),
            QStringLiteral("sysdba"));
  EXPECT_FALSE(ReadAll(FileName()).contains("masterkey"));
  for (const TLoggingData& lRecord : FLog.Records())
    EXPECT_FALSE(lRecord.FText.contains(QStringLiteral("masterkey")))
        << lRecord.FText.toStdString();
}

TEST_F(Credentials, StoredCredentialsLoadUnchangedAndSettersEncipher) {
  const QByteArray lUser = TQelStringFunctions::Cipher(QStringLiteral("anna")).toUtf8();
  const QByteArray lPwd = TQelStringFunctions::Cipher(QStringLiteral("geheim")).toUtf8();
  auto lLogin = Login("[Database]\nUsername=" + lUser + "\nPassword=" + lPwd + "\n");
  EXPECT_EQ(lLogin->GetUserName(), QStringLiteral("anna"));
  EXPECT_EQ(lLogin->GetPassword(), QStringLiteral("geheim"));
  EXPECT_EQ(lLogin->Action(), daNone);

  lLogin->SetPassword(QStringLiteral("geheim"));
  EXPECT_EQ(lLogin->Action(), daNone);
  lLogin->SetPassword(QStringLiteral("neu"));
  EXPECT_EQ(lLogin->Action(), daUpdate);
  EXPECT_EQ(lLogin->GetValueByName(QStringLiteral("FPassword")).AsString(),
            TQelStringFunctions::Cipher(QStringLiteral("neu")));

  // A missing key keeps the current value.
  auto lEmpty = Login("");
  lEmpty->SetUserName(QStringLiteral("kept"));
  EXPECT_TRUE(lEmpty->Load());
  EXPECT_EQ(lEmpty->GetUserName(), QStringLiteral("kept"));
}

TEST_F(Credentials, ConnectRunsTheEventsAndLogsTheOutcome) {
  auto lLogin = Login("");
  QStringList lSteps;
  lLogin->SetOnBeforeConnect([&](TObject*) { lSteps << QStringLiteral("before"); });
  lLogin->SetOnAfterConnect([&](TObject* aSender) {
    lSteps << (aSender == lLogin.get() ? QStringLiteral("after") : QStringLiteral("?"));
  });
  lLogin->FConnect = [&] {
    lSteps << QStringLiteral("connect");
    return true;
  };
  FLog.Clear();
  EXPECT_TRUE(lLogin->Connect());
  EXPECT_EQ(lSteps, QStringList({"before", "connect", "after"}));
  EXPECT_TRUE(FLog.Contains(ltSuccess, QStringLiteral("Connected")));
  EXPECT_EQ(lLogin->GetColor(), BoolToColor(true));

  lSteps.clear();
  lLogin->FConnect = [&]() -> bool { throw Exception(QStringLiteral("server gone")); };
  FLog.Clear();
  EXPECT_FALSE(lLogin->Connect());
  EXPECT_EQ(lSteps, QStringList({"before", "after"}));
  EXPECT_TRUE(FLog.Contains(ltError, QStringLiteral("server gone")));
  EXPECT_TRUE(FLog.Contains(ltError, QStringLiteral("Connected")));
}

} // namespace
