#pragma once

#include <QString>
#include <QStringList>
#include <string>

#include "common/clipboard.h"
#include "form/save_file_dialog.h"
#include "window/qt/owned_by_window.h"

namespace plovane {

// The save dialog of the window system. Its name filters come from the common-dialog
// filter; the name chosen last is offered again at the next showing.
class QtSaveFileDialog final : public SaveFileDialog, public OwnedByWindow {
 public:
  explicit QtSaveFileDialog(QWidget* owner = nullptr) : owner_(owner) {}
  void setOwner(QWidget* owner) override { owner_ = owner; }

  void setFlags(long flags) override { flags_ = flags; }
  void setTitle(const std::string& title) override;
  void setFilter(const std::string& filter) override;
  void showSave() override;
  std::string fileName() const override { return fileName_; }

  // The Qt name filters for a common-dialog filter, "Text Files (*.txt)|*.txt|" and the
  // like. "*.*" matches every file, as it does on Windows, also names without a dot.
  static QStringList nameFilters(const std::string& filter);

 private:
  QWidget* owner_;
  long flags_ = 0;
  QString title_;
  QStringList nameFilters_;
  QString lastChosen_;
  std::string fileName_;
};

// The system clipboard, in its clipboard mode only (never the X11 selection). An operation
// fails when there is no clipboard to be had: no GUI application, or a text that did not
// arrive there. The clipboard keeps the UTF-8 text it is given, the one copy there is; each
// program that pastes gets its own conversion, in the form it asks for.
class QtClipboard final : public Clipboard {
 public:
  bool clear() override;
  bool setText(std::string&& text, int format) override;
};

}  // namespace plovane
