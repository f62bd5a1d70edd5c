#include "app/app_state.h"
#include "device/driver_channel.h"
#include "device/packet_reader.h"
#include "settings/settings_store.h"

AppState App;

void InitProcessState()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    InitDriverChannel();
    InitPacketReader();
    InitSettingsStore();
}
