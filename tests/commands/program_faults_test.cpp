#include "commands/program_faults.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "media/binary_file.h"

namespace korvid::commands {
namespace {

TEST(ProgramFaults, ExpectedFailuresAndFaultsEndTheProgramWithTheirText) {
  std::ostringstream err;
  EXPECT_EQ(RunReportingFaults([] { return 3; }, err), 3);
  EXPECT_EQ(err.str(), "");

  EXPECT_EQ(RunReportingFaults([]() -> int { throw media::FileError("/x.avi: cannot read"); }, err), 1);
  EXPECT_EQ(err.str(), "korvid: /x.avi: cannot read\n");

  err.str("");
  EXPECT_EQ(RunReportingFaults([]() -> int { throw std::out_of_range("vector::at"); }, err),
            kProgramFaultExitStatus);
  EXPECT_EQ(err.str(), "korvid: program fault (please report it): vector::at\n");

  err.str("");
  EXPECT_EQ(RunReportingFaults([]() -> int { throw 7; }, err), kProgramFaultExitStatus);
  EXPECT_EQ(err.str(), "korvid: program fault (please report it): an unknown exception\n");
}

}  // namespace
}  // namespace korvid::commands
