#include "Qel.Ibdac.SQL.h"

#include "Qel.Ibdac.Internal.h"

void TIBCSQL::DoExecute() {
  if (ExecuteStatement())
    TransactionEnding(); // rows are not read here: the cursor is closed, the transaction stays
}
