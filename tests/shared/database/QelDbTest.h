#pragma once
// What the database tests share: a database with the application's schema, a logged
// connection to it, and a short reconnect pause while a test runs.

#include "Qel.Shared.IBC.h"
#include "QelTestDatabase.h"

#include <memory>

// Replaces the reconnect pause of InitTransaction by a counter while it lives.
class TPauseCounter {
public:
  TPauseCounter()
      : FPrevious(TQelIBCUtils::SetPause([this](int aMilliseconds) {
          ++FCount;
          FLast = aMilliseconds;
        })) {}
  ~TPauseCounter() { TQelIBCUtils::SetPause(std::move(FPrevious)); }
  TPauseCounter(const TPauseCounter&) = delete;
  TPauseCounter& operator=(const TPauseCounter&) = delete;

  int Count() const { return FCount; }
  int Last() const { return FLast; }

private:
  std::function<void(int)> FPrevious;
  int FCount = 0;
  int FLast = 0;
};

// A logged connection pointed at aDb (embedded, SYSDBA), not yet open.
inline std::unique_ptr<TQelIBCConnection> NewConnection(const TTestDatabase& aDb) {
  auto lConnection = std::make_unique<TQelIBCConnection>(nullptr);
  lConnection->SetDatabase(aDb.FileName());
  lConnection->SetUsername(QStringLiteral("SYSDBA"));
  return lConnection;
}
