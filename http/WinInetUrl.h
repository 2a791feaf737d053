#pragma once

#include "text/core/Text.h"

// How WinInetRequest splits an address itself. None of these fails; each leaves the address
// alone. An address without a scheme counts as "http://".
namespace http {

// The host part in lower case, with ":" and the port as written when keepPort is true;
// 'HTTPS://IMG.HOST:8443/a' gives 'img.host' ('img.host:8443'). What stands between the scheme
// and the first "/" is taken whole, so 'http://host?x=1' gives 'host?x=1'.
Text UrlHost(const Text& address, bool keepPort = false);
// The port written after the host (0 when no digits follow its ":"), else 443 for an address
// starting with "https" and 80 for any other.
int UrlPort(const Text& address);
// Path, query and fragment as written, from the first "/" after the host; "/" when there is none.
Text UrlPath(const Text& address);

}  // namespace http
