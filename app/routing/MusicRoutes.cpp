// The music window and shared lighting, both run by the main window.
#include "app/routing/RouteHandlers.h"
#include "app/routing/RouteHost.h"

namespace route {

void ShareLighting(RouteCall& call) { call.host.ShareActiveLighting(); }

void MusicWindow(RouteCall& call) { call.host.OpenMusicWindow(); }

}  // namespace route
