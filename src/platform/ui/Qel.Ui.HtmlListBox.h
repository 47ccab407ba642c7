#pragma once
// A list box whose items are single lines of simple HTML (font colours, bold), drawn with
// their mark-up. Changes made between BeginUpdate and EndUpdate are drawn once.

#include "Qel.Rtl.Color.h"

#include <QListWidget>
#include <QStringList>
#include <QStyledItemDelegate>

class THtmlItemDelegate : public QStyledItemDelegate {
  Q_OBJECT

public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void SetSelectionColors(const QColor& aFill, const QColor& aBorder, const QColor& aFont);

  void paint(QPainter* aPainter, const QStyleOptionViewItem& aOption,
             const QModelIndex& aIndex) const override;
  QSize sizeHint(const QStyleOptionViewItem& aOption, const QModelIndex& aIndex) const override;

private:
  QColor FSelectionFill;
  QColor FSelectionBorder;
  QColor FSelectionFont;
};

class THTMListBox : public QListWidget {
  Q_OBJECT

public:
  explicit THTMListBox(QWidget* aParent = nullptr);

  int Count() const { return count(); }
  // The HTML line at aIndex; empty outside the list.
  QString Line(int aIndex) const;
  QStringList Lines() const;
  void SetLines(const QStringList& aLines);
  // Appends the lines; while the last line was in view, the list follows the new end.
  void AddLines(const QStringList& aLines);
  void DeleteLine(int aIndex);
  void ClearLines() { clear(); }
  // The selected line, or empty.
  QString SelectedLine() const;

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  // Text colour of lines without a colour of their own, and the list's background.
  void SetFontColor(TColor aColor);
  void SetBackgroundColor(TColor aColor);
  void SetSelectionColors(TColor aFill, TColor aBorder, TColor aFont);

private:
  THtmlItemDelegate* FDelegate = nullptr;
  int FUpdateCount = 0;
};
