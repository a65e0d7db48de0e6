// "Save Results As Excel File" through the real button, with a recording spreadsheet
// application behind it.

#include <QApplication>
#include <QTest>
#include <chrono>
#include <thread>

#include "common/maker.h"
#include "form/spreadsheet_export.h"
#include "form_rig.h"
#include "window_input.h"
#include "window_test_groups.h"

namespace plovane::test {
namespace {

class SpreadsheetExportTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(openShownForm(sandbox_, rig_)); }
  void cleanup() {
    rig_.reset();
    sandbox_.reset();
  }

  void buttonWritesTheCheckedRowsUnderTheHourglass() {
    Form1& form = **rig_;
    ResultList& results = form.listView3();
    results.appendRow("/a/b.txt", " is newer than", "/b/");
    results.appendRow("/a/c.txt", " will overwrite an older", "/b/c=1.txt");
    results.appendRow("/a/d.txt", " is newer than", "/b/");
    results.setCheckedRange(0, 2, true);
    results.setChecked(1, false);
    QList<Qt::CursorShape> pointers;
    rig_->spreadsheets.onCall = [&](const std::string& call) {
      if (call == "cell") pointers << form.cursor().shape();
    };

    click(form.PushButton7);

    QCOMPARE(rig_->spreadsheets.created.size(), std::size_t{2});
    const SpreadsheetRecord& record = *rig_->spreadsheets.created.back();
    QVERIFY(record.visible);
    QVERIFY(record.released);
    const SpreadsheetRecord::Sheet expected{{{1, 1}, "Newer"},
                                            {{1, 2}, ""},
                                            {{1, 3}, "Older"},
                                            {{2, 1}, "/a/b.txt"},
                                            {{2, 2}, " is newer than"},
                                            {{2, 3}, "/b/"},
                                            {{4, 1}, "/a/d.txt"},
                                            {{4, 2}, " is newer than"},
                                            {{4, 3}, "/b/"}};
    QVERIFY(record.sheets.at(0) == expected);
    QCOMPARE(pointers, QList<Qt::CursorShape>(6, Qt::WaitCursor));
    QVERIFY(!form.host().isBusy());
    QVERIFY(rig_->boxes.plains.empty());
    QVERIFY(rig_->boxes.exclamations.empty());
  }

  void withoutAProgramTwoPlainMessagesAndNoPointerChange() {
    Form1& form = **rig_;
    form.listView3().appendRow("/a/b.txt", " is newer than", "/b/");
    rig_->spreadsheets.installed = false;

    QVERIFY(!form.SaveResultsAsExcelFileIsExcelInstalled());
    QCOMPARE(rig_->boxes.plains.size(), std::size_t{1});
    rig_->boxes.plains.clear();
    click(form.PushButton7);

    QCOMPARE(rig_->boxes.plains.size(), std::size_t{2});
    QCOMPARE(rig_->boxes.plains[0].text, std::string(kSpreadsheetMissingForSoftware));
    QCOMPARE(rig_->boxes.plains[1].text, std::string(kSpreadsheetMissingForFeature));
    QCOMPARE(rig_->boxes.plains[1].title, form.host().applicationTitle());
    QVERIFY(rig_->boxes.exclamations.empty());
    QVERIFY(form.cursor().shape() != Qt::WaitCursor);

    // With a program, an empty list does nothing at all.
    rig_->spreadsheets.installed = true;
    form.listView3().clear();
    click(form.PushButton7);
    QCOMPARE(rig_->boxes.plains.size(), std::size_t{2});
    QCOMPARE(rig_->spreadsheets.created.size(), std::size_t{1});
  }

  void clearListDuringTheExportIsReportedAndTheWorkbookStillShown() {
    Form1& form = **rig_;
    ResultList& results = form.listView3();
    for (int i = 0; i < 50; ++i) results.appendRow("/a/x.txt", " is newer than", "/b/");
    results.setCheckedRange(0, 49, true);
    bool clicked = false;
    rig_->spreadsheets.onCall = [&](const std::string& call) {
      if (call != "cell" || clicked) return;
      clicked = true;
      // The user presses "Clear List" while the program is busy with a cell; the click
      // arrives at the export's next yield.
      QMetaObject::invokeMethod(form.PushButton8, "click", Qt::QueuedConnection);
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    };

    click(form.PushButton7);

    QCOMPARE(results.rowCount(), std::size_t{0});
    const SpreadsheetRecord& record = *rig_->spreadsheets.created.back();
    QVERIFY(record.visible);
    QCOMPARE(record.sheets.at(0).at({2, 1}), std::string("/a/x.txt"));
    QVERIFY(!rig_->boxes.exclamations.empty());
    QVERIFY(QString::fromStdString(rig_->boxes.exclamations.front().text)
                .contains(QStringLiteral("in Plovane2021/08/31.Form1.PushButton7_Click at line ")));
    QVERIFY(!form.host().isBusy());
    QVERIFY(form.cursor().shape() != Qt::WaitCursor);
  }

 private:
  std::unique_ptr<Sandbox> sandbox_;
  std::unique_ptr<FormRig> rig_;
};

}  // namespace

int runSpreadsheetExportTests(int argc, char** argv) {
  SpreadsheetExportTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace plovane::test

#include "spreadsheet_window_test.moc"
