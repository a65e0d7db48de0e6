#include "window/qt/qt_services.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
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

void DesktopUrlLauncher::open(const std::string& url) {
  QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

}  // namespace plovane
