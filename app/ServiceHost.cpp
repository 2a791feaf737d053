#include "app/ServiceHost.h"

namespace app {

std::string_view ServiceHost() { return KARAOKE_SERVICE_HOST; }

}  // namespace app
