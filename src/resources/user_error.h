#pragma once
// The one base of the failures we expect (a file that cannot be read or
// written, a format we cannot handle, a codec that is missing). Its text is
// written for the user: the window shows it, an unattended run prints it.
// Anything else that is thrown is a programming error and is not caught as
// one of these.

#include <stdexcept>

namespace korvid {

class UserError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace korvid
