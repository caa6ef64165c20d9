#pragma once

#include <cstdint>
#include <string>

namespace drawlume::e2e {

// The kernel's names of event codes (KEY_A, BTN_TOOL_PEN, ABS_PRESSURE, REL_WHEEL,
// MSC_SCAN, SYN_REPORT), read from linux/input-event-codes.h when the tests are built,
// so that expected frames are written and printed as a person reads them.

// The name of a code; "<type>:<code>" in decimal when the header has none.
std::string eventCodeName(uint16_t type, uint16_t code);

// Accepts a name of the header or the numeric "<type>:<code>" form.
bool eventCodeFromName(const std::string& name, uint16_t& type, uint16_t& code);

}  // namespace drawlume::e2e
