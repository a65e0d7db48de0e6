#pragma once

namespace plovane {

class Host;
class ResultList;

// The key code of the Delete key.
inline constexpr int kDeleteKeyCode = 46;

// Double-click in a folder list: removes the selected row, unless the window is busy or the
// list is empty. The stored folder keeps its value.
void removeSelectedRow(ResultList& list, Host& host);

// A key pressed in a folder list: the Delete key removes the selected row as a double-click
// does; other keys do nothing.
void removeSelectedRowOnKey(int keyCode, ResultList& list, Host& host);

// "Clear Folder" under ListView1: empties the list unless the window is busy, and forgets the
// stored folder 1 even while busy.
void clearFolder1(ResultList& listView1, Host& host);

// "Clear Folder" under ListView2: empties the list and forgets the stored folder 2.
void clearFolder2(ResultList& listView2, Host& host);

// "Clear List": empties the result list.
void clearList(ResultList& listView3, Host& host);

}  // namespace plovane
