// The system's reason for a failed call, as CP932 text for messages.
#pragma once

#include <string>

// The text of errno value ErrorCode in the user's language where it converts to
// CP932 (the C locale's English text otherwise).
std::string SysErrorMessage(int ErrorCode);
