// The Qt model over a ResultList, checked by QAbstractItemModelTester through every kind of
// change, and its batching of appended rows.

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include "window/qt/result_list_model.h"
#include "window_test_groups.h"

namespace plovane::test {
namespace {

using Tester = QAbstractItemModelTester;

std::string pathOf(int i) {
  return "/a/" + std::to_string(i);
}

void addResultColumns(ResultList& list) {
  list.addColumn("Newer", 2600);
  list.addColumn("", 2000);
  list.addColumn("Older", 2600);
}

void appendRows(ResultList& list, int from, int count) {
  for (int i = from; i < from + count; ++i) list.appendRow(pathOf(i), " is newer than", "/b/");
}

QString shown(const ResultListModel& model, int row, int column, int role = Qt::DisplayRole) {
  return model.data(model.index(row, column), role).toString();
}

Qt::CheckState checkStateOf(const ResultListModel& model, int row) {
  return model.data(model.index(row, 0), Qt::CheckStateRole).value<Qt::CheckState>();
}

class ResultListModelTest : public QObject {
  Q_OBJECT

 private slots:
  void testerFollowsEveryChange() {
    ResultList list;
    list.addColumn("Newer", 2600);
    list.addColumn("", 2000);
    ResultListModel model(list, /*checkable=*/true);
    Tester tester(&model, Tester::FailureReportingMode::QtTest);

    appendRows(list, 0, 2000);
    model.flushPendingRows();
    QCOMPARE(model.rowCount(), 2000);
    QCOMPARE(shown(model, 1999, 0), QStringLiteral("/a/1999"));
    QCOMPARE(shown(model, 1999, 1), QStringLiteral(" is newer than"));
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QString());

    // Without an explicit flush the rows arrive once control is back in the event loop.
    appendRows(list, 2000, 500);
    QTRY_COMPARE(model.rowCount(), 2500);
    QCOMPARE(shown(model, 2499, 0), QStringLiteral("/a/2499"));

    list.removeRow(0);
    list.removeRow(1000);
    list.removeRow(list.rowCount() - 1);
    QCOMPARE(model.rowCount(), 2497);
    QCOMPARE(shown(model, 0, 0), QStringLiteral("/a/1"));
    QCOMPARE(shown(model, 1000, 0), QStringLiteral("/a/1002"));
    QCOMPARE(shown(model, 2496, 0), QStringLiteral("/a/2498"));

    // Removing a row that the view has not been told of yet.
    list.appendRow("/p/1");
    list.appendRow("/p/2");
    list.removeRow(list.rowCount() - 2);
    QCOMPARE(model.rowCount(), static_cast<int>(list.rowCount()));
    QCOMPARE(shown(model, model.rowCount() - 1, 0), QStringLiteral("/p/2"));

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    list.setCheckedRange(0, list.rowCount() - 1, true);
    QCOMPARE(changed.count(), 1);
    for (int row : {0, 1234, model.rowCount() - 1}) QCOMPARE(checkStateOf(model, row), Qt::Checked);
    list.setChecked(5, false);
    QCOMPARE(checkStateOf(model, 5), Qt::Unchecked);
    QVERIFY(model.setData(model.index(6, 0), Qt::Unchecked, Qt::CheckStateRole));
    QVERIFY(!list.isChecked(6));
    QVERIFY(model.setData(model.index(5, 0), Qt::Checked, Qt::CheckStateRole));
    QVERIFY(list.isChecked(5));
    QVERIFY(!model.setData(model.index(5, 1), Qt::Unchecked, Qt::CheckStateRole));
    QVERIFY(!model.setData(model.index(5, 0), QStringLiteral("x"), Qt::EditRole));
    QVERIFY(list.isChecked(5));

    // A column added while the list has rows shows the cells the rows already hold.
    list.addColumn("Older", 2600);
    QCOMPARE(model.columnCount(), 3);
    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Older"));
    QCOMPARE(shown(model, 3, 2), QStringLiteral("/b/"));
    QCOMPARE(model.rowCount(), static_cast<int>(list.rowCount()));
    QSignalSpy headers(&model, &QAbstractItemModel::headerDataChanged);
    list.setColumnWidth(0, 100);
    QCOMPARE(headers.count(), 1);

    changed.clear();
    list.setCell(3, 2, "/c/");
    QCOMPARE(shown(model, 3, 2), QStringLiteral("/c/"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed[0][0].value<QModelIndex>(), model.index(3, 2));

    // Clearing while rows are pending leaves nothing for a later flush to announce.
    list.appendRow("/q/1");
    list.clear();
    QCOMPARE(model.rowCount(), 0);
    QTest::qWait(20);
    QCOMPARE(model.rowCount(), 0);
    appendRows(list, 0, 3);
    model.flushPendingRows();
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(checkStateOf(model, 0), Qt::Unchecked);
  }

  void folderListHasNoCheckBoxes() {
    ResultList list;
    list.addColumn("Folder 1", 7000);
    ResultListModel model(list, /*checkable=*/false);
    Tester tester(&model, Tester::FailureReportingMode::QtTest);
    list.appendRow("/one/");
    list.appendRow("/two/");
    model.flushPendingRows();
    QVERIFY(!model.data(model.index(0, 0), Qt::CheckStateRole).isValid());
    QVERIFY(!model.flags(model.index(0, 0)).testFlag(Qt::ItemIsUserCheckable));
    QVERIFY(!model.setData(model.index(0, 0), Qt::Checked, Qt::CheckStateRole));
    list.removeRow(0);
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(shown(model, 0, 0), QStringLiteral("/two/"));
  }

  void listWithoutColumnsYet() {
    // Every list is in this state from the window's creation until its set-up adds columns.
    ResultList list;
    ResultListModel model(list, /*checkable=*/true);
    Tester tester(&model, Tester::FailureReportingMode::QtTest);
    list.appendRow("/a/x", " is newer than", "/b/");
    model.flushPendingRows();
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.columnCount(), 0);
    list.setCell(0, 1, " will overwrite an older");
    list.setChecked(0, true);
    addResultColumns(list);
    QCOMPARE(model.columnCount(), 3);
    QCOMPARE(shown(model, 0, 1), QStringLiteral(" will overwrite an older"));
    QCOMPARE(checkStateOf(model, 0), Qt::Checked);
  }

  void fiftyThousandRowsArriveInOneNotification() {
    constexpr int kRows = 50'000;
    ResultList list;
    addResultColumns(list);
    ResultListModel model(list, /*checkable=*/true);
    Tester tester(&model, Tester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

    appendRows(list, 0, kRows);
    QVERIFY(model.rowCount() <= kRows);
    model.flushPendingRows();
    QCOMPARE(model.rowCount(), kRows);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted[0][1].toInt(), 0);
    QCOMPARE(inserted[0][2].toInt(), kRows - 1);
    QCOMPARE(shown(model, kRows - 1, 0), QString::fromStdString(pathOf(kRows - 1)));

    // The second batch is announced by the event loop, again at once.
    appendRows(list, kRows, kRows);
    QTRY_COMPARE(model.rowCount(), 2 * kRows);
    QCOMPARE(inserted.count(), 2);
    QCOMPARE(inserted[1][1].toInt(), kRows);

    list.setCheckedRange(0, list.rowCount() - 1, true);
    QCOMPARE(checkStateOf(model, 2 * kRows - 1), Qt::Checked);
    list.clear();
    QCOMPARE(model.rowCount(), 0);
  }
};

}  // namespace

int runResultListModelTests(int argc, char** argv) {
  ResultListModelTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace plovane::test

#include "result_list_model_test.moc"
