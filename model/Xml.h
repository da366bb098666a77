// The document holder: the live problem and result documents.
#pragma once

class TXML {
public:
    TXML() = default;
};
