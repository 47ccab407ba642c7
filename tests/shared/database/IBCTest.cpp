// The logged connection, query and statement components: the fixed connection settings,
// the transaction every statement gets, reconnecting, the log entries with SQL and
// parameters, rolling back a query's own work, and the unlogged plain queries.
#include "Qel.Ibdac.Error.h"
#include "Qel.Shared.Database.h"
#include "Qel.Shared.IBC.h"
#include "Qel.Shared.Logging.Statistic.h"
#include "QelDbTest.h"
#include "QelLogCapture.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

bool HasRecord(const TLogCapture& aLog, TLogTyp aTyp, const QString& aSenderPart,
               const QString& aText) {
  for (const TLoggingData& lData : aLog.Records())
    if (lData.FTyp == aTyp && lData.FSender.contains(aSenderPart) && lData.FText == aText)
      return true;
  return false;
}

TEST(QelIBCConnection, OpenAppliesTheConnectionSettingsAndDefaultRole) {
  const auto lDb = TTestDatabase::WithAppSchema();
  auto lConnection = NewConnection(*lDb);
  lConnection->SetAutoCommit(true);
  lConnection->SetSQLDialect(1);
  lConnection->Options().Charset = QStringLiteral("NONE");
  lConnection->Params().Add(QStringLiteral("lc_ctype=WIN1252"));
  TLogCapture lLog;

  ASSERT_TRUE(lConnection->Open(QString()));
  EXPECT_FALSE(lConnection->AutoCommit());
  EXPECT_EQ(lConnection->SQLDialect(), 3);
  EXPECT_EQ(lConnection->Options().Role, QStringLiteral("lumo"));
  EXPECT_EQ(lConnection->Options().Charset, QStringLiteral("UTF8"));
  EXPECT_EQ(lConnection->Params().Count(), 0);
  EXPECT_TRUE(
      HasRecord(lLog, ltSuccess, QStringLiteral("Open(lumo)"), QStringLiteral("Connected")));

  // A given role is used as it is; opening again reconnects.
  ASSERT_TRUE(lConnection->Open(QStringLiteral("replication")));
  EXPECT_EQ(lConnection->Options().Role, QStringLiteral("replication"));
  EXPECT_TRUE(
      HasRecord(lLog, ltSuccess, QStringLiteral("Open(replication)"), QStringLiteral("Connected")));
}

TEST(QelIBCConnection, OpenOfAnUnreachableDatabaseReturnsFalseAfterOneAttempt) {
  const int lPort = ClosedLoopbackPort();
  ASSERT_GT(lPort, 0);
  const struct {
    QString Server;
    QString Database;
  } cCases[] = {
      {QStringLiteral("127.0.0.1/%1").arg(lPort), QStringLiteral("/x.fdb")},
      {QString(), QStringLiteral("/nonexistent/folder/x.fdb")},
  };
  for (const auto& c : cCases) {
    TQelIBCConnection lConnection(nullptr);
    lConnection.SetServer(c.Server);
    lConnection.SetDatabase(c.Database);
    lConnection.SetUsername(QStringLiteral("SYSDBA"));
    TLogCapture lLog;
    const auto lStart = std::chrono::steady_clock::now();
    EXPECT_FALSE(lConnection.Open(QString()));
    EXPECT_LT(std::chrono::steady_clock::now() - lStart, std::chrono::seconds(5));
    EXPECT_FALSE(lConnection.Connected());
    EXPECT_EQ(lLog.Count(ltError, QStringLiteral("Exception:")), 1) << c.Database.toStdString();
    EXPECT_TRUE(
        HasRecord(lLog, ltError, QStringLiteral("Open(lumo)"), QStringLiteral("Connected")));
  }
}

