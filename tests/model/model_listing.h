// Formats a parsed section the way the model data compiler lists the record it
// wrote, so the two can be compared line by line.
#pragma once
#include <string>

#include "common/model/model_section.h"

std::string FormatModelValue(const ModelValue& v);
std::string FormatModelSection(const ModelSection* s);
