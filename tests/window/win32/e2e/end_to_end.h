#pragma once

namespace plovane::e2e {

class DriverOptions;

// Drives a running Plovane.exe through one comparison as a user does; see form1_driver.cpp.
void runEndToEnd(const DriverOptions& options);

// Starts Plovane.exe and the command line on the same trees and prints their figures.
void runSpeedFigures(const DriverOptions& options);

}  // namespace plovane::e2e
