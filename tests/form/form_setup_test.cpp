#include "form/form_setup.h"

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "common/error_report.h"
#include "common/maker.h"
#include "common/result_list.h"
#include "fixed_random.h"
#include "platform/file_system.h"
#include "recording_form_window.h"
#include "recording_host.h"
#include "recording_url_launcher.h"
#include "temp_tree.h"

namespace plovane::test {
namespace {

const std::string kFormLoadLabel = "in Plovane2021/08/31.Form1.Form_Load ";
const std::string kBroken = "Object required";

std::vector<std::string> rowsOf(const ResultList& list) {
  std::vector<std::string> rows;
  for (std::size_t r = 0; r < list.rowCount(); ++r) rows.push_back(list.cell(r, 0).str());
  return rows;
}

using Rows = std::vector<std::string>;

class FormLoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    programFolder = tree.root();
    programFolder.pop_back();
  }

  void load() {
    Form_Load(window, listView1, listView2, listView3, host, platform::nativeFileSystem(),
              programFolder, random, launcher);
  }
  void store(std::string_view key, std::string_view value) { host.store.write(key, value); }
  void addPointerFile() { tree.makeFile("HAND-M.CUR", 0, "not really a cursor"); }

  void expectColumnsComplete() {
    ASSERT_EQ(listView1.columnCount(), 1u);
    EXPECT_EQ(listView1.column(0).header, "Folder 1");
    EXPECT_EQ(listView1.column(0).widthTwips, 7000);
    ASSERT_EQ(listView2.columnCount(), 1u);
    EXPECT_EQ(listView2.column(0).header, "Folder 2");
    EXPECT_EQ(listView2.column(0).widthTwips, 7000);
    ASSERT_EQ(listView3.columnCount(), 3u);
    EXPECT_EQ(listView3.column(0).header, "Newer");
    EXPECT_EQ(listView3.column(0).widthTwips, 2600);
    EXPECT_EQ(listView3.column(1).header, "");
    EXPECT_EQ(listView3.column(1).widthTwips, 2000);
    EXPECT_EQ(listView3.column(2).header, "Older");
    EXPECT_EQ(listView3.column(2).widthTwips, 2600);
  }

  TempTree tree;
  std::string programFolder;
  RecordingHost host;
  RecordingFormWindow window;
  FixedRandom random;
  RecordingUrlLauncher launcher;
  ResultList listView1;
  ResultList listView2;
  ResultList listView3;
};

TEST_F(FormLoadTest, FirstStartGivesTheColumnsTitlesAndEmptyLists) {
  load();

  expectColumnsComplete();
  EXPECT_EQ(listView1.rowCount(), 0u);
  EXPECT_EQ(listView2.rowCount(), 0u);
  EXPECT_EQ(listView3.rowCount(), 0u);
  // Without a pointer file there is no pointer to load and nothing to report.
  EXPECT_EQ(window.calls, (Rows{"applyAppearance", "setCaption:Plovane", "setProgramIcon",
                                "setApplicationTitle:Plovane"}));
  EXPECT_TRUE(host.errorReports.empty());
  EXPECT_TRUE(host.messages.empty());
  EXPECT_TRUE(launcher.opened.empty());
}

TEST_F(FormLoadTest, PresentPointerFileIsLoadedAfterTheAppearance) {
  addPointerFile();
  load();

  ASSERT_GE(window.calls.size(), 2u);
  EXPECT_EQ(window.calls[0], "applyAppearance");
  EXPECT_EQ(window.calls[1], "loadCustomPointer:" + programFolder + nativePath("/HAND-M.CUR"));
  EXPECT_TRUE(host.errorReports.empty());
}

struct Restore {
  const char* name;
  const char* stored1;  // nullptr: never written
  const char* stored2;
  Rows rows1;
  Rows rows2;
};

void PrintTo(const Restore& restore, std::ostream* out) {
  *out << restore.name;
}

class FormLoadRestoreTest : public FormLoadTest, public ::testing::WithParamInterface<Restore> {};

