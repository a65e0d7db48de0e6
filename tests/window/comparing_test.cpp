// Choosing the two folders and comparing them through the real buttons of the window.

#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTimer>
#include <functional>

#include "common/maker.h"
#include "form_rig.h"
#include "list_texts.h"
#include "temp_tree.h"
#include "window_input.h"
#include "window_test_groups.h"

namespace plovane::test {
namespace {

constexpr std::int64_t kNine = 1'600'000'000;   // a.txt under folder 2
constexpr std::int64_t kTen = kNine + 3600;     // a.txt under folder 1, an hour newer
constexpr std::int64_t kSame = kNine - 86'400;  // both c.txt files

QString qs(const std::string& text) {
  return QString::fromStdString(text);
}

QStringList rowsOf(const ResultList& list) {
  QStringList rows;
  for (std::size_t row = 0; row < list.rowCount(); ++row) {
    rows << qs(cellText(list, row, 0)) + QLatin1Char('|') + qs(cellText(list, row, 1)) +
                QLatin1Char('|') + qs(cellText(list, row, 2));
  }
  return rows;
}

// What the view shows: the model's display texts, row by row.
QStringList shownRowsOf(const QAbstractItemModel& model) {
  QStringList rows;
  for (int row = 0; row < model.rowCount(); ++row) {
    QStringList cells;
    for (int column = 0; column < model.columnCount(); ++column) {
      cells << model.data(model.index(row, column)).toString();
    }
    rows << cells.join(QLatin1Char('|'));
  }
  return rows;
}

// Folder 1 "A" and folder 2 "B": b.txt only under A, d.txt only under B, a.txt newer under A,
// c.txt of equal age in a sub-folder on each side, and ~a.tmp that never takes part.
void makeTrees(const TempTree& tree) {
  tree.makeFile("A/a.txt", kTen);
  tree.makeFile("A/b.txt");
  tree.makeFile("A/~a.tmp");
  tree.makeFile("A/Sub/c.txt", kSame);
  tree.makeFile("B/a.txt", kNine);
  tree.makeFile("B/d.txt");
  tree.makeFile("B/Other/c.txt", kSame);
}

// Loads and shows the window with the trees' folders chosen; true when it takes clicks.
bool showWithTrees(Form1& form, const TempTree& tree) {
  form.Form_Load();
  if (!showAndWait(form)) return false;
  form.listView1().appendRow(tree.path("A/"));
  form.listView2().appendRow(tree.path("B/"));
  return true;
}

QStringList expectedRows(const TempTree& tree) {
  return {
      qs(tree.path("A/b.txt")) + QStringLiteral("| is newer than|") + qs(tree.path("B/")),
      qs(tree.path("B/d.txt")) + QStringLiteral("| is newer than|") + qs(tree.path("A/")),
      qs(tree.path("A/a.txt")) + QStringLiteral("| will overwrite an older|") +
          qs(tree.path("B/a.txt")),
  };
}

QString storedFileText(const Sandbox& sandbox) {
  QFile file(sandbox.iniFile());
  if (!file.open(QIODevice::ReadOnly)) return QString();
  return QString::fromUtf8(file.readAll());
}

// The native file system, with a call that runs inside the first folder listing of a run:
// that is where the run hands control to the window system, as a yield would.
class InterruptingFileSystem final : public platform::FileSystem {
 public:
  std::function<void()> duringFirstListing;
  int interruptions = 0;

  platform::FolderInfo folderInfo(const std::string& path) const override {
    return inner_.folderInfo(path);
  }
  void forEachEntry(const std::string& folder, const platform::EntryVisitor& visit) const override {
    interrupt();
    inner_.forEachEntry(folder, visit);
  }
  void forEachSubFolder(const std::string& folder,
                        const platform::NameVisitor& visit) const override {
    interrupt();
    inner_.forEachSubFolder(folder, visit);
  }
  void forEachFile(const std::string& folder, const platform::NameVisitor& visit) const override {
    interrupt();
    inner_.forEachFile(folder, visit);
  }
  bool isExistingFile(const std::string& path) const override {
    return inner_.isExistingFile(path);
  }
  bool isFolder(const std::string& path) const override { return inner_.isFolder(path); }
  std::optional<platform::UnixSeconds> lastWriteTime(const std::string& path) const override {
    return inner_.lastWriteTime(path);
  }
  void lastWriteTimes(const std::string& prefix, std::span<const std::string_view> names,
                      std::span<std::optional<platform::UnixSeconds>> times) const override {
    inner_.lastWriteTimes(prefix, names, times);
  }
  bool canReadChangeTime(const std::string& path) const override {
    return inner_.canReadChangeTime(path);
  }
  std::int64_t utcOffsetSeconds() const override { return inner_.utcOffsetSeconds(); }

