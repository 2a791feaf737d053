#pragma once

// Per-thread apartments. Every thread that uses components calls these in balanced pairs;
// creating a component on a thread without an apartment fails.
void ComInitialize();
void ComUninitialize();

namespace com {
bool HasApartment();
}
