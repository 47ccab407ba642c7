#pragma once
// A statement without rows (INSERT, UPDATE, DELETE, DDL, EXECUTE PROCEDURE).
//
// Execute is virtual; descendants wrap it and call DoExecute (or TIBCSQL::Execute) for the
// work itself.

#include "Qel.Ibdac.Command.h"

class TIBCSQL : public TIBCCommand {
  QEL_CLASS("Qel.Ibdac.SQL", TIBCSQL)

public:
  explicit TIBCSQL(TComponent* aOwner) : TIBCCommand(aOwner) {}

  // Raises EIBCError with Firebird's message when the statement fails.
  virtual void Execute() { DoExecute(); }

protected:
  // Runs the statement; a cursor it may open is closed at once.
  void DoExecute();
};
