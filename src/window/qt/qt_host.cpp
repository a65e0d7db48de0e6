#include "window/qt/qt_host.h"

#include <QCoreApplication>
#include <QWidget>

#include "common/error_report.h"
#include "form/message_boxes.h"

namespace plovane {

QtHost::QtHost(QWidget& window, MessageBoxes& boxes, SettingsStore& settings)
    : window_(window), boxes_(boxes), settings_(settings) {}

void QtHost::yield() {
  if (!throttle_.due()) return;
  QCoreApplication::processEvents();
  // The interval counts from the end of this turn: a slow turn must not make the next
  // yield due at once, or the work would crawl one item per turn.
  throttle_.restart();
}

void QtHost::showMessage(const std::string& text) {
  boxes_.plain(applicationTitle_, text);
}

void QtHost::showErrorReport(const std::string& text) {
  boxes_.exclamation(std::string(kErrorReportTitle), text);
}

bool QtHost::isBusy() const {
  return window_.cursor().shape() == Qt::WaitCursor;
}

void QtHost::setBusy(bool busy) {
  window_.setCursor(busy ? Qt::WaitCursor : Qt::ArrowCursor);
}

}  // namespace plovane
