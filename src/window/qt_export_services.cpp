#include "window/qt_export_services.h"

#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>

#include "window/qt_services.h"

namespace plovane {

namespace {

QString fromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Null where there is no GUI application to own a clipboard; Qt would only warn then.
QClipboard* systemClipboard() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return nullptr;
  return QGuiApplication::clipboard();
}

// A description without the patterns it may show in parentheses: Qt shows its own.
QString withoutPatterns(QString description) {
  const qsizetype open = description.lastIndexOf(QLatin1Char('('));
  if (open > 0 && description.endsWith(QLatin1Char(')'))) description.truncate(open);
  return description.trimmed();
}

}  // namespace

void QtSaveFileDialog::setTitle(const std::string& title) {
  title_ = fromUtf8(title);
}

void QtSaveFileDialog::setFilter(const std::string& filter) {
  nameFilters_ = nameFilters(filter);
}

QStringList QtSaveFileDialog::nameFilters(const std::string& filter) {
  const QStringList parts = fromUtf8(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& pattern : patterns) {
      pattern = pattern.trimmed();
      if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
    }
    filters << withoutPatterns(parts[i]) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                   QLatin1Char(')');
  }
  return filters;
}

void QtSaveFileDialog::showSave() {
  fileName_.clear();
  QFileDialog dialog(owner_, title_);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, (flags_ & kOverwritePrompt) == 0);
  dialog.setNameFilters(nameFilters_);
  // No default suffix: a name typed without an extension stays without one.
  if (!lastChosen_.isEmpty()) dialog.selectFile(lastChosen_);
  if (dialog.exec() != QDialog::Accepted) return;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty() || chosen.front().isEmpty()) return;
  lastChosen_ = chosen.front();
  fileName_ = corePath(lastChosen_);
}

bool QtClipboard::clear() {
  QClipboard* clipboard = systemClipboard();
  if (!clipboard) return false;
  clipboard->clear(QClipboard::Clipboard);
  return true;
}

bool QtClipboard::setText(const std::string& text, int format) {
  // Qt names its formats by MIME type, not by number: only the default text format exists.
  if (format != kDefaultTextFormat) return false;
  QClipboard* clipboard = systemClipboard();
  if (!clipboard) return false;
  const QString placed = fromUtf8(text);
  clipboard->setText(placed, QClipboard::Clipboard);
  // Where the window system tells ownership, owning it means the text arrived; elsewhere the
  // clipboard answers from the text it keeps.
  return clipboard->ownsClipboard() || clipboard->text(QClipboard::Clipboard) == placed;
}

}  // namespace plovane
