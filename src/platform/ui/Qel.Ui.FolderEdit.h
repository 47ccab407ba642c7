#pragma once
// A text field for a folder name with a button that browses for the folder.

#include <QWidget>

class QLineEdit;
class QToolButton;

class TFolderEdit : public QWidget {
  Q_OBJECT

public:
  explicit TFolderEdit(QWidget* aParent = nullptr);

  // The folder name as the user left it.
  QString Text() const;
  void SetText(const QString& aText);
  QLineEdit* Edit() const { return FEdit; }
  QToolButton* Button() const { return FButton; }

private:
  void Browse();

  QLineEdit* FEdit;
  QToolButton* FButton;
};
