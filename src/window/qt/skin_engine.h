#pragma once

#include <QString>

class QWidget;

namespace plovane {

// The skin engine: a skin file is a Qt style sheet. The four calls come in this order:
// load a skin, read and write the option word, set switches, apply to a window.
class SkinEngine {
 public:
  // Reads the skin file; fails with a Failure when it cannot be read.
  void loadSkin(const QString& path, const QString& iniName);
  int optionWord() const { return optionWord_; }
  void setOptionWord(int word) { optionWord_ = word; }
  void setSwitch(int number, bool on);
  // Sets the loaded style sheet on the window and everything in it.
  void applyTo(QWidget& window) const;

  bool isLoaded() const { return loaded_; }
  bool switchIsOn(int number) const;

 private:
  QString styleSheet_;
  bool loaded_ = false;
  int optionWord_ = 0;
  unsigned switches_ = 0;
};

}  // namespace plovane
