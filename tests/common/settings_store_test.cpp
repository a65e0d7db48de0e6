#include <gtest/gtest.h>

#include "common/settings_store.h"

namespace plovane::test {
namespace {

TEST(InMemorySettingsStoreTest, UnwrittenKeyReadsAsTheDefaultTheReaderPasses) {
  InMemorySettingsStore store;
  EXPECT_EQ(store.read(settings_key::kListView1, ""), "");
  EXPECT_EQ(store.read(settings_key::kListView1, "fallback"), "fallback");
  EXPECT_FALSE(store.contains(settings_key::kListView1));
}

TEST(InMemorySettingsStoreTest, WritesReplaceAndKeepTheExactText) {
  InMemorySettingsStore store;
  store.write(settings_key::kListView1, "/Home/Work/");
  store.write(settings_key::kListView2, "/tmp/B/");
  EXPECT_EQ(store.read(settings_key::kListView1, ""), "/Home/Work/");
  EXPECT_EQ(store.read(settings_key::kListView2, ""), "/tmp/B/");

  store.write(settings_key::kListView1, "/home/work");
  EXPECT_EQ(store.read(settings_key::kListView1, ""), "/home/work");

  const std::string bytes = "/tmp/\xff \xd0\x9f\xd1\x80\xd0\xb8/";
  store.write(settings_key::kLastFolderDot, bytes);
  EXPECT_EQ(store.read(settings_key::kLastFolderDot, ""), bytes);
}

TEST(InMemorySettingsStoreTest, ClearedKeyHoldsTheEmptyTextNotTheDefault) {
  InMemorySettingsStore store;
  store.write(settings_key::kListView2, "/data/");
  store.write(settings_key::kListView2, "");
  EXPECT_TRUE(store.contains(settings_key::kListView2));
  EXPECT_EQ(store.read(settings_key::kListView2, "fallback"), "");
}

}  // namespace
}  // namespace plovane::test
