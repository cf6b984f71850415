#pragma once
// The text the application's error display shows for an error message.
#include <string>

// `message` with a full stop appended unless it already ends in one (an empty message becomes
// "."). Trailing line breaks and blanks count: a message ending "done.\r\n" gets another ".".
std::string ErrorDisplayText(const std::string& message);
