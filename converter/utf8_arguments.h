/* SPDX-License-Identifier: MIT */
// utf8_arguments.h - the command line as UTF-8 on every platform.  Windows
// hands a program its arguments in UTF-16 (the ANSI vector loses every
// character outside the code page); the command works on UTF-8 throughout.
#ifndef PTXPORT_UTF8_ARGUMENTS_H
#define PTXPORT_UTF8_ARGUMENTS_H

#include <string>
#include <vector>

namespace ptx {

#ifdef _WIN32
// The arguments, converted, as an argc/argv pair that lives as long as the
// object.  Also makes the console show UTF-8 output as such.
class Utf8Arguments {
  public:
    Utf8Arguments(int argc, wchar_t **wide_argv);
    int argc() const { return static_cast<int>(texts_.size()); }
    char **argv() { return pointers_.data(); }

  private:
    std::vector<std::string> texts_;
    std::vector<char *> pointers_; // into texts_, then a null pointer
};
#endif

} // namespace ptx

#endif
