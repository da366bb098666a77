// The document holder with the importers of the old ".fun" and ".crt" text files.
#pragma once

#include "model/Xml.h"

class TINPUT_OUTPUT : public TXML {
public:
    TINPUT_OUTPUT() = default;
};
