#include "Qel.Shared.Database.h"

#include "Qel.Ibdac.Transaction.h"

std::unique_ptr<TIBCQuery> TQelDatabase::CreateDataSet(TIBCConnection* aConnection) {
  auto lQuery = std::make_unique<TIBCQuery>(aConnection);
  lQuery->SetConnection(aConnection);
  auto* lTransaction = new TIBCTransaction(lQuery.get()); // owned and freed by the query
  lTransaction->SetDefaultConnection(aConnection);
  lQuery->SetTransaction(lTransaction);
  return lQuery;
}
