// Data objects: change recording, the field description, Assign, values by name and JSON.
#include "Qel.Rtl.Exceptions.h"
#include "Qel.Rtl.Json.h"
#include "Qel.Shared.Data.h"
#include "QelLogCapture.h"

#include <QJsonObject>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

class TSample : public TData {
  QEL_CLASS("Test.Data", TSample)
  QEL_FIELDS(TSample, TData, QEL_FIELD(FName), QEL_FIELD(FFlag), QEL_FIELD(FCount),
             QEL_FIELD(FSize), QEL_FIELD(FRate), QEL_FIELD(FStamp),
             QEL_FIELD_COLUMN(FColumn, "Spalte"), QEL_FIELD(FLink))

public:
  QString FName;
  bool FFlag = false;
  int32_t FCount = 0;
  int64_t FSize = 0;
  double FRate = 0;
  TDateTime FStamp;
  QString FColumn;
  TData* FLink = nullptr; // an object reference: described, never copied or serialised

  void Fill() {
    FName = QStringLiteral("Grüße \"quoted\"");
    FFlag = true;
    FCount = -7;
    FSize = INT64_C(9007199254740993); // beyond the exact range of a double
    FRate = 0.125;
    FStamp = EncodeDateTime(2024, 2, 29, 13, 45, 10, 123);
    FColumn = QStringLiteral("c");
    FLink = this;
    FActive = true;
    FAction = daUpdate;
    FReadOnly = true;
    FFileExt = QStringLiteral(".json");
    FCreatedUser = QStringLiteral("me");
    FCreatedDateTime = EncodeDate(1999, 12, 31);
  }
};

// The same names with other types: FCount as text.
class TOther : public TData {
  QEL_CLASS("Test.Data", TOther)
  QEL_FIELDS(TOther, TData, QEL_FIELD(FCount), QEL_FIELD(FNAME))

public:
  QString FCount;
  QString FNAME;
};

// A field whose reading fails, to provoke a serialisation error.
struct TExploding {};
} // namespace

template <> struct TFieldTraits<TExploding> {
  static constexpr TFieldKind Kind = fkString;
  static TVariant ToVariant(const TExploding&) { return TVariant(); }
  static void FromVariant(TExploding&, const TVariant&) {}
  static QJsonValue ToJson(const TExploding&) { throw Exception(QStringLiteral("boom")); }
  static bool FromJson(TExploding&, const QJsonValue&) { return false; }
};

