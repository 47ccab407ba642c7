#include "Qel.Shared.Ctrls.Utils.h"

#include "Qel.Rtl.Exceptions.h"

#include <QAbstractScrollArea>
#include <QGroupBox>
#include <QLayout>
#include <QTabWidget>
#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

int CheckedDifference(int aLeft, int aRight) {
  const int64_t lDiff = static_cast<int64_t>(aLeft) - aRight;
  if (lDiff < std::numeric_limits<int32_t>::min() || lDiff > std::numeric_limits<int32_t>::max())
    throw EOverflow(QStringLiteral("Arithmetic overflow"));
  return static_cast<int>(lDiff);
}

bool TakesTabFocus(const QWidget* aCtrl) {
  return (aCtrl->focusPolicy() & Qt::TabFocus) == Qt::TabFocus;
}

// A container whose children are controls of the window: a plain widget, panel or frame that
// takes no focus itself, a group box, a tab widget (its pages) and a scroll area (the widget it
// scrolls). Other controls that take focus and have children of their own (a spin box and its
// edit) keep them to themselves.
bool IsContainer(const QWidget* aCtrl) {
  return !TakesTabFocus(aCtrl) || qobject_cast<const QGroupBox*>(aCtrl) ||
         qobject_cast<const QTabWidget*>(aCtrl) || qobject_cast<const QAbstractScrollArea*>(aCtrl);
}

// Whether the control is a stop of its own in the chain; one that hands its focus to a proxy
// (a tab widget to its tab bar) is reached through the proxy.
bool IsTabStop(const QWidget* aCtrl) {
  return TakesTabFocus(aCtrl) && !aCtrl->focusProxy();
}

// Runs the layouts from the outside in, so that the positions are those the window will show
// also before it was ever shown (a window orders its controls when it is created).
void LayOut(QWidget* aCtrl) {
  if (QLayout* lLayout = aCtrl->layout())
    lLayout->activate();
  for (QObject* lChild : aCtrl->children())
    if (auto* lWidget = qobject_cast<QWidget*>(lChild); lWidget && !lWidget->isWindow())
      LayOut(lWidget);
}

// The direct child controls of aCtrl, in the container's own order; other windows excluded.
std::vector<QWidget*> ChildControls(const QWidget* aCtrl) {
  std::vector<QWidget*> lChildren;
  for (QObject* lChild : aCtrl->children())
    if (auto* lWidget = qobject_cast<QWidget*>(lChild); lWidget && !lWidget->isWindow())
      lChildren.push_back(lWidget);
  return lChildren;
}

// Appends the controls of aCtrl in tab order to aChain; returns whether aCtrl holds any.
bool BuildTabChain(const QWidget* aCtrl, std::vector<QWidget*>& aChain) {
  struct TEntry {
    QWidget* Ctrl;
    std::vector<QWidget*> Chain; // the control itself (when it takes focus), then its inside
  };
  std::vector<TEntry> lEntries;
  for (QWidget* lChild : ChildControls(aCtrl)) {
    TEntry lEntry{lChild, {}};
    if (IsTabStop(lChild))
      lEntry.Chain.push_back(lChild);
    // Children first: a nested container is numbered before its own level.
    if (IsContainer(lChild))
      BuildTabChain(lChild, lEntry.Chain);
    if (!lEntry.Chain.empty())
      lEntries.push_back(std::move(lEntry));
  }
  std::stable_sort(lEntries.begin(), lEntries.end(), [](const TEntry& aLeft, const TEntry& aRight) {
    return TCtrlPositionComparer::Compare(aLeft.Ctrl, aRight.Ctrl) < 0;
  });
  for (TEntry& lEntry : lEntries)
    aChain.insert(aChain.end(), lEntry.Chain.begin(), lEntry.Chain.end());
  return !lEntries.empty();
}

} // namespace

int TCtrlPositionComparer::Compare(const QWidget* aLeft, const QWidget* aRight) {
  if (aLeft->y() != aRight->y())
    return CheckedDifference(aLeft->y(), aRight->y());
  return CheckedDifference(aLeft->x(), aRight->x());
}

void TCtrlsUtils::AutoTabOrder(QWidget* aCtrl) {
  if (!aCtrl)
    return;
  LayOut(aCtrl);
  std::vector<QWidget*> lChain;
  BuildTabChain(aCtrl, lChain);
  for (std::size_t i = 1; i < lChain.size(); ++i)
    QWidget::setTabOrder(lChain[i - 1], lChain[i]);
}

void TCtrlsUtils::SetIcon(TMsgDlgType aMsgTyp, std::unique_ptr<QIcon>& aIcon) {
  if (!aIcon)
    aIcon = std::make_unique<QIcon>();
  *aIcon = StandardMessageIcon(aMsgTyp);
}
