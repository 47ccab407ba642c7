#include "Qel.Lintrel.Run.h"

#include "Qel.Lintrel.Names.h"
#include "Qel.Rtl.DateTime.h"
#include "Qel.Rtl.Format.h"
#include "Qel.Rtl.SysUtils.h"
#include "Qel.Shared.Config.Database.Data.h"
#include "Qel.Shared.IBC.h"
#include "Qel.Shared.Logging.h"
#include "Qel.Shared.PathsAndFiles.h"

#include <memory>

namespace {

const QString cMethod = QStringLiteral("Execute");

// Closes the progress and finishes the log on every way out of a run, after the query and
// the connection are freed.
class TRunEnd {
public:
  explicit TRunEnd(ILintrelRunView* aView) : FView(aView) {}
  ~TRunEnd() {
    FView->EndProgress();
    FView->FinishLog(TLintrelRun::cFinishDelaySeconds);
  }
  TRunEnd(const TRunEnd&) = delete;
  TRunEnd& operator=(const TRunEnd&) = delete;

private:
  ILintrelRunView* FView;
};

} // namespace

TLintrelRun::TLintrelRun(TConfigDatabaseData* aDatabase, ILintrelRunView* aView)
    : FDatabase(aDatabase), FView(aView) {}

TLintrelSummary TLintrelRun::Execute(const QString& aSrcFolder, const QString& aDstFolder) {
  TLintrelSummary lSummary;
  const QString lSrcPath = IncludeTrailingPathDelimiter(aSrcFolder);
  const QString lDstPath = IncludeTrailingPathDelimiter(aDstFolder);
  FView->BeginProgress(QStringLiteral("Dokumente extrahieren..."));
  const TRunEnd lEnd(FView);
  // Freed in the reverse order: the query (which leaves its owner), then the connection.
  const auto lCon = std::make_unique<TQelIBCConnection>(nullptr);
  const auto lQry = std::make_unique<TQelIBCQuery>(lCon.get());

  const QString lAnswer = FView->AskDate(QStringLiteral("Daten extrahieren ab ... "),
                                         QStringLiteral("Datum"), DateToStr(Date()));
  TDateTime lDate;
  if (!TryStrToDate(lAnswer, lDate)) {
    FView->ShowMessage(QStringLiteral("Kein gültiges Datum angegeben!"));
    return lSummary;
  }
  if (!DestinationExists(aDstFolder)) {
    FView->ShowMessage(
        QStringLiteral("Das Verzeichnis \"%1\" scheint nicht zu existieren!").arg(aDstFolder));
    return lSummary;
  }
  if (!FDatabase || !FDatabase->Connect(lCon.get())) {
    FView->ShowMessage(QStringLiteral("Datenbankverbindung konnte nicht hergestellt werden!"));
    return lSummary;
  }
  FView->ShowLog();

  lQry->SQL().BeginUpdate();
  lQry->SQL().Clear();
  lQry->SQL().Add(QStringLiteral("SELECT *"));
  lQry->SQL().Add(QStringLiteral("FROM DOKUMENT d"));
  lQry->SQL().Add(QStringLiteral("WHERE d.CRE_DAT >= :adate"));
  lQry->SQL().EndUpdate();
  lQry->ParamByName(QStringLiteral("aDate"))->SetAsDateTime(lDate);
  lQry->SetFetchAll(true);
  lQry->Open();
  lSummary.Started = true;
  lSummary.Rows = lQry->RecordCount();
  FView->SetProgressMax(lSummary.Rows);
  while (!lQry->Eof()) {
    CopyRow(lSrcPath, lDstPath, lQry->FieldByName(QStringLiteral("dateiname"))->AsString(),
            lQry->FieldByName(QStringLiteral("pfadname"))->AsString(),
            lQry->FieldByName(QStringLiteral("ID"))->AsString(), lSummary);
    lQry->Next();
  }
  return lSummary;
}

bool TLintrelRun::DestinationExists(const QString& aDstFolder) {
  return !aDstFolder.trimmed().isEmpty() &&
         DirectoryExists(IncludeTrailingPathDelimiter(aDstFolder));
}

void TLintrelRun::CopyRow(const QString& aSrcPath, const QString& aDstPath,
                          const QString& aFileName, const QString& aPathName, const QString& aID,
                          TLintrelSummary& aSummary) {
  QString lName, lSrc, lError;
  // A row that names no file, or a file outside the destination, is not copied.
  if (!TLintrelNames::TargetName(aFileName, aID, lName, lError) ||
      !TLintrelNames::SourceName(aSrcPath, aPathName, lSrc, lError)) {
    FView->StepProgress(aFileName + QStringLiteral(" ..."));
    TLogging::Add(this, cMethod, QStringLiteral("Document %1 skipped: %2").arg(aID, lError),
                  ltError);
    ++aSummary.Refused;
    return;
  }
  const QString lDst = aDstPath + lName;
  FView->StepProgress(lName + QStringLiteral(" ..."));
  // In the Backup folder an old file is replaced, not set aside.
  const bool lSetAside = FileExists(lDst) && !TPathsAndFiles::IsBackupPath(lDst);
  if (TPathsAndFiles::CopyFile(lSrc, lDst)) {
    ++aSummary.Copied;
    aSummary.SetAside += lSetAside ? 1 : 0;
  } else if (!FileExists(lSrc)) {
    ++aSummary.MissingSources;
  } else {
    ++aSummary.Failed;
  }
}
