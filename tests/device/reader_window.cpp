#include "reader_window.h"
#include "device/packet_ring.h"

ReaderWindowRecord ReaderWindowLog;

static LRESULT CALLBACK ReaderWindowProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam)
{
    switch (message) {
    case WM_TABLET_PACKET: {
        PenPacket packet;
        if (TakePostedPacket(lParam, &packet))
            ReaderWindowLog.Packets.push_back(packet);
        else
            ReaderWindowLog.ForeignPackets++;
        return 0;
    }
    case WM_CLOSE:
        ReaderWindowLog.CloseWParams.push_back(wParam);
        ReaderWindowLog.CloseLParams.push_back(lParam);
        ReaderWindowLog.CloseSentByOtherThread.push_back(InSendMessage() != FALSE);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateReaderWindow()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc;
        ZeroMemory(&wc, sizeof wc);
        wc.lpfnWndProc = ReaderWindowProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "ReaderTestWindow";
        RegisterClassA(&wc);
        registered = true;
    }
    ReaderWindowLog = ReaderWindowRecord();
    return CreateWindowExA(0, "ReaderTestWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                           NULL, GetModuleHandleA(NULL), NULL);
}

static void ServeMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool PumpUntil(bool (*done)(void *), void *context, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        ServeMessages();
        if (done(context))
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, NULL, FALSE, 1, QS_ALLINPUT);
    }
}

void PumpFor(DWORD ms)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        ServeMessages();
        MsgWaitForMultipleObjects(0, NULL, FALSE, 1, QS_ALLINPUT);
    }
    ServeMessages();
}