 private:
  void interrupt() const {
    auto* self = const_cast<InterruptingFileSystem*>(this);
    if (self->interruptions++ == 0 && duringFirstListing) duringFirstListing();
  }

  const platform::FileSystem& inner_ = platform::nativeFileSystem();
};

class ComparingTest : public QObject {
  Q_OBJECT

 private slots:
  void chosenFoldersCompareIntoCheckedRows() {
    TempTree tree;
    makeTrees(tree);
    Sandbox sandbox;
    FormRig rig(sandbox.iniFile(), sandbox.program());
    Form1& form = *rig;
    form.Form_Load();
    QVERIFY(showAndWait(form));
    // The browser returns folders without a final separator.
    rig.browser.answers = {tree.path("A"), tree.path("B")};

    click(form.PushButton3);
    QCOMPARE(firstCells(form.listView1()), QStringList{qs(tree.path("A/"))});
    QVERIFY(!form.host().isBusy());
    click(form.PushButton1);
    QCOMPARE(firstCells(form.listView2()), QStringList{qs(tree.path("B/"))});
    QTRY_COMPARE(form.model(0).rowCount(), 1);
    QTRY_COMPARE(form.model(1).rowCount(), 1);
    QCOMPARE(form.model(1).data(form.model(1).index(0, 0)).toString(), qs(tree.path("B/")));
    QCOMPARE(toList(rig.browser.prompts()), QStringList({QStringLiteral("Please select folder"),
                                                         QStringLiteral("Please select folder")}));
    QCOMPARE(toList(rig.browser.initialFolders()), QStringList({QString(), QString()}));

    // Written at once, so that a close loses nothing.
    QCOMPARE(sandbox.storedValue(QStringLiteral("ListView1")).toString(), qs(tree.path("A/")));
    QCOMPARE(sandbox.storedValue(QStringLiteral("ListView2")).toString(), qs(tree.path("B/")));
    QCOMPARE(sandbox.storedValue(QStringLiteral("LastFolderDot")).toString(), qs(tree.path("B")));
    QVERIFY(storedFileText(sandbox).contains(QStringLiteral("ListView2=") + qs(tree.path("B/"))));

    QSignalSpy finished(&form, &Form1::comparisonFinished);
    click(form.PushButton5);
    QCOMPARE(finished.count(), 1);
    QVERIFY(!form.isComparing());
    QCOMPARE(rowsOf(form.listView3()), expectedRows(tree));
    // The view knows every row as soon as the run ends.
    QCOMPARE(form.model(2).rowCount(), 3);
    QCOMPARE(shownRowsOf(form.model(2)), expectedRows(tree));
    for (int row = 0; row < 3; ++row) {
      QVERIFY(form.listView3().isChecked(static_cast<std::size_t>(row)));
      QCOMPARE(form.model(2).index(row, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(),
               Qt::Checked);
    }
    QCOMPARE(firstCells(form.listView1()), QStringList{qs(tree.path("A/"))});
    QCOMPARE(firstCells(form.listView2()), QStringList{qs(tree.path("B/"))});
    QVERIFY(rig.boxes.plains.empty());
    QVERIFY(rig.boxes.exclamations.empty());

    // A second run starts afresh rather than adding to the rows.
    click(form.PushButton5);
    QCOMPARE(finished.count(), 2);
    QCOMPARE(rowsOf(form.listView3()), expectedRows(tree));
    QCOMPARE(form.model(2).rowCount(), 3);
  }

  void userUnticksAResultRowWithTheMouse() {
    TempTree tree;
    makeTrees(tree);
    Sandbox sandbox;
    FormRig rig(sandbox.iniFile(), sandbox.program());
    Form1& form = *rig;
    QVERIFY(showWithTrees(form, tree));
    click(form.PushButton5);
    QCOMPARE(form.listView3().rowCount(), std::size_t{3});

    QTreeView* view = form.ListView3();
    const QModelIndex second = form.model(2).index(1, 0);
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = view->visualRect(second);
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.text = second.data().toString();
    const QRect box =
        view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view);
    QVERIFY(!box.isEmpty());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, box.center());
    QVERIFY(!form.listView3().isChecked(1));
    QVERIFY(form.listView3().isChecked(0));
    QVERIFY(form.listView3().isChecked(2));
    QCOMPARE(second.data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
  }

