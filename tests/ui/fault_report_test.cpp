// The window's last handler: what reaches the user when an event handler throws.

#include "ui/fault_report.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "media/binary_file.h"
#include "widget_app.h"

namespace korvid::ui {
namespace {

TEST(FaultReport, AFaultIsShownWithItsTextAnExpectedFailureAsItIs) {
  std::vector<QString> shown;
  const auto show = [&shown](const QString& text) { shown.push_back(text); };
  EXPECT_TRUE(DeliverReportingFaults([] { return true; }, show));
  EXPECT_FALSE(DeliverReportingFaults([]() -> bool { throw std::logic_error("frame index past the end"); }, show));
  EXPECT_FALSE(DeliverReportingFaults([]() -> bool { throw media::FileError("cannot read a.avi"); }, show));
  EXPECT_FALSE(DeliverReportingFaults([]() -> bool { throw 7; }, show));
  EXPECT_EQ(shown, (std::vector<QString>{QStringLiteral("program fault (please report it): frame index past the end"),
                                         QStringLiteral("cannot read a.avi"),
                                         QStringLiteral("program fault (please report it): an unknown exception")}));
}

}  // namespace
}  // namespace korvid::ui
