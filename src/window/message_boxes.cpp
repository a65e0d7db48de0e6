#include "window/message_boxes.h"

#include <QMessageBox>

namespace plovane {

namespace {

void show(QMessageBox::Icon icon, QWidget* parent, const QString& title, const QString& text) {
  QMessageBox box(icon, title, withLineBreaks(text), QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace

QString withLineBreaks(const QString& text) {
  QString lines = text;
  lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return lines;
}

void QtMessageBoxes::plain(QWidget* parent, const QString& title, const QString& text) {
  show(QMessageBox::NoIcon, parent, title, text);
}

void QtMessageBoxes::exclamation(QWidget* parent, const QString& title, const QString& text) {
  show(QMessageBox::Warning, parent, title, text);
}

}  // namespace plovane
