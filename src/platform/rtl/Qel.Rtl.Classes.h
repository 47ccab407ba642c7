#pragma once
// The component owner model and the string list of the runtime.
//
// A component may be given an owner when it is created; the owner then frees it when the
// owner itself is freed, the last owned component first. A component freed before its owner
// (by hand, or through a std::unique_ptr) leaves its owner's list. Components that refer to
// each other without owning (a query and its connection) register with FreeNotification and
// learn through Notification when the other one goes away.
//
// Classes whose owned components may call back into them while being freed (a connection
// that owns its queries) call DestroyComponents at the start of their own destructor, so
// that the owned components go while the owner is still whole.

#include "Qel.Rtl.Object.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

enum TOperation : uint8_t { opInsert, opRemove };

class TComponent : public TObject {
  QEL_CLASS("System.Classes", TComponent)

public:
  explicit TComponent(TComponent* aOwner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return FOwner; }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  // Raises ERangeError for an index outside 0 .. ComponentCount - 1.
  TComponent* Components(int aIndex) const;

  const QString& Name() const { return FName; }
  void SetName(const QString& aName) { FName = aName; }
  // True while the destructor runs (set before the owned components are freed).
  bool IsDestroying() const { return FDestroying; }

  // aComponent is told (Notification with opRemove) when this component is freed, and the
  // other way round. Registering twice counts once.
  void FreeNotification(TComponent* aComponent);
  void RemoveFreeNotification(TComponent* aComponent);

protected:
  // Called on the owner for every component inserted into or removed from its list, and on
  // every component registered through FreeNotification when the other one is freed.
  virtual void Notification(TComponent* aComponent, TOperation aOperation);
  // Frees the owned components, the last one first.
  void DestroyComponents();

private:
  void InsertComponent(TComponent* aComponent);
  void RemoveComponent(TComponent* aComponent);
  void AddFreeNotify(TComponent* aComponent);
  void RemoveFreeNotify(TComponent* aComponent);

  TComponent* FOwner = nullptr;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  QString FName;
  bool FDestroying = false;
};

// A list of text lines. Changes made between BeginUpdate and EndUpdate are reported once,
// when the outermost EndUpdate is called.
class TStrings : public TObject {
  QEL_CLASS("System.Classes", TStrings)

public:
  TStrings() = default;
  TStrings(const TStrings&) = delete;
  TStrings& operator=(const TStrings&) = delete;

  int Count() const { return static_cast<int>(FLines.size()); }
  // Raises ERangeError for an index outside 0 .. Count - 1.
  const QString& Strings(int aIndex) const;
  void SetStrings(int aIndex, const QString& aValue);
  const QStringList& Lines() const { return FLines; }

  // Index of the new line.
  int Add(const QString& aLine);
  void AddStrings(const QStringList& aLines);
  void Delete(int aIndex);
  void Clear();
  // Index of the first line equal to aLine without regard to case, or -1.
  int IndexOf(const QString& aLine) const;

  // The lines, each ended by a line break (CR LF).
  QString Text() const;
  // Splits at CR LF, LF or CR; a trailing line break adds no empty line.
  void SetText(const QString& aText);

  // name=value lines: the value of the first line whose name matches without regard to case,
  // or empty.
  QString Values(const QString& aName) const;
  // Replaces that line, adds one when none matches, deletes it for an empty value.
  void SetValues(const QString& aName, const QString& aValue);

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  // Called after every change (once per outermost update block).
  std::function<void()> OnChange;

private:
  void Changed();
  int IndexOfName(const QString& aName) const;

  QStringList FLines;
  int FUpdateCount = 0;
  bool FChangedInUpdate = false;
};

class TStringList : public TStrings {
  QEL_CLASS("System.Classes", TStringList)
};
