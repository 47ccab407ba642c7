#pragma once
// A label that shows one text of simple HTML (font colours, bold) with its mark-up.

#include <QLabel>

class THTMLabel : public QLabel {
  Q_OBJECT

public:
  explicit THTMLabel(QWidget* aParent = nullptr);

  QString HTMLText() const { return text(); }
  void SetHTMLText(const QString& aHtml) { setText(aHtml); }
};
