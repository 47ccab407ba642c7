#pragma once
// Live objects per class: the database wrappers count themselves in and out.

#include "Qel.Rtl.Object.h"

#include <QHash>
#include <QString>
#include <cstdint>

class TLoggingStatisticList : public TObject {
  QEL_CLASS("Qel.Shared.Logging.Statistic", TLoggingStatisticList)

public:
  static TLoggingStatisticList* Instance();
  // Module shutdown: frees the map; the next Instance starts a new one.
  static void Finalize();

  // One more (or one fewer) live object of aObject's class; nothing without an object. A
  // class first seen by Dec is stored with 0, never below.
  static void Inc(const TObject* aObject);
  static void Dec(const TObject* aObject);

  int32_t Count(const QString& aClassName) const { return FCounts.value(aClassName, 0); }
  bool Contains(const QString& aClassName) const { return FCounts.contains(aClassName); }

private:
  QHash<QString, int32_t> FCounts;
};
