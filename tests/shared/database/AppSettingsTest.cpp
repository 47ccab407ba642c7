// The settings store over APP_SETTINGS: lookups and their case rules, typed values, the
// change check against other programs, saving by update and insert, and the single-value
// reader.
#include "Qel.Core.AppSettings.h"
#include "Qel.Shared.Setting.h"
#include "QelDbTest.h"
#include "QelLogCapture.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

class AppSettings : public ::testing::Test {
protected:
  void SetUp() override {
    FDb = TTestDatabase::WithAppSchema();
    FDb->Exec(QStringLiteral("INSERT INTO APP_SETTINGS (SECTION, IDENT, VAL, ID_APP_SCOPE) VALUES "
                             "('KORRESPONDENZ', 'pfad', '/srv/docs/', 1);\n"
                             "INSERT INTO APP_SETTINGS (SECTION, IDENT, VAL, ID_APP_SCOPE) VALUES "
                             "('Mixed', 'Value', 'm', 1);\n"
                             "INSERT INTO APP_SETTINGS (SECTION, IDENT, VAL, ID_APP_SCOPE) VALUES "
                             "('OTHER', 'scope2', 'not ours', 2);\n"));
    FCon = OpenConnection();
    FStore = std::make_unique<TAppSettings>(FCon.get(), false);
  }

  std::unique_ptr<TQelIBCConnection> OpenConnection() const {
    auto lConnection = NewConnection(*FDb);
    EXPECT_TRUE(lConnection->Open(QString()));
    return lConnection;
  }
  QString Stored(const QString& aSection, const QString& aIdent) const {
    return FDb->Scalar(QStringLiteral("SELECT LIST(VAL, '|') FROM APP_SETTINGS WHERE SECTION = "
                                      "'%1' AND IDENT = '%2'")
                           .arg(aSection, aIdent));
  }
  // Database timestamps and the store's load time differ at least by this.
  static void Tick() { std::this_thread::sleep_for(std::chrono::milliseconds(20)); }

  std::unique_ptr<TTestDatabase> FDb;
  std::unique_ptr<TQelIBCConnection> FCon;
  std::unique_ptr<TAppSettings> FStore;
};

TEST_F(AppSettings, ReadsStoredValuesAndRemembersDefaultsOfMissingOnes) {
  EXPECT_EQ(FStore->ReadString(QStringLiteral("KORRESPONDENZ"), QStringLiteral("pfad"), QString()),
            QStringLiteral("/srv/docs/"));
  EXPECT_TRUE(FStore->Loaded());
  EXPECT_FALSE(FStore->SaveRequired());
  // Rows of another scope are not this store's.
  EXPECT_EQ(
      FStore->ReadString(QStringLiteral("OTHER"), QStringLiteral("scope2"), QStringLiteral("dflt")),
      QStringLiteral("dflt"));
  EXPECT_TRUE(FStore->SaveRequired());
  QString lValue;
  EXPECT_TRUE(
      FStore->GetValue(QStringLiteral("OTHER"), QStringLiteral("scope2"), QString(), lValue));
  EXPECT_EQ(lValue, QStringLiteral("dflt"));
}

TEST_F(AppSettings, SectionsAndIdentsFollowTheirCaseRules) {
  const struct {
    const char* Section;
    const char* Ident;
    bool Found;
  } cCases[] = {
      {"KORRESPONDENZ", "pfad", true},   {"Korrespondenz", "pfad", true},
      {" Korrespondenz", "pfad", false}, {"KORRESPONDENZ", "Pfad", true},
      {"KORRESPONDENZ", "PFAD", false},  {"Mixed", "value", true},
      {"MIXED", "Value", false},
  };
  ASSERT_TRUE(FStore->Load());
  for (const auto& c : cCases) {
    QString lValue;
    EXPECT_EQ(FStore->GetValue(QString::fromUtf8(c.Section), QString::fromUtf8(c.Ident),
                               QStringLiteral("?"), lValue),
              c.Found)
        << c.Section << "/" << c.Ident;
  }
}

