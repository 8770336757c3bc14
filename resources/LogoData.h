// The maker's logo of the control panel: a 181 x 136 RGBA PNG compiled into the program.
#pragma once

class LogoData
{
public:
    static const char* logo_png;
    static const int logo_pngSize;
};
