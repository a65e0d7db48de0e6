// The fixed layout of the main window: geometry as the layout table gives it, captions,
// fonts, the lists' columns, tool tip and long paths, and the focus order.

#include <QHash>
#include <QHeaderView>
#include <QHelpEvent>
#include <QProxyStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <vector>

#include "form_rig.h"
#include "window/form1_layout.h"
#include "window_test_groups.h"

namespace plovane::test {
namespace {

using form1_layout::ControlPlacement;

// Twips to device-independent pixels, 15 to a pixel, rounded.
int px(int twips) {
  return static_cast<int>(std::lround(twips / 15.0));
}

QRect designedGeometry(const ControlPlacement& p) {
  return QRect(px(p.left), px(p.top), px(p.width), px(p.height));
}

QString nameOf(const ControlPlacement& p) {
  return QString::fromUtf8(p.name.data(), static_cast<qsizetype>(p.name.size()));
}

const char* const kToolTip =
    "Double-click item to remove it. Move | line to right and out of window to reveal full "
    "names.";

// What a view asks the style to paint in each cell: the text as it fits there, with the
// view's elide mode and the text margins the common style leaves.
class PaintedItems final : public QProxyStyle {
 public:
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    if (const auto* item = qstyleoption_cast<const QStyleOptionViewItem*>(option);
        item && element == CE_ItemViewItem) {
      const int margin = pixelMetric(PM_FocusFrameHMargin, nullptr, widget) + 1;
      const int width = subElementRect(SE_ItemViewItemText, item, widget).width() - 2 * margin;
      shown[item->index] = item->fontMetrics.elidedText(item->text, item->textElideMode, width);
    }
    QProxyStyle::drawControl(element, option, painter, widget);
  }

  mutable QHash<QModelIndex, QString> shown;
};

// A view painted once with PaintedItems as its style, which it gives back afterwards.
QHash<QModelIndex, QString> paintedTexts(QTreeView* view) {
  PaintedItems style;
  view->setStyle(&style);
  view->viewport()->grab();
  view->setStyle(nullptr);
  return style.shown;
}

// The tool tip the list shows when the mouse rests over the cell.
QString toolTipOver(QTreeView* view, const QModelIndex& cell) {
  const QPoint at = view->visualRect(cell).center();
  QHelpEvent rest(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
  QCoreApplication::sendEvent(view->viewport(), &rest);
  const QString shown = QToolTip::isVisible() ? QToolTip::text() : QString();
  QToolTip::hideText();
  return shown;
}

class LayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(openShownForm(sandbox_, rig_)); }
  void cleanup() {
    rig_.reset();
    sandbox_.reset();
  }

