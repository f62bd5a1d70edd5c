// Owners and access lists of registry keys, set by an administrator
// (grant-settings, settings-access): each key opened by its wide name
// relative to its parent, the key itself and never where a registry link
// points.
#ifndef KEY_SECURITY_H
#define KEY_SECURITY_H

#include <windows.h>

// Turns a privilege of the administrator's token on, for this process only;
// without it (not an administrator) the steps that need it fail.
void EnablePrivilege(const char *name);

// Sets the owner, then the access list of parent\name to those of
// descriptor (taking ownership works whatever the access list says, and the
// owner may always change the access list).  With create, a missing key is
// made and *created set.  On failure *step says what failed ("take
// ownership of", "set the access list of").
LONG SetKeyOwnerAndAccess(HKEY parent, const WCHAR *name, PSECURITY_DESCRIPTOR descriptor,
                          bool create, bool *created, const char **step);

// Opens parent\name itself, a link included, for access.
LONG OpenKeyItself(HKEY parent, const WCHAR *name, REGSAM access, HKEY *key);

// True when a key opened itself is a registry link.
bool IsLinkKey(HKEY key);

// Deletes the key that key is open on (with DELETE access), a link itself
// and not where it points; ERROR_SUCCESS or ERROR_ACCESS_DENIED.
LONG DeleteOpenKey(HKEY key);

#endif
