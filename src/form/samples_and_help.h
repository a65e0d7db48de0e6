#pragma once

#include <string>
#include <string_view>

namespace plovane {

class Host;
class ResultList;

// The sample folders below the program's folder, each ending with the separator.
std::string sampleFolder1(std::string_view programFolder);
std::string sampleFolder2(std::string_view programFolder);

// "Load Sample/Example Folders": puts the two sample folders into the folder lists and the
// settings, as if they had been chosen. ListView1 is emptied first only when the window is
// not busy. The folders are not tested for existence.
void loadSampleFolders(ResultList& listView1, ResultList& listView2, Host& host,
                       std::string_view programFolder);

// The help text: three paragraphs, each pair separated by two CR characters.
std::string helpText();

// "Help": shows the help text in a plain message box.
void showHelp(Host& host);

}  // namespace plovane
