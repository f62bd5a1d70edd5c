// post_counter.dll: a WH_GETMESSAGE hook that the benchmark sets on the
// program's UI thread for its wake-up count.  Every wake-up of the program's
// reader ends in exactly one WM_TABLET_PACKET post; the hook counts the posts
// that the UI thread takes, into a mapping that the benchmark created.
#include <windows.h>

#include "device/packet_ring.h"
#include "post_counter.h"

static PostCounter *Counter;

extern "C" __declspec(dllexport) LRESULT CALLBACK CountTabletPosts(int code, WPARAM remove,
                                                                  LPARAM data)
{
    if (code == HC_ACTION && remove == PM_REMOVE &&
        ((const MSG *)data)->message == WM_TABLET_PACKET) {
        if (!Counter) {
            HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, POST_COUNTER_NAME);
            if (mapping)
                Counter = (PostCounter *)MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0,
                                                       sizeof *Counter);
        }
        if (Counter)
            InterlockedIncrement(&Counter->Posts);
    }
    return CallNextHookEx(NULL, code, remove, data);
}
