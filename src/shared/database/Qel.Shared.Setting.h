#pragma once
// One value of APP_SETTINGS read straight from the table, without cache and without logging.

#include "Qel.Ibdac.Connection.h"
#include "Qel.Rtl.Variant.h"

#include <QString>

class TQelSetting {
public:
  // The VAL of the first row of aSection / aIdent (any scope), or aDefault when there is
  // none. Database errors reach the caller.
  static TVariant GetSettingFromRuzadadiv(TIBCConnection* AConnection, const QString& ASection,
                                          const QString& AIdent, const TVariant& ADefault);
};
