#pragma once
// One extraction run: every document of table DOKUMENT created on or after a date the user
// gives is copied from the source folder into the destination folder under a name that
// carries its ID. The run asks and reports through a view, so that the window, the headless
// program and the tests share it.

#include "Qel.Rtl.Object.h"

#include <QString>

class TConfigDatabaseData;

// What a run asks of the one who started it, and what it shows.
class ILintrelRunView {
public:
  virtual ~ILintrelRunView() = default;
  // The date prompt; the default text when the user cancels.
  virtual QString AskDate(const QString& aCaption, const QString& aPrompt,
                          const QString& aDefault) = 0;
  // A message the user must see (a check that failed).
  virtual void ShowMessage(const QString& aText) = 0;
  // Progress: shown before anything else, its maximum once the rows are known, one step per
  // row, closed when the run ends in any way.
  virtual void BeginProgress(const QString& aMessage) = 0;
  virtual void SetProgressMax(int aMax) = 0;
  virtual void StepProgress(const QString& aMessage) = 0;
  virtual void EndProgress() = 0;
  // The live log: opened when the copying starts; at the end kept aSeconds, then closed.
  virtual void ShowLog() = 0;
  virtual void FinishLog(int aSeconds) = 0;
};

// What a run did, row by row.
struct TLintrelSummary {
  bool Started = false;   // the checks passed and the documents were selected
  int Rows = 0;           // documents selected
  int Copied = 0;         // copies made
  int MissingSources = 0; // documents whose file is not in the source folder
  int SetAside = 0;       // earlier files set aside under a time-stamped name
  int Refused = 0;        // rows without a usable name, or with one leading out
  int Failed = 0;         // copies that failed for another reason
  // Every selected row ended in a copy.
  bool AllHandled() const { return Started && Copied == Rows; }
};

class TLintrelRun : public TObject {
  QEL_CLASS("Qel.Lintrel.Run", TLintrelRun)

public:
  static constexpr int cFinishDelaySeconds = 5;

  TLintrelRun(TConfigDatabaseData* aDatabase, ILintrelRunView* aView);

  // One run from aSrcFolder into aDstFolder, the folder texts as the user left them. Errors
  // of the database query reach the caller once everything of the run is freed.
  TLintrelSummary Execute(const QString& aSrcFolder, const QString& aDstFolder);
  // Whether a run may write into aDstFolder: an existing folder. An empty field is none (it
  // would stand for the root of the file system).
  static bool DestinationExists(const QString& aDstFolder);

private:
  class TRows;
  void CopyRow(const QString& aSrcPath, const QString& aDstPath, const QString& aFileName,
               const QString& aPathName, const QString& aID, TLintrelSummary& aSummary);

  TConfigDatabaseData* FDatabase;
  ILintrelRunView* FView;
};
