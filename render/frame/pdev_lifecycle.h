// The bodies of the device-record entries: creation, completion, hand-over,
// surface and destruction. The exported entries wrap them in their trace frame.
#pragma once
#include <windows.h>
#include <winddi.h>

struct PDevRecord;

DHPDEV EnablePdevBody(DEVMODEW* devmode, ULONG patternCount, HSURF* patterns, ULONG capsSize, ULONG* caps,
                      ULONG devInfoSize, DEVINFO* devInfo, HDEV hdev, HANDLE printer);
void CompletePdevBody(DHPDEV dhpdev, HDEV hdev);
BOOL ResetPdevBody(DHPDEV oldPdev, DHPDEV newPdev);
HSURF EnableSurfaceBody(DHPDEV dhpdev);
void DisableSurfaceBody(DHPDEV dhpdev);
void DisablePdevBody(DHPDEV dhpdev);