namespace {

class TFragile : public TData {
  QEL_CLASS("Test.Data", TFragile)
  QEL_FIELDS(TFragile, TData, QEL_FIELD(FBad))

public:
  TExploding FBad;
};

TEST(Data, NewObjectDefaults) {
  const TData lData;
  EXPECT_TRUE(
      QRegularExpression(QStringLiteral("^\\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\\}$"))
          .match(lData.ID())
          .hasMatch());
  EXPECT_NE(lData.ID(), TData().ID());
  EXPECT_EQ(lData.FileExt(), QStringLiteral(".dat"));
  EXPECT_EQ(lData.Action(), daNone);
  EXPECT_FALSE(lData.GetActive());
  EXPECT_FALSE(lData.ReadOnly());
  EXPECT_EQ(lData.GetCaption(), lData.ID());
  EXPECT_EQ(lData.GetOptions(), (TDataOptions{doUserNew, doUserEdit, doUserDelete}));
  EXPECT_EQ(QString::fromLatin1(lData.GetActionRecord().Caption), QStringLiteral("da_None"));
}

TEST(Data, ChangeRecordsCountedChangesOnly) {
  const struct {
    bool ReadOnly;
    TDataAction Before;
    const char* NewValue; // the stored value is "old"
    bool Counted;
    TDataAction After;
  } cCases[] = {
      {false, daNone, "new", true, daUpdate},   {false, daInsert, "new", true, daUpdate},
      {false, daUpdate, "new", true, daUpdate}, {false, daDelete, "new", true, daDelete},
      {false, daNone, "old", false, daNone},    {false, daInsert, "old", false, daInsert},
      {false, daNone, "OLD", true, daUpdate},   {true, daNone, "new", false, daNone},
      {true, daInsert, "new", false, daInsert},
  };
  for (const auto& c : cCases) {
    TData lData;
    lData.SetReadOnly(c.ReadOnly);
    lData.SetAction(c.Before);
    QString lValue = QStringLiteral("old");
    EXPECT_EQ(lData.Change(lValue, QString::fromLatin1(c.NewValue)), c.Counted) << c.NewValue;
    EXPECT_EQ(lValue, QString::fromLatin1(c.NewValue)) << "stored in every case";
    EXPECT_EQ(lData.Action(), c.After) << c.NewValue << " from " << int(c.Before);
  }
  // The other overloads judge the same way.
  TData lData;
  bool lFlag = false;
  int32_t lCount = 1;
  int64_t lSize = 1;
  double lRate = 1;
  TDateTime lStamp;
  EXPECT_FALSE(lData.Change(lFlag, false));
  EXPECT_FALSE(lData.Change(lCount, 1));
  EXPECT_FALSE(lData.Change(lSize, 1));
  EXPECT_FALSE(lData.Change(lRate, 1.0));
  EXPECT_FALSE(lData.Change(lStamp, TDateTime()));
  EXPECT_EQ(lData.Action(), daNone);
  EXPECT_TRUE(lData.Change(lFlag, true));
  EXPECT_TRUE(lData.Change(lCount, 2));
  EXPECT_TRUE(lData.Change(lSize, 2));
  EXPECT_TRUE(lData.Change(lRate, 2.0));
  EXPECT_TRUE(lData.Change(lStamp, EncodeDate(2024, 1, 1)));
  EXPECT_EQ(lData.Action(), daUpdate);
  lData.MarkForDelete();
  EXPECT_EQ(lData.Action(), daDelete);
  lData.ResetAction();
  EXPECT_EQ(lData.Action(), daNone);
}

TEST(Data, FieldDescriptionListsOwnFieldsThenInherited) {
  const TSample lSample;
  const TFieldArr lFields = lSample.GetFieldArr();
  const struct {
    const char* Name;
    TFieldKind Kind;
    const char* Column;
  } cExpected[] = {
      {"FName", fkString, "Name"},
      {"FFlag", fkBoolean, "Flag"},
      {"FCount", fkInteger, "Count"},
      {"FSize", fkInt64, "Size"},
      {"FRate", fkFloat, "Rate"},
      {"FStamp", fkDateTime, "Stamp"},
      {"FColumn", fkString, "Spalte"},
      {"FLink", fkObject, "Link"},
      {"FID", fkString, "ID"},
      {"FCreatedDateTime", fkDateTime, "CreatedDateTime"},
      {"FCreatedUser", fkString, "CreatedUser"},
      {"FModifiedDateTime", fkDateTime, "ModifiedDateTime"},
      {"FModifiedUser", fkString, "ModifiedUser"},
      {"FFileExt", fkString, "FileExt"},
      {"FActive", fkBoolean, "Active"},
      {"FAction", fkEnumeration, "Action"},
      {"FReadOnly", fkBoolean, "ReadOnly"},
  };
  ASSERT_EQ(lFields.size(), std::size(cExpected));
  for (size_t i = 0; i < lFields.size(); ++i) {
    EXPECT_EQ(lFields[i]->Name, QString::fromLatin1(cExpected[i].Name));
    EXPECT_EQ(lFields[i]->Kind, cExpected[i].Kind) << cExpected[i].Name;
    EXPECT_EQ(TRTTIFieldHelper::GetFieldName(*lFields[i]),
              QString::fromLatin1(cExpected[i].Column));
  }
  EXPECT_EQ(TRTTIFieldHelper::GetJsonName(*lFields[8]), QStringLiteral("iD"));
  EXPECT_EQ(TData().GetFieldArr().size(), 9u) << "the base knows nothing of descendants";
}

TEST(Data, ValueByNameMatchesDeclaredNamesIgnoringCase) {
  TSample lSample;
  lSample.Fill();
  EXPECT_TRUE(lSample.GetValueByName(QStringLiteral("ID")).IsNull());
  EXPECT_EQ(lSample.GetValueByName(QStringLiteral("fid")), TVariant(lSample.ID()));
  EXPECT_EQ(lSample.GetValueByName(QStringLiteral("FCOUNT")), TVariant(int32_t(-7)));
  EXPECT_EQ(lSample.GetValueByName(QStringLiteral("FSize")), TVariant(lSample.FSize));
  EXPECT_EQ(lSample.GetValueByName(QStringLiteral("FStamp")), TVariant(lSample.FStamp));
  EXPECT_EQ(lSample.GetValueByName(QStringLiteral("FAction")), TVariant(int32_t(daUpdate)));
  EXPECT_TRUE(lSample.GetValueByName(QStringLiteral("FLink")).IsNull());
  EXPECT_TRUE(lSample.GetValueByName(QStringLiteral("FMissing")).IsNull());
  lSample.SetValueByName(QStringLiteral("FName"), TVariant(QStringLiteral("x")));
  EXPECT_NE(lSample.FName, QStringLiteral("x")) << "the base does nothing";
}

TEST(Data, AssignCopiesPlainFieldsByName) {
  TSample lSource;
  lSource.Fill();
  TSample lTarget;
  lTarget.FLink = nullptr;
  EXPECT_TRUE(lTarget.Assign(&lSource));
  EXPECT_EQ(lTarget.ID(), lSource.ID());
  EXPECT_EQ(lTarget.FName, lSource.FName);
  EXPECT_EQ(lTarget.FFlag, lSource.FFlag);
  EXPECT_EQ(lTarget.FCount, lSource.FCount);
  EXPECT_EQ(lTarget.FSize, lSource.FSize);
  EXPECT_EQ(lTarget.FRate, lSource.FRate);
  EXPECT_EQ(lTarget.FStamp, lSource.FStamp);
  EXPECT_EQ(lTarget.Action(), daUpdate);
  EXPECT_TRUE(lTarget.ReadOnly());
  EXPECT_TRUE(lTarget.GetActive());
  EXPECT_EQ(lTarget.FileExt(), QStringLiteral(".json"));
  EXPECT_EQ(lTarget.CreatedUser(), QStringLiteral("me"));
  EXPECT_EQ(lTarget.FLink, nullptr) << "object references are never copied";

  EXPECT_FALSE(lTarget.Assign(nullptr));
  EXPECT_FALSE(lTarget.Assign(&lTarget));

  // Across classes: names match without regard to case, values are converted.
  TOther lOther;
  lOther.FNAME = QStringLiteral("from other");
  lOther.FCount = QStringLiteral("12");
  EXPECT_TRUE(lTarget.Assign(&lOther));
  EXPECT_EQ(lTarget.FName, QStringLiteral("from other"));
  EXPECT_EQ(lTarget.FCount, 12);
  EXPECT_EQ(lTarget.ID(), lOther.ID());
  EXPECT_EQ(lTarget.FSize, lSource.FSize) << "fields the source lacks stay";

  for (const char* lBad : {"twelve", "99999999999"}) {
    lOther.FCount = QString::fromLatin1(lBad);
    try {
      lTarget.Assign(&lOther);
      ADD_FAILURE() << lBad << " must not fit FCount";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), QStringLiteral("Unable to set data to property 'FCount'!"));
    }
  }
}

