/* Stand-in for the Direct3D driver-interface header that winddi.h includes.
   Nothing of it is used by a printer driver. */
#ifndef MORVA_PLATFORM_D3DNTHAL_H
#define MORVA_PLATFORM_D3DNTHAL_H
#endif