TEST_F(AppSettings, TypedValuesConvertOrFallBackToTheirDefault) {
  const struct {
    const char* Text;
    bool Default;
    bool Expected;
  } cBooleans[] = {{"-1", false, true},  {"1", false, true},     {"True", false, true},
                   {"0", true, false},   {"False", true, false}, {"yes", true, true},
                   {"yes", false, false}};
  for (const auto& c : cBooleans) {
    FStore->WriteString(QStringLiteral("B"), QStringLiteral("b"), QString::fromUtf8(c.Text));
    EXPECT_EQ(FStore->ReadBoolean(QStringLiteral("B"), QStringLiteral("b"), c.Default), c.Expected)
        << c.Text;
  }
  FStore->WriteString(QStringLiteral("I"), QStringLiteral("i"), QStringLiteral("12a"));
  EXPECT_EQ(FStore->ReadInteger(QStringLiteral("I"), QStringLiteral("i"), 7), 7);

  const TDateTime lStamp = EncodeDateTime(2024, 2, 29, 13, 45, 10, 0);
  FStore->WriteInteger(QStringLiteral("T"), QStringLiteral("int"), -42);
  FStore->WriteDouble(QStringLiteral("T"), QStringLiteral("dbl"), 2.5);
  FStore->WriteBoolean(QStringLiteral("T"), QStringLiteral("bool"), true);
  FStore->WriteDateTime(QStringLiteral("T"), QStringLiteral("dt"), lStamp);
  FStore->WriteDate(QStringLiteral("T"), QStringLiteral("d"), lStamp);
  FStore->WriteTime(QStringLiteral("T"), QStringLiteral("t"), lStamp);
  ASSERT_TRUE(FStore->Save());

  TAppSettings lOther(FCon.get(), false);
  EXPECT_EQ(lOther.ReadInteger(QStringLiteral("T"), QStringLiteral("int"), 0), -42);
  EXPECT_EQ(lOther.ReadDouble(QStringLiteral("T"), QStringLiteral("dbl"), 0), 2.5);
  EXPECT_EQ(lOther.ReadString(QStringLiteral("T"), QStringLiteral("bool"), QString()),
            QStringLiteral("-1"));
  EXPECT_EQ(lOther.ReadDateTime(QStringLiteral("T"), QStringLiteral("dt"), TDateTime()), lStamp);
  EXPECT_EQ(lOther.ReadDate(QStringLiteral("T"), QStringLiteral("d"), TDateTime()), DateOf(lStamp));
  EXPECT_EQ(lOther.ReadTime(QStringLiteral("T"), QStringLiteral("t"), TDateTime()), TimeOf(lStamp));
}

TEST_F(AppSettings, OnlyAChangedTextNeedsSaving) {
  ASSERT_TRUE(FStore->Load());
  EXPECT_FALSE(FStore->SetValue(QStringLiteral("KORRESPONDENZ"), QStringLiteral("pfad"),
                                QStringLiteral("/srv/docs/"), false));
  EXPECT_FALSE(FStore->SaveRequired());
  EXPECT_FALSE(FStore->Save());
  EXPECT_TRUE(FStore->SetValue(QStringLiteral("KORRESPONDENZ"), QStringLiteral("pfad"),
                               QStringLiteral("/srv/new/"), false));
  EXPECT_TRUE(FStore->SaveRequired());
}

TEST_F(AppSettings, SaveUpdatesChangedRowsAndCreatesMissingOnesWithValuesAsGiven) {
  const QString lTricky = QStringLiteral("it's; DROP TABLE APP_SETTINGS; --");
  const QString lLong = QString(1990, u'x') + QStringLiteral("0123456789");
  ASSERT_TRUE(FStore->Load());
  FStore->WriteString(QStringLiteral("KORRESPONDENZ"), QStringLiteral("pfad"), lTricky);
  FStore->WriteString(QStringLiteral("NEW"), QStringLiteral("long"), lLong);
  TLogCapture lLog;
  ASSERT_TRUE(FStore->Save());
  EXPECT_FALSE(FStore->SaveRequired());
  // (The logger shows double quotes as apostrophes.)
  EXPECT_EQ(lLog.Count(ltSuccess, QStringLiteral("Updated 'KORRESPONDENZ.pfad'")), 1);
  EXPECT_EQ(lLog.Count(ltSuccess, QStringLiteral("Created")), 1);

  EXPECT_EQ(Stored(QStringLiteral("KORRESPONDENZ"), QStringLiteral("pfad")), lTricky);
  EXPECT_EQ(Stored(QStringLiteral("NEW"), QStringLiteral("long")), lLong);
  EXPECT_EQ(FDb->Scalar(QStringLiteral("SELECT COUNT(*) FROM APP_SETTINGS")), QStringLiteral("4"));
  // The row keeps its key and creation time; the database stamps the change.
  EXPECT_EQ(FDb->Scalar(QStringLiteral("SELECT COUNT(*) FROM APP_SETTINGS WHERE MOD_DAT IS NOT "
                                       "NULL AND CRE_DAT IS NOT NULL AND ID IS NOT NULL")),
            QStringLiteral("1"));
  TAppSettings lOther(FCon.get(), false);
  EXPECT_EQ(lOther.ReadString(QStringLiteral("NEW"), QStringLiteral("long"), QString()), lLong);
}

