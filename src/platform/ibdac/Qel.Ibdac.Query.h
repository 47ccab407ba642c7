#pragma once
// A statement that returns rows, walked one row at a time (Eof, Next) with access to the
// columns of the current row by name or index, and a row written back with Edit / Post.
//
// Open runs through the virtual InternalOpen and Execute through the virtual
// InternalExecute(Iters, Offset); descendants wrap those and call DoInternalOpen /
// DoInternalExecute for the work itself. With FetchAll set, opening fetches every row, so
// RecordCount is the total; otherwise rows are fetched as Next reaches them and RecordCount
// counts the rows fetched so far. Rows already fetched stay readable after their
// transaction ended; BLOB values are read together with their row.

#include "Qel.Ibdac.Command.h"
#include "Qel.Ibdac.Fields.h"

#include <memory>
#include <vector>

enum TDataSetState : uint8_t { dsInactive, dsBrowse, dsEdit };

class TIBCQuery : public TIBCCommand {
  QEL_CLASS("Qel.Ibdac.Query", TIBCQuery)

public:
  explicit TIBCQuery(TComponent* aOwner);
  ~TIBCQuery() override;

  bool FetchAll() const { return FFetchAll; }
  void SetFetchAll(bool aValue) { FFetchAll = aValue; }

  bool Active() const { return FState != dsInactive; }
  void SetActive(bool aValue);
  // Raises EDatabaseError for a statement that returns no rows (before running it) and
  // EIBCError for what Firebird refuses.
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  // Runs the statement; one that returns rows leaves the query open on them.
  void Execute();
  TDataSetState State() const { return FState; }

  bool Eof() const { return FEof; }
  bool Bof() const { return FBof; }
  // A row in edit mode is posted first.
  void Next();
  void First();
  int RecordCount() const;
  // 1-based number of the current row, 0 when there is none.
  int RecNo() const;

  int FieldCount() const { return static_cast<int>(FFields.size()); }
  // Raise ERangeError / EDatabaseError when there is no such field.
  TIBCField* Fields(int aIndex) const;
  TIBCField* FieldByName(const QString& aName) const;
  // Without regard to case; nullptr when there is none.
  TIBCField* FindField(const QString& aName) const;

  // Edit mode for the current row; field writes are kept until Post or Cancel.
  void Edit();
  // Writes the changed fields back to their table inside the query's transaction, finding
  // the row by RDB$DB_KEY when the query selects it, otherwise by the table's primary key,
  // which must then be among the selected columns.
  void Post();
  void Cancel();

  // For the fields: the value of column aIndex in the current row, and a write in edit mode.
  TVariant FieldValue(int aIndex) const;
  void SetFieldValue(int aIndex, const TVariant& aValue);

  void ReleaseHandles(bool aGone) override;
  void TransactionEnding() override;

protected:
  virtual void InternalOpen();
  virtual void InternalExecute(int aIters, int aOffset);
  // The work of opening: runs the statement and fetches (all rows with FetchAll).
  void DoInternalOpen();
  // Runs the statement; Iters and Offset stand for batches of parameter rows, which this
  // component does not offer: anything but 1 and 0 raises EArgumentException.
  void DoInternalExecute(int aIters, int aOffset);
  void SQLChanged() override;

private:
  struct TRows;
  void Activate();
  void Deactivate();
  // Fetches up to aMax rows; true when it got at least one.
  bool FetchRows(size_t aMax);
  void CheckActive() const;
  void WriteBack();

  bool FFetchAll = false;
  TDataSetState FState = dsInactive;
  bool FEof = true;
  bool FBof = true;
  std::unique_ptr<TRows> FRows;
  std::vector<std::unique_ptr<TIBCField>> FFields;
};
