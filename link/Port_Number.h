#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The port number in a port text: the text from its fourth character on, blanks around the
// number allowed, so "COM 3" and "COM3" both give 3. Nothing for a text without a number there,
// nor for a number outside 1 to 32767.
std::optional<std::int16_t> Port_Number_From_Text(const std::string& text);