  void cancellingTheChooserLeavesTheListEmptyAndWritesNothing() {
    TempTree tree;
    makeTrees(tree);
    Sandbox sandbox;
    FormRig rig(sandbox.iniFile(), sandbox.program());
    Form1& form = *rig;
    form.Form_Load();
    QVERIFY(showAndWait(form));

    form.listView1().appendRow("/was/here/");
    click(form.PushButton3);  // no answer scripted: cancel
    QCOMPARE(form.listView1().rowCount(), std::size_t{0});
    QCOMPARE(form.model(0).rowCount(), 0);
    QVERIFY(sandbox.storedKeys().isEmpty());
    QVERIFY(!form.host().isBusy());

    // After a real choice, a cancel empties the list but keeps what the settings hold.
    rig.browser.answers = {tree.path("A"), tree.path("B"), "", ""};
    click(form.PushButton3);
    click(form.PushButton1);
    click(form.PushButton3);
    click(form.PushButton1);
    QCOMPARE(form.listView1().rowCount(), std::size_t{0});
    QCOMPARE(form.listView2().rowCount(), std::size_t{0});
    QCOMPARE(sandbox.storedValue(QStringLiteral("ListView1")).toString(), qs(tree.path("A/")));
    QCOMPARE(sandbox.storedValue(QStringLiteral("ListView2")).toString(), qs(tree.path("B/")));
    QCOMPARE(sandbox.storedValue(QStringLiteral("LastFolderDot")).toString(), qs(tree.path("B")));
    QVERIFY(rig.boxes.plains.empty());

    // With no folders the run refuses, after emptying the results.
    form.listView3().appendRow("/stale", " is newer than", "/x/");
    click(form.PushButton5);
    QCOMPARE(form.listView3().rowCount(), std::size_t{0});
    QCOMPARE(form.model(2).rowCount(), 0);
    QCOMPARE(rig.boxes.plains.size(), std::size_t{1});
    QCOMPARE(rig.boxes.plains[0].text, std::string("Please select two folders to compare."));
    QCOMPARE(rig.boxes.plains[0].title, std::string("Plovane"));
  }

  void startClickedAgainInsideTheRunIsIgnored() {
    TempTree tree;
    makeTrees(tree);
    Sandbox sandbox;
    InterruptingFileSystem fs;
    FormRig rig(sandbox.iniFile(), sandbox.program(), fs);
    Form1& form = *rig;
    QVERIFY(showWithTrees(form, tree));

    bool comparingAtSecondClick = false;
    fs.duringFirstListing = [&] {
      comparingAtSecondClick = form.isComparing();
      click(form.PushButton5);
    };
    QSignalSpy clicks(form.PushButton5, &QPushButton::clicked);
    QSignalSpy finished(&form, &Form1::comparisonFinished);
    click(form.PushButton5);

    QCOMPARE(clicks.count(), 2);  // the second click did reach the button
    QVERIFY(comparingAtSecondClick);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(rowsOf(form.listView3()), expectedRows(tree));
    QCOMPARE(form.model(2).rowCount(), 3);
    QVERIFY(rig.boxes.plains.empty());
    QVERIFY(rig.boxes.exclamations.empty());
    QVERIFY(!form.isComparing());
  }

  void closingDuringARunEndsTheProcessAtOnce() {
    TempTree tree;
    makeTrees(tree);
    Sandbox sandbox;
    InterruptingFileSystem fs;
    FormRig rig(sandbox.iniFile(), sandbox.program(), fs);
    Form1& form = *rig;
    QVERIFY(showWithTrees(form, tree));

    bool comparingAtClose = false;
    int endCallsAtClose = -1;
    fs.duringFirstListing = [&] {
      comparingAtClose = form.isComparing();
      form.close();
      endCallsAtClose = rig.endProcessCalls;
    };
    click(form.PushButton5);

    // The close asked to end the process while the run was still going, with no question.
    QVERIFY(comparingAtClose);
    QCOMPARE(endCallsAtClose, 1);
    QVERIFY(rig.boxes.plains.empty());
    QVERIFY(rig.boxes.exclamations.empty());
  }

