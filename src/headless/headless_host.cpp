#include "headless/headless_host.h"

namespace zentrov {

HeadlessHost::HeadlessHost(SoundRing* soundOverride)
    : player(
          Ports{soundOverride ? *soundOverride : silentRing, frames, controls, settings, dialogs}) {
  ready = initialApplication(player, steps);
}

}  // namespace zentrov
