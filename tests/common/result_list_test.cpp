#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/failure.h"
#include "common/result_list.h"

namespace plovane::test {
namespace {

// Writes down every notification together with the row count the list had at that moment,
// so a test sees both the order of the calls and whether the change had happened yet.
class Recorder : public ResultListObserver {
 public:
  explicit Recorder(const ResultList& list) : list_(list) {}

  void rowsAboutToBeAppended(std::size_t first, std::size_t last) override {
    log("aboutToAppend", first, last);
  }
  void rowsAppended(std::size_t first, std::size_t last) override { log("appended", first, last); }
  void rowsAboutToBeRemoved(std::size_t first, std::size_t last) override {
    // A view reads the row it is about to drop: it must still be there.
    log("aboutToRemove", first, last, list_.cell(first, 0).str());
  }
  void rowsRemoved(std::size_t first, std::size_t last) override { log("removed", first, last); }
  void aboutToClear() override { log("aboutToClear", 0, 0); }
  void cleared() override { log("cleared", 0, 0); }
  void cellChanged(std::size_t row, std::size_t column) override {
    log("cellChanged", row, column, list_.cell(row, column).str());
  }
  void checkStatesChanged(std::size_t first, std::size_t last) override {
    log("checkStatesChanged", first, last);
  }

  std::vector<std::string> events;

 private:
  void log(const std::string& what, std::size_t a, std::size_t b, const std::string& text = "") {
    events.push_back(what + " " + std::to_string(a) + " " + std::to_string(b) + " rows=" +
                     std::to_string(list_.rowCount()) + (text.empty() ? "" : " " + text));
  }
  const ResultList& list_;
};

void appendRows(ResultList& list, std::initializer_list<const char*> firstCells) {
  for (const char* text : firstCells) list.appendRow(text);
}

TEST(ResultListTest, CellsNeverSetReadEmptyAndAllThreeCellsAreKept) {
  ResultList list;
  list.appendRow("/a/only.txt");
  list.appendRow("/a/x.txt", " will overwrite an older", "/b/x.txt");
  EXPECT_EQ(list.cell(0, 0).view(), "/a/only.txt");
  EXPECT_TRUE(list.cell(0, 1).empty());
  EXPECT_TRUE(list.cell(0, 2).empty());
  EXPECT_EQ(list.cell(1, 1).view(), " will overwrite an older");
  EXPECT_EQ(list.cell(1, 2).view(), "/b/x.txt");
  EXPECT_FALSE(list.isChecked(1));

  list.setCell(0, 2, "/b/");
  EXPECT_EQ(list.cell(0, 2).view(), "/b/");
  EXPECT_TRUE(list.cell(0, 1).empty());
}

TEST(ResultListTest, ChangesAreAnnouncedBeforeAndConfirmedAfter) {
  ResultList list;
  Recorder recorder(list);
  list.addObserver(&recorder);

  list.appendRow("first");
  list.appendRow("second", "b", "c");
  list.setCell(1, 1, "B");
  list.removeRow(0);
  list.clear();
  list.removeObserver(&recorder);
  list.appendRow("unobserved");

  EXPECT_EQ(recorder.events, (std::vector<std::string>{
                                 "aboutToAppend 0 0 rows=0",
                                 "appended 0 0 rows=1",
                                 "aboutToAppend 1 1 rows=1",
                                 "appended 1 1 rows=2",
                                 "cellChanged 1 1 rows=2 B",
                                 "aboutToRemove 0 0 rows=2 first",
                                 "removed 0 0 rows=1",
                                 "aboutToClear 0 0 rows=1",
                                 "cleared 0 0 rows=0",
                             }));
}

TEST(ResultListTest, CheckRangeSetsExactlyItsRowsInOneNotification) {
  ResultList list;
  appendRows(list, {"r0", "r1", "r2", "r3", "r4"});
  Recorder recorder(list);
  list.addObserver(&recorder);

  list.setCheckedRange(1, 3, true);
  EXPECT_FALSE(list.isChecked(0));
  EXPECT_TRUE(list.isChecked(1));
  EXPECT_TRUE(list.isChecked(2));
  EXPECT_TRUE(list.isChecked(3));
  EXPECT_FALSE(list.isChecked(4));
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"checkStatesChanged 1 3 rows=5"}));

  list.setChecked(2, false);
  EXPECT_FALSE(list.isChecked(2));
  EXPECT_TRUE(list.isChecked(3));
  EXPECT_EQ(recorder.events.back(), "checkStatesChanged 2 2 rows=5");
  list.removeObserver(&recorder);
}

TEST(ResultListTest, RemovalKeepsTheSelectionOnTheSameRow) {
  ResultList list;
  appendRows(list, {"r0", "r1", "r2", "r3"});

  list.setSelectedRow(2);
  list.removeRow(3);  // after the selection: unchanged
  EXPECT_EQ(list.selectedRow(), 2u);
  list.removeRow(0);  // before it: the selected row moves up
  EXPECT_EQ(list.selectedRow(), 1u);
  EXPECT_EQ(list.cell(*list.selectedRow(), 0).view(), "r2");
  list.removeRow(1);  // the selected row itself: nothing is selected
  EXPECT_FALSE(list.selectedRow().has_value());
  EXPECT_EQ(list.rowCount(), 1u);
  EXPECT_EQ(list.cell(0, 0).view(), "r1");

  list.setSelectedRow(0);
  list.clear();
  EXPECT_FALSE(list.selectedRow().has_value());
}

TEST(ResultListTest, ARowThatIsNotThereFailsWithoutAnyNotification) {
  ResultList list;
  appendRows(list, {"r0", "r1"});
  Recorder recorder(list);
  list.addObserver(&recorder);

  EXPECT_THROW(list.cell(2, 0), Failure);
  EXPECT_THROW(list.setCell(2, 1, "x"), Failure);
  EXPECT_THROW(list.removeRow(2), Failure);
  EXPECT_THROW(list.setChecked(2, true), Failure);
  EXPECT_THROW(list.isChecked(2), Failure);
  EXPECT_THROW(list.setCheckedRange(0, 2, true), Failure);
  EXPECT_THROW(list.setSelectedRow(2), Failure);

  EXPECT_TRUE(recorder.events.empty());
  EXPECT_EQ(list.rowCount(), 2u);
  EXPECT_FALSE(list.isChecked(0));
  EXPECT_FALSE(list.isChecked(1));
  EXPECT_FALSE(list.selectedRow().has_value());

  ResultList empty;
  EXPECT_THROW(empty.removeRow(0), Failure);
  EXPECT_THROW(empty.cell(0, 0), Failure);
  list.removeObserver(&recorder);
}

}  // namespace
}  // namespace plovane::test
