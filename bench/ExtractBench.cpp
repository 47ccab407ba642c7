// The headless extraction program against cp on the same files, both as whole processes on
// an embedded database in a temporary program folder:
//   - 2,000 small documents through Qel_Lintrel_Extract against `cp -r` of their folder
//     (goal: at most 2 times cp's time);
//   - 20 documents of 50 MB against `cp` of the same files (goal: at least 0.7 of cp's
//     throughput).
// Each side runs several times, alternating, into an emptied destination after `sync`; the
// median time counts. Prints the times and ratios.
#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int cSmallCount = 2000;
constexpr int cSmallSize = 10 * 1024;
constexpr int cSmallFolders = 20;
constexpr int cLargeCount = 20;
constexpr qint64 cLargeSize = 50LL * 1024 * 1024;
constexpr int cRuns = 5;

struct TBenchSet {
  QString Name;      // "small" or "large"
  QString Database;  // its database file
  QString Source;    // its document folder
  QStringList Files; // the document files, full names
  qint64 Bytes = 0;
};

bool RunIsql(const QByteArray& aScript) {
  QProcess lIsql;
  lIsql.setProcessChannelMode(QProcess::MergedChannels);
  lIsql.start(QStringLiteral("isql-fb"), {QStringLiteral("-q"), QStringLiteral("-b")});
  lIsql.write(aScript);
  lIsql.closeWriteChannel();
  if (!lIsql.waitForFinished(600000) || lIsql.exitCode() != 0) {
    std::fprintf(stderr, "isql-fb: %s\n", lIsql.readAll().constData());
    return false;
  }
  return true;
}

// A database with the application's schema and one DOKUMENT row per file of aRelativeNames
// (created one minute apart from 2024-01-01 on).
bool CreateDatabase(const QString& aFileName, const QStringList& aRelativeNames) {
  QFile lSchema(QStringLiteral(QEL_SQL_DIR "/schema.sql"));
  if (!lSchema.open(QIODevice::ReadOnly))
    return false;
  QByteArray lScript = "SET NAMES UTF8;\nCREATE DATABASE '" + aFileName.toUtf8() +
                       "' USER 'SYSDBA' DEFAULT CHARACTER SET UTF8;\n" + lSchema.readAll();
  for (int i = 0; i < aRelativeNames.size(); ++i) {
    const QString lName = aRelativeNames[i].section(u'/', -1);
    lScript += QStringLiteral("INSERT INTO DOKUMENT (DATEINAME, PFADNAME, CRE_DAT) VALUES "
                              "('%1', '%2', DATEADD(%3 MINUTE TO TIMESTAMP '2024-01-01'));\n")
                   .arg(lName, aRelativeNames[i])
                   .arg(i)
                   .toUtf8();
  }
  return RunIsql(lScript + "COMMIT;\n");
}

bool WriteFile(const QString& aFileName, qint64 aSize) {
  QDir().mkpath(aFileName.section(u'/', 0, -2));
  QFile lFile(aFileName);
  if (!lFile.open(QIODevice::WriteOnly))
    return false;
  // Random content, so that nothing on the way can make it smaller.
  QByteArray lBlock(1024 * 1024, Qt::Uninitialized);
  QRandomGenerator lRandom(static_cast<quint32>(aSize));
  lRandom.fillRange(reinterpret_cast<quint32*>(lBlock.data()), lBlock.size() / 4);
  for (qint64 lLeft = aSize; lLeft > 0; lLeft -= lBlock.size())
    if (lFile.write(lBlock.constData(), std::min<qint64>(lLeft, lBlock.size())) < 0)
      return false;
  return true;
}

bool MakeSet(const QString& aRoot, const QString& aName, int aCount, qint64 aSize,
             TBenchSet& aSet) {
  aSet.Name = aName;
  aSet.Source = aRoot + aName + QStringLiteral("/");
  aSet.Database = aRoot + aName + QStringLiteral(".fdb");
  QStringList lRelative;
  for (int i = 0; i < aCount; ++i) {
    lRelative << QStringLiteral("folder_%1/doc_%2.pdf").arg(i % cSmallFolders).arg(i);
    aSet.Files << aSet.Source + lRelative.last();
    if (!WriteFile(aSet.Files.last(), aSize))
      return false;
    aSet.Bytes += aSize;
  }
  return CreateDatabase(aSet.Database, lRelative);
}

// Runs a program to its end and returns the wall time in seconds; negative on a failure.
double TimeProcess(const QString& aProgram, const QStringList& aArgs) {
  QProcess lProcess;
  lProcess.setStandardOutputFile(QProcess::nullDevice());
  lProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  QElapsedTimer lTimer;
  lTimer.start();
  lProcess.start(aProgram, aArgs);
  if (!lProcess.waitForFinished(600000) || lProcess.exitCode() != 0)
    return -1;
  return static_cast<double>(lTimer.nsecsElapsed()) / 1e9;
}

