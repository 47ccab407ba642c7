#pragma once
// Helpers for windows: a keyboard tab order that follows the controls' places on screen, and
// the system's standard icons for message kinds.

#include "Qel.Ui.Dialogs.h"

#include <QIcon>
#include <QWidget>
#include <memory>

// Orders controls row by row from top to bottom and, within the same top edge, from left to
// right. Only an exactly equal top edge puts two controls into the same row.
class TCtrlPositionComparer {
public:
  // Negative, zero or positive as aLeft comes before, together with, or after aRight. Raises
  // EOverflow when the difference of the coordinates does not fit 32 bits.
  static int Compare(const QWidget* aLeft, const QWidget* aRight);
};

class TCtrlsUtils {
public:
  // Gives the controls inside aCtrl, at every depth, a tab order that follows their places:
  // within each container its controls in the order of TCtrlPositionComparer, and the
  // controls inside a nested container (a group box, a panel) where the container itself
  // stands among its siblings. Controls that take no keyboard focus (labels) are left alone.
  static void AutoTabOrder(QWidget* aCtrl);
  // Sets aIcon to the standard icon for the message kind; creates the icon when aIcon holds
  // none, otherwise only replaces its picture.
  static void SetIcon(TMsgDlgType aMsgTyp, std::unique_ptr<QIcon>& aIcon);
};