TEST_P(FormLoadRestoreTest, StoredFoldersComeBackAsTheOnlyRows) {
  if (GetParam().stored1) store("ListView1", GetParam().stored1);
  if (GetParam().stored2) store("ListView2", GetParam().stored2);
  load();

  EXPECT_EQ(rowsOf(listView1), GetParam().rows1);
  EXPECT_EQ(rowsOf(listView2), GetParam().rows2);
  EXPECT_EQ(listView3.rowCount(), 0u);
  EXPECT_TRUE(host.errorReports.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Settings, FormLoadRestoreTest,
    ::testing::Values(Restore{"Both", "/data/A/", "/data/B/", {"/data/A/"}, {"/data/B/"}},
                      // "Clear Folder" leaves the key holding the empty text.
                      Restore{"Only1", "/data/A/", "", {"/data/A/"}, {}},
                      Restore{"Only2", "", "/data/B/", {}, {"/data/B/"}},
                      Restore{"Only2NeverWritten1", nullptr, "/data/B/", {}, {"/data/B/"}},
                      Restore{"None", nullptr, nullptr, {}, {}}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(FormLoadTest, FolderThatNoLongerExistsIsRestoredAllTheSame) {
  tree.makeFolder("gone");
  const std::string gone = tree.path("gone/");
  store("ListView1", gone);
  store("ListView2", gone);
  tree.remove("gone");

  load();

  EXPECT_EQ(rowsOf(listView1), (Rows{gone}));
  EXPECT_EQ(rowsOf(listView2), (Rows{gone}));
  EXPECT_TRUE(host.errorReports.empty());
}

struct Draw {
  const char* name;
  double value;
  bool opens;
};

void PrintTo(const Draw& draw, std::ostream* out) {
  *out << draw.name;
}

class FormLoadHomePageTest : public FormLoadTest, public ::testing::WithParamInterface<Draw> {};

TEST_P(FormLoadHomePageTest, HomePageOpensOnlyWhenTheDrawGivesSeven) {
  random.value = GetParam().value;
  load();

  EXPECT_EQ(random.draws, 1);
  if (GetParam().opens) {
    EXPECT_EQ(launcher.opened, (Rows{std::string(maker::kHomePageUrl)}));
  } else {
    EXPECT_TRUE(launcher.opened.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Draws, FormLoadHomePageTest,
                         ::testing::Values(Draw{"Lowest", 0.0, false},       // 1
                                           Draw{"JustBelow", 0.059, false},  // 6
                                           Draw{"SevenLow", 0.06, true},     // 7
                                           Draw{"SevenHigh", 0.0699, true},  // 7
                                           Draw{"Eight", 0.07, false},       // 8
                                           Draw{"Highest", 0.9999, false}),  // 100
                         [](const auto& test) { return std::string(test.param.name); });

struct FailingStep {
  const char* name;
  int step;
  std::set<std::string> windowCalls;  // RecordingFormWindow calls that fail
  bool launcherFails;
  std::set<std::string> unreadableKeys;
};

void PrintTo(const FailingStep& failing, std::ostream* out) {
  *out << failing.name;
}

class FormLoadFailureTest : public FormLoadTest,
                            public ::testing::WithParamInterface<FailingStep> {};

TEST_P(FormLoadFailureTest, OneReportAtTheFailedStepAndTheRestOfTheSetUpRuns) {
  addPointerFile();
  store("ListView1", "/data/A/");
  store("ListView2", "/data/B/");
  window.failing = GetParam().windowCalls;
  window.failure = kBroken;
  if (GetParam().launcherFails) launcher.failure = kBroken;
  random.value = 0.06;
  host.store.unreadableKeys = GetParam().unreadableKeys;
  host.store.failure = kBroken;

  load();

  ASSERT_EQ(host.errorReports.size(), 1u);
  EXPECT_EQ(host.errorReports[0], composeErrorReport(kBroken, kFormLoadLabel, GetParam().step));
  EXPECT_EQ(window.calls.front(), "applyAppearance");
  EXPECT_EQ(window.calls.back(), "setApplicationTitle:Plovane");
  EXPECT_EQ(launcher.opened.size(), 1u);
  expectColumnsComplete();
  EXPECT_EQ(rowsOf(listView1), GetParam().step == 148 ? Rows{} : Rows{"/data/A/"});
  EXPECT_EQ(rowsOf(listView2), GetParam().step == 154 ? Rows{} : Rows{"/data/B/"});
}

INSTANTIATE_TEST_SUITE_P(
    Steps, FormLoadFailureTest,
    ::testing::Values(FailingStep{"Appearance", 100, {"applyAppearance"}, false, {}},
                      FailingStep{"Pointer", 104, {"loadCustomPointer"}, false, {}},
                      FailingStep{"Title", 106, {"setApplicationTitle"}, false, {}},
                      FailingStep{"HomePage", 110, {}, true, {}},
                      FailingStep{"ReadFolder1", 148, {}, false, {"ListView1"}},
                      FailingStep{"ReadFolder2", 154, {}, false, {"ListView2"}}),
    [](const auto& test) { return std::string(test.param.name); });

// Step 106 is three statements; a failure in one of them must not cost the window the others.
TEST_F(FormLoadTest, FailedCaptionStillLeavesIconAndApplicationTitleSet) {
  window.failing = {"setCaption"};
  window.failure = kBroken;
  load();

  EXPECT_EQ(window.calls, (Rows{"applyAppearance", "setCaption:Plovane", "setProgramIcon",
                                "setApplicationTitle:Plovane"}));
  ASSERT_EQ(host.errorReports.size(), 1u);
  EXPECT_EQ(host.errorReports[0], composeErrorReport(kBroken, kFormLoadLabel, 106));
}

}  // namespace
}  // namespace plovane::test
