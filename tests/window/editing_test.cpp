// Editing the lists, the sample folders and the help text, idle and while the window is busy
// (its pointer is the hourglass).

#include <QTest>

#include "common/maker.h"
#include "form_rig.h"
#include "list_texts.h"
#include "window_input.h"
#include "window_test_groups.h"

namespace plovane::test {
namespace {

QString qs(const std::string& text) {
  return QString::fromStdString(text);
}

class EditingTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(openShownForm(sandbox_, rig_)); }
  void cleanup() {
    rig_.reset();
    sandbox_.reset();
  }

  void clearFolderButtonsWhileBusy() {
    Form1& form = **rig_;
    click(form.PushButton9);
    QCOMPARE(form.listView1().rowCount(), std::size_t{1});
    QCOMPARE(form.listView2().rowCount(), std::size_t{1});
    form.listView3().appendRow("/a/x", " is newer than", "/b/");

    form.host().setBusy(true);
    QCOMPARE(form.cursor().shape(), Qt::WaitCursor);
    click(form.PushButton2);
    QCOMPARE(form.listView1().rowCount(), std::size_t{1});
    QCOMPARE(sandbox_->storedValue(QStringLiteral("ListView1")), QVariant(QString()));
    click(form.PushButton4);
    QCOMPARE(form.listView2().rowCount(), std::size_t{0});
    QCOMPARE(form.model(1).rowCount(), 0);
    QCOMPARE(sandbox_->storedValue(QStringLiteral("ListView2")), QVariant(QString()));
    QVERIFY(form.host().isBusy());

    form.host().setBusy(false);
    click(form.PushButton2);
    QCOMPARE(form.listView1().rowCount(), std::size_t{0});
    QCOMPARE(form.model(0).rowCount(), 0);
    // Clearing a folder leaves the results alone.
    QCOMPARE(form.listView3().rowCount(), std::size_t{1});

    // "Clear List" does not wait for the hourglass, and leaves the folders alone.
    form.listView1().appendRow("/kept/");
    form.host().setBusy(true);
    click(form.PushButton8);
    QCOMPARE(form.listView3().rowCount(), std::size_t{0});
    QCOMPARE(form.model(2).rowCount(), 0);
    QCOMPARE(firstCells(form.listView1()), QStringList{QStringLiteral("/kept/")});
    QVERIFY(rig_->boxes.exclamations.empty());
  }

  void samplesWhileBusyKeepTheOldFolder1() {
    Form1& form = **rig_;
    const QString sample1 = sandbox_->program() + QStringLiteral("/Samples/Folder1/");
    const QString sample2 = sandbox_->program() + QStringLiteral("/Samples/Folder2/");
    form.listView1().appendRow("/old/1/");
    form.listView2().appendRow("/old/2/");
    form.listView3().appendRow("/a/x", " is newer than", "/b/");

    form.host().setBusy(true);
    click(form.PushButton9);
    QCOMPARE(firstCells(form.listView1()), QStringList({QStringLiteral("/old/1/"), sample1}));
    QCOMPARE(firstCells(form.listView2()), QStringList{sample2});
    QTRY_COMPARE(form.model(0).rowCount(), 2);
    QCOMPARE(sandbox_->storedValue(QStringLiteral("ListView1")).toString(), sample1);
    QCOMPARE(sandbox_->storedValue(QStringLiteral("ListView2")).toString(), sample2);

    form.host().setBusy(false);
    click(form.PushButton9);
    click(form.PushButton9);
    QCOMPARE(firstCells(form.listView1()), QStringList{sample1});
    QCOMPARE(firstCells(form.listView2()), QStringList{sample2});
    QTRY_COMPARE(form.model(0).rowCount(), 1);
    QCOMPARE(form.listView3().rowCount(), std::size_t{1});
    QVERIFY(rig_->boxes.plains.empty());
  }

  void choosingWhileBusy() {
    Form1& form = **rig_;
    form.listView1().appendRow("/old/1/");
    form.listView2().appendRow("/old/2/");
    rig_->browser.answers = {"/chosen/one", "/chosen/two"};

    form.host().setBusy(true);
    click(form.PushButton3);
    QCOMPARE(firstCells(form.listView1()),
             QStringList({QStringLiteral("/old/1/"), QStringLiteral("/chosen/one/")}));
    QVERIFY(!form.host().isBusy());  // the chooser restores the default pointer

    form.host().setBusy(true);
    click(form.PushButton1);
    QCOMPARE(firstCells(form.listView2()), QStringList{QStringLiteral("/chosen/two/")});
  }

