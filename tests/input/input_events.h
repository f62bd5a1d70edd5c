// Recorded synthetic input as readable lines, so that a test compares whole
// sequences and a failure shows both sides.
#ifndef INPUT_EVENTS_H
#define INPUT_EVENTS_H

#include <windows.h>
#include <cstdio>
#include <string>
#include <vector>
#include "fakes/fake_os.h"

inline std::string MouseLine(DWORD flags, ULONG_PTR extra, DWORD dx = 0, DWORD dy = 0,
                             DWORD data = 0)
{
    char text[128];
    snprintf(text, sizeof text, "mouse flags=0x%04lx dx=%ld dy=%ld data=%lu extra=0x%llx",
             (unsigned long)flags, (long)(LONG)dx, (long)(LONG)dy, (unsigned long)data,
             (unsigned long long)extra);
    return text;
}

inline std::string KeyLine(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extra = 0)
{
    char text[96];
    snprintf(text, sizeof text, "key vk=0x%02x scan=0x%02x flags=0x%04lx extra=0x%llx",
             vk, scan, (unsigned long)flags, (unsigned long long)extra);
    return text;
}

inline std::string EventLine(const FakeInputEvent &e)
{
    if (e.IsKey)
        return KeyLine(e.Vk, e.Scan, e.Flags, e.Extra);
    return MouseLine(e.Flags, e.Extra, e.Dx, e.Dy, e.Data);
}

// Every event recorded since `first`, as lines.
inline std::vector<std::string> RecordedLines(size_t first = 0)
{
    std::vector<std::string> lines;
    for (size_t i = first; i < FakeInput.Events.size(); i++)
        lines.push_back(EventLine(FakeInput.Events[i]));
    return lines;
}

// A key pressed and let go, as every key action sends it.
inline std::vector<std::string> KeyPressLines(BYTE vk, BYTE scan)
{
    return {KeyLine(vk, scan, 0x0001), KeyLine(vk, scan, 0x0003)};
}

// A chord: modifier down, key down, modifier up, key up.
inline std::vector<std::string> ChordLines(BYTE modVk, BYTE modScan, BYTE keyVk, BYTE keyScan)
{
    return {KeyLine(modVk, modScan, 0x0001), KeyLine(keyVk, keyScan, 0x0001),
            KeyLine(modVk, modScan, 0x0003), KeyLine(keyVk, keyScan, 0x0003)};
}

inline std::vector<std::string> DoubleClickLines(DWORD down, DWORD up)
{
    return {MouseLine(down, 0), MouseLine(up, 0), MouseLine(down, 0), MouseLine(up, 0)};
}

#endif
