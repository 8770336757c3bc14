// The donation badge of the control panel: a 72 x 29 RGB PNG compiled into the program.
#pragma once

class DonateButtonData
{
public:
    static const char* donate_png;
    static const int donate_pngSize;
};
