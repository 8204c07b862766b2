#pragma once

// Pieces of Turtle text for the bundle's descriptions.

#include <string>

namespace miral::lv2 {

/// The prefix lines every description of the bundle starts with.
extern const char* const kTurtlePrefixes;

/// A float as a Turtle number that reads back as the same float, even through a parser that
/// goes by way of an inexact double: whole numbers with ".0", others with 17 digits.
std::string turtleNumber(float value);

/// A quoted Turtle string.
std::string turtleString(const std::string& text);

/// "<uri>".
std::string turtleUri(const std::string& uri);

} // namespace miral::lv2
