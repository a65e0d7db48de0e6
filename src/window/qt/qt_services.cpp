#include "window/qt/qt_services.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTime>
#include <QUrl>

namespace plovane {

std::string corePath(const QString& path) {
#ifdef Q_OS_WIN
  return QDir::toNativeSeparators(path).toStdString();
#else
  return QFile::encodeName(path).toStdString();
#endif
}

QString qtPath(const std::string& path) {
#ifdef Q_OS_WIN
  return QDir::fromNativeSeparators(QString::fromStdString(path));
#else
  return QFile::decodeName(QByteArray::fromStdString(path));
#endif
}

std::string QtFolderBrowser::browseForFolder(const std::string& prompt,
                                             const std::string& initialFolder) {
  const QString chosen = QFileDialog::getExistingDirectory(owner_, QString::fromStdString(prompt),
                                                           QString::fromStdString(initialFolder),
                                                           QFileDialog::ShowDirsOnly);
  if (chosen.isEmpty()) return std::string();
  return corePath(chosen);
}

TimeSeededRandom::TimeSeededRandom()
    : generator_(
          static_cast<std::mt19937::result_type>(QTime::currentTime().msecsSinceStartOfDay())) {}

double TimeSeededRandom::draw() {
  return std::uniform_real_distribution<double>(0.0, 1.0)(generator_);
}

void DesktopUrlLauncher::open(const std::string& url) {
  QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

}  // namespace plovane
