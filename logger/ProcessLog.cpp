#include "logger/ProcessLog.h"

ProcessLog processLog;