TEST(Data, JsonRoundTrip) {
  TSample lSource;
  lSource.Fill();
  const QString lJson = lSource.GetAsJson();
  QJsonObject lObject;
  ASSERT_TRUE(ObjectFromJson(lJson, lObject)) << lJson.toStdString();
  EXPECT_EQ(lObject.value(QStringLiteral("iD")).toString(), lSource.ID());
  EXPECT_EQ(lObject.value(QStringLiteral("name")).toString(), lSource.FName);
  EXPECT_EQ(lObject.value(QStringLiteral("stamp")).toString(),
            QStringLiteral("2024-02-29T13:45:10.123Z"));
  EXPECT_EQ(lObject.value(QStringLiteral("modifiedDateTime")).toString(),
            QStringLiteral("1899-12-30T00:00:00.000Z"));
  EXPECT_EQ(lObject.value(QStringLiteral("size")).toInteger(), lSource.FSize);
  EXPECT_EQ(lObject.value(QStringLiteral("action")).toInt(), int(daUpdate));
  EXPECT_TRUE(lObject.value(QStringLiteral("readOnly")).toBool());
  EXPECT_FALSE(lObject.contains(QStringLiteral("link")));

  std::unique_ptr<TData> lRead = DataFromJson(TDataClass::Of<TSample>(), lJson);
  ASSERT_TRUE(lRead);
  auto* lCopy = dynamic_cast<TSample*>(lRead.get());
  ASSERT_TRUE(lCopy);
  EXPECT_EQ(lCopy->GetAsJson(), lJson);
  EXPECT_EQ(lCopy->FSize, lSource.FSize);
  EXPECT_EQ(lCopy->FStamp, lSource.FStamp);
  EXPECT_EQ(lCopy->FLink, nullptr);

  EXPECT_FALSE(DataFromJson(TDataClass::Of<TSample>(), QStringLiteral("[1, 2]")));
  EXPECT_FALSE(DataFromJson(TDataClass(), lJson));
}

