#include "Qel.Ui.HtmlListBox.h"

#include "Qel.Ui.Colors.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QScrollBar>
#include <QTextDocument>

// --- THtmlItemDelegate -------------------------------------------------------------------

void THtmlItemDelegate::SetSelectionColors(const QColor& aFill, const QColor& aBorder,
                                           const QColor& aFont) {
  FSelectionFill = aFill;
  FSelectionBorder = aBorder;
  FSelectionFont = aFont;
}

void THtmlItemDelegate::paint(QPainter* aPainter, const QStyleOptionViewItem& aOption,
                              const QModelIndex& aIndex) const {
  const bool lSelected = aOption.state & QStyle::State_Selected;
  aPainter->save();
  QColor lText = aOption.palette.color(QPalette::Text);
  if (lSelected) {
    const QColor lFill =
        FSelectionFill.isValid() ? FSelectionFill : aOption.palette.color(QPalette::Highlight);
    aPainter->fillRect(aOption.rect, lFill);
    if (FSelectionBorder.isValid()) {
      aPainter->setPen(FSelectionBorder);
      aPainter->drawRect(aOption.rect.adjusted(0, 0, -1, -1));
    }
    lText = FSelectionFont.isValid() ? FSelectionFont
                                     : aOption.palette.color(QPalette::HighlightedText);
  }
  QTextDocument lDoc;
  lDoc.setDocumentMargin(1);
  lDoc.setDefaultFont(aOption.font);
  lDoc.setHtml(aIndex.data(Qt::DisplayRole).toString());
  QAbstractTextDocumentLayout::PaintContext lContext;
  lContext.palette = aOption.palette;
  lContext.palette.setColor(QPalette::Text, lText);
  const QRect lRect = aOption.rect;
  aPainter->translate(lRect.topLeft());
  aPainter->setClipRect(QRect(QPoint(0, 0), lRect.size()));
  lDoc.documentLayout()->draw(aPainter, lContext);
  aPainter->restore();
}

QSize THtmlItemDelegate::sizeHint(const QStyleOptionViewItem& aOption,
                                  const QModelIndex& aIndex) const {
  // One line each: the height of the font, the width of the line's text.
  QTextDocument lDoc;
  lDoc.setDocumentMargin(1);
  lDoc.setDefaultFont(aOption.font);
  lDoc.setHtml(aIndex.data(Qt::DisplayRole).toString());
  return QSize(static_cast<int>(lDoc.idealWidth()) + 2, aOption.fontMetrics.height() + 4);
}

// --- THTMListBox -------------------------------------------------------------------------

THTMListBox::THTMListBox(QWidget* aParent)
    : QListWidget(aParent), FDelegate(new THtmlItemDelegate(this)) {
  setItemDelegate(FDelegate);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSortingEnabled(false);
  // Every line is one row of the same height; the list need not measure each one.
  setUniformItemSizes(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

QString THTMListBox::Line(int aIndex) const {
  const QListWidgetItem* lItem = item(aIndex);
  return lItem ? lItem->text() : QString();
}

QStringList THTMListBox::Lines() const {
  QStringList lLines;
  lLines.reserve(count());
  for (int i = 0; i < count(); ++i)
    lLines << item(i)->text();
  return lLines;
}

void THTMListBox::SetLines(const QStringList& aLines) {
  BeginUpdate();
  clear();
  addItems(aLines);
  EndUpdate();
}

void THTMListBox::AddLines(const QStringList& aLines) {
  if (aLines.isEmpty())
    return;
  const QScrollBar* lBar = verticalScrollBar();
  const bool lAtEnd = count() == 0 || lBar->value() == lBar->maximum();
  BeginUpdate();
  addItems(aLines);
  EndUpdate();
  if (lAtEnd)
    scrollToBottom();
}

void THTMListBox::DeleteLine(int aIndex) {
  delete takeItem(aIndex);
}

QString THTMListBox::SelectedLine() const {
  const QListWidgetItem* lItem = currentItem();
  return lItem && lItem->isSelected() ? lItem->text() : QString();
}

void THTMListBox::BeginUpdate() {
  if (FUpdateCount++ == 0)
    setUpdatesEnabled(false);
}

void THTMListBox::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0)
    setUpdatesEnabled(true);
}

void THTMListBox::SetFontColor(TColor aColor) {
  QPalette lPalette = palette();
  lPalette.setColor(QPalette::Text, ToQColor(aColor));
  setPalette(lPalette);
}

void THTMListBox::SetBackgroundColor(TColor aColor) {
  QPalette lPalette = palette();
  lPalette.setColor(QPalette::Base, ToQColor(aColor));
  setPalette(lPalette);
}

void THTMListBox::SetSelectionColors(TColor aFill, TColor aBorder, TColor aFont) {
  FDelegate->SetSelectionColors(ToQColor(aFill), ToQColor(aBorder), ToQColor(aFont));
  viewport()->update();
}
