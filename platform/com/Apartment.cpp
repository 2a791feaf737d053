#include "platform/com/Apartment.h"

namespace {
thread_local int apartmentDepth = 0;
}

void ComInitialize() { ++apartmentDepth; }

void ComUninitialize() {
    if (apartmentDepth > 0) --apartmentDepth;
}

namespace com {
bool HasApartment() { return apartmentDepth > 0; }
}  // namespace com
