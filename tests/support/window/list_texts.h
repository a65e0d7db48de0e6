#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

#include "common/result_list.h"

namespace plovane::test {

inline std::string cellText(const ResultList& list, std::size_t row, std::size_t column) {
  return std::string(list.cell(row, column).view());
}

inline QStringList firstCells(const ResultList& list) {
  QStringList cells;
  for (std::size_t row = 0; row < list.rowCount(); ++row) {
    cells << QString::fromStdString(cellText(list, row, 0));
  }
  return cells;
}

inline QStringList toList(const std::vector<std::string>& texts) {
  QStringList list;
  for (const std::string& text : texts) list << QString::fromStdString(text);
  return list;
}

}  // namespace plovane::test
