// Fetching all 100,000 DOKUMENT rows through the logged query (fetch-all, every field read as
// text) against isql-fb running the same SELECT with its output thrown away, both on the
// embedded engine. Prints the times and their ratio.
#include "Qel.Os.Folders.h"
#include "Qel.Os.Process.h"
#include "Qel.Rtl.FormatSettings.h"
#include "Qel.Shared.IBC.h"
#include "Qel.Shared.Modules.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

namespace {

using TClock = std::chrono::steady_clock;
constexpr int cRows = 100000;
const QString cSelect = QStringLiteral("SELECT * FROM DOKUMENT");

double Seconds(TClock::time_point aFrom, TClock::time_point aTo) {
  return std::chrono::duration<double>(aTo - aFrom).count();
}

bool RunIsql(const QByteArray& aScript, QByteArray* aOutput = nullptr) {
  QProcess lIsql;
  lIsql.setProcessChannelMode(QProcess::MergedChannels);
  if (!aOutput)
    lIsql.setStandardOutputFile(QStringLiteral("/dev/null"));
  lIsql.start(QStringLiteral("isql-fb"), {QStringLiteral("-q")});
  lIsql.write(aScript);
  lIsql.closeWriteChannel();
  if (!lIsql.waitForFinished(600000))
    return false;
  if (aOutput)
    *aOutput = lIsql.readAll();
  return lIsql.exitCode() == 0;
}

// The database with the application's schema and the rows, made by isql-fb.
bool CreateDatabase(const QString& aFileName) {
  QFile lSchema(QStringLiteral(QEL_SQL_DIR "/schema.sql"));
  if (!lSchema.open(QIODevice::ReadOnly))
    return false;
  QByteArray lScript = "SET NAMES UTF8;\nCREATE DATABASE '" + aFileName.toUtf8() +
                       "' USER 'SYSDBA' DEFAULT CHARACTER SET UTF8;\n" + lSchema.readAll();
  lScript +=
      QStringLiteral("SET TERM ^ ;\n"
                     "EXECUTE BLOCK AS DECLARE i INTEGER = 0; BEGIN\n"
                     "  WHILE (i < %1) DO BEGIN\n"
                     "    INSERT INTO DOKUMENT (DATEINAME, PFADNAME, BEZEICHNUNG, CRE_DAT)\n"
                     "    VALUES ('doc_' || :i || '.pdf', 'folder_' || MOD(:i, 100) || '/',\n"
                     "      'Dokument ' || :i,\n"
                     "      DATEADD(:i MINUTE TO TIMESTAMP '2024-01-01 00:00:00'));\n"
                     "    i = i + 1;\n"
                     "  END\n"
                     "END^\n"
                     "SET TERM ; ^\nCOMMIT;\n")
          .arg(cRows)
          .toUtf8();
  QByteArray lOutput;
  const bool lOk = RunIsql(lScript, &lOutput);
  if (!lOk || lOutput.contains("Statement failed"))
    std::fprintf(stderr, "isql-fb: %s\n", lOutput.constData());
  return lOk;
}

double RunOurs(const QString& aFileName, qint64& aChars, int& aRows) {
  const auto lStart = TClock::now();
  TQelIBCConnection lConnection(nullptr);
  lConnection.SetDatabase(aFileName);
  lConnection.SetUsername(QStringLiteral("SYSDBA"));
  if (!lConnection.Open(QString()))
    return -1;
  TQelIBCQuery lQuery(&lConnection);
  lQuery.SQL().SetText(cSelect);
  lQuery.SetFetchAll(true);
  lQuery.Open();
  aRows = lQuery.RecordCount();
  aChars = 0;
  for (; !lQuery.Eof(); lQuery.Next())
    for (int i = 0; i < lQuery.FieldCount(); ++i)
      aChars += lQuery.Fields(i)->AsString().size();
  lQuery.Close();
  lConnection.Close();
  return Seconds(lStart, TClock::now());
}

double RunIsqlSelect(const QString& aFileName) {
  const auto lStart = TClock::now();
  RunIsql("SET NAMES UTF8;\nCONNECT '" + aFileName.toUtf8() + "' USER 'SYSDBA';\n" +
          cSelect.toUtf8() + ";\n");
  return Seconds(lStart, TClock::now());
}

} // namespace

int main() {
  SetFormatSettings(TFormatSettings::Invariant());
  QTemporaryDir lDir;
  const QString lRoot = lDir.path() + u'/';
  QDir().mkpath(lRoot + QStringLiteral("Prog/Bin"));
  SetApplicationFileNameOverride(lRoot + QStringLiteral("Prog/Bin/bench_database"));
  SetCommonAppDataFolderOverride(lRoot + QStringLiteral("Common"));
  TModuleTable lModules(FrameworkModules());
  lModules.Initialize();

  const QString lDb = lRoot + QStringLiteral("bench.fdb");
  if (!CreateDatabase(lDb)) {
    std::fprintf(stderr, "could not create the database\n");
    return 1;
  }
  RunIsqlSelect(lDb); // both start from a warm page cache
  constexpr int cRuns = 3;
  double lOurs = 0, lIsql = 0;
  qint64 lChars = 0;
  int lRows = 0;
  for (int i = 0; i < cRuns; ++i) {
    lOurs += RunOurs(lDb, lChars, lRows);
    lIsql += RunIsqlSelect(lDb);
  }
  std::printf("database: %d DOKUMENT rows fetched (%lld characters of text), %d runs each\n", lRows,
              static_cast<long long>(lChars), cRuns);
  std::printf("  TQelIBCQuery: %.3f s per run\n", lOurs / cRuns);
  std::printf("  isql-fb:      %.3f s per run\n", lIsql / cRuns);
  std::printf("  ratio ours/isql-fb: %.2f (goal: at most 1)\n", lOurs / lIsql);
  lModules.Finalize();
  return 0;
}