TEST_F(AppSettings, AFailedSaveLeavesTheTableAsItWasAndCanBeRepeated) {
  ASSERT_TRUE(FStore->Load());
  FStore->WriteString(QStringLiteral("KORRESPONDENZ"), QStringLiteral("pfad"), QStringLiteral("a"));
  FStore->WriteString(QStringLiteral("NEW"), QStringLiteral("toolong"), QString(2001, u'x'));
  EXPECT_THROW(FStore->Save(), Exception);
  EXPECT_FALSE(FStore->SaveRequired());
  EXPECT_EQ(Stored(QStringLiteral("KORRESPONDENZ"), QStringLiteral("pfad")),
            QStringLiteral("/srv/docs/"));
  FStore->WriteString(QStringLiteral("NEW"), QStringLiteral("toolong"), QStringLiteral("short"));
  EXPECT_TRUE(FStore->Save());
  EXPECT_EQ(Stored(QStringLiteral("KORRESPONDENZ"), QStringLiteral("pfad")), QStringLiteral("a"));
}

TEST_F(AppSettings, ChangesOfOtherProgramsAreReloadedUnlessIgnored) {
  TLogCapture lLog;
  ASSERT_EQ(FStore->ReadString(QStringLiteral("Mixed"), QStringLiteral("Value"), QString()),
            QStringLiteral("m"));
  EXPECT_EQ(lLog.Count(ltWarning, QStringLiteral("Reload of Data required!")), 1); // first load
  EXPECT_FALSE(FStore->LoadRequired(QString(), QString()));

  Tick();
  FDb->Exec(QStringLiteral("UPDATE APP_SETTINGS SET VAL = '/elsewhere/' WHERE IDENT = 'pfad'"));
  // A changed row in any section counts.
  EXPECT_EQ(FStore->ReadString(QStringLiteral("Mixed"), QStringLiteral("Value"), QString()),
            QStringLiteral("m"));
  EXPECT_EQ(lLog.Count(ltWarning, QStringLiteral("Reload of Data required!")), 2);
  EXPECT_EQ(FStore->ReadString(QStringLiteral("KORRESPONDENZ"), QStringLiteral("pfad"), QString()),
            QStringLiteral("/elsewhere/"));

  FStore->SetIgnoreLoadRequired(true);
  Tick();
  FDb->Exec(QStringLiteral("UPDATE APP_SETTINGS SET VAL = '/third/' WHERE IDENT = 'pfad'"));
  EXPECT_EQ(FStore->ReadString(QStringLiteral("KORRESPONDENZ"), QStringLiteral("pfad"), QString()),
            QStringLiteral("/elsewhere/"));
}

TEST_F(AppSettings, SavingNeverOverwritesNewerValuesOfOtherProgramsNorLosesItsOwn) {
  ASSERT_TRUE(FStore->Load());
  FStore->SetIgnoreLoadRequired(true);
  // Another program changes "pfad" after this store loaded it.
  const auto lOtherCon = OpenConnection();
  TAppSettings lOther(lOtherCon.get(), true);
  lOther.WriteString(QStringLiteral("KORRESPONDENZ"), QStringLiteral("pfad"),
                     QStringLiteral("/other/"));
  ASSERT_TRUE(lOther.Save());
  // This store saves a value of its own: the loaded "pfad" is no change of its own.
  FStore->WriteString(QStringLiteral("Mixed"), QStringLiteral("Value"), QStringLiteral("mine"));
  ASSERT_TRUE(FStore->Save());
  EXPECT_EQ(Stored(QStringLiteral("KORRESPONDENZ"), QStringLiteral("pfad")),
            QStringLiteral("/other/"));
  EXPECT_EQ(Stored(QStringLiteral("Mixed"), QStringLiteral("Value")), QStringLiteral("mine"));

  // A value written but not saved yet survives a reload and is saved afterwards.
  FStore->WriteString(QStringLiteral("Mixed"), QStringLiteral("Value"), QStringLiteral("mine2"));
  ASSERT_TRUE(FStore->Load());
  EXPECT_EQ(FStore->ReadString(QStringLiteral("Mixed"), QStringLiteral("Value"), QString()),
            QStringLiteral("mine2"));
  EXPECT_EQ(FStore->ReadString(QStringLiteral("KORRESPONDENZ"), QStringLiteral("pfad"), QString()),
            QStringLiteral("/other/"));
  ASSERT_TRUE(FStore->Save());
  EXPECT_EQ(Stored(QStringLiteral("Mixed"), QStringLiteral("Value")), QStringLiteral("mine2"));
}

