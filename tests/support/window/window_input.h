#pragma once

#include <QPoint>

class QPushButton;
class QTreeView;
class QWidget;

namespace plovane::test {

// Shows the window and waits until it can take clicks.
bool showAndWait(QWidget& window);

void click(QPushButton* button);

// Clicks a row of a list, as the user selects it.
void clickRow(QTreeView* view, int row);

void doubleClickRow(QTreeView* view, int row);
void doubleClickAt(QWidget* widget, QPoint local);

// Moves the real mouse over the middle of the widget (or the point given in its
// coordinates), so that the window system delivers the move as it would to the user.
void hover(QWidget* widget, QPoint local = QPoint(-1, -1));

}  // namespace plovane::test
