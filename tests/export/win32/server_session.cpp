#include "server_session.h"

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace plovane::test {

namespace {

// A value as the server wrote it: a text in quotes with its escapes undone; anything else
// as it stands.
std::string valueOf(const std::string& written) {
  if (written.size() < 2 || written.front() != '"' || written.back() != '"') return written;
  std::string text;
  for (std::size_t i = 1; i + 1 < written.size(); ++i) {
    char c = written[i];
    if (c == '\\' && i + 2 < written.size()) {
      c = written[++i];
      c = c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
    }
    text += c;
  }
  return text;
}

// "workbook Book1: Sheet1 Sheet2"
void readWorkbook(const std::string& line, ServerSession& session) {
  std::istringstream names(line.substr(line.find(':') + 1));
  std::string name;
  while (names >> name) session.sheetNames.push_back(name);
  session.sheets.assign(session.sheetNames.size(), {});
}

// "cell Sheet2!R3C1 \"/a/x\""
void readCell(const std::string& line, ServerSession& session) {
  const std::size_t bang = line.find('!');
  const std::size_t r = line.find('R', bang);
  const std::size_t c = line.find('C', r);
  const std::size_t space = line.find(' ', c);
  const std::string sheet = line.substr(5, bang - 5);
  for (std::size_t i = 0; i < session.sheetNames.size(); ++i) {
    if (session.sheetNames[i] != sheet) continue;
    session.sheets[i][{std::stoul(line.substr(r + 1, c - r - 1)),
                       std::stoul(line.substr(c + 1, space - c - 1))}] =
        valueOf(line.substr(space + 1));
  }
}

}  // namespace

std::vector<ServerSession> readServerSessions(const std::string& logPath) {
  std::ifstream log(std::filesystem::path(std::u8string(logPath.begin(), logPath.end())));
  std::vector<ServerSession> sessions;
  std::string line;
  while (std::getline(log, line)) {
    if (line == "started") {
      sessions.emplace_back();
      continue;
    }
    if (sessions.empty()) continue;
    ServerSession& session = sessions.back();
    session.lastLine = line;
    if (line == "Application made") {
      session.madeApplication = true;
    } else if (line.rfind("! ", 0) == 0) {
      session.faults.push_back(line);
    } else if (line.rfind("workbook ", 0) == 0) {
      readWorkbook(line, session);
    } else if (line.rfind("cell ", 0) == 0) {
      readCell(line, session);
    } else if (line.rfind("live objects: ", 0) != 0) {
      session.calls.push_back(line);
    }
  }
  return sessions;
}

}  // namespace plovane::test