  void removeRowFromFolderList_data() {
    QTest::addColumn<int>("list");
    QTest::newRow("ListView1") << 0;
    QTest::newRow("ListView2") << 1;
  }

  void removeRowFromFolderList() {
    QFETCH(int, list);
    Form1& form = **rig_;
    ResultList& rows = list == 0 ? form.listView1() : form.listView2();
    ResultList& other = list == 0 ? form.listView2() : form.listView1();
    QTreeView* view = list == 0 ? form.ListView1() : form.ListView2();
    rig_->settings.write(list == 0 ? "ListView1" : "ListView2", "/stored/");
    rows.appendRow("/r/0/");
    rows.appendRow("/r/1/");
    rows.appendRow("/r/2/");
    other.appendRow("/other/");
    form.model(list).flushPendingRows();
    QCOMPARE(form.model(list).rowCount(), 3);

    clickRow(view, 1);
    QCOMPARE(rows.selectedRow(), std::optional<std::size_t>(1));

    form.host().setBusy(true);
    doubleClickRow(view, 1);
    QTest::keyClick(view, Qt::Key_Delete);
    QCOMPARE(rows.rowCount(), std::size_t{3});
    form.host().setBusy(false);

    // The full stop has the key code 46 as a character; only the Delete key removes.
    QTest::keyClick(view, Qt::Key_Period);
    QTest::keyClick(view, Qt::Key_Backspace);
    QCOMPARE(rows.rowCount(), std::size_t{3});

    doubleClickRow(view, 1);
    QCOMPARE(firstCells(rows), QStringList({QStringLiteral("/r/0/"), QStringLiteral("/r/2/")}));
    QCOMPARE(form.model(list).rowCount(), 2);

    clickRow(view, 1);
    QTest::keyClick(view, Qt::Key_Delete);
    QCOMPARE(firstCells(rows), QStringList{QStringLiteral("/r/0/")});

    // Modifier keys make no difference to the Delete key.
    clickRow(view, 0);
    QTest::keyClick(view, Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(rows.rowCount(), std::size_t{0});
    QCOMPARE(form.model(list).rowCount(), 0);
    QTest::keyClick(view, Qt::Key_Delete);
    doubleClickAt(view->viewport(), QPoint(20, 5));
    QCOMPARE(rows.rowCount(), std::size_t{0});

    QCOMPARE(firstCells(other), QStringList{QStringLiteral("/other/")});
    QCOMPARE(
        sandbox_->storedValue(list == 0 ? QStringLiteral("ListView1") : QStringLiteral("ListView2"))
            .toString(),
        QStringLiteral("/stored/"));
  }

  void resultListKeepsRowsOnDoubleClickAndDelete() {
    Form1& form = **rig_;
    form.listView3().appendRow("/a/x", " is newer than", "/b/");
    form.listView3().appendRow("/a/y", " is newer than", "/b/");
    form.model(2).flushPendingRows();
    clickRow(form.ListView3(), 1);
    QCOMPARE(form.listView3().selectedRow(), std::optional<std::size_t>(1));
    doubleClickRow(form.ListView3(), 1);
    QTest::keyClick(form.ListView3(), Qt::Key_Delete);
    QCOMPARE(form.listView3().rowCount(), std::size_t{2});
    QCOMPARE(form.model(2).rowCount(), 2);
  }

  void helpShowsItsTextInAPlainBox() {
    Form1& form = **rig_;
    click(form.PushButton13);
    QCOMPARE(rig_->boxes.plains.size(), std::size_t{1});
    const RecordingMessageBoxes::Box& box = rig_->boxes.plains[0];
    QCOMPARE(box.title, std::string("Plovane"));
    QCOMPARE(rig_->boxes.plainOwners[0].window, static_cast<QWidget*>(&form));
    QCOMPARE(qs(box.text),
             QStringLiteral("Please follow steps 1 - 4 in order.\r\r"
                            "Please make sure you have write access to both folders before "
                            "pressing the 'Sync' button otherwise synchronization will not work "
                            "because files can not be copied (written).\r\r"
                            "Questions? Please contact Team Kestrune at ") +
                 qs(std::string(maker::kContactFormUrl)));
    QVERIFY(rig_->boxes.exclamations.empty());
  }

 private:
  std::unique_ptr<Sandbox> sandbox_;
  std::unique_ptr<FormRig> rig_;
};

}  // namespace

int runEditingTests(int argc, char** argv) {
  EditingTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace plovane::test

#include "editing_test.moc"