  // "plovane A B": both chosen as the buttons choose them, then compared once the window runs;
  // a folder that is not there leaves its list empty, is named, and nothing is compared.
  void startedWithTwoFoldersChoosesThemAndCompares() {
    TempTree tree;
    makeTrees(tree);
    Sandbox sandbox;
    FormRig rig(sandbox.iniFile(), sandbox.program());
    Form1& form = *rig;
    form.Form_Load();
    QVERIFY(showAndWait(form));
    QSignalSpy finished(&form, &Form1::comparisonFinished);
    form.openWithFolders(tree.path("A"), tree.path("B/"));
    QVERIFY(finished.wait(5'000));
    QCOMPARE(rowsOf(form.listView3()), expectedRows(tree));
    QCOMPARE(firstCells(form.listView1()), QStringList{qs(tree.path("A/"))});
    QCOMPARE(sandbox.storedValue(QStringLiteral("ListView2")).toString(), qs(tree.path("B/")));
    QVERIFY(rig.boxes.plains.empty());

    form.openWithFolders(tree.path("A"), tree.path("Missing"));
    QTest::qWait(50);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(form.listView2().rowCount(), std::size_t{0});
    QCOMPARE(rig.boxes.plains.size(), std::size_t{1});
    QVERIFY(qs(rig.boxes.plains[0].text).contains(qs(tree.path("Missing"))));
  }

  // While a run reads the trees and no row is there yet, the empty list tells how far it has
  // come, from the run's own counters; the line is gone when the run ends.
  void progressLineShowsOverTheEmptyListWhileTheTreesAreRead() {
    TempTree tree;
    makeTrees(tree);
    Sandbox sandbox;
    InterruptingFileSystem fs;
    FormRig rig(sandbox.iniFile(), sandbox.program(), fs);
    Form1& form = *rig;
    QVERIFY(showWithTrees(form, tree));
    auto* line = form.ListView3()->viewport()->findChild<QLabel*>(QStringLiteral("ProgressLine"));
    QVERIFY(line);

    QString shown;
    fs.duringFirstListing = [&] {
      // The run's timer fires as during a yield; a busy machine may take longer than its
      // interval.
      static_cast<void>(QTest::qWaitFor([&] { return line->isVisible(); }, 5'000));
      shown = line->isVisible() ? line->text() : QString();
    };
    click(form.PushButton5);
    QVERIFY2(shown.startsWith(QStringLiteral("Reading folder 1: ")), qPrintable(shown));
    QVERIFY(shown.endsWith(QStringLiteral(" files")));
    QVERIFY(!line->isVisible());
    QVERIFY(form.progressText().empty());
    QCOMPARE(rowsOf(form.listView3()), expectedRows(tree));
  }

  void startClickDeliveredByAYieldIsIgnored() {
    TempTree tree;
    makeTrees(tree);
    for (int i = 0; i < 40; ++i) tree.makeFile("A/deep/" + std::to_string(i) + "/f.txt");
    Sandbox sandbox;
    FormRig rig(sandbox.iniFile(), sandbox.program());
    Form1& form = *rig;
    QVERIFY(showWithTrees(form, tree));

    // A pending click, delivered when the run first lets the window system process events.
    int secondClicks = 0;
    bool comparingAtSecondClick = false;
    QTimer::singleShot(0, &form, [&] {
      ++secondClicks;
      comparingAtSecondClick = form.isComparing();
      click(form.PushButton5);
    });
    QTest::qSleep(30);  // let a yield be due at once
    QSignalSpy finished(&form, &Form1::comparisonFinished);
    click(form.PushButton5);

    QCOMPARE(secondClicks, 1);
    QVERIFY2(comparingAtSecondClick, "the click came after the run, not through its yield");
    QCOMPARE(finished.count(), 1);
    QCOMPARE(form.listView3().rowCount(), std::size_t{3 + 40});
    QCOMPARE(form.model(2).rowCount(), 3 + 40);
    QVERIFY(!form.isComparing());
  }
};

}  // namespace

int runComparingTests(int argc, char** argv) {
  ComparingTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace plovane::test

#include "comparing_test.moc"
