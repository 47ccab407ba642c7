#pragma once
// The Firebird handles behind the components; shared by their .cpp files only.

#include "Qel.Ibdac.Client.h"
#include "Qel.Ibdac.Command.h"
#include "Qel.Ibdac.Connection.h"
#include "Qel.Ibdac.Transaction.h"

struct TIBCConnection::TImpl {
  Ibdac::TRef<Firebird::IAttachment> Attachment;
};

struct TIBCTransaction::TImpl {
  Ibdac::TRef<Firebird::ITransaction> Handle;
  // Started by a command rather than by StartTransaction.
  bool Implicit = false;
};

struct TIBCCommand::TImpl {
  TParsedSql Parsed;
  bool ParsedValid = false;
  Ibdac::TRef<Firebird::IStatement> Statement;
  Ibdac::TRef<Firebird::IMessageMetadata> InMeta;
  Ibdac::TRef<Firebird::IMessageMetadata> OutMeta;
  std::vector<Ibdac::TColumn> Outputs;
  unsigned OutLength = 0;
  bool HasCursor = false;
  Ibdac::TInputMessage Input;
  Ibdac::TRef<Firebird::IResultSet> Cursor;
  // The transaction the open cursor (or the last execute) runs in.
  TIBCTransaction* RunningIn = nullptr;
  // The output row of a statement without cursor (EXECUTE PROCEDURE, RETURNING).
  std::vector<unsigned char> SingletonRow;
};
