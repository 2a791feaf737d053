#pragma once

#include "http/RequestParameters.h"
#include "text/core/Text.h"

namespace http {

using ComRequestArgs = RequestParameters;

// One request through the "WinHttp.WinHttpRequest.5.1" object; returns the response body, whatever
// the status. Defaults for the address alone: a GET with the headers Accept, Referer (the address),
// Accept-Language and User-Agent, all time-outs 15 s, certificate errors ignored, redirects
// followed. Failures are not reported: a request that cannot be made gives an empty body, empty
// headers, status 0. Writes sendCookies ("Cookie:" removed; merged cookies after a merge),
// receivedCookies, responseHeaders and statusCode, except when the object cannot be created.
// Blocks the calling thread; opens and balances its own apartment.
ByteSet ComRequest(const ComRequestArgs& args);

}  // namespace http
