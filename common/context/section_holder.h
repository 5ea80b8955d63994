// Owner of one parsed model section for the length of a lookup.
#pragma once
#include "common/model/model_section.h"

struct SectionHolder {
    ModelSection* section = nullptr;

    SectionHolder() = default;
    SectionHolder(const SectionHolder&) = delete;
    SectionHolder& operator=(const SectionHolder&) = delete;
    ~SectionHolder() { FreeModelSection(&section, 0); }
    ModelSection** out() { FreeModelSection(&section, 0); return &section; }
};
