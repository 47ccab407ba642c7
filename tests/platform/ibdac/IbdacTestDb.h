#pragma once
// A fresh Firebird database in a temporary folder, opened through the embedded engine.

#include "Qel.Ibdac.Connection.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

class TTestDatabase {
public:
  // Creates <tmp>/test.fdb (UTF8, dialect 3) and runs aSchema, statements separated by ';'
  // at line ends, committed.
  explicit TTestDatabase(const QString& aSchema = QString());
  TTestDatabase(const TTestDatabase&) = delete;
  TTestDatabase& operator=(const TTestDatabase&) = delete;

  QString FileName() const { return FFileName; }
  QString Folder() const { return FDir.path(); }
  // An open connection to the database (embedded, SYSDBA, no auto-commit unless asked).
  std::unique_ptr<TIBCConnection> Connect(bool aAutoCommit = true) const;
  // Runs statements on a connection of their own and commits them.
  void Exec(const QString& aStatements) const;
  // The first column of the first row of aSql, read on a connection of its own.
  QString Scalar(const QString& aSql) const;

private:
  QTemporaryDir FDir;
  QString FFileName;
};

// A loopback TCP port that nobody listens on (bound once, then closed again).
int ClosedLoopbackPort();