TEST(Data, JsonReadingIsForgiving) {
  TSample lSample;
  const QString lID = lSample.ID();
  ASSERT_TRUE(lSample.SetAsJson(QStringLiteral(
      R"({"name": 5, "count": "x", "flag": true, "stamp": "2024-01-02", "unknown": 1})")));
  EXPECT_EQ(lSample.ID(), lID) << "missing members leave their field";
  EXPECT_EQ(lSample.FName, QString()) << "members of the wrong type too";
  EXPECT_EQ(lSample.FCount, 0);
  EXPECT_TRUE(lSample.FFlag);
  EXPECT_EQ(lSample.FStamp, EncodeDate(2024, 1, 2));
  EXPECT_FALSE(lSample.SetAsJson(QStringLiteral("not json")));

  const struct {
    const char* Text;
    bool Valid;
    TDateTime Value;
  } cDates[] = {
      {"2024-02-29T13:45:10.123Z", true, EncodeDateTime(2024, 2, 29, 13, 45, 10, 123)},
      {"2024-02-29T13:45:10Z", true, EncodeDateTime(2024, 2, 29, 13, 45, 10, 0)},
      {"2024-02-29T13:45:10.5+02:00", true, EncodeDateTime(2024, 2, 29, 13, 45, 10, 500)},
      {"1899-12-30T00:00:00.000Z", true, TDateTime()},
      {"1800-01-01T06:00:00.000Z", true, EncodeDateTime(1800, 1, 1, 6, 0, 0, 0)},
      {"2023-02-29T00:00:00Z", false, {}},
      {"2024-01-01T25:00:00Z", false, {}},
      {"yesterday", false, {}},
      {"", false, {}},
  };
  for (const auto& c : cDates) {
    TDateTime lValue = EncodeDate(2000, 1, 1);
    EXPECT_EQ(JsonTextToDateTime(QString::fromLatin1(c.Text), lValue), c.Valid) << c.Text;
    if (c.Valid) {
      EXPECT_EQ(lValue, c.Value) << c.Text;
      EXPECT_EQ(JsonTextToDateTime(DateTimeToJsonText(lValue), lValue), true);
      EXPECT_EQ(lValue, c.Value) << c.Text;
    }
  }
}

TEST(Data, JsonFailureIsLoggedAndGivesNoText) {
  const TLogCapture lLog;
  const TFragile lFragile;
  EXPECT_EQ(lFragile.GetAsJson(), QString());
  ASSERT_TRUE(lLog.Contains(ltError, QStringLiteral("boom")));
  const auto lRecords = lLog.Records();
  EXPECT_TRUE(lRecords.back().FSender.contains(QStringLiteral("GetAsJson")))
      << lRecords.back().FSender.toStdString();
}

} // namespace
