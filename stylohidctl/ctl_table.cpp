// The commands stylohidctl knows, in the order its help lists them.
#include <stddef.h>
#include "ctl_commands.h"
#include "diagnose.h"

const CtlCommand CtlCommands[] = {
    {"start", "", "start the program beside this tool, as Explorer starts it", RunStart},
    {"close", "[--wait [SECONDS]]",
     "ask the program to end; with --wait, wait up to SECONDS (30) for its end",
     RunClose},
    {"absolute", "", "switch the pointer to absolute mode", RunAbsolute},
    {"relative", "", "switch the pointer to relative mode", RunRelative},
    {"landscape", "", "turn the tablet to landscape", RunLandscape},
    {"portrait", "", "turn the tablet to portrait", RunPortrait},
    {"sensitivity", "", "open the program's sensitivity dialog", RunSensitivity},
    {"reload", "", "have the program take up the stored settings", RunReload},
    {"screens", "", "list the screens, numbered as the applet numbers them",
     RunScreens},
    {"screen", "main|all|N",
     "choose the screen the pen covers in absolute mode", RunScreen},
    {"profile", "list", "list the profiles, the one in force marked", RunProfile},
    {"profile", "use NAME|-",
     "choose the profile that applies by hand; - the machine settings", RunProfile},
    {"profile", "save NAME [--from PROFILE]",
     "store the stored settings (or PROFILE's) as profile NAME", RunProfile},
    {"profile", "delete NAME", "delete profile NAME", RunProfile},
    {"profile", "programs NAME [EXE...|-]",
     "show, or replace, the programs for which NAME applies by itself", RunProfile},
    {"profile", "auto on|off", "switch profiles by the program in front, or not",
     RunProfile},
    {"status", "", "show whether the program runs and the stored settings",
     RunStatus},
    {"grant-settings", "",
     "create the settings key and let every user's program change it",
     RunGrantSettings},
    {"settings-access", "record|restore",
     "the installer's record of the key's owner and access list, and its undoing",
     RunSettingsAccess},
    {"diagnose", "",
     "check what the tablet needs, one line each; exit 4 on a problem",
     RunDiagnose},
    {NULL, NULL, NULL, NULL}
};
