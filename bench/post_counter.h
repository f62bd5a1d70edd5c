// The mapping shared by the benchmark and post_counter.dll.
#ifndef POST_COUNTER_H
#define POST_COUNTER_H

#include <windows.h>

#define POST_COUNTER_NAME "StylohidBenchPostCounter"
#define POST_COUNTER_HOOK "CountTabletPosts"

struct PostCounter {
    volatile LONG Posts;  // WM_TABLET_PACKET messages taken by the UI thread
};

#endif
