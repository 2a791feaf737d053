#pragma once

namespace com {

// Registers "WinHttp.WinHttpRequest.5.1": a synchronous HTTP request object on the project's
// transport, driven by member name. Members: SetTimeouts(resolve, connect, send, receive),
// SetProxy(setting, server), Open(method, url[, async]), SetCredentials(user, password, for),
// SetRequestHeader(name, value), Send([body]), the property Option(number) (4: certificate
// errors to ignore, 6: follow redirects), and the reads ResponseBody, GetAllResponseHeaders,
// Status and StatusText. A failing member raises: the call has no effect.
void RegisterHttpRequestComponent();

}  // namespace com
