#pragma once
// Plain (unlogged) queries for readers that must not write to the log.

#include "Qel.Ibdac.Connection.h"
#include "Qel.Ibdac.Query.h"

#include <memory>

class TQelDatabase {
public:
  // A plain query owned by aConnection and running on it, with a transaction of its own
  // (owned by the query). Neither timed nor logged. The caller frees the query before the
  // connection goes.
  static std::unique_ptr<TIBCQuery> CreateDataSet(TIBCConnection* aConnection);
};
