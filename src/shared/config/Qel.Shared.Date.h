#pragma once
// Time-of-day and date ranges.

#include "Qel.Rtl.DateTime.h"

#include <QString>

// A time range whose start is later than its end spans midnight.
struct TTimeRange {
  TTime FFrom;
  TTime FTo;
  bool FHasData = false;

  void Init(bool aHasData, TTime aFrom, TTime aTo);
  // Both texts as times of the user's locale, else an empty range.
  void Init(const QString& aFrom, const QString& aTo);
  // Whether now lies in the range (ends included); equal ends mean the whole day. Logs the test.
  bool GetActive() const;
  // "from-to" with the earlier time first, or the one time when both are equal.
  QString GetCaption() const;
};

struct TDateRange {
  TDate FFrom;
  TDate FTo;
  bool FHasData = false;

  void Init(bool aHasData, TDate aFrom, TDate aTo);
  void Init(const QString& aFrom, const QString& aTo);
};