TEST(QelIBCQuery, RunsInATransactionOfItsOwnAndLogsFailuresWithSqlAndParameters) {
  const auto lDb = TTestDatabase::WithAppSchema();
  auto lConnection = NewConnection(*lDb);
  ASSERT_TRUE(lConnection->Open(QString()));
  auto* lQuery = new TQelIBCQuery(lConnection.get()); // freed by the connection
  EXPECT_EQ(lQuery->Connection(), lConnection.get());
  lQuery->SQL().SetText(QStringLiteral("SELECT ID FROM DOKUMENT d\nWHERE d.CRE_DAT >= :adate"));
  lQuery->ParamByName(QStringLiteral("aDate"))->SetAsDateTime(EncodeDate(2024, 1, 1));
  lQuery->Open();
  ASSERT_NE(lQuery->Transaction(), nullptr);
  EXPECT_EQ(lQuery->Transaction()->Owner(), lQuery);
  EXPECT_TRUE(lQuery->Transaction()->Active());
  EXPECT_NE(lQuery->Transaction(), lConnection->DefaultTransaction());

  // A failing statement: an error entry with the SQL and the parameter values, raised again,
  // and no run-time entry.
  lQuery->Close();
  lQuery->SQL().SetText(QStringLiteral("SELECT NO_SUCH_COLUMN\nFROM DOKUMENT\nWHERE ID = :id"));
  lQuery->ParamByName(QStringLiteral("id"))->SetAsString(QStringLiteral("it's; 1"));
  TLogCapture lLog;
  try {
    lQuery->Open();
    ADD_FAILURE() << "an unknown column was accepted";
  } catch (const Exception& e) {
    EXPECT_TRUE(e.Message().contains(QStringLiteral("NO_SUCH_COLUMN"))) << e.what();
  }
  const std::vector<TLoggingData> lRecords = lLog.Records();
  ASSERT_EQ(lRecords.size(), 1u);
  EXPECT_EQ(lRecords[0].FTyp, ltError);
  EXPECT_TRUE(lRecords[0].FSender.contains(QStringLiteral("InternalOpen")));
  EXPECT_EQ(lRecords[0].FTrace,
            QStringLiteral("SELECT NO_SUCH_COLUMN\r\nFROM DOKUMENT\r\nWHERE ID = "
                           ":id\r\n\r\n<PARAMS>\r\nid:it's; 1\r\n"));
}

TEST(QelIBCUtils, ObjectToStrShowsSqlLinesAndParameterValues) {
  TQelIBCQuery lQuery(nullptr);
  lQuery.SQL().AddStrings({QStringLiteral("SELECT *"), QStringLiteral("FROM DOKUMENT d"),
                           QStringLiteral("WHERE d.CRE_DAT >= :adate")});
  lQuery.ParamByName(QStringLiteral("adate"))->SetAsDateTime(EncodeDate(2024, 3, 5));
  TQelIBCSql lSql(nullptr);
  lSql.SQL().SetText(QStringLiteral("DELETE FROM DOKUMENT"));
  TQelIBCTransaction lOther(nullptr);

  EXPECT_EQ(TQelIBCUtils::ObjectToStr(&lQuery),
            QStringLiteral("SELECT *\r\nFROM DOKUMENT d\r\nWHERE d.CRE_DAT >= :adate\r\n\r\n"
                           "<PARAMS>\r\nadate:2024-03-05\r\n"));
  EXPECT_EQ(TQelIBCUtils::ObjectToStr(&lSql), QStringLiteral("DELETE FROM DOKUMENT\r\n"));
  EXPECT_EQ(TQelIBCUtils::ObjectToStr(&lOther), QString());
  EXPECT_EQ(TQelIBCUtils::ObjectToStr(nullptr), QString());
}

TEST(QelIBCUtils, AClosedConnectionIsReconnectedBeforeTheStatement) {
  const auto lDb = TTestDatabase::WithAppSchema();
  auto lConnection = NewConnection(*lDb);
  ASSERT_TRUE(lConnection->Open(QString()));
  lConnection->Close();
  TPauseCounter lPauses;
  TQelIBCQuery lQuery(lConnection.get());
  lQuery.SQL().SetText(QStringLiteral("SELECT VERSION FROM MODIFY_DB"));
  lQuery.Open();
  EXPECT_TRUE(lConnection->Connected());
  EXPECT_EQ(lQuery.Fields(0)->AsInteger(), 1);
  // One attempt, and the pause follows it.
  EXPECT_EQ(lPauses.Count(), 1);
  EXPECT_EQ(lPauses.Last(), 125);
}

TEST(QelIBCUtils, TheReconnectLoopGivesUpAfterAHundredAttemptsAndTheErrorReachesTheCaller) {
  TQelIBCConnection lConnection(nullptr);
  lConnection.SetDatabase(QStringLiteral("/nonexistent/folder/x.fdb"));
  TQelIBCSql lSql(&lConnection);
  lSql.SQL().SetText(QStringLiteral("DELETE FROM DOKUMENT"));
  TPauseCounter lPauses;
  TLogCapture lLog;
  EXPECT_THROW(lSql.Execute(), EDatabaseError);
  EXPECT_EQ(lPauses.Count(), 100);
  EXPECT_EQ(lLog.Count(ltError, QStringLiteral("x.fdb")), 100);
}

