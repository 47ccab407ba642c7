#pragma once
// Errors of the data-access components: misuse of a component (EDatabaseError) and errors
// that Firebird reports (EIBCError, with Firebird's own message text and error code).

#include "Qel.Rtl.Exceptions.h"

#include <cstdint>

class EDatabaseError : public Exception {
public:
  using Exception::Exception;
};

class EIBCError : public EDatabaseError {
public:
  EIBCError(const QString& aMessage, intptr_t aErrorCode)
      : EDatabaseError(aMessage), FErrorCode(aErrorCode) {}

  // The first Firebird error code of the status (isc_... numbers, 335544xxx), 0 if none.
  intptr_t ErrorCode() const { return FErrorCode; }
  // The connection to the database is gone (network error, server shut down): the
  // connection must be opened again.
  bool IsConnectionLost() const;

private:
  intptr_t FErrorCode = 0;
};
