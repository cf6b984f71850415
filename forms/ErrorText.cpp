#include "forms/ErrorText.h"

#include "common/MessageText.h"

std::string ErrorDisplayText(const std::string& message)
{
    return WithFullStop(message);
}
