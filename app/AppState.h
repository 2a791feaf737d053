#pragma once

#include <memory>

#include "json/JsonDocument.h"
#include "text/core/Text.h"

namespace app {

// What the lookup, the walk and the download share. Only the one action that runs at a time
// touches it (Application hands it from one to the next under its lock), so it needs no lock of
// its own.
struct AppState {
    int SongCount = 0;   // the looked-up user's published songs
    int PageCursor = 0;  // the next feed page the walk fetches
    int LastPage = 0;    // the last feed page the walk fetches
    Text PageText;       // the JSON text of the last fetched feed page
    // The last parsed feed page; null after ReleaseGlobals.
    std::unique_ptr<JsonDocument> FeedDocument = std::make_unique<JsonDocument>();
};

}  // namespace app
