#pragma once
// A fresh Firebird database in a temporary folder, opened through the embedded engine, and
// the SQL scripts that fill databases: ad-hoc schemas of a test or the application's schema
// of resources/sql.

#include "Qel.Ibdac.Connection.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

class TTestDatabase {
public:
  // Creates <tmp>/test.fdb (UTF8, dialect 3) and runs aSchema as a script (see RunSqlScript).
  explicit TTestDatabase(const QString& aSchema = QString());
  TTestDatabase(const TTestDatabase&) = delete;
  TTestDatabase& operator=(const TTestDatabase&) = delete;

  // A database with the application's tables (AppSchemaScript).
  static std::unique_ptr<TTestDatabase> WithAppSchema();

  QString FileName() const { return FFileName; }
  QString Folder() const { return FDir.path(); }
  // An open connection to the database (embedded, SYSDBA, no auto-commit unless asked).
  std::unique_ptr<TIBCConnection> Connect(bool aAutoCommit = true) const;
  // Runs a script on a connection of its own; every statement is committed.
  void Exec(const QString& aStatements) const;
  // The first column of the first row of aSql, read on a connection of its own.
  QString Scalar(const QString& aSql) const;

private:
  QTemporaryDir FDir;
  QString FFileName;
};

// Creates an empty database file through the embedded engine (UTF8, dialect 3, SYSDBA).
bool CreateEmbeddedDatabase(const QString& aFileName);
// Runs the statements of aScript one by one on aConnection, each committed at once. A
// statement ends with the terminator at a line end: ";" until a "SET TERM" line changes it.
// Lines that are only a comment and "COMMIT" statements are skipped; ":name" is no
// parameter here (procedure bodies use such names for their variables).
void RunSqlScript(TIBCConnection& aConnection, const QString& aScript);
// The application's schema, resources/sql/schema.sql.
QString AppSchemaScript();
// Adds aCount rows to DOKUMENT in one statement on the server side: file names doc_<n>.pdf,
// folders folder_<n mod 100>/, created one minute apart starting at 2024-01-01.
void FillDokument(TIBCConnection& aConnection, int aCount);

// A loopback TCP port that nobody listens on (bound once, then closed again).
int ClosedLoopbackPort();
