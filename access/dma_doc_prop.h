// Document-property files: the settings that travel with a document, as the
// blocks "NDEV001", "TMBINFO", "SPINFO" and "SMRX001" one after the other.
#pragma once
#include "access/dma_interface.h"

#include <cstddef>
#include <cstdint>

// Splits an image of `size` bytes into the caller's buffers. Each block present
// is checked against the bytes there before it is read (kDmaBadImage). With
// every needed buffer given and large enough, the blocks are copied whole and
// their sizes written back (0 for an absent one): kDmaOk. Otherwise only the
// four sizes are written back: kDmaSizeAnswered.
int SplitDocPropImage(const uint8_t* image, size_t size, DocPropBuffers* buffers);
