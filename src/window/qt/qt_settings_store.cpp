#include "window/qt/qt_settings_store.h"

#include "common/failure.h"

namespace plovane {

namespace {

const QString kGroup = QStringLiteral("Plovane");

QString keyOf(std::string_view key) {
  return kGroup + QLatin1Char('/') +
         QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
}

QString textOf(std::string_view value) {
  return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

}  // namespace

QtSettingsStore::QtSettingsStore()
    : settings_(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Kestrune"),
                QStringLiteral("Plovane")) {}

QtSettingsStore::QtSettingsStore(const QString& iniFile)
    : settings_(iniFile, QSettings::IniFormat) {}

std::string QtSettingsStore::read(std::string_view key, std::string_view defaultValue) const {
  return settings_.value(keyOf(key), textOf(defaultValue)).toString().toStdString();
}

void QtSettingsStore::write(std::string_view key, std::string_view value) {
  settings_.setValue(keyOf(key), textOf(value));
  settings_.sync();
  if (settings_.status() != QSettings::NoError) {
    throw Failure("The settings could not be saved", failure_code::kDeviceError);
  }
}

}  // namespace plovane
