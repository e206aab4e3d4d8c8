#pragma once
// Text rendering needs a QGuiApplication; test programs start one on
// demand (the tests run with QT_QPA_PLATFORM=offscreen).

namespace korvid::test {

// Creates the process's QGuiApplication the first time; later calls do nothing.
void EnsureGuiApplication();

}  // namespace korvid::test
