#include "forms/ErrorText.h"

std::string ErrorDisplayText(const std::string& message)
{
    if (!message.empty() && message.back() == '.')
        return message;
    return message + ".";
}
