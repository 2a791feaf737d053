#pragma once

namespace com {

// Registers every native component of the program (the script control, the regular-expression
// object, the text stream, ...) once per process; later calls do nothing.
void RegisterNativeComponents();

}  // namespace com
