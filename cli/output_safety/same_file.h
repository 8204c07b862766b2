#pragma once

// Whether two names the command was given are one file, so that it never writes over what it
// reads.

#include <string>

namespace miral::cli {

/// True when `a` and `b` ("-": the standard stream `standardDescriptor`) name the same file:
/// the same device and inode, or the same path once links are followed.
bool sameFile(const std::string& a, const std::string& b, int standardDescriptor);

} // namespace miral::cli
