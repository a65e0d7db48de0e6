#pragma once

#include <string>
#include <string_view>

namespace plovane {

class Host;
class ResultList;
namespace platform {
class FileSystem;
}

inline constexpr std::string_view kFolderNotFoundMessage = "This folder was not found: ";

// "plovane FOLDER1 FOLDER2": each folder is chosen as its choose button would choose it, so
// the lists show it and the settings remember it for the next start. A folder that is not
// there leaves its list empty and is named in a message. True when both were chosen and the
// comparison can start.
bool chooseFoldersFromArguments(const std::string& folder1, const std::string& folder2,
                                ResultList& listView1, ResultList& listView2, Host& host,
                                const platform::FileSystem& fs);

}  // namespace plovane
