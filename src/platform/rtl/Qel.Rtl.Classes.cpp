#include "Qel.Rtl.Classes.h"

#include "Qel.Rtl.Exceptions.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

template <typename T> bool Contains(const std::vector<T*>& aList, const T* aItem) {
  return std::find(aList.begin(), aList.end(), aItem) != aList.end();
}

template <typename T> void Erase(std::vector<T*>& aList, const T* aItem) {
  aList.erase(std::remove(aList.begin(), aList.end(), aItem), aList.end());
}

[[noreturn]] void IndexError(int aIndex) {
  throw ERangeError(QStringLiteral("List index out of bounds (%1)").arg(aIndex));
}

} // namespace

// --- TComponent -------------------------------------------------------------------------------

TComponent::TComponent(TComponent* aOwner) {
  if (aOwner)
    aOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  FDestroying = true;
  DestroyComponents();
  // Copy: a notified component may remove itself from the list while we walk it.
  const std::vector<TComponent*> lNotifies = FFreeNotifies;
  for (TComponent* lOther : lNotifies) {
    lOther->RemoveFreeNotify(this);
    lOther->Notification(this, opRemove);
  }
  if (FOwner)
    FOwner->RemoveComponent(this);
}

TComponent* TComponent::Components(int aIndex) const {
  if (aIndex < 0 || aIndex >= ComponentCount())
    IndexError(aIndex);
  return FComponents[static_cast<size_t>(aIndex)];
}

void TComponent::FreeNotification(TComponent* aComponent) {
  if (!aComponent || aComponent == this)
    return;
  AddFreeNotify(aComponent);
  aComponent->AddFreeNotify(this);
}

void TComponent::RemoveFreeNotification(TComponent* aComponent) {
  if (!aComponent)
    return;
  RemoveFreeNotify(aComponent);
  aComponent->RemoveFreeNotify(this);
}

void TComponent::Notification(TComponent* /*aComponent*/, TOperation /*aOperation*/) {}

void TComponent::DestroyComponents() {
  // Each component removes itself from FComponents in its destructor.
  while (!FComponents.empty()) {
    TComponent* lComponent = FComponents.back();
    delete lComponent; // the owner model is the one place that frees by hand
  }
}

void TComponent::InsertComponent(TComponent* aComponent) {
  aComponent->FOwner = this;
  FComponents.push_back(aComponent);
  Notification(aComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* aComponent) {
  Erase(FComponents, aComponent);
  aComponent->FOwner = nullptr;
  Notification(aComponent, opRemove);
}

void TComponent::AddFreeNotify(TComponent* aComponent) {
  if (!Contains(FFreeNotifies, aComponent))
    FFreeNotifies.push_back(aComponent);
}

void TComponent::RemoveFreeNotify(TComponent* aComponent) {
  Erase(FFreeNotifies, aComponent);
}

// --- TStrings ---------------------------------------------------------------------------------

const QString& TStrings::Strings(int aIndex) const {
  if (aIndex < 0 || aIndex >= Count())
    IndexError(aIndex);
  return FLines[aIndex];
}

void TStrings::SetStrings(int aIndex, const QString& aValue) {
  if (aIndex < 0 || aIndex >= Count())
    IndexError(aIndex);
  FLines[aIndex] = aValue;
  Changed();
}

int TStrings::Add(const QString& aLine) {
  FLines.append(aLine);
  Changed();
  return Count() - 1;
}

void TStrings::AddStrings(const QStringList& aLines) {
  FLines.append(aLines);
  Changed();
}

void TStrings::Delete(int aIndex) {
  if (aIndex < 0 || aIndex >= Count())
    IndexError(aIndex);
  FLines.removeAt(aIndex);
  Changed();
}

void TStrings::Clear() {
  if (FLines.isEmpty())
    return;
  FLines.clear();
  Changed();
}

int TStrings::IndexOf(const QString& aLine) const {
  for (int i = 0; i < Count(); ++i)
    if (FLines[i].compare(aLine, Qt::CaseInsensitive) == 0)
      return i;
  return -1;
}

QString TStrings::Text() const {
  QString lResult;
  for (const QString& lLine : FLines)
    lResult += lLine + QStringLiteral("\r\n");
  return lResult;
}

void TStrings::SetText(const QString& aText) {
  static const QRegularExpression cLineBreak(QStringLiteral("\r\n|\n|\r"));
  QStringList lLines = aText.split(cLineBreak);
  if (!lLines.isEmpty() && lLines.last().isEmpty())
    lLines.removeLast();
  FLines = lLines;
  Changed();
}

QString TStrings::Values(const QString& aName) const {
  const int lIndex = IndexOfName(aName);
  return lIndex < 0 ? QString() : FLines[lIndex].mid(aName.size() + 1);
}

void TStrings::SetValues(const QString& aName, const QString& aValue) {
  const int lIndex = IndexOfName(aName);
  if (aValue.isEmpty()) {
    if (lIndex >= 0)
      Delete(lIndex);
    return;
  }
  const QString lLine = aName + u'=' + aValue;
  if (lIndex < 0)
    Add(lLine);
  else
    SetStrings(lIndex, lLine);
}

void TStrings::BeginUpdate() {
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  if (FUpdateCount == 0)
    return;
  if (--FUpdateCount == 0 && FChangedInUpdate) {
    FChangedInUpdate = false;
    Changed();
  }
}

void TStrings::Changed() {
  if (FUpdateCount > 0) {
    FChangedInUpdate = true;
    return;
  }
  if (OnChange)
    OnChange();
}

int TStrings::IndexOfName(const QString& aName) const {
  for (int i = 0; i < Count(); ++i) {
    const qsizetype lEq = FLines[i].indexOf(u'=');
    if (lEq == aName.size() && FLines[i].startsWith(aName, Qt::CaseInsensitive))
      return i;
  }
  return -1;
}
