#include "window/qt/qt_message_boxes.h"

#include <QMessageBox>

namespace plovane {

namespace {

// The text with each CR LF and each lone CR as a line break, as a label shows it.
QString withLineBreaks(const std::string& text) {
  QString lines = QString::fromStdString(text);
  lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return lines;
}

void show(QMessageBox::Icon icon, QWidget* owner, const std::string& title,
          const std::string& text) {
  QMessageBox box(icon, QString::fromStdString(title), withLineBreaks(text), QMessageBox::Ok,
                  owner);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace

void QtMessageBoxes::plain(const std::string& title, const std::string& text) {
  show(QMessageBox::NoIcon, owner_, title, text);
}

void QtMessageBoxes::exclamation(const std::string& title, const std::string& text) {
  show(QMessageBox::Warning, owner_, title, text);
}

}  // namespace plovane
