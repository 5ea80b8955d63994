// Whether a page is turned on its sheet: the wanted turn of the page's paper
// against the turn its layout already expects.
#pragma once

#include <cstdint>

struct PageRotationInput {
    uint16_t codes[2];       // the page's layout code pair; 0 where there is none
    uint16_t paperCode;      // the model paper number of the page
    uint16_t paperFeature;   // the model's paper feature: 1, 2, 3; 0 without one
    uint16_t driverKind;
    uint32_t pagesPerSheet;
    uint16_t orientation;    // 1 portrait, 2 landscape
    uint16_t overrideValue;  // the value an override of kind 1 gives
    uint16_t overrideKind;   // 0 none, 1 the given value, other by orientation
};

// The turn a layout code asks for: 1 none, 2 turned, 0 no answer.
uint16_t RotationForCode(uint16_t code, uint16_t paperCode);
// The turn wanted for the page: the code pair first, then the paper feature; 0 undecided.
uint16_t WantedRotation(const PageRotationInput& in);
// The turn the page's layout gives it without any turning.
uint16_t ExpectedRotation(const PageRotationInput& in);
// True when the wanted turn is known and differs from the expected one.
bool PageNeedsRotation(const PageRotationInput& in);

struct PDevRecord;
// The page begin's rotation decision for the current page; a turned page asks
// for its image bands turned. The layout code pair, the model's paper feature
// and the override have no source in the device record, so they stay 0.
void ApplyPageRotation(PDevRecord* pdev);