TEST(QelIBCUtils, InitTransactionWithoutSenderOrConnectionRaises) {
  TQelIBCConnection lConnection(nullptr);
  TQelIBCQuery lQuery(nullptr);
  TLogCapture lLog;
  EXPECT_THROW(TQelIBCUtils::InitTransaction(nullptr, &lConnection, nullptr), Exception);
  EXPECT_THROW(TQelIBCUtils::InitTransaction(&lQuery, nullptr, nullptr), Exception);
  EXPECT_EQ(lLog.Count(ltExcept, QStringLiteral("Transaction will NOT be created!")), 2);
  // A query without connection thus fails before it runs.
  lQuery.SQL().SetText(QStringLiteral("SELECT 1 FROM RDB$DATABASE"));
  EXPECT_THROW(lQuery.Open(), Exception);
}

TEST(QelIBCUtils, ATransactionTakesItsConnectionFromItsOwner) {
  TQelIBCConnection lConnection(nullptr);
  TQelIBCQuery lQuery(&lConnection);
  TQelIBCSql lSql(&lConnection);
  TQelIBCQuery lLoose(nullptr);
  const struct {
    TComponent* Owner;
    TIBCConnection* Expected;
  } cCases[] = {
      {&lConnection, &lConnection}, {&lQuery, &lConnection}, {&lSql, &lConnection},
      {&lLoose, nullptr},           {nullptr, nullptr},
  };
  for (const auto& c : cCases) {
    auto* lOwned = new TQelIBCTransaction(c.Owner);
    EXPECT_EQ(lOwned->DefaultConnection(), c.Expected);
    if (!c.Owner)
      delete lOwned;
  }
}

TEST(QelIBCQuery, DestroyingRollsBackOnlyTheQuerysOwnTransaction) {
  const auto lDb = TTestDatabase::WithAppSchema();
  auto lConnection = NewConnection(*lDb);
  ASSERT_TRUE(lConnection->Open(QString()));
  const QString lInsert = QStringLiteral(
      "INSERT INTO DOKUMENT (DATEINAME, PFADNAME) VALUES (:name, 'x/') RETURNING ID");

  // Its own transaction: the insert is rolled back when the query goes.
  auto lQuery = std::make_unique<TQelIBCQuery>(lConnection.get());
  lQuery->SQL().SetText(lInsert);
  lQuery->ParamByName(QStringLiteral("name"))->SetAsString(QStringLiteral("own.pdf"));
  lQuery->Execute();
  TIBCTransaction* lOwn = lQuery->Transaction();
  ASSERT_TRUE(lOwn && lOwn->Active());
  lQuery.reset();

  // A transaction the caller supplied stays active and keeps the row.
  TQelIBCTransaction lSupplied(nullptr);
  lSupplied.SetDefaultConnection(lConnection.get());
  lQuery = std::make_unique<TQelIBCQuery>(lConnection.get());
  lQuery->SetTransaction(&lSupplied);
  lQuery->SQL().SetText(lInsert);
  lQuery->ParamByName(QStringLiteral("name"))->SetAsString(QStringLiteral("supplied.pdf"));
  lQuery->Execute();
  lQuery.reset();
  ASSERT_TRUE(lSupplied.Active());
  lSupplied.Commit();

  EXPECT_EQ(lDb->Scalar(QStringLiteral("SELECT LIST(DATEINAME) FROM DOKUMENT")),
            QStringLiteral("supplied.pdf"));
}

TEST(QelIBCSql, ExecuteCountsRowsAndChangesPersistOnlyWhenCommitted) {
  const auto lDb = TTestDatabase::WithAppSchema();
  auto lConnection = NewConnection(*lDb);
  ASSERT_TRUE(lConnection->Open(QString()));
  TQelIBCSql lSql(lConnection.get());
  lSql.SQL().SetText(QStringLiteral("UPDATE MODIFY_DB SET APP_VERSION = :v"));
  lSql.ParamByName(QStringLiteral("v"))->SetAsString(QStringLiteral("2.0.0.0"));
  lSql.Execute();
  EXPECT_EQ(lSql.RowsAffected(), 1);
  EXPECT_EQ(lDb->Scalar(QStringLiteral("SELECT APP_VERSION FROM MODIFY_DB")),
            QStringLiteral("1.0.0.1"));
  lSql.Transaction()->Commit();
  EXPECT_EQ(lDb->Scalar(QStringLiteral("SELECT APP_VERSION FROM MODIFY_DB")),
            QStringLiteral("2.0.0.0"));
}