TEST_F(AppSettings, ADefaultGivesWayToARowAnotherProgramCreated) {
  ASSERT_TRUE(FStore->Load());
  // A read of a missing row remembers its default ...
  EXPECT_EQ(FStore->ReadString(QStringLiteral("S"), QStringLiteral("neu"), QStringLiteral("x")),
            QStringLiteral("x"));
  Tick();
  // ... then another program creates the row.
  const auto lOtherCon = OpenConnection();
  TAppSettings lOther(lOtherCon.get(), true);
  lOther.WriteString(QStringLiteral("S"), QStringLiteral("neu"), QStringLiteral("y"));
  ASSERT_TRUE(lOther.Save());
  Tick();
  EXPECT_EQ(FStore->ReadString(QStringLiteral("S"), QStringLiteral("neu"), QStringLiteral("x")),
            QStringLiteral("y"));
  FStore->Save();
  EXPECT_EQ(Stored(QStringLiteral("S"), QStringLiteral("neu")), QStringLiteral("y"));
}

TEST_F(AppSettings, ForcedWritesAreSavedAtOnce) {
  ASSERT_TRUE(FStore->Load());
  FStore->SetValue(QStringLiteral("F"), QStringLiteral("one"), QStringLiteral("1"), true);
  EXPECT_EQ(Stored(QStringLiteral("F"), QStringLiteral("one")), QStringLiteral("1"));
  FStore->SetForceWrite(true);
  FStore->WriteInteger(QStringLiteral("F"), QStringLiteral("two"), 2);
  EXPECT_EQ(Stored(QStringLiteral("F"), QStringLiteral("two")), QStringLiteral("2"));
  // Asked for in another case than the row is stored in: the row itself is updated.
  TLogCapture lLog;
  FStore->SetValue(QStringLiteral("Korrespondenz"), QStringLiteral("Pfad"), QStringLiteral("/new/"),
                   true);
  EXPECT_EQ(Stored(QStringLiteral("KORRESPONDENZ"), QStringLiteral("pfad")),
            QStringLiteral("/new/"));
  EXPECT_TRUE(lLog.Contains(ltSuccess, QStringLiteral("Updated 'KORRESPONDENZ.pfad'")));
  EXPECT_FALSE(lLog.Contains(ltSuccess, QStringLiteral("Created")));
}

TEST_F(AppSettings, WithoutAnOpenConnectionNothingIsReadOrWritten) {
  FCon->Close();
  EXPECT_FALSE(FStore->Load());
  EXPECT_FALSE(FStore->LoadRequired(QString(), QString()));
  EXPECT_EQ(FStore->ReadString(QStringLiteral("KORRESPONDENZ"), QStringLiteral("pfad"),
                               QStringLiteral("dflt")),
            QStringLiteral("dflt"));
  EXPECT_TRUE(FStore->SaveRequired());
  EXPECT_FALSE(FStore->Save());
  TAppSettings lNoConnection(nullptr, false);
  EXPECT_FALSE(lNoConnection.Load());
  EXPECT_EQ(lNoConnection.ReadInteger(QStringLiteral("A"), QStringLiteral("b"), 3), 3);
}

TEST_F(AppSettings, TheSingleValueReaderGoesStraightToTheTable) {
  EXPECT_EQ(TQelSetting::GetSettingFromRuzadadiv(FCon.get(), QStringLiteral("KORRESPONDENZ"),
                                                 QStringLiteral("pfad"), TVariant())
                .AsString(),
            QStringLiteral("/srv/docs/"));
  // Any scope; a missing row gives the default unchanged.
  EXPECT_EQ(TQelSetting::GetSettingFromRuzadadiv(FCon.get(), QStringLiteral("OTHER"),
                                                 QStringLiteral("scope2"), TVariant())
                .AsString(),
            QStringLiteral("not ours"));
  EXPECT_EQ(TQelSetting::GetSettingFromRuzadadiv(FCon.get(), QStringLiteral("NONE"),
                                                 QStringLiteral("x"), TVariant(int32_t{5})),
            TVariant(int32_t{5}));
}

} // namespace
