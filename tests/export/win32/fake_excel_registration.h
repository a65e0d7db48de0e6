#pragma once

#include <string>
#include <vector>

#include "server_session.h"
#include "temp_tree.h"

namespace plovane::test {

// The name "Excel.Application" mapped to the fake automation server in the registry of the
// Wine prefix the test runs in, for as long as this lives; the server logs into a temporary
// folder of its own. Only under Wine: on a real Windows the registry holds the user's own
// application, which a test must not touch.
class FakeExcelRegistration {
 public:
  // The fake server that lies beside the test program.
  FakeExcelRegistration();
  // Another server program, for one that is registered but missing.
  explicit FakeExcelRegistration(const std::wstring& serverProgram);
  ~FakeExcelRegistration();
  FakeExcelRegistration(const FakeExcelRegistration&) = delete;
  FakeExcelRegistration& operator=(const FakeExcelRegistration&) = delete;

  std::vector<ServerSession> sessions() const { return readServerSessions(logPath_); }
  // The log as the server wrote it, for a failed expectation to show.
  std::string logText() const;

  // Leaves the name unregistered, whatever a test before left behind.
  static void removeAny();
  // False, with the reason, where the registration must not be made.
  static bool possibleHere(std::string& reason);

 private:
  TempTree folder_;
  std::string logPath_;
};

}  // namespace plovane::test
