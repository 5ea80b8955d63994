// Answers from the user's locale that decide model defaults of paper settings.
// Each is read once per process under the Locale lock role.
#pragma once
#include <cstdint>

constexpr uint8_t kLocaleUnreadable = 254;

// 2 at once when not allowed (and nothing is cached); else 1 for the countries
// of the letter-paper region (telephone codes 1-2, 50-54, 56-59, 500-592,
// 594-599), 2 for all others and when the locale cannot be read.
uint16_t GetLocalePaperRegion(int allowed);
// Replaces the kept paper region (1 or 2; other values are ignored): the
// graphics library takes the region its caller tells it.
void SetLocalePaperRegion(uint16_t region);
// Region code of the user's country in the region table, 0 when not listed,
// 254 when the locale cannot be read. With convert set (a model capability) 2
// becomes 1 and 3 becomes 0; the table's value is what is cached, so each model
// gets its own answer.
uint8_t GetLocaleRegionCode(int convert);
// Region flag of the user's country, 0 when not listed, 254 when unreadable.
uint8_t GetLocaleRegionFlag();

// The same answers for a given telephone country code (no locale, no cache).
uint16_t PaperRegionOfCountry(int country);
uint8_t RegionCodeOfCountry(int country, int convert);
uint8_t RegionFlagOfCountry(int country);
