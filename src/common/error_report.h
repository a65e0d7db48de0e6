#pragma once

#include <string>
#include <string_view>

namespace plovane {

// The labels that error reports quote, one per trapped procedure. Each begins with "in "
// and ends with a blank; the last one carries a prefix of its own.
namespace label {
inline constexpr std::string_view kFormLoad = "in Plovane2021/08/31.Form1.Form_Load ";
inline constexpr std::string_view kPushButton1 = "in Plovane2021/08/31.Form1.PushButton1_Click ";
inline constexpr std::string_view kPushButton2 = "in Plovane2021/08/31.Form1.PushButton2_Click ";
inline constexpr std::string_view kPushButton3 = "in Plovane2021/08/31.Form1.PushButton3_Click ";
inline constexpr std::string_view kPushButton4 = "in Plovane2021/08/31.Form1.PushButton4_Click ";
inline constexpr std::string_view kPushButton5 = "in Plovane2021/08/31.Form1.PushButton5_Click ";
inline constexpr std::string_view kPushButton6 = "in Plovane2021/08/31.Form1.PushButton6_Click ";
inline constexpr std::string_view kPushButton7 = "in Plovane2021/08/31.Form1.PushButton7_Click ";
inline constexpr std::string_view kPushButton8 = "in Plovane2021/08/31.Form1.PushButton8_Click ";
inline constexpr std::string_view kPushButton9 = "in Plovane2021/08/31.Form1.PushButton9_Click ";
inline constexpr std::string_view kPushButton10 = "in Plovane2021/08/31.Form1.PushButton10_Click ";
inline constexpr std::string_view kPushButton13 = "in Plovane2021/08/31.Form1.PushButton13_Click ";
inline constexpr std::string_view kSaveListview =
    "in Plovane2021/08/31.Main.SaveListviewProperlySpacedWithoutProgressBar ";
inline constexpr std::string_view kGetSubDirectories2016 =
    "in MorvidTitle2021/08/31.AddFolder.GetSubDirectories2016 ";
}  // namespace label

inline constexpr std::string_view kErrorReportTitle = "Application Error";

// The text of the error report: the description, CR LF, the label, "at line ", the step
// number, CR CR, and the request to e-mail a screenshot to the support address.
std::string composeErrorReport(std::string_view description, std::string_view label, int step);

}  // namespace plovane
