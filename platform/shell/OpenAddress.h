#pragma once

#include <string_view>

namespace shell {

// True for an http or https address (scheme in any letter case) without spaces or control
// characters: the only kind of address from the network that is handed to the system.
bool IsWebAddress(std::string_view address);

// Hands a web address to the desktop's default handler (the browser) through "xdg-open", started
// directly with the address as its one argument (no shell reads it). Returns at once; true when
// the opener was started. Anything but a web address is refused and opens nothing.
bool OpenWebAddress(std::string_view address);

}  // namespace shell
