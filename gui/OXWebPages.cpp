#include "gui/OXWebPages.h"

const char* const kOplexaSite = OPLEXA_WEB_SITE;