TEST(QelIBCComponents, CountThemselvesInTheInstanceStatistics) {
  const auto lCount = [](const QString& aClass) {
    return TLoggingStatisticList::Instance()->Count(aClass);
  };
  const int lConnections = lCount(QStringLiteral("TQelIBCConnection"));
  const int lQueries = lCount(QStringLiteral("TQelIBCQuery"));
  const int lStatements = lCount(QStringLiteral("TQelIBCSql"));
  {
    TQelIBCConnection lConnection(nullptr);
    new TQelIBCQuery(&lConnection);
    new TQelIBCQuery(&lConnection);
    TQelIBCSql lSql(&lConnection);
    EXPECT_EQ(lCount(QStringLiteral("TQelIBCConnection")), lConnections + 1);
    EXPECT_EQ(lCount(QStringLiteral("TQelIBCQuery")), lQueries + 2);
    EXPECT_EQ(lCount(QStringLiteral("TQelIBCSql")), lStatements + 1);
  }
  EXPECT_EQ(lCount(QStringLiteral("TQelIBCConnection")), lConnections);
  EXPECT_EQ(lCount(QStringLiteral("TQelIBCQuery")), lQueries);
  EXPECT_EQ(lCount(QStringLiteral("TQelIBCSql")), lStatements);
}

TEST(QelDatabase, CreateDataSetGivesAnUnloggedQueryWithATransactionOfItsOwn) {
  const auto lDb = TTestDatabase::WithAppSchema();
  auto lConnection = NewConnection(*lDb);
  ASSERT_TRUE(lConnection->Open(QString()));
  auto lQuery = TQelDatabase::CreateDataSet(lConnection.get());
  EXPECT_EQ(lQuery->Owner(), lConnection.get());
  EXPECT_EQ(lQuery->Connection(), lConnection.get());
  ASSERT_NE(lQuery->Transaction(), nullptr);
  EXPECT_EQ(lQuery->Transaction()->Owner(), lQuery.get());
  EXPECT_EQ(lQuery->Transaction()->DefaultConnection(), lConnection.get());
  lQuery->SQL().SetText(QStringLiteral("SELECT VERSION FROM MODIFY_DB"));
  TLogCapture lLog;
  lQuery->Open();
  EXPECT_EQ(lQuery->Fields(0)->AsInteger(), 1);
  lQuery->Close();
  lQuery->SQL().SetText(QStringLiteral("SELECT NOTHING FROM MODIFY_DB"));
  EXPECT_THROW(lQuery->Open(), EIBCError);
  EXPECT_TRUE(lLog.Records().empty());
}

TEST(QelIBCQuery, FetchesAHundredThousandDocumentsCompletely) {
  const auto lDb = TTestDatabase::WithAppSchema();
  auto lConnection = NewConnection(*lDb);
  ASSERT_TRUE(lConnection->Open(QString()));
  FillDokument(*lConnection, 100000);
  TQelIBCQuery lQuery(lConnection.get());
  lQuery.SQL().AddStrings({QStringLiteral("SELECT *"), QStringLiteral("FROM DOKUMENT d"),
                           QStringLiteral("WHERE d.CRE_DAT >= :adate")});
  lQuery.ParamByName(QStringLiteral("aDate"))->SetAsDateTime(EncodeDate(2024, 1, 1));
  lQuery.SetFetchAll(true);
  TLogCapture lLog;
  lQuery.Open();
  EXPECT_EQ(lQuery.RecordCount(), 100000);
  int lRows = 0;
  int64_t lIdSum = 0;
  for (; !lQuery.Eof(); lQuery.Next()) {
    ++lRows;
    lIdSum += lQuery.FieldByName(QStringLiteral("ID"))->AsInteger();
  }
  EXPECT_EQ(lRows, 100000);
  EXPECT_EQ(lIdSum, int64_t{100000} * 100001 / 2);
  // The open took long enough for its run-time entry, which names the row count.
  EXPECT_EQ(lLog.Count(ltRunTime, QStringLiteral("Count: 100000")), 1);
}

} // namespace
