// The test copy of the applet's one extra export: the seams replaced for
// the tests (penpanel.cpl itself exports CPlApplet only).
#include "panel_state.h"
#include "panel_store.h"

extern "C" void SetPanelTestSeams(const PanelTestSeams *seams)
{
    ResetPanelSeams();
    if (!seams)
        return;
    if (seams->OpenKeyForWrite)
        Panel.Seams.OpenKeyForWrite = seams->OpenKeyForWrite;
    if (seams->SetDword)
        Panel.Seams.SetDword = seams->SetDword;
    if (seams->ReadTabletMaxima)
        Panel.Seams.ReadTabletMaxima = seams->ReadTabletMaxima;
    if (seams->StartProcess)
        Panel.Seams.StartProcess = seams->StartProcess;
}