// An empty destination with the written data of earlier runs on disk.
void FreshFolder(const QString& aFolder) {
  QDir(aFolder).removeRecursively();
  QDir().mkpath(aFolder);
  QProcess::execute(QStringLiteral("sync"), {});
}

double Median(std::vector<double> aValues) {
  std::sort(aValues.begin(), aValues.end());
  return aValues[aValues.size() / 2];
}

struct TTimes {
  double Ours = -1;
  double Cp = -1;
};

TTimes Compare(const QString& aProgram, const QString& aRoot, const TBenchSet& aSet,
               const QStringList& aCpArgs) {
  QFile::remove(aRoot + QStringLiteral("Prog/Bin/app.ini"));
  QFile lIni(aRoot + QStringLiteral("Prog/Bin/app.ini"));
  if (!lIni.open(QIODevice::WriteOnly))
    return {};
  lIni.write("[Database]\nServer=\nDatabase=" + aSet.Database.toUtf8() + "\n");
  lIni.close();
  const QString lDst = aRoot + QStringLiteral("dst");
  std::vector<double> lOurs, lCp;
  for (int i = 0; i < cRuns; ++i) {
    FreshFolder(lDst);
    lOurs.push_back(TimeProcess(aProgram, {QStringLiteral("--since"), QStringLiteral("2024-01-01"),
                                           QStringLiteral("--source"), aSet.Source,
                                           QStringLiteral("--dest"), lDst}));
    FreshFolder(lDst);
    lCp.push_back(TimeProcess(QStringLiteral("cp"), aCpArgs + QStringList{lDst}));
    if (lOurs.back() < 0 || lCp.back() < 0)
      return {};
    std::printf("  %s run %d: ours %.3f s, cp %.3f s\n", qPrintable(aSet.Name), i + 1, lOurs.back(),
                lCp.back());
  }
  return {Median(lOurs), Median(lCp)};
}

} // namespace

int main() {
  QTemporaryDir lDir;
  const QString lRoot = lDir.path() + u'/';
  const QString lProgram = lRoot + QStringLiteral("Prog/Bin/Qel_Lintrel_Extract");
  QDir().mkpath(lRoot + QStringLiteral("Prog/Bin"));
  if (!QFile::copy(QStringLiteral(QEL_EXTRACT_PROGRAM), lProgram)) {
    std::fprintf(stderr, "could not copy the headless program\n");
    return 1;
  }
  TBenchSet lSmall, lLarge;
  if (!MakeSet(lRoot, QStringLiteral("small"), cSmallCount, cSmallSize, lSmall) ||
      !MakeSet(lRoot, QStringLiteral("large"), cLargeCount, cLargeSize, lLarge)) {
    std::fprintf(stderr, "could not create the documents or their databases\n");
    return 1;
  }
  const TTimes lSmallTimes =
      Compare(lProgram, lRoot, lSmall, {QStringLiteral("-r"), lSmall.Source});
  const TTimes lLargeTimes = Compare(lProgram, lRoot, lLarge, lLarge.Files);
  if (lSmallTimes.Ours < 0 || lLargeTimes.Ours < 0) {
    std::fprintf(stderr, "a run failed\n");
    return 1;
  }
  std::printf("extract: %d documents of %d KB, median of %d runs\n", cSmallCount, cSmallSize / 1024,
              cRuns);
  std::printf("  Qel_Lintrel_Extract: %.3f s (%.2f ms per document)\n", lSmallTimes.Ours,
              lSmallTimes.Ours * 1000 / cSmallCount);
  std::printf("  cp -r:               %.3f s\n", lSmallTimes.Cp);
  std::printf("  ratio ours/cp: %.2f (goal: at most 2)\n", lSmallTimes.Ours / lSmallTimes.Cp);
  const double lMB = static_cast<double>(lLarge.Bytes) / (1024.0 * 1024.0);
  std::printf("extract: %d documents of %lld MB, median of %d runs\n", cLargeCount,
              cLargeSize / (1024 * 1024), cRuns);
  std::printf("  Qel_Lintrel_Extract: %.3f s (%.0f MB/s)\n", lLargeTimes.Ours,
              lMB / lLargeTimes.Ours);
  std::printf("  cp:                  %.3f s (%.0f MB/s)\n", lLargeTimes.Cp, lMB / lLargeTimes.Cp);
  std::printf("  throughput ours/cp: %.2f (goal: at least 0.7)\n",
              lLargeTimes.Cp / lLargeTimes.Ours);
  return 0;
}