  void windowIsFixedAt536By453WithoutMaximise() {
    Form1& form = **rig_;
    QCOMPARE(form.size(), QSize(px(form1_layout::kClientWidth), px(form1_layout::kClientHeight)));
    QCOMPARE(form.size(), QSize(536, 453));
    QCOMPARE(form.minimumSize(), form.size());
    QCOMPARE(form.maximumSize(), form.size());
    QVERIFY(!form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(form.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QCOMPARE(form.windowTitle(), QStringLiteral("Plovane"));
    QVERIFY2(!form.windowIcon().isNull(), "the window shows the program's icon");
  }

  void everyControlSitsWhereTheTableSays() {
    Form1& form = **rig_;
    for (const ControlPlacement& p : form1_layout::kControls) {
      const QString name = nameOf(p);
      QWidget* control = form.findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
      QVERIFY2(control, qPrintable(name));
      const bool isList = qobject_cast<QTreeView*>(control) != nullptr;
      QVERIFY2(isList == (p.kind == form1_layout::kList), qPrintable(name));
      QCOMPARE(control->parentWidget(), static_cast<QWidget*>(&form));
      QVERIFY2(control->isVisible(), qPrintable(name));
      const QRect expected = designedGeometry(p);
      if (control->geometry() != expected) {
        QFAIL(qPrintable(QStringLiteral("%1 at %2,%3 %4x%5, expected %6,%7 %8x%9")
                             .arg(name)
                             .arg(control->x())
                             .arg(control->y())
                             .arg(control->width())
                             .arg(control->height())
                             .arg(expected.x())
                             .arg(expected.y())
                             .arg(expected.width())
                             .arg(expected.height())));
      }
    }
    // The table has every control of the window: eleven buttons and three lists.
    QCOMPARE(form.findChildren<QPushButton*>(Qt::FindDirectChildrenOnly).size(), 11);
    QCOMPARE(form.findChildren<QTreeView*>(Qt::FindDirectChildrenOnly).size(), 3);
    QCOMPARE(static_cast<int>(std::size(form1_layout::kControls)), 14);
    // The named members are the controls of those names.
    const std::pair<QWidget*, const char*> members[] = {
        {form.PushButton1, "PushButton1"},   {form.PushButton2, "PushButton2"},
        {form.PushButton3, "PushButton3"},   {form.PushButton4, "PushButton4"},
        {form.PushButton5, "PushButton5"},   {form.PushButton6, "PushButton6"},
        {form.PushButton7, "PushButton7"},   {form.PushButton8, "PushButton8"},
        {form.PushButton9, "PushButton9"},   {form.PushButton10, "PushButton10"},
        {form.PushButton13, "PushButton13"}, {form.ListView1(), "ListView1"},
        {form.ListView2(), "ListView2"},     {form.ListView3(), "ListView3"},
    };
    for (const auto& [member, name] : members) {
      QVERIFY2(member, name);
      QCOMPARE(member->objectName(), QString::fromLatin1(name));
    }
    // Spot checks of the rounding: 3030 and 5260 twips are not whole pixels.
    QCOMPARE(form.ListView3()->geometry(), QRect(8, 202, 520, 143));
    QCOMPARE(form.PushButton5->geometry(), QRect(8, 351, 520, 27));
  }

  // Whatever the table says, each control shows whole inside the window and none covers
  // another.
  void controlsLieInsideTheWindowAndDoNotOverlap() {
    Form1& form = **rig_;
    const QRect client = form.rect();
    QList<QWidget*> controls;
    for (const ControlPlacement& p : form1_layout::kControls) {
      QWidget* control = form.findChild<QWidget*>(nameOf(p), Qt::FindDirectChildrenOnly);
      QVERIFY2(control, qPrintable(nameOf(p)));
      QVERIFY2(client.contains(control->geometry()), qPrintable(nameOf(p)));
      for (QWidget* earlier : controls) {
        QVERIFY2(!earlier->geometry().intersects(control->geometry()),
                 qPrintable(earlier->objectName() + QStringLiteral(" and ") + nameOf(p)));
      }
      controls << control;
    }
  }

  void buttonsShowTheirCaptionsInBoldArial() {
    Form1& form = **rig_;
    const std::pair<QPushButton*, const char*> captions[] = {
        {form.PushButton13, "Help"},
        {form.PushButton9, "Load Sample/Example Folders"},
        {form.PushButton3, "1. Choose Folder 1"},
        {form.PushButton2, "Clear Folder"},
        {form.PushButton1, "2. Choose Folder 2"},
        {form.PushButton4, "Clear Folder"},
        {form.PushButton5, "3. Start Comparing"},
        {form.PushButton6, "Save Results As Text File"},
        {form.PushButton7, "Save Results As Excel File"},
        {form.PushButton10, "Copy Results To Clipboard"},
        {form.PushButton8, "Clear List"},
    };
    for (const auto& [button, caption] : captions) {
      QCOMPARE(button->text(), QString::fromLatin1(caption));
      QCOMPARE(button->font().pointSizeF(), 11.25);
      QVERIFY2(button->font().bold(), caption);
      QCOMPARE(button->font().family(), QStringLiteral("Arial"));
    }
  }

  void listsShareToolTipAndBoldNinePointFont() {
    Form1& form = **rig_;
    for (QTreeView* view : {form.ListView1(), form.ListView2(), form.ListView3()}) {
      QCOMPARE(view->toolTip(), QString::fromLatin1(kToolTip));
      QCOMPARE(view->font().pointSizeF(), 9.0);
      QVERIFY(view->font().bold());
      QCOMPARE(view->font().family(), QStringLiteral("Arial"));
      // A million rows scroll without measuring each one.
      QVERIFY(view->uniformRowHeights());
    }
  }

  void setUpCreatesColumnsWithTheirWidths() {
    Form1& form = **rig_;
    struct Expected {
      QTreeView* view;
      std::vector<std::pair<QString, int>> columns;  // header, width in twips
    };
    const Expected lists[] = {
        {form.ListView1(), {{QStringLiteral("Folder 1"), 7000}}},
        {form.ListView2(), {{QStringLiteral("Folder 2"), 7000}}},
        {form.ListView3(),
         {{QStringLiteral("Newer"), 2600}, {QString(), 2000}, {QStringLiteral("Older"), 2600}}},
    };
    for (const Expected& list : lists) {
      QHeaderView* header = list.view->header();
      QCOMPARE(list.view->model()->columnCount(), static_cast<int>(list.columns.size()));
      QCOMPARE(header->count(), static_cast<int>(list.columns.size()));
      for (int c = 0; c < header->count(); ++c) {
        const auto& [caption, twips] = list.columns[static_cast<std::size_t>(c)];
        QCOMPARE(list.view->model()->headerData(c, Qt::Horizontal).toString(), caption);
        QCOMPARE(header->sectionSize(c), px(twips));
        // The user drags the dividers.
        QCOMPARE(header->sectionResizeMode(c), QHeaderView::Interactive);
      }
    }
    QCOMPARE(form.ListView1()->header()->sectionSize(0), 467);
    QCOMPARE(form.ListView3()->header()->sectionSize(1), 133);
    QCOMPARE(form.listView3().rowCount(), std::size_t{0});
  }

  void tabVisitsControlsInTheDesignedOrder() {
    Form1& form = **rig_;
    const QStringList expected = {QStringLiteral("ListView3"),    QStringLiteral("ListView1"),
                                  QStringLiteral("ListView2"),    QStringLiteral("PushButton3"),
                                  QStringLiteral("PushButton1"),  QStringLiteral("PushButton2"),
                                  QStringLiteral("PushButton4"),  QStringLiteral("PushButton5"),
                                  QStringLiteral("PushButton13"), QStringLiteral("PushButton9"),
                                  QStringLiteral("PushButton6"),  QStringLiteral("PushButton7"),
                                  QStringLiteral("PushButton8"),  QStringLiteral("PushButton10")};
    std::vector<std::pair<int, QString>> byTabIndex;
    for (const ControlPlacement& p : form1_layout::kControls)
      byTabIndex.emplace_back(p.tabIndex, nameOf(p));
    std::sort(byTabIndex.begin(), byTabIndex.end());
    QStringList inTable;
    for (const auto& entry : byTabIndex) inTable << entry.second;
    QCOMPARE(inTable, expected);

    // The tab stops of the focus chain, starting at the first one.
    QStringList visited;
    QWidget* widget = form.ListView3();
    do {
      if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisibleTo(&form) && widget != &form) {
        visited << widget->objectName();
      }
      widget = widget->nextInFocusChain();
    } while (widget != form.ListView3() && visited.size() <= expected.size());
    QCOMPARE(visited, expected);
    QCOMPARE(form.focusWidget(), static_cast<QWidget*>(form.ListView3()));
  }

  // A path wider than its column loses the middle of its folder, so that the start of the
  // folder and the whole file name show; a name wider than the column loses its own middle.
  // The cell keeps the whole path, and the list its own tool tip.
  void longPathsShowTheirStartAndFileNameAndTheListKeepsItsToolTip() {
    Form1& form = **rig_;
    const QString folder = QStringLiteral(
        "/home/user/Documents/Projects/client-042/module-17/archive/2021/quarterly/reports/");
    const QString newer = folder + QStringLiteral("final-report.txt");
    const QString older = QStringLiteral("/media/backup/") +
                          QStringLiteral("a-file-name-far-too-long-for-its-column-").repeated(2) +
                          QStringLiteral("v2.txt");
    form.listView1().appendRow(folder.toStdString());
    form.listView3().appendRow(newer.toStdString(), " is newer than", older.toStdString());
    form.model(0).flushPendingRows();
    form.model(2).flushPendingRows();

    struct Cell {
      QTreeView* view;
      int column;
      QString path;
      QString end;  // what must show at its end
    };
    const Cell cells[] = {{form.ListView1(), 0, folder, QStringLiteral("/reports/")},
                          {form.ListView3(), 0, newer, QStringLiteral("/final-report.txt")},
                          {form.ListView3(), 2, older, QStringLiteral("-v2.txt")}};
    for (const Cell& c : cells) {
      const QModelIndex cell = c.view->model()->index(0, c.column);
      const QString shown = paintedTexts(c.view).value(cell);
      QVERIFY2(shown.contains(QChar(0x2026)), qPrintable(shown));
      QVERIFY2(shown.startsWith(c.path.left(6)), qPrintable(shown));
      QVERIFY2(shown.endsWith(c.end), qPrintable(shown));

      QCOMPARE(cell.data().toString(), c.path);
      QCOMPARE(toolTipOver(c.view, cell), QString::fromLatin1(kToolTip));
    }
  }

  void onlyTheResultListHasCheckBoxes() {
    Form1& form = **rig_;
    form.listView1().appendRow("/a/");
    form.listView3().appendRow("/a/x", " is newer than", "/b/");
    form.model(0).flushPendingRows();
    form.model(2).flushPendingRows();
    const QModelIndex folderRow = form.model(0).index(0, 0);
    const QModelIndex resultRow = form.model(2).index(0, 0);
    QVERIFY(!form.model(0).flags(folderRow).testFlag(Qt::ItemIsUserCheckable));
    QVERIFY(!form.model(0).data(folderRow, Qt::CheckStateRole).isValid());
    QVERIFY(form.model(2).flags(resultRow).testFlag(Qt::ItemIsUserCheckable));
    QCOMPARE(form.model(2).data(resultRow, Qt::CheckStateRole).value<Qt::CheckState>(),
             Qt::Unchecked);
    QVERIFY(!form.model(2).flags(form.model(2).index(0, 1)).testFlag(Qt::ItemIsUserCheckable));
  }

 private:
  std::unique_ptr<Sandbox> sandbox_;
  std::unique_ptr<FormRig> rig_;
};

}  // namespace

int runLayoutTests(int argc, char** argv) {
  LayoutTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace plovane::test

#include "layout_test.moc"
