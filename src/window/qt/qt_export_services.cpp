#include "window/qt/qt_export_services.h"

#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <memory>
#include <utility>

#include "window/qt/qt_services.h"

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

// UTF-8 text under the plain-text types the window systems look for: Qt's X11 clipboard
// offers "text/plain" as UTF8_STRING, STRING and TEXT too, Windows' as its text formats.
// The text is held as it came and converted only when a program asks for it, so that a
// copy of hundreds of megabytes is held once, not also as UTF-16.
class Utf8TextMimeData final : public QMimeData {
 public:
  explicit Utf8TextMimeData(std::shared_ptr<const std::string> text) : text_(std::move(text)) {}

  QStringList formats() const override { return {kUtf8Type, kPlainType}; }
  bool hasFormat(const QString& type) const override {
    return type == kUtf8Type || type == kPlainType;
  }

 protected:
  QVariant retrieveData(const QString& type, QMetaType preferred) const override {
    if (!hasFormat(type)) return {};
    if (preferred.id() == QMetaType::QString) return fromUtf8(*text_);
    // What is offered as UTF-8 is UTF-8: a file name that is not gets replacement characters.
    const QByteArrayView bytes(text_->data(), static_cast<qsizetype>(text_->size()));
    if (bytes.isValidUtf8()) return bytes.toByteArray();
    return fromUtf8(*text_).toUtf8();
  }

 private:
  static inline const QString kUtf8Type = QStringLiteral("text/plain;charset=utf-8");
  static inline const QString kPlainType = QStringLiteral("text/plain");
  std::shared_ptr<const std::string> text_;
};

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

bool QtClipboard::setText(std::string&& text, int format) {
  // Qt names its formats by MIME type, not by number: only the default text format exists.
  if (format != kDefaultTextFormat) return false;
  QClipboard* clipboard = systemClipboard();
  if (!clipboard) return false;
  // Shared with the MIME data, which the clipboard deletes when it cannot take it, so that a
  // failed attempt can give the text back; MIME data left behind by one is never served.
  const auto kept = std::make_shared<std::string>(std::move(text));
  const QPointer<QMimeData> placed = new Utf8TextMimeData(kept);
  clipboard->setMimeData(placed, QClipboard::Clipboard);
  // Where the window system tells ownership, owning it means the text arrived; elsewhere the
  // clipboard answers from the data it keeps.
  if (clipboard->ownsClipboard() ||
      (placed && clipboard->mimeData(QClipboard::Clipboard) == placed)) {
    return true;
  }
  text = std::move(*kept);
  return false;
}

}  // namespace plovane
