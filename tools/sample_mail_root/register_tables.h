#pragma once
// A small sample register, written through the engine in the register
// tool's own table layout (correspondent_register/core/register_tables.h).
#include <string>

namespace register_tables {

// Makes "<mailRoot>/Naczelnik/tovmir" with the three tables filled with a
// small sample register: a dozen correspondents with Polish names (one more
// added and deleted), three groups with member lists, a few predictions.
// Returns the register folder. Fails when the tables exist already.
std::string MakeSampleRegister(const std::string& mailRoot);

}  // namespace register_tables
