// The component owner model and the string list.
#include "Qel.Rtl.Classes.h"
#include "Qel.Rtl.Exceptions.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Records its own destruction in a shared journal, and every removal it is told about.
class TProbe : public TComponent {
public:
  TProbe(TComponent* aOwner, QString aTag, std::vector<QString>& aJournal)
      : TComponent(aOwner), FTag(std::move(aTag)), FJournal(aJournal) {
    SetName(FTag);
  }
  ~TProbe() override { FJournal.push_back(QStringLiteral("free ") + FTag); }

protected:
  void Notification(TComponent* aComponent, TOperation aOperation) override {
    // A component being freed is only a TComponent by now: its name is what is left.
    if (aOperation == opRemove)
      FJournal.push_back(FTag + QStringLiteral(" lost ") + aComponent->Name());
  }

private:
  QString FTag;
  std::vector<QString>& FJournal;
};

TEST(Component, OwnerFreesItsComponentsLastFirst) {
  std::vector<QString> lJournal;
  {
    TComponent lOwner(nullptr);
    auto* lA = new TProbe(&lOwner, QStringLiteral("a"), lJournal);
    auto* lB = new TProbe(lA, QStringLiteral("b"), lJournal);
    new TProbe(&lOwner, QStringLiteral("c"), lJournal);
    ASSERT_EQ(lOwner.ComponentCount(), 2);
    EXPECT_EQ(lOwner.Components(0), lA);
    EXPECT_EQ(lB->Owner(), lA);
    EXPECT_EQ(lA->ComponentCount(), 1);
  }
  // c goes first; a frees b before it finishes (b's removal reaches a as a TComponent only).
  const std::vector<QString> cExpected = {QStringLiteral("free c"), QStringLiteral("free a"),
                                          QStringLiteral("free b")};
  EXPECT_EQ(lJournal, cExpected);
}

TEST(Component, ComponentFreedFirstLeavesItsOwner) {
  std::vector<QString> lJournal;
  TProbe lOwner(nullptr, QStringLiteral("owner"), lJournal);
  auto lChild = std::make_unique<TProbe>(&lOwner, QStringLiteral("child"), lJournal);
  auto* lOther = new TProbe(&lOwner, QStringLiteral("other"), lJournal);
  lChild.reset();
  ASSERT_EQ(lOwner.ComponentCount(), 1);
  EXPECT_EQ(lOwner.Components(0), lOther);
  EXPECT_THROW(lOwner.Components(1), ERangeError);
  EXPECT_EQ(lJournal.back(), QStringLiteral("owner lost child"));
}

TEST(Component, FreeNotificationReachesBothSides) {
  std::vector<QString> lJournal;
  auto lConnection = std::make_unique<TProbe>(nullptr, QStringLiteral("con"), lJournal);
  auto lQuery = std::make_unique<TProbe>(nullptr, QStringLiteral("query"), lJournal);
  auto lOther = std::make_unique<TProbe>(nullptr, QStringLiteral("other"), lJournal);
  lQuery->FreeNotification(lConnection.get());
  lQuery->FreeNotification(lConnection.get());
  lOther->FreeNotification(lConnection.get());
  lOther->RemoveFreeNotification(lConnection.get());

  lConnection.reset();
  EXPECT_EQ(lJournal,
            (std::vector<QString>{QStringLiteral("free con"), QStringLiteral("query lost con")}));
  lJournal.clear();
  lQuery.reset(); // must not touch the freed connection
  EXPECT_EQ(lJournal, std::vector<QString>{QStringLiteral("free query")});
}

TEST(StringList, TextAndValues) {
  TStringList lList;
  lList.SetText(QStringLiteral("SELECT *\r\nFROM t\nWHERE x = 1\r\n"));
  ASSERT_EQ(lList.Count(), 3);
  EXPECT_EQ(lList.Strings(1), QStringLiteral("FROM t"));
  EXPECT_EQ(lList.Text(), QStringLiteral("SELECT *\r\nFROM t\r\nWHERE x = 1\r\n"));
  EXPECT_THROW(lList.Strings(3), ERangeError);

  lList.Clear();
  lList.SetValues(QStringLiteral("lc_ctype"), QStringLiteral("UTF8"));
  lList.SetValues(QStringLiteral("LC_CTYPE"), QStringLiteral("NONE"));
  EXPECT_EQ(lList.Count(), 1);
  EXPECT_EQ(lList.Values(QStringLiteral("Lc_Ctype")), QStringLiteral("NONE"));
  EXPECT_EQ(lList.Values(QStringLiteral("lc")), QString());
  lList.SetValues(QStringLiteral("lc_ctype"), QString());
  EXPECT_EQ(lList.Count(), 0);
}

TEST(StringList, ChangesInsideAnUpdateAreReportedOnce) {
  TStringList lList;
  int lChanges = 0;
  lList.OnChange = [&] { ++lChanges; };
  lList.BeginUpdate();
  lList.BeginUpdate();
  lList.Clear(); // nothing to clear: no change
  lList.Add(QStringLiteral("a"));
  lList.Add(QStringLiteral("b"));
  lList.EndUpdate();
  EXPECT_EQ(lChanges, 0);
  lList.EndUpdate();
  EXPECT_EQ(lChanges, 1);
  lList.EndUpdate(); // unbalanced: ignored
  lList.Delete(0);
  EXPECT_EQ(lChanges, 2);
}

} // namespace
