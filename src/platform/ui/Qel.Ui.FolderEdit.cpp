#include "Qel.Ui.FolderEdit.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

TFolderEdit::TFolderEdit(QWidget* aParent)
    : QWidget(aParent), FEdit(new QLineEdit(this)), FButton(new QToolButton(this)) {
  auto* lLayout = new QHBoxLayout(this);
  lLayout->setContentsMargins(0, 0, 0, 0);
  lLayout->setSpacing(0);
  lLayout->addWidget(FEdit);
  lLayout->addWidget(FButton);
  FButton->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
  FButton->setToolTip(tr("Browse for a folder"));
  FButton->setFocusPolicy(Qt::NoFocus);
  setFocusProxy(FEdit);
  connect(FButton, &QToolButton::clicked, this, &TFolderEdit::Browse);
}

QString TFolderEdit::Text() const {
  return FEdit->text();
}

void TFolderEdit::SetText(const QString& aText) {
  FEdit->setText(aText);
}

void TFolderEdit::Browse() {
  const QString lFolder = QFileDialog::getExistingDirectory(this, QString(), FEdit->text());
  if (!lFolder.isEmpty())
    FEdit->setText(lFolder);
}
