#include "window/qt/skin_engine.h"

#include <QFile>
#include <QWidget>

#include "common/failure.h"

namespace plovane {

void SkinEngine::loadSkin(const QString& path, const QString& /*iniName*/) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
    throw Failure("The skin file could not be read", failure_code::kPathNotFound);
  }
  styleSheet_ = QString::fromUtf8(file.readAll());
  loaded_ = true;
}

void SkinEngine::setSwitch(int number, bool on) {
  if (number < 0 || number >= 32) return;
  const unsigned bit = 1u << number;
  switches_ = on ? (switches_ | bit) : (switches_ & ~bit);
}

bool SkinEngine::switchIsOn(int number) const {
  return number >= 0 && number < 32 && (switches_ & (1u << number)) != 0;
}

void SkinEngine::applyTo(QWidget& window) const {
  if (loaded_) window.setStyleSheet(styleSheet_);
}

}  // namespace plovane
