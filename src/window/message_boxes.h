#pragma once

#include <QString>

class QWidget;

namespace plovane {

// The window's message boxes, behind an interface so that tests replace them and never
// block on a dialog. Texts arrive as the core composed them, CR characters included.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // One OK button, no icon.
  virtual void plain(QWidget* parent, const QString& title, const QString& text) = 0;
  // One OK button, the exclamation icon.
  virtual void exclamation(QWidget* parent, const QString& title, const QString& text) = 0;
};

// Modal QMessageBox dialogs.
class QtMessageBoxes final : public MessageBoxes {
 public:
  void plain(QWidget* parent, const QString& title, const QString& text) override;
  void exclamation(QWidget* parent, const QString& title, const QString& text) override;
};

// The text with each CR LF and each lone CR as a line break, as a label shows it.
QString withLineBreaks(const QString& text);

}  // namespace plovane
